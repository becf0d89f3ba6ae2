// Whole frames of the show rendered by the real OpenGL layer on the offline show rig (a
// hidden 640 x 480 window, the three scenes, the generated Data/ and the main loop's frame,
// presented): what the viewer sees at chosen moments. Set ZEL16_FRAME_DIR to keep the frames as PNG files.
#include <gtest/gtest.h>
#include <unistd.h>
#include <zel_crt_rand.h>
#include <zel_d3d9_ext.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/demo_clock.h"
#include "app/offline/show_rig.h"
#include "app/show_schedule.h"
#include "gfxutil/image_png.h"

namespace zel::scenes {

namespace {

using zel::app::offline::Presenting;
using zel::app::offline::ShowRig;

constexpr int kWidth = 640, kHeight = 480;

// A rig of the test's size, opened in the build directory (beside Data/).
ShowRig *OpenRig() {
  if (chdir(ZEL16_BINARY_DIR) != 0) return nullptr;
  auto *rig = new ShowRig;
  std::string error;
  app::ExitStatus status = app::ExitStatus::Success;
  if (rig->Open(kWidth, kHeight, Presenting::Yes, &error, &status)) return rig;
  ADD_FAILURE() << error << " (run under xvfb-run)";
  delete rig;
  return nullptr;
}

struct Rgb {
  int r, g, b;
  int Sum() const { return r + g + b; }
};

struct Box {
  int x0, y0, x1, y1;  // pixels, [x0, x1) x [y0, y1), rows from the top
};

class ShowFramesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    liveAtStart = zel::d3d9::LiveObjectCount();
    rig = OpenRig();
  }
  static void TearDownTestSuite() {
    delete rig;
    rig = nullptr;
    EXPECT_EQ(zel::d3d9::LiveObjectCount(), liveAtStart) << "objects left alive";
  }

  // Renders the show's frame at demo time t and reads it back.
  void Render(float t) {
    ASSERT_NE(rig, nullptr);
    ASSERT_EQ(rig->Draw(t), app::show::FrameResult::Drawn);
    ASSERT_TRUE(rig->Grab(&pixels));  // of the rig's size
    const UINT w = kWidth, h = kHeight;
    if (const char *dir = std::getenv("ZEL16_FRAME_DIR")) {
      std::string error;
      std::string path = std::string(dir) + "/frame_" + std::to_string(t) + ".png";
      EXPECT_TRUE(gfxutil::WritePng(path, pixels, w, h, &error)) << error;
    }
  }
  Rgb At(int x, int y) const { return At(pixels, x, y); }
  static Rgb At(const std::vector<uint8_t> &frame, int x, int y) {
    const uint8_t *p = &frame[(static_cast<size_t>(y) * kWidth + x) * 4];
    return {p[0], p[1], p[2]};
  }
  // Mean of r + g + b over the box [x0, x1) x [y0, y1).
  double MeanSum(const Box &b) const {
    double total = 0;
    for (int y = b.y0; y < b.y1; ++y)
      for (int x = b.x0; x < b.x1; ++x) total += At(x, y).Sum();
    return total / ((b.x1 - b.x0) * (b.y1 - b.y0));
  }
  int MinChannel() const {
    int m = 255;
    for (size_t i = 0; i < pixels.size(); i += 4) m = std::min({m, int{pixels[i]}, int{pixels[i + 1]}, int{pixels[i + 2]}});
    return m;
  }
  // Pixels of the box whose channel mean is above 153 (0.6 of full).
  int CountBright(const Box &b) const {
    int n = 0;
    for (int y = b.y0; y < b.y1; ++y)
      for (int x = b.x0; x < b.x1; ++x) n += At(x, y).Sum() > 3 * 153;
    return n;
  }
  // Pixels of the box where some channel differs from `other` by more than 38 (15 %).
  int CountChanged(const std::vector<uint8_t> &other, const Box &b) const {
    int n = 0;
    for (int y = b.y0; y < b.y1; ++y)
      for (int x = b.x0; x < b.x1; ++x) {
        Rgb p = At(x, y), q = At(other, x, y);
        n += std::abs(p.r - q.r) > 38 || std::abs(p.g - q.g) > 38 || std::abs(p.b - q.b) > 38;
      }
    return n;
  }
  // Mean over the box of how much brighter this frame is than `other` (r + g + b, clamped at 0).
  double MeanGain(const std::vector<uint8_t> &other, const Box &b) const {
    double total = 0;
    for (int y = b.y0; y < b.y1; ++y)
      for (int x = b.x0; x < b.x1; ++x) total += std::max(0, At(x, y).Sum() - At(other, x, y).Sum());
    return total / ((b.x1 - b.x0) * (b.y1 - b.y0));
  }
  // Smallest box holding every pixel that is not pure black.
  Box LitBox() const {
    Box b{kWidth, kHeight, -1, -1};
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        if (At(x, y).Sum() > 0) b = {std::min(b.x0, x), std::min(b.y0, y), std::max(b.x1, x + 1), std::max(b.y1, y + 1)};
    return b;
  }

  static inline int liveAtStart = 0;
  static inline ShowRig *rig = nullptr;
  std::vector<uint8_t> pixels;
};

// Writes the frames at the times in ZEL16_FRAME_TIMES (comma-separated) into ZEL16_FRAME_DIR;
// run with --gtest_also_run_disabled_tests to look at any moment of the show.
TEST_F(ShowFramesTest, DISABLED_DumpFrames) {
  const char *list = std::getenv("ZEL16_FRAME_TIMES");
  if (!list) GTEST_SKIP() << "set ZEL16_FRAME_TIMES to a list of demo times";
  for (const char *p = list; *p;) {
    char *next = nullptr;
    float t = std::strtof(p, &next);
    if (next == p) break;
    Render(t);
    p = *next ? next + 1 : next;
  }
}

// The opening card fills 88.5 % of the view's width and height, centred, on black.
TEST_F(ShowFramesTest, OpeningCardIsCentredOnBlack) {
  Render(3.0f);
  Box lit = LitBox();
  EXPECT_NEAR(lit.x1 - lit.x0, 0.885 * kWidth, 2.0);
  EXPECT_NEAR(lit.y1 - lit.y0, 0.885 * kHeight, 2.0);
  EXPECT_NEAR(lit.x0 + lit.x1, kWidth, 2.0);
  EXPECT_NEAR(lit.y0 + lit.y1, kHeight, 2.0);
}

// Halfway through the closing overlay the card shows at about half its brightness.
TEST_F(ShowFramesTest, ClosingOverlayDarkensTheCard) {
  const Box card{40, 30, 600, 450};
  Render(3.0f);
  double bright = MeanSum(card);
  ASSERT_GT(bright, 30.0);
  Render(5.5f);
  EXPECT_NEAR(MeanSum(card) / bright, 1.0 - 127.0 / 255.0, 0.05);
  EXPECT_EQ(LitBox().x0, 37);  // still black around it
  Render(5.999f);  // at 6.0 the sky scene's white flash is drawn over it
  EXPECT_LT(MeanSum(card), 3.0);
}

// A beat flash and the title's opening flash cover the whole view in white.
TEST_F(ShowFramesTest, FlashesAreWhite) {
  Render(6.5f);
  EXPECT_GE(MinChannel(), 250);
  Render(13.0f);
  EXPECT_GE(MinChannel(), 250);
  Render(6.6f);  // between two flash windows
  EXPECT_LT(MinChannel(), 128);
}

// The title model turns at the centre while the background stays; the banner keeps to its band.
TEST_F(ShowFramesTest, TitleModelAndBanner) {
  Render(15.3f);
  std::vector<uint8_t> later = pixels;
  Render(15.0f);
  EXPECT_GT(CountChanged(later, {200, 190, 440, 270}), 2000);
  EXPECT_EQ(CountChanged(later, {0, 0, 200, 150}), 0);
  EXPECT_EQ(CountChanged(later, {0, 0, 150, kHeight}), 0);
  // At lt 2 the banner (x 5, y 3.227, z 1, seen from 11 units) spans columns 433-640, rows 37-150.
  EXPECT_GT(CountBright({433, 37, kWidth, 150}), 500);
  EXPECT_EQ(CountBright({0, 37, 207, 150}), 0);
  EXPECT_EQ(CountBright({433, 155, kWidth, 200}), 0);
}

// The end card adds its picture over the sky: the same sky without it is the first
// appearance at the same local time (3 s, no word and no flash there).
TEST_F(ShowFramesTest, EndCardShowsOverTheSky) {
  Render(9.0f);
  std::vector<uint8_t> skyAlone = pixels;
  Render(19.93f + 3.0f);
  EXPECT_GT(MeanGain(skyAlone, {160, 90, 480, 390}), 30.0);
  EXPECT_LT(MeanGain(skyAlone, {0, 150, 60, 350}), 1.0);  // left of the card
  Render(100.0f);
  EXPECT_GT(MeanSum({160, 90, 480, 390}), 100.0);
}

// The whole show with a fixed-step clock (2000 ticks per frame), torn down in the program's
// order: every frame up to demo time 179 is drawn, the first one past it ends the loop, and
// no Direct3D object outlives the teardown.
TEST(WholeShow, EveryFrameDrawsAndTeardownReleasesEverything) {
  const int liveAtStart = zel::d3d9::LiveObjectCount();
  ShowRig *rig = OpenRig();
  ASSERT_NE(rig, nullptr);
  crt::CrtRandReset();

  float t = 0.0f;
  int drawn = 0;
  app::show::FrameResult result;
  while ((result = rig->Draw(t)) == app::show::FrameResult::Drawn) {
    ++drawn;
    for (int i = 0; i < 2000; ++i) t += app::DemoClock::kTick;
  }
  EXPECT_EQ(result, app::show::FrameResult::TimeUp);
  EXPECT_GT(t, 179.0f);
  EXPECT_EQ(drawn, 90);  // t = 0, 2, ..., 178 (within the float drift), then past 179
  EXPECT_NE(crt::CrtRandState(), 1u);  // the words drew from the sequence

  delete rig;  // the scenes, the device and the window, in the program's order
  EXPECT_EQ(zel::d3d9::LiveObjectCount(), liveAtStart);
}

}  // namespace

}  // namespace zel::scenes
