// The soundtrack as the show's decoder gives it: the generated MP3 decodes to exactly the
// generator's samples in number and position (the encoder's delay and padding are cut), and
// the capture's track puts that music's first sample on the tick the live clock reads 6.0.
#include <gtest/gtest.h>
#include <unistd.h>
#include <zel_sound_ext.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/offline/capture_audio.h"
#include "data/music.h"

namespace zel::app {

namespace {

const std::string kMusic = std::string(ZEL16_BINARY_DIR) + "/Data/Music/sm.mp3";

// The whole file through the show's decoder, interleaved stereo at 44100 Hz.
std::vector<int16_t> DecodeAll(const std::string& path) {
  zel::sound::Mp3Source source;
  std::string error;
  std::vector<int16_t> all;
  if (!source.Open(path.c_str(), &error)) {
    ADD_FAILURE() << error;
    return all;
  }
  source.SetOutputRate(44100);
  std::vector<int16_t> chunk(2 * 8192);
  while (size_t got = source.Read(chunk.data(), 8192)) all.insert(all.end(), chunk.begin(), chunk.begin() + 2 * got);
  return all;
}

const std::vector<int16_t>& Decoded() {
  static const std::vector<int16_t> decoded = DecodeAll(kMusic);
  return decoded;
}

// Normalised correlation of the decoded left channel, shifted by `lag` samples, with the
// generator's left channel over [from, to).
double Correlation(const std::vector<int16_t>& decoded, const std::vector<float>& reference, int lag,
                   size_t from, size_t to) {
  double dot = 0, a = 0, b = 0;
  for (size_t n = from; n < to; ++n) {
    const double x = decoded[2 * (n + lag)], y = reference[n];
    dot += x * y;
    a += x * x;
    b += y * y;
  }
  return a > 0 && b > 0 ? dot / std::sqrt(a * b) : 0.0;
}

TEST(CaptureSoundtrack, DecodedMusicHasTheGeneratorsLengthAndStartsOnItsFirstSample) {
  const std::vector<int16_t>& decoded = Decoded();
  // 100 bars of 4 beats of 0.441 s: 176.4 s, 7,779,240 sample frames, not a frame more or less.
  EXPECT_EQ(decoded.size() / 2, 7779240u);
  ASSERT_GT(decoded.size(), 2u * 88200);
  // The piece opens with a kick on sample 0. Untrimmed, the encoder's and decoder's delay
  // (1105 samples for LAME) would come first; the best alignment with the generator's own
  // samples shows where the piece begins.
  const zel::data::StereoBuffer reference = zel::data::RenderSoundtrack(2.0);
  constexpr int kSearch = 1500;  // samples either way
  int best = -kSearch;
  double bestValue = -2.0;
  for (int lag = -kSearch; lag <= kSearch; ++lag) {
    const double c = Correlation(decoded, reference.left, lag, kSearch, 40000);
    if (c > bestValue) bestValue = c, best = lag;
  }
  EXPECT_EQ(best, 0) << "correlation " << bestValue;
  EXPECT_GT(bestValue, 0.9);
}

TEST(CaptureSoundtrack, TrackStartsTheMusicOnTick6001) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("zel16_capture_music_" + std::to_string(getpid()) + ".wav")).string();
  constexpr int64_t kFirst = 264000, kEnd = 270000;  // sample frames of demo time
  std::string warning, error;
  ASSERT_TRUE(zel::app::offline::WriteSoundtrack(path, kMusic, kFirst, kEnd, &warning, &error)) << error;
  EXPECT_EQ(warning, "");
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
  std::filesystem::remove(path);
  ASSERT_EQ(bytes.size(), 44u + (kEnd - kFirst) * 4);
  std::vector<int16_t> samples((bytes.size() - 44) / 2);
  std::memcpy(samples.data(), bytes.data() + 44, samples.size() * 2);
  // 6.001 s * 44100 Hz = 264,644.1: silence up to sample frame 264,644, then the music from
  // its own first sample on, unchanged.
  constexpr size_t kSilent = 264644 - kFirst;
  EXPECT_TRUE(std::all_of(samples.begin(), samples.begin() + 2 * kSilent, [](int16_t v) { return v == 0; }));
  const std::vector<int16_t>& music = Decoded();
  ASSERT_GE(music.size(), samples.size());
  EXPECT_TRUE(std::equal(samples.begin() + 2 * kSilent, samples.end(), music.begin()));
}

}  // namespace

}  // namespace zel::app
