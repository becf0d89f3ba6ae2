#include <mmsystem.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/mmtimer/timer_schedule.h"

namespace {

using namespace std::chrono_literals;
using zel::mmtimer::Clock;
using zel::mmtimer::TimerSchedule;

TEST(TimerSchedule, LateWakeUpOwesEveryPassedDeadline) {
  Clock::time_point start{};
  TimerSchedule schedule(start, 1ms);
  EXPECT_EQ(schedule.TicksDueBy(start), 0u);
  EXPECT_EQ(schedule.TicksDueBy(start + 999us), 0u);
  EXPECT_EQ(schedule.TicksDueBy(start + 1ms), 1u);
  EXPECT_EQ(schedule.TicksDueBy(start + 37ms + 500us), 37u);  // a wake-up 36.5 ms late
  EXPECT_EQ(schedule.Deadline(5), start + 5ms);
  TimerSchedule slow(start, 10ms);
  EXPECT_EQ(slow.TicksDueBy(start + 95ms), 9u);
  EXPECT_EQ(slow.TicksDueBy(start - 1ms), 0u);
}

struct Counter {
  std::atomic<int> ticks{0};
  std::atomic<UINT> stallFirstMs{0};  // the first callback sleeps this long
};

void CALLBACK Count(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  auto* counter = reinterpret_cast<Counter*>(user);
  if (counter->ticks.fetch_add(1) == 0 && counter->stallFirstMs > 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(counter->stallFirstMs.load()));
}

bool WaitFor(const std::atomic<int>& value, int atLeast) {
  for (int i = 0; i < 2000 && value < atLeast; ++i) std::this_thread::sleep_for(5ms);
  return value >= atLeast;
}

TEST(MultimediaTimer, PeriodicCallbackRunsUntilKilledAndNeverAfter) {
  Counter counter;
  DWORD before = timeGetTime();
  UINT id = timeSetEvent(1, 0, Count, reinterpret_cast<DWORD_PTR>(&counter), TIME_PERIODIC);
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(WaitFor(counter.ticks, 20));
  EXPECT_EQ(timeKillEvent(id), static_cast<MMRESULT>(TIMERR_NOERROR));
  DWORD after = timeGetTime();
  int atKill = counter.ticks;
  // Never more ticks than milliseconds passed (plus one for rounding of timeGetTime).
  EXPECT_LE(atKill, static_cast<int>(after - before) + 1);
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(counter.ticks, atKill);  // the thread was joined: nothing arrives later
  EXPECT_EQ(timeKillEvent(id), static_cast<MMRESULT>(MMSYSERR_INVALPARAM));
}

TEST(MultimediaTimer, StalledCallbackCatchesUpMissedTicks) {
  Counter counter;
  counter.stallFirstMs = 60;
  Clock::time_point start = Clock::now();
  UINT id = timeSetEvent(1, 0, Count, reinterpret_cast<DWORD_PTR>(&counter), TIME_PERIODIC);
  ASSERT_NE(id, 0u);
  // The first call blocks for 60 ms; the ticks that fell due meanwhile still all arrive.
  ASSERT_TRUE(WaitFor(counter.ticks, 61));
  timeKillEvent(id);
  auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
  EXPECT_LE(counter.ticks, elapsed.count() + 1);
}

TEST(MultimediaTimer, OneShotAndBadArguments) {
  Counter counter;
  UINT id = timeSetEvent(2, 0, Count, reinterpret_cast<DWORD_PTR>(&counter), TIME_ONESHOT);
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(WaitFor(counter.ticks, 1));
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(counter.ticks, 1);
  timeKillEvent(id);
  EXPECT_EQ(timeSetEvent(0, 0, Count, 0, TIME_PERIODIC), 0u);
  EXPECT_EQ(timeSetEvent(1, 0, nullptr, 0, TIME_PERIODIC), 0u);
}

UINT selfKillId = 0;
std::atomic<int> selfKillTicks{0};
void CALLBACK KillSelf(UINT id, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
  if (selfKillTicks.fetch_add(1) == 2) timeKillEvent(id);
}

TEST(MultimediaTimer, CallbackMayKillItsOwnTimer) {
  selfKillId = timeSetEvent(1, 0, KillSelf, 0, TIME_PERIODIC);
  ASSERT_NE(selfKillId, 0u);
  ASSERT_TRUE(WaitFor(selfKillTicks, 3));
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(selfKillTicks, 3);
}

}  // namespace

namespace {

void CALLBACK Spin(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  reinterpret_cast<std::atomic<int>*>(user)->fetch_add(1);
}

TEST(MultimediaTimerDeathTest, ProcessExitStopsTimersStillRunning) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto run = [] {
    static std::atomic<int> ticks{0};
    timeSetEvent(1, 0, Spin, reinterpret_cast<DWORD_PTR>(&ticks), TIME_PERIODIC);
    timeSetEvent(1, 0, Spin, reinterpret_cast<DWORD_PTR>(&ticks), TIME_PERIODIC);
    while (ticks < 10) std::this_thread::sleep_for(1ms);
    std::exit(7);  // the timers' threads are stopped and joined on the way out
  };
  EXPECT_EXIT(run(), ::testing::ExitedWithCode(7), "");
}

}  // namespace
