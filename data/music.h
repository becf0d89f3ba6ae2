// The soundtrack: an original piece at 136.05 beats per minute (a beat every 0.441 s from
// its first sample), rendered by data/synth.h and encoded to MP3 with LAME.
#pragma once

#include <cstdint>
#include <vector>

#include "data/synth.h"

namespace zel::data {

inline constexpr double kBeatSeconds = 0.441;
inline constexpr int kBeatsPerBar = 4;
inline constexpr int kSongBars = 100;  // 176.4 s: the show needs 173 s from its start
inline constexpr double kSongSeconds = kSongBars * kBeatsPerBar * kBeatSeconds;

// The mixed piece, or its first `seconds` when 0 < seconds < the whole.
StereoBuffer RenderSoundtrack(double seconds);

// 44.1 kHz joint stereo MP3 at a constant 192 kbit/s with an Info tag carrying the encoder
// delay and padding, so that decoders that honour it start at the piece's first sample.
bool EncodeMp3(const StereoBuffer &audio, std::vector<uint8_t> *mp3);

// Both steps; seconds as for RenderSoundtrack.
bool EncodeSoundtrack(double seconds, std::vector<uint8_t> *mp3);

}  // namespace zel::data
