#include <mmsystem.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "platform/mmtimer/timer_schedule.h"

namespace zel::mmtimer {

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
};

void CALLBACK Count(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  reinterpret_cast<Counter*>(user)->ticks.fetch_add(1);
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

// The first callback blocks until the test has let 100 periods pass. The ticks that fell due
// meanwhile are then delivered back to back: soon after the stall the callback count is back
// level with the periods elapsed. A timer that delivered one tick per period from where it
// was would stay about 100 ticks behind for good.
struct StallRecord {
  static constexpr int kMaxTicks = 4096;
  std::atomic<bool> released{false};
  std::atomic<int> ticks{0};
  Clock::time_point at[kMaxTicks];  // when each callback ran
};

void CALLBACK Record(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  auto* record = reinterpret_cast<StallRecord*>(user);
  int n = record->ticks.load();
  if (n < StallRecord::kMaxTicks) record->at[n] = Clock::now();
  if (n == 0)
    while (!record->released) std::this_thread::sleep_for(1ms);
  record->ticks.store(n + 1);
}

TEST(MultimediaTimer, StalledCallbackCatchesUpMissedTicks) {
  auto record = std::make_unique<StallRecord>();
  const Clock::time_point start = Clock::now();  // no later than the timer's own start
  UINT id = timeSetEvent(1, 0, Record, reinterpret_cast<DWORD_PTR>(record.get()), TIME_PERIODIC);
  ASSERT_NE(id, 0u);
  std::this_thread::sleep_until(start + 100ms);
  record->released = true;
  bool enough = WaitFor(record->ticks, 300);
  timeKillEvent(id);
  ASSERT_TRUE(enough);
  // Behind: periods elapsed by a callback's start, less the ticks delivered before it. The
  // least of it after the stall is near 0 when missed ticks are caught up.
  int leastBehind = 1 << 30;
  for (int n = 1; n < std::min<int>(record->ticks, StallRecord::kMaxTicks); ++n) {
    auto periods = std::chrono::duration_cast<std::chrono::milliseconds>(record->at[n] - start).count();
    leastBehind = std::min(leastBehind, static_cast<int>(periods) - n);
  }
  EXPECT_LT(leastBehind, 50) << "the ticks missed during the stall were never delivered";
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

}  // namespace zel::mmtimer
