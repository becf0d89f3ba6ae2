#include "app/show_schedule.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace zel::app {

namespace {

using show::FrameResult;
using show::LoopEnd;

// Every call of one frame, in order, as "name(t)" / "name".
struct Log {
  std::vector<std::string> calls;
  int plays = 0;
};

struct RecordingDevice {
  Log* log;
  bool BeginFrame() {
    log->calls.push_back("begin");
    return true;
  }
  void EndFrame() { log->calls.push_back("end"); }
};

struct RecordingMusic {
  Log* log;
  int Play(int channel) {
    EXPECT_EQ(channel, 0);
    ++log->plays;
    return 0;
  }
};

// A scene keeping the contract: draws only when start <= t <= end.
struct RecordingScene {
  Log* log;
  std::string name;
  void Draw(float t, float start, float end) {
    if (t < start || t > end) return;
    log->calls.push_back(name);
  }
};

struct Show {
  Log log;
  RecordingDevice device{&log};
  RecordingMusic music{&log};
  RecordingScene title{&log, "title"}, sky{&log, "sky"}, opening{&log, "opening"};
  BYTE keys[256] = {};

  FrameResult Frame(float t) {
    return show::ShowFrame(t, keys, device, music, &title, &sky, &opening);
  }
  std::vector<std::string> Drawn(float t) {
    log.calls.clear();
    Frame(t);
    return log.calls;
  }
};

using Calls = std::vector<std::string>;

TEST(ShowSchedule, BoundaryFramesDrawBothScenesInScheduleOrder) {
  Show s;
  EXPECT_EQ(s.Drawn(0.0f), (Calls{"begin", "opening", "end"}));
  EXPECT_EQ(s.Drawn(6.0f), (Calls{"begin", "opening", "sky", "end"}));
  EXPECT_EQ(s.Drawn(13.0f), (Calls{"begin", "sky", "title", "end"}));
  EXPECT_EQ(s.Drawn(19.93f), (Calls{"begin", "title", "sky", "end"}));
  EXPECT_EQ(s.Drawn(15.0f), (Calls{"begin", "title", "end"}));
  EXPECT_EQ(s.Drawn(179.0f), (Calls{"begin", "sky", "end"}));  // still drawn
  // Between the two sky windows only the title draws; just past 19.93 only the sky.
  EXPECT_EQ(s.Drawn(std::nextafter(show::kTitleEnd, 100.0f)), (Calls{"begin", "sky", "end"}));
}

TEST(ShowSchedule, TimePastTheEndDrawsNothing) {
  Show s;
  EXPECT_EQ(s.Frame(179.00084f), FrameResult::TimeUp);
  EXPECT_TRUE(s.log.calls.empty());
  EXPECT_EQ(s.log.plays, 1);  // the request precedes the time test
}

TEST(ShowSchedule, EscapeHeldEndsBeforeAnythingIsDrawn) {
  Show s;
  s.keys[VK_ESCAPE] = 1;
  EXPECT_EQ(s.Frame(0.0f), FrameResult::Escape);
  EXPECT_TRUE(s.log.calls.empty());
  EXPECT_EQ(s.log.plays, 0);
  EXPECT_EQ(s.Frame(200.0f), FrameResult::Escape);  // Escape is tested before the time
  EXPECT_EQ(s.log.plays, 1);
}

TEST(ShowSchedule, PlayIsRequestedOnEveryFrameFromSixSeconds) {
  Show s;
  s.Frame(5.9996f);
  EXPECT_EQ(s.log.plays, 0);
  s.Frame(6.0f);
  s.Frame(6.0f);
  s.Frame(100.0f);
  EXPECT_EQ(s.log.plays, 3);
}

TEST(ShowSchedule, MissingScenesAreSkipped) {
  Show s;
  RecordingScene* none = nullptr;
  s.log.calls.clear();
  show::ShowFrame(6.0f, s.keys, s.device, s.music, none, none, none);
  EXPECT_EQ(s.log.calls, (Calls{"begin", "end"}));
}

TEST(MainLoop, QuitMessageEndsTheLoopBeforeAnotherFrame) {
  MSG msg{};
  int frames = 0;
  auto frame = [&](float) {
    if (++frames == 3) PostQuitMessage(0);  // as WM_CLOSE does
    return FrameResult::Drawn;
  };
  EXPECT_EQ(show::RunMainLoop(msg, [] { return 1.0f; }, frame), LoopEnd::Quit);
  EXPECT_EQ(frames, 3);
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
}

TEST(MainLoop, WaitingMessagesComeBeforeTheNextFrame) {
  MSG msg{};
  // Thread messages: handled (dispatched to no window) before any frame is made.
  PostMessageA(nullptr, WM_USER, 0, 0);
  PostMessageA(nullptr, WM_USER + 1, 0, 0);
  PostQuitMessage(0);
  int frames = 0;
  auto frame = [&](float) {
    ++frames;
    return FrameResult::Drawn;
  };
  EXPECT_EQ(show::RunMainLoop(msg, [] { return 0.0f; }, frame), LoopEnd::Quit);
  EXPECT_EQ(frames, 0);
}

TEST(MainLoop, EndsWhenTheClockPassesTheEndOfTheShow) {
  Show s;
  MSG msg{};
  const float times[] = {178.0f, 179.0f, 179.00084f, 180.0f};
  size_t next = 0;
  auto readTime = [&] { return times[next++]; };
  int drawn = 0;
  auto frame = [&](float now) {
    FrameResult r = s.Frame(now);
    drawn += r == FrameResult::Drawn;
    return r;
  };
  EXPECT_EQ(show::RunMainLoop(msg, readTime, frame), LoopEnd::TimeUp);
  EXPECT_EQ(drawn, 2);  // 179.0 itself is drawn
  EXPECT_EQ(next, 3u);
}

}  // namespace

}  // namespace zel::app
