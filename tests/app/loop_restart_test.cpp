// --loop: after the end of a fixed-step show, RestartShow puts everything back, so the second
// run draws the same frames as the first: its first frame, and a frame in the word flashes,
// whose positions come from the random sequence.
#include "app/show_restart.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <zel_crt_rand.h>
#include <zel_win32_ext.h>

#include <cstdint>
#include <new>
#include <vector>

#include "app/demo_clock.h"
#include "app/show_schedule.h"
#include "gfxutil/surface.h"
#include "render/render_device.h"
#include "scenes/opening_scene.h"
#include "scenes/sky_scene.h"
#include "scenes/title_scene.h"

namespace {

constexpr int kWidth = 160, kHeight = 120;  // pixels
constexpr uint32_t kStep = 250;             // ticks per frame: 0.25 s
constexpr float kFlashTime = 14.0f;         // seconds, inside the title's word flashes

struct SilentMusic {
  void Play(int) {}
};

struct RunFrames {
  std::vector<uint8_t> first, flash;
  int frames = 0;
};

class LoopRestart : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(chdir(ZEL16_BINARY_DIR), 0);  // the build's generated Data/
    window = zel::win32::CreateOffscreenWindow(kWidth, kHeight);
    if (window == nullptr) GTEST_SKIP() << "no display";
    ASSERT_TRUE(SUCCEEDED(device.Create(window, kWidth, kHeight, false)));
    IDirect3DDevice9* d3d = device.GetDevice();
    title = new (std::nothrow) TitleScene(d3d);
    sky = new (std::nothrow) SkyScene(d3d);
    opening = new (std::nothrow) OpeningScene(d3d);
  }
  void TearDown() override {
    delete title;
    delete sky;
    delete opening;
    device.ReleaseDevice();
    if (window) DestroyWindow(window);
  }

  void Grab(std::vector<uint8_t>* rgba) {
    UINT w = 0, h = 0;
    ASSERT_TRUE(gfxutil::GrabBackBuffer(device.GetDevice(), rgba, &w, &h));
  }

  // One whole show on the fixed-step clock, as the main loop reads it.
  RunFrames Run() {
    RunFrames run;
    const BYTE keys[256] = {};
    SilentMusic music;
    for (;;) {
      float t = clock.Seconds();
      DemoClock::Advance(kStep);
      if (show::ShowFrame(t, keys, device, music, title, sky, opening) != show::FrameResult::Drawn) break;
      if (run.frames++ == 0) Grab(&run.first);
      if (run.flash.empty() && t >= kFlashTime) Grab(&run.flash);
    }
    return run;
  }

  HWND window = nullptr;
  RenderDevice device;
  TitleScene* title = nullptr;
  SkyScene* sky = nullptr;
  OpeningScene* opening = nullptr;
  DemoClock clock;
};

TEST_F(LoopRestart, SecondRunStartsAsTheFirstDid) {
  CrtRandReset();
  DemoClock::StartAt(0.0f);
  const uint32_t startState = CrtRandState();
  RunFrames first = Run();
  ASSERT_GT(first.frames, 700);  // 179 s at 0.25 s a frame
  EXPECT_GT(clock.Seconds(), show::kShowEnd);
  EXPECT_NE(CrtRandState(), startState);  // the flashes drew from the sequence

  RestartShow(clock, false, nullptr, MusicSource{"Data/Music/sm.mp3", 1});
  EXPECT_EQ(clock.Seconds(), 0.0f);
  EXPECT_EQ(CrtRandState(), startState);

  RunFrames second = Run();
  EXPECT_EQ(second.frames, first.frames);
  ASSERT_FALSE(first.first.empty());
  EXPECT_TRUE(second.first == first.first) << "the first frame of the second run differs";
  ASSERT_FALSE(first.flash.empty());
  EXPECT_TRUE(second.flash == first.flash) << "a word-flash frame of the second run differs";
}

}  // namespace
