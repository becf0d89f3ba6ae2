// The capture's soundtrack: what a listener hears over a stretch of demo time. The music
// starts at demo time 6.0 from its beginning, so the track is silence before that and the
// decoded MP3 after it, as 16-bit stereo PCM at 44100 Hz in a WAV file.
#pragma once

#include <cstdint>
#include <string>

namespace capture {

constexpr int kAudioRate = 44100;  // Hz, the show's mixing rate

// The sample frame at which demo time `seconds` begins (rounded to the nearest).
int64_t SampleAt(double seconds);

// Writes the soundtrack for demo time [start, end) (seconds) to `wavPath`, decoding
// `musicPath`. Music that cannot be read gives a silent track and a note in *warning;
// false with *error only when the WAV file cannot be written.
bool WriteSoundtrack(const std::string& wavPath, const std::string& musicPath, double start,
                     double end, std::string* warning, std::string* error);

}  // namespace capture
