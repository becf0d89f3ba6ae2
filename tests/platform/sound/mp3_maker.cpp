#include "tests/platform/sound/mp3_maker.h"

#include <lame/lame.h>
#include <mpg123.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numbers>

namespace zel::sound::test {

std::vector<int16_t> Sine(int rate, int channels, double hz, double seconds, double amplitude) {
  const size_t frames = static_cast<size_t>(seconds * rate);
  std::vector<int16_t> pcm(frames * channels);
  for (size_t i = 0; i < frames; ++i) {
    const double v = amplitude * 32767.0 * std::sin(2.0 * std::numbers::pi * hz * i / rate);
    for (int c = 0; c < channels; ++c) pcm[i * channels + c] = static_cast<int16_t>(std::lround(v));
  }
  return pcm;
}

std::vector<int16_t> ClickTrain(int rate, int channels, double period, double seconds,
                                double amplitude) {
  const size_t frames = static_cast<size_t>(seconds * rate);
  const size_t burst = static_cast<size_t>(0.002 * rate);
  std::vector<int16_t> pcm(frames * channels, 0);
  for (double t = period / 2; t < seconds; t += period) {
    const size_t start = static_cast<size_t>(t * rate);
    for (size_t i = 0; i < burst && start + i < frames; ++i) {
      const double v = amplitude * 32767.0 * std::sin(2.0 * std::numbers::pi * 2000.0 * i / rate);
      for (int c = 0; c < channels; ++c)
        pcm[(start + i) * channels + c] = static_cast<int16_t>(std::lround(v));
    }
  }
  return pcm;
}

bool WriteMp3(const std::string& path, int rate, int channels, const std::vector<int16_t>& pcm) {
  std::unique_ptr<lame_global_flags, int (*)(lame_global_flags*)> lame(lame_init(), lame_close);
  if (!lame) return false;
  lame_set_in_samplerate(lame.get(), rate);
  lame_set_out_samplerate(lame.get(), rate);
  lame_set_num_channels(lame.get(), channels);
  lame_set_mode(lame.get(), channels == 1 ? MONO : STEREO);
  lame_set_brate(lame.get(), 192);
  lame_set_quality(lame.get(), 5);
  lame_set_bWriteVbrTag(lame.get(), 1);
  if (lame_init_params(lame.get()) < 0) return false;

  const int frames = static_cast<int>(pcm.size() / channels);
  std::vector<unsigned char> mp3(static_cast<size_t>(1.25 * frames + 7200) + 16384);
  std::vector<int16_t> samples(pcm);  // lame wants a non-const buffer
  int n = channels == 2
              ? lame_encode_buffer_interleaved(lame.get(), samples.data(), frames, mp3.data(),
                                               static_cast<int>(mp3.size()))
              : lame_encode_buffer(lame.get(), samples.data(), samples.data(), frames, mp3.data(),
                                   static_cast<int>(mp3.size()));
  if (n < 0) return false;
  const int m = lame_encode_flush(lame.get(), mp3.data() + n, static_cast<int>(mp3.size()) - n);
  if (m < 0) return false;
  mp3.resize(static_cast<size_t>(n + m));
  // The first frame is a placeholder for the info frame, known only now.
  unsigned char tag[8192];
  const size_t tagSize = lame_get_lametag_frame(lame.get(), tag, sizeof tag);
  if (tagSize > sizeof tag || tagSize > mp3.size()) return false;
  std::copy(tag, tag + tagSize, mp3.begin());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(mp3.data()), static_cast<std::streamsize>(mp3.size()));
  return static_cast<bool>(out);
}

bool ReferenceDecode(const std::string& path, std::vector<int16_t>* stereo, long* rate) {
  mpg123_init();
  int err = 0;
  std::unique_ptr<mpg123_handle, void (*)(mpg123_handle*)> mh(mpg123_new(nullptr, &err),
                                                              mpg123_delete);
  if (!mh) return false;
  mpg123_param(mh.get(), MPG123_ADD_FLAGS, MPG123_FORCE_STEREO | MPG123_QUIET, 0.0);
  mpg123_format_none(mh.get());
  const long* rates = nullptr;
  size_t count = 0;
  mpg123_rates(&rates, &count);
  for (size_t i = 0; i < count; ++i)
    mpg123_format(mh.get(), rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);
  if (mpg123_open(mh.get(), path.c_str()) != MPG123_OK) return false;
  int channels = 0, encoding = 0;
  if (mpg123_getformat(mh.get(), rate, &channels, &encoding) != MPG123_OK) return false;
  stereo->clear();
  unsigned char buffer[16384];
  for (;;) {
    size_t done = 0;
    const int code = mpg123_read(mh.get(), buffer, sizeof buffer, &done);
    const int16_t* s = reinterpret_cast<const int16_t*>(buffer);
    stereo->insert(stereo->end(), s, s + done / 2);
    if (code == MPG123_DONE) break;
    if (code != MPG123_OK && code != MPG123_NEW_FORMAT) return false;
  }
  mpg123_close(mh.get());
  return true;
}

std::string TempPath(const std::string& name) {
  // One directory per process, removed when the process exits.
  struct Dir {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("zel16-sound-" + std::to_string(::getpid()));
    Dir() { std::filesystem::create_directories(path); }
    ~Dir() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
  };
  static Dir dir;
  return (dir.path / name).string();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<int16_t> ReadRaw16(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<int16_t> samples(bytes.size() / 2);
  // An empty file: no copy (an empty vector's data() may be null, and memcpy takes none).
  if (!samples.empty()) std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
  return samples;
}

double Rms(const std::vector<int16_t>& stereo, size_t beginFrame, size_t endFrame) {
  endFrame = std::min(endFrame, stereo.size() / 2);
  if (endFrame <= beginFrame) return 0.0;
  double sum = 0.0;
  for (size_t i = beginFrame * 2; i < endFrame * 2; ++i) sum += double(stereo[i]) * stereo[i];
  return std::sqrt(sum / double((endFrame - beginFrame) * 2)) / 32768.0;
}

size_t FirstLoudSample(const std::vector<int16_t>& samples, int threshold) {
  for (size_t i = 0; i < samples.size(); ++i)
    if (std::abs(int(samples[i])) > threshold) return i;
  return std::string::npos;
}

}  // namespace zel::sound::test
