// Which frames a capture takes and at which demo times. Frame k of a capture at N frames
// per second is the frame the live clock shows after round(k * 1000 / N) one-millisecond
// ticks; the clock's own float additions give its demo time, so a captured frame is
// exactly a frame the real-time show can draw.
#pragma once

#include <cstdint>

#include "app/demo_clock.h"

namespace capture {

// round(k * 1000 / fps) in whole ticks, halves rounded up; fps >= 1.
uint64_t FrameTicks(uint64_t k, int fps);

// The frame indices k with k / fps in [from, to] (seconds), computed on k / fps itself
// rather than on float times so that --from 5.9 --fps 10 starts with frame 59.
struct FrameRange {
  uint64_t first = 0;
  uint64_t last = 0;  // inclusive
  bool empty = true;
  uint64_t Count() const { return empty ? 0 : last - first + 1; }
};
FrameRange FramesBetween(double from, double to, int fps);

// Walks demo time forwards from 0 along the tick sequence with DemoClock's own additions:
// TimeOf(k) for rising k costs only the ticks between frames. Uses the class-wide clock,
// so no other DemoClock may run at the same time.
class FrameClock {
 public:
  explicit FrameClock(int fps);
  float TimeOf(uint64_t k);  // demo time of frame k, seconds; k must not go down

 private:
  DemoClock clock_;  // starts at demo time 0
  int fps_;
  uint64_t ticks_ = 0;  // ticks applied so far
};

}  // namespace capture
