// --loop: after the end of a fixed-step show, RestartShow puts everything back, so the second
// run draws the same frames as the first (its first frame, and a frame in the word flashes,
// whose positions come from the random sequence) and plays the soundtrack from its start.
#include "app/offline/show_restart.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>
#include <zel_crt_rand.h>
#include <zel_sound_ext.h>
#include <zel_win32_ext.h>

#include <cstdint>
#include <new>
#include <vector>

#include "app/demo_clock.h"
#include "app/show_schedule.h"
#include "audio/music_player.h"
#include "gfxutil/surface.h"
#include "render/render_device.h"
#include "scenes/opening_scene.h"
#include "scenes/sky_scene.h"
#include "scenes/title_scene.h"

using zel::app::offline::RestartShow;
using zel::app::offline::MusicSource;
namespace zel::app {

namespace {

constexpr int kWidth = 160, kHeight = 120;  // pixels
constexpr uint32_t kStep = 250;             // ticks per frame: 0.25 s
constexpr float kFlashTime = 14.0f;         // seconds, inside the title's word flashes
constexpr const char* kMusicFile = "Data/Music/sm.mp3";
constexpr int kStreamMode = 1;
constexpr double kPastTheMusic = 1000.0;    // seconds into the soundtrack, beyond its end
// Seconds of demo time, well after the music starts at 6 s: a stream that has nothing left to
// play has long stopped (within one 23 ms device buffer), one started from the beginning of
// the 176 s soundtrack still plays.
constexpr float kMusicCheckTime = 30.0f;

struct RunFrames {
  std::vector<uint8_t> first, flash;
  int frames = 0;
  bool checkedMusic = false, musicPlaying = false;  // at kMusicCheckTime
};

class LoopRestart : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(chdir(ZEL16_BINARY_DIR), 0);  // the build's generated Data/
    window = zel::win32::CreateOffscreenWindow(kWidth, kHeight);
    if (window == nullptr) GTEST_SKIP() << "no display";
    ASSERT_TRUE(SUCCEEDED(device.Create(window, kWidth, kHeight, false)));
    // A real output that consumes the music in real time, as a sound card would.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(music.Init(44100, 32, 0), S_OK);
    ASSERT_EQ(music.Open(kMusicFile, kStreamMode, 0), S_OK);
    IDirect3DDevice9* d3d = device.GetDevice();
    title = new (std::nothrow) scenes::TitleScene(d3d);
    sky = new (std::nothrow) scenes::SkyScene(d3d);
    opening = new (std::nothrow) scenes::OpeningScene(d3d);
  }
  void TearDown() override {
    delete title;
    delete sky;
    delete opening;
    music.Close();
    FSOUND_Close();
    ZelSound_SetStartPosition(0.0);
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
    for (;;) {
      float t = clock.Seconds();
      DemoClock::Advance(kStep);
      if (show::ShowFrame(t, keys, device, music, title, sky, opening) != show::FrameResult::Drawn) break;
      if (run.frames++ == 0) Grab(&run.first);
      if (run.flash.empty() && t >= kFlashTime) Grab(&run.flash);
      if (!run.checkedMusic && t >= kMusicCheckTime) {
        run.checkedMusic = true;
        run.musicPlaying = FSOUND_IsPlaying(show::kMusicChannel) != 0;
      }
    }
    return run;
  }

  HWND window = nullptr;
  render::RenderDevice device;
  audio::MusicPlayer music;
  scenes::TitleScene* title = nullptr;
  scenes::SkyScene* sky = nullptr;
  scenes::OpeningScene* opening = nullptr;
  DemoClock clock;
};

TEST_F(LoopRestart, SecondRunStartsAsTheFirstDid) {
  crt::CrtRandReset();
  DemoClock::StartAt(0.0f);
  const uint32_t startState = crt::CrtRandState();
  // The first run joins the soundtrack beyond its end, as a late --start does: its stream
  // is heard no more once it has started.
  ZelSound_SetStartPosition(kPastTheMusic);
  RunFrames first = Run();
  ASSERT_TRUE(first.checkedMusic);
  EXPECT_FALSE(first.musicPlaying);
  ASSERT_GT(first.frames, 700);  // 179 s at 0.25 s a frame
  EXPECT_GT(clock.Seconds(), show::kShowEnd);
  EXPECT_NE(crt::CrtRandState(), startState);  // the flashes drew from the sequence

  RestartShow(clock, false, &music, MusicSource{kMusicFile, kStreamMode});
  EXPECT_EQ(clock.Seconds(), 0.0f);
  EXPECT_EQ(crt::CrtRandState(), startState);

  RunFrames second = Run();
  EXPECT_EQ(second.frames, first.frames);
  ASSERT_FALSE(first.first.empty());
  EXPECT_TRUE(second.first == first.first) << "the first frame of the second run differs";
  ASSERT_FALSE(first.flash.empty());
  EXPECT_TRUE(second.flash == first.flash) << "a word-flash frame of the second run differs";
  // The second run's play requests started a stream reopened at the music's start.
  EXPECT_TRUE(second.musicPlaying) << "the second run's music is not playing";
}

}  // namespace

}  // namespace zel::app
