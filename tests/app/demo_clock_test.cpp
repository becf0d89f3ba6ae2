#include "app/demo_clock.h"

#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <thread>

namespace zel::app {

namespace {

// The first tick count at which the running float sum satisfies `reached`.
template <class Pred>
uint32_t FirstTick(Pred reached) {
  float sum = 0.0f;
  for (uint32_t tick = 1; tick < 400000; ++tick) {
    sum += DemoClock::kTick;
    if (reached(sum)) return tick;
  }
  return 0;
}

TEST(DemoClock, TickIsTheFloatNearestOneMillisecond) {
  EXPECT_EQ(std::bit_cast<uint32_t>(DemoClock::kTick), 0x3A83126Fu);
}

TEST(DemoClock, RunningSumDriftsFromTheTickCount) {
  EXPECT_EQ(FirstTick([](float s) { return s >= 6.0f; }), 6001u);
  EXPECT_EQ(FirstTick([](float s) { return s >= 13.0f; }), 12999u);
  EXPECT_EQ(FirstTick([](float s) { return s >= std::bit_cast<float>(0x419F70A4u); }), 19930u);
  EXPECT_EQ(FirstTick([](float s) { return s > 179.0f; }), 178701u);
  EXPECT_NEAR(DemoClock::AfterTicks(6001), 6.0007477f, 1e-6f);
  EXPECT_NEAR(DemoClock::AfterTicks(178701), 179.00084f, 1e-4f);
}

TEST(DemoClock, OnTickAndFixedStepMakeTheSameAdditions) {
  DemoClock clock;
  EXPECT_EQ(clock.Seconds(), 0.0f);
  for (int i = 0; i < 1234; ++i) DemoClock::OnTick(0, 0, 0, 0, 0);
  EXPECT_EQ(clock.Seconds(), DemoClock::AfterTicks(1234));
  DemoClock::Advance(4766);
  EXPECT_EQ(clock.Seconds(), DemoClock::AfterTicks(6000));
  EXPECT_LT(clock.Seconds(), 6.0f);
}

TEST(DemoClock, StartAtIsTheFirstTickValueNotBelowTheTarget) {
  DemoClock clock;
  DemoClock::StartAt(6.0f);
  EXPECT_EQ(clock.Seconds(), DemoClock::AfterTicks(6001));
  DemoClock::StartAt(0.0f);
  EXPECT_EQ(clock.Seconds(), 0.0f);
  DemoClock::StartAt(1.0e6f);  // beyond where the sum stops growing: ends, does not hang
  EXPECT_GT(clock.Seconds(), 32000.0f);
}

TEST(DemoClock, LiveTimerAdvancesAndStopsWhenAsked) {
  DemoClock clock;
  clock.Start(1, 0);
  for (int i = 0; i < 1000 && clock.Seconds() < 0.02f; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  clock.Stop();
  float stopped = clock.Seconds();
  EXPECT_GE(stopped, 0.02f);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(clock.Seconds(), stopped);
}

}  // namespace

}  // namespace zel::app
