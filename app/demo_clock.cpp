#include "app/demo_clock.h"

namespace zel::app {

static_assert(DemoClock::kTick == 0.001f, "the tick is the float nearest one millisecond");

std::atomic<float> DemoClock::seconds{0.0f};

DemoClock::DemoClock() { seconds.store(0.0f, std::memory_order_relaxed); }

void DemoClock::Start(UINT period, UINT resolution) {
  timerId = timeSetEvent(period, resolution, OnTick, 0, TIME_PERIODIC);
}

void DemoClock::Stop() {
  if (timerId != 0) timeKillEvent(timerId);
  timerId = 0;
}

void CALLBACK DemoClock::OnTick(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
  // A read-modify-write on this thread only; the sum is rounded to float at every step.
  float next = seconds.load(std::memory_order_relaxed) + kTick;
  seconds.store(next, std::memory_order_relaxed);
}

void DemoClock::Advance(uint32_t ticks) {
  for (uint32_t i = 0; i < ticks; ++i) OnTick(0, 0, 0, 0, 0);
}

float DemoClock::AfterTicks(uint64_t ticks) {
  float sum = 0.0f;
  for (uint64_t i = 0; i < ticks; ++i) sum += kTick;
  return sum;
}

void DemoClock::StartAt(float target) {
  float sum = 0.0f;
  while (sum < target) {
    float next = sum + kTick;
    if (next == sum) break;  // far beyond the show the sum stops growing
    sum = next;
  }
  seconds.store(sum, std::memory_order_relaxed);
}

}  // namespace zel::app
