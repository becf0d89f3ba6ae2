// Final level and MP3 encoding of the soundtrack (see music.h).
#include "data/music.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <lame/lame.h>

namespace zel::data {

namespace {

constexpr int kBitrate = 192;      // kbit/s, constant
constexpr int kLameQuality = 5;    // LAME's 0 (slowest) .. 9 (fastest); 5 is its default
constexpr float kPeak = 0.89f;     // about -1 dBFS after the soft limiter
constexpr size_t kChunkFrames = 8192;

// Scales the mix so its loudest sample lands at kPeak, rounding off the rare peaks softly.
std::vector<float> Master(const StereoBuffer &audio, std::vector<float> *right) {
  float peak = 1e-6f;
  for (size_t i = 0; i < audio.frames(); ++i) peak = std::max({peak, std::abs(audio.left[i]), std::abs(audio.right[i])});
  const float gain = 1.6f * kPeak / peak;  // the loudest peaks run into the soft limit
  std::vector<float> left(audio.frames());
  right->resize(audio.frames());
  for (size_t i = 0; i < audio.frames(); ++i) {
    left[i] = kPeak * std::tanh(gain * audio.left[i] / kPeak);
    (*right)[i] = kPeak * std::tanh(gain * audio.right[i] / kPeak);
  }
  return left;
}

}  // namespace

bool EncodeMp3(const StereoBuffer &audio, std::vector<uint8_t> *mp3) {
  std::vector<float> right;
  const std::vector<float> left = Master(audio, &right);
  lame_global_flags *lame = lame_init();
  if (!lame) return false;
  lame_set_in_samplerate(lame, kSampleRate);
  lame_set_out_samplerate(lame, kSampleRate);
  lame_set_num_channels(lame, 2);
  lame_set_mode(lame, JOINT_STEREO);
  lame_set_brate(lame, kBitrate);
  lame_set_VBR(lame, vbr_off);
  lame_set_quality(lame, kLameQuality);
  lame_set_bWriteVbrTag(lame, 1);  // the Info frame: encoder delay and padding for gapless decoders
  if (lame_init_params(lame) < 0) {
    lame_close(lame);
    std::fprintf(stderr, "zel16-datagen: LAME refused its settings\n");
    return false;
  }
  mp3->clear();
  std::vector<unsigned char> buffer(static_cast<size_t>(1.25 * kChunkFrames + 7200));
  bool ok = true;
  for (size_t at = 0; at < left.size() && ok; at += kChunkFrames) {
    const int n = static_cast<int>(std::min(kChunkFrames, left.size() - at));
    const int bytes = lame_encode_buffer_ieee_float(lame, left.data() + at, right.data() + at, n, buffer.data(),
                                                    static_cast<int>(buffer.size()));
    if (bytes < 0) ok = false;
    else mp3->insert(mp3->end(), buffer.begin(), buffer.begin() + bytes);
  }
  if (ok) {
    const int bytes = lame_encode_flush(lame, buffer.data(), static_cast<int>(buffer.size()));
    if (bytes < 0) ok = false;
    else mp3->insert(mp3->end(), buffer.begin(), buffer.begin() + bytes);
  }
  if (ok) {
    // The stream began with a placeholder frame; put the finished tag in its place.
    std::vector<unsigned char> tag(4096);
    const size_t tagBytes = lame_get_lametag_frame(lame, tag.data(), tag.size());
    if (tagBytes > 0 && tagBytes <= mp3->size()) std::copy(tag.begin(), tag.begin() + tagBytes, mp3->begin());
  }
  lame_close(lame);
  if (!ok) std::fprintf(stderr, "zel16-datagen: MP3 encoding failed\n");
  return ok;
}

bool EncodeSoundtrack(double seconds, std::vector<uint8_t> *mp3) { return EncodeMp3(RenderSoundtrack(seconds), mp3); }

}  // namespace zel::data
