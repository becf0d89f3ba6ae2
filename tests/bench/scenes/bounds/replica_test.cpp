// The raw OpenGL replicas draw the frames the device draws: the same pixels, so that the
// bench's ratios compare like with like, and an independent check of the device's whole
// draw path across each scene's schedule (a state applied wrongly, or one kept from the
// frame before, changes large parts of a frame). Small 320 x 240 frames; the device draws
// the first time of each scene twice, from its defaults and from the state it left.
#include <gtest/gtest.h>
#include <unistd.h>
#include <zel_win32_ext.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench/scenes/bounds/frame_pair.h"

namespace zel::scenes {

namespace {

constexpr int kWidth = 320, kHeight = 240;
constexpr size_t kPixels = size_t{kWidth} * kHeight;

class ReplicaTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_EQ(chdir(ZEL16_BINARY_DIR), 0);  // beside the generated Data/
    zel::win32::SetBatchMode(true);
  }

  // Draws each time on both sides and expects the same frame.
  void ExpectSameFrames(std::unique_ptr<raw::Replica> replica, const std::vector<float> &times) {
    raw::FramePair pair;
    std::string error;
    ASSERT_TRUE(pair.Open(kWidth, kHeight, std::move(replica), raw::Target::kOffscreen, &error))
        << error << " (run under xvfb-run)";
    for (size_t i = 0; i < times.size(); ++i) {
      const float t = raw::FrameTime(times[i]);
      std::vector<uint8_t> raw, ours;
      pair.DrawRawForReading(t);
      pair.ReadRaw(&raw);
      ASSERT_EQ(raw.size(), kPixels * 4);
      // Frames can be black (the end of a closing overlay); the first time is never.
      if (i == 0) {
        EXPECT_GT(Lit(raw), kPixels / 4) << "the replica drew almost nothing at " << times[i] << " s";
      }
      for (int repeat = 0; repeat < (i == 0 ? 2 : 1); ++repeat) {
        pair.DrawOurs(t);
        pair.ReadOurs(&ours);
        // Two programs may round a coordinate differently now and then; a state fault
        // changes whole surfaces. At most one pixel in a thousand may differ.
        const raw::FrameDifference d = raw::Compare(ours, raw);
        EXPECT_LE(d.pixels, kPixels / 1000)
            << "at " << times[i] << " s (device frame " << repeat + 1 << "): " << d.pixels
            << " pixels differ, by up to " << d.maxChannel;
      }
    }
  }

  // Pixels that are not black: a frame of nothing would match another frame of nothing.
  static size_t Lit(const std::vector<uint8_t> &rgba) {
    size_t n = 0;
    for (size_t i = 0; i + 3 < rgba.size(); i += 4) n += rgba[i] + rgba[i + 1] + rgba[i + 2] > 0;
    return n;
  }
};

TEST_F(ReplicaTest, OpeningCard) { ExpectSameFrames(raw::MakeOpeningReplica(), {3.0f, 0.0f, 4.99f}); }

// The busiest moment first, then the whole window: the white flash, the jumpers in flight and
// at rest, beats, the closing overlay and the window's last frame (the clock after 19,929
// ticks: 19,930 ticks are past the window's end).
TEST_F(ReplicaTest, TitleScene) {
  std::vector<float> times = {16.6f, 13.0f};
  for (float t = 13.1f; t < 19.93f; t += 0.35f) times.push_back(t);
  times.push_back(19.929f);
  ExpectSameFrames(raw::MakeTitleReplica(), times);
}

// Times as zel16 --frame takes them; the clock lags behind them at first and runs ahead late
// in the show (176 s of ticks read 176.28 s), still before the closing overlay.
TEST_F(ReplicaTest, SkyStackWithTheEndCard) {
  ExpectSameFrames(raw::MakeSkyReplica(), {40.0f, 20.2f, 33.3f, 100.0f, 176.0f});
}

}  // namespace

}  // namespace zel::scenes
