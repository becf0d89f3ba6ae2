// The capture's soundtrack: what a listener hears over a stretch of demo time. The live show
// starts the music on the first frame whose clock reads 6.0 or more; a frame drawn as soon as
// possible sees that on the clock's tick 6,001, so the music begins 6.001 s into demo time
// (sample frame 264,644). The track is silence before that and the decoded MP3 after it, as
// 16-bit stereo PCM at 44100 Hz in a WAV file.
#pragma once

#include <cstdint>
#include <string>

#include "app/capture_timing.h"

namespace zel::app::capture {

constexpr int kAudioRate = 44100;  // Hz, the show's mixing rate

// The sample frame of demo time at which the music's first sample plays.
int64_t MusicStartSample();

// The sample frame at which the track for frames before `endFrame` stops: where the last of
// them ends, but never after the live show ends (tick 178,701), however long a frame lasts
// at a low rate.
int64_t TrackEnd(uint64_t endFrame, FrameRate rate);

// Writes the soundtrack for sample frames [first, end) of demo time to `wavPath`, decoding
// `musicPath`. Music that cannot be read gives a silent track and a note in *warning;
// false with *error only when the WAV file cannot be written.
bool WriteSoundtrack(const std::string& wavPath, const std::string& musicPath, int64_t first,
                     int64_t end, std::string* warning, std::string* error);

}  // namespace zel::app::capture
