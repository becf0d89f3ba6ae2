// MusicPlayer: its message boxes, the channel check and its exit, and a run that stays silent
// when the soundtrack is missing or is not an MP3.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "audio/music_player.h"
#include "tests/platform/sound/mp3_maker.h"

namespace zel::audio {

namespace {

struct Box {
  std::string text, caption;
  UINT type;
  bool owned;
};
std::vector<Box> boxes;

}  // namespace

}  // namespace zel::audio

// Stands in for the window layer's message box: records the box and prints it the way batch
// mode does, so a death test can see it.
int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  zel::audio::boxes.push_back({lpText, lpCaption, uType, hWnd != nullptr});
  std::fprintf(stderr, "%s: %s\n", lpCaption, lpText);
  return IDOK;
}

namespace zel::audio {

namespace {

using namespace zel::sound::test;

class MusicPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    boxes.clear();
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", TempPath("player.raw").c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "1", 1);
  }
  void TearDown() override { FSOUND_Close(); }
};

TEST_F(MusicPlayerTest, SoundtrackThatCannotBeLoadedWarnsOnceAndTheShowRunsSilent) {
  const std::string notMp3 = TempPath("sm.txt");
  WriteBytes(notMp3, "plain text, no MPEG audio frames in here\n");
  for (const std::string& path : {TempPath("no-such-file.mp3"), notMp3}) {
    boxes.clear();
    MusicPlayer player;
    EXPECT_EQ(player.Init(44100, 32, 0), S_OK);
    EXPECT_EQ(player.Open(path.c_str(), FSOUND_LOOP_OFF, 0), E_FAIL);
    ASSERT_EQ(boxes.size(), 1u) << path;
    EXPECT_EQ(boxes[0].text, "Could not load stream file.");
    EXPECT_EQ(boxes[0].caption, "FILE_ERROR");
    EXPECT_EQ(boxes[0].type, UINT(MB_OK | MB_ICONWARNING));
    EXPECT_FALSE(boxes[0].owned);
    EXPECT_EQ(player.Stream(), nullptr);
    for (int frame = 0; frame < 3; ++frame) EXPECT_EQ(player.Play(0), -1);  // refused, quietly
    EXPECT_FALSE(FSOUND_IsPlaying(0));
    player.Close();
    EXPECT_EQ(boxes.size(), 1u);
  }
}

TEST_F(MusicPlayerTest, InitKeepsTheChannelCountWhenThereIsNoAudio) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  const std::string mp3 = TempPath("tone.mp3");
  ASSERT_TRUE(WriteMp3(mp3, 44100, 2, Sine(44100, 2, 440.0, 0.3, 0.3)));
  MusicPlayer player;
  EXPECT_EQ(player.Init(44100, 32, 0), E_FAIL);
  EXPECT_EQ(player.MaxChannels(), 32);
  EXPECT_EQ(player.Open(mp3.c_str(), FSOUND_LOOP_OFF, 0), S_OK);
  EXPECT_EQ(player.Play(0), -1);
  EXPECT_EQ(player.Play(31), -1);
  player.Close();
  EXPECT_TRUE(boxes.empty()) << "no audio is not reported";
}

TEST_F(MusicPlayerTest, EveryFramesRequestLeavesThePlayingSoundtrackAlone) {
  // One 23 ms device buffer per 100 ms: the 5 s tone lasts over 20 s of wall time, and a
  // starved machine only slows its consumption further, so it outlasts the 50 frames.
  setenv("SDL_DISKAUDIODELAY", "100", 1);
  const std::string mp3 = TempPath("tone2.mp3");
  ASSERT_TRUE(WriteMp3(mp3, 44100, 2, Sine(44100, 2, 440.0, 5.0, 0.3)));
  MusicPlayer player;
  ASSERT_EQ(player.Init(44100, 32, 0), S_OK);
  ASSERT_EQ(player.Open(mp3.c_str(), FSOUND_LOOP_OFF, 0), S_OK);
  EXPECT_TRUE(boxes.empty());
  for (int frame = 0; frame < 50; ++frame) {
    ASSERT_EQ(player.Play(0), 0);
    ASSERT_TRUE(FSOUND_IsPlaying(0)) << frame;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  player.Close();
  EXPECT_FALSE(FSOUND_IsPlaying(0));
}

TEST_F(MusicPlayerTest, ChannelAtOrAboveTheCountEndsTheProcessWithCodeZero) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto tooMany = [](int count, int channel) {
    MusicPlayer player;
    player.Init(44100, count, 0);
    player.Play(channel);
    std::fprintf(stderr, "still running\n");
    std::exit(3);
  };
  const char* expected =
      "MUSIC_ERROR: While trying to play, max number of channels was exceeded\\. Quitting\\.";
  EXPECT_EXIT(tooMany(32, 32), ::testing::ExitedWithCode(0), expected);
  EXPECT_EXIT(tooMany(4, 100), ::testing::ExitedWithCode(0), expected);
  EXPECT_EXIT(tooMany(0, 0), ::testing::ExitedWithCode(0), expected) << "no Init: no channels";
}

}  // namespace

}  // namespace zel::audio
