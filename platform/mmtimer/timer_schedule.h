// The arithmetic of a periodic timer with absolute deadlines: tick k is due at
// start + k * period, so a late wake-up owes every tick whose deadline has passed and
// the ticks never drift against the steady clock.
#pragma once

#include <chrono>
#include <cstdint>

namespace zel::mmtimer {

using Clock = std::chrono::steady_clock;

class TimerSchedule {
 public:
  TimerSchedule(Clock::time_point start, std::chrono::milliseconds period)
      : start_(start), period_(period) {}

  // Ticks whose deadline has passed by `now` (tick 1 is due one period after the start).
  uint64_t TicksDueBy(Clock::time_point now) const {
    if (now < start_ || period_.count() <= 0) return 0;
    return static_cast<uint64_t>((now - start_) / period_);
  }

  // The deadline of tick `k`.
  Clock::time_point Deadline(uint64_t k) const {
    return start_ + period_ * static_cast<int64_t>(k);
  }

 private:
  Clock::time_point start_;
  std::chrono::milliseconds period_;
};

}  // namespace zel::mmtimer
