#include "app/capture_timing.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace capture {

uint64_t FrameTicks(uint64_t k, int fps) {
  const uint64_t n = static_cast<uint64_t>(fps);
  return (k * 2000 + n) / (2 * n);
}

FrameRange FramesBetween(double from, double to, int fps) {
  FrameRange range;
  if (fps < 1 || !(from <= to) || to < 0.0) return range;
  // A small allowance absorbs the decimal input: 5.9 * 10 is 58.99999... in binary.
  constexpr double kSlack = 1e-6;  // frames
  const double first = std::ceil(std::max(from, 0.0) * fps - kSlack);
  const double last = std::floor(to * fps + kSlack);
  if (last < first || last > static_cast<double>(std::numeric_limits<uint32_t>::max())) return range;
  range.first = static_cast<uint64_t>(first);
  range.last = static_cast<uint64_t>(last);
  range.empty = false;
  return range;
}

FrameClock::FrameClock(int fps) : fps_(fps) {}

float FrameClock::TimeOf(uint64_t k) {
  const uint64_t target = FrameTicks(k, fps_);
  if (target > ticks_) {
    DemoClock::Advance(static_cast<uint32_t>(target - ticks_));
    ticks_ = target;
  }
  return clock_.Seconds();
}

}  // namespace capture
