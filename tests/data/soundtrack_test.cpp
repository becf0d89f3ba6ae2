// The generated soundtrack, decoded with libmpg123 as the show's sound layer does: long
// enough for the show, its beat falls every 0.441 s counted from the first sample, and the
// music lifts when the title appears (7 s in).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <mpg123.h>

namespace zel::data {

namespace {

constexpr int kRate = 44100;
constexpr double kBeat = 0.441;  // s

struct Track {
  bool ok = false;
  long rate = 0;
  int channels = 0;
  std::vector<float> mono;  // decoded samples, channels averaged
};

Track Decode(const std::string &path) {
  Track t;
  mpg123_init();
  int err = 0;
  mpg123_handle *h = mpg123_new(nullptr, &err);
  if (!h) return t;
  mpg123_param(h, MPG123_ADD_FLAGS, MPG123_GAPLESS, 0.0);
  mpg123_format_none(h);
  mpg123_format(h, kRate, MPG123_STEREO | MPG123_MONO, MPG123_ENC_SIGNED_16);
  if (mpg123_open(h, path.c_str()) == MPG123_OK) {
    int encoding = 0;
    mpg123_getformat(h, &t.rate, &t.channels, &encoding);
    std::vector<short> buffer(16384);
    size_t done = 0;
    int rc;
    while ((rc = mpg123_read(h, reinterpret_cast<unsigned char *>(buffer.data()), buffer.size() * 2, &done)) ==
               MPG123_OK ||
           rc == MPG123_NEW_FORMAT || (rc == MPG123_DONE && done > 0)) {
      const size_t samples = done / 2;
      for (size_t i = 0; i + t.channels <= samples; i += t.channels) {
        float sum = 0;
        for (int c = 0; c < t.channels; ++c) sum += buffer[i + c] / 32768.0f;
        t.mono.push_back(sum / t.channels);
      }
      if (rc == MPG123_DONE) break;
    }
    t.ok = rc == MPG123_DONE || rc == MPG123_OK;
    mpg123_close(h);
  }
  mpg123_delete(h);
  return t;
}

const Track &Soundtrack() {
  static const Track track = Decode(std::string(ZEL16_BINARY_DIR) + "/Data/Music/sm.mp3");
  return track;
}

double Rms(const std::vector<float> &s, double from, double to) {
  const size_t a = static_cast<size_t>(from * kRate), b = std::min(s.size(), static_cast<size_t>(to * kRate));
  double sum = 0;
  for (size_t i = a; i < b; ++i) sum += s[i] * s[i];
  return b > a ? std::sqrt(sum / (b - a)) : 0.0;
}

TEST(Soundtrack, StereoAt44kHzAndLongEnoughForTheShow) {
  const Track &t = Soundtrack();
  ASSERT_TRUE(t.ok);
  EXPECT_EQ(t.rate, kRate);
  EXPECT_EQ(t.channels, 2);
  const double seconds = static_cast<double>(t.mono.size()) / kRate;
  EXPECT_GE(seconds, 173.0);  // the show plays it from 6.0 s to 179.0 s
  EXPECT_LT(seconds, 185.0);
}

// Onsets (rises of short-time energy, 10 ms hops) folded onto the beat period: the phase
// that holds the beat's first sample must stand far above every other phase.
TEST(Soundtrack, BeatEvery441MillisecondsFromTheFirstSample) {
  const Track &t = Soundtrack();
  ASSERT_TRUE(t.ok);
  constexpr int kHop = kRate / 100;
  constexpr int kBins = 21;  // 21 ms each
  std::vector<double> bins(kBins, 0.0);
  double previous = 0;
  const size_t hops = std::min(t.mono.size(), static_cast<size_t>(120 * kRate)) / kHop;
  for (size_t n = 0; n < hops; ++n) {
    double energy = 0;
    for (size_t i = n * kHop; i < (n + 1) * kHop; ++i) energy += t.mono[i] * t.mono[i];
    const double onset = std::max(0.0, energy - previous);
    previous = energy;
    const double phase = std::fmod(n * 0.01 + 0.005, kBeat);  // centre of the hop
    bins[std::min(kBins - 1, static_cast<int>(phase / kBeat * kBins))] += onset;
  }
  const int strongest = static_cast<int>(std::max_element(bins.begin(), bins.end()) - bins.begin());
  EXPECT_EQ(strongest, 0);
  std::vector<double> others(bins.begin() + 2, bins.end() - 1);
  std::sort(others.begin(), others.end());
  EXPECT_GT(bins[0], 4.0 * others[others.size() / 2]);
}

TEST(Soundtrack, LiftsWhenTheTitleAppears) {
  const Track &t = Soundtrack();
  ASSERT_TRUE(t.ok);
  EXPECT_GT(Rms(t.mono, 7.1, 13.0), 1.5 * Rms(t.mono, 0.0, 6.0));
  EXPECT_GT(Rms(t.mono, 0.0, 6.0), 0.01);  // the intro is not silence
}

}  // namespace

}  // namespace zel::data
