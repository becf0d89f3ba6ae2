// Which frames a capture takes and at which demo times. Frame k of a capture at N/D frames
// per second is the frame the live clock shows after round(k * 1000 * D / N) one-millisecond
// ticks, computed in integers so that nothing drifts over a whole show; the clock's own float
// additions give its demo time, so a captured frame is exactly a frame the real-time show
// can draw.
#pragma once

#include <cstdint>
#include <string>

#include "app/demo_clock.h"

namespace zel::app::capture {

// A frame rate of num/den frames per second: 30 is 30/1, NTSC video 30000/1001. Kept in
// lowest terms by ParseFrameRate.
struct FrameRate {
  constexpr FrameRate(uint32_t n = 30, uint32_t d = 1) : num(n), den(d) {}
  uint32_t num;  // frames
  uint32_t den;  // seconds
};

// Bounds of a rate: at most one frame per clock tick, and numerator and denominator small
// enough that every frame time of the show fits 64-bit arithmetic with room to spare.
constexpr uint32_t kMaxRateTerm = 1000000;
constexpr uint32_t kMaxFramesPerSecond = 1000;

// Reads "N" or "N/D" (decimal digits only) into *rate, reduced to lowest terms. False with
// the reason in *why for anything else: zero, a sign, a fraction point, terms over
// kMaxRateTerm, or a rate over kMaxFramesPerSecond.
bool ParseFrameRate(const std::string& text, FrameRate* rate, std::string* why);
// "30" or "30000/1001": the form ffmpeg's -framerate reads.
std::string FrameRateText(FrameRate rate);

// round(k * 1000 * den / num) in whole ticks, halves rounded up. Exact for every k below
// 2^32 with terms within kMaxRateTerm.
uint64_t FrameTicks(uint64_t k, FrameRate rate);
// round(k * rate * den / num): the sample frame at which frame k begins on a track of
// `sampleRate` Hz that starts at frame 0. Exact for every frame of the show.
int64_t FrameSample(uint64_t k, FrameRate rate, int sampleRate);

// The frame indices k with k * den / num in [from, to] (seconds), computed on that ratio
// itself rather than on float times so that --from 5.9 --fps 10 starts with frame 59.
struct FrameRange {
  uint64_t first = 0;
  uint64_t last = 0;  // inclusive
  bool empty = true;
  uint64_t Count() const { return empty ? 0 : last - first + 1; }
};
FrameRange FramesBetween(double from, double to, FrameRate rate);

// Walks demo time forwards from 0 along the tick sequence with DemoClock's own additions:
// TimeOf(k) for rising k costs only the ticks between frames. Uses the class-wide clock,
// so no other DemoClock may run at the same time.
class FrameClock {
 public:
  explicit FrameClock(FrameRate rate);
  float TimeOf(uint64_t k);  // demo time of frame k, seconds; k must not go down

 private:
  DemoClock clock_;  // starts at demo time 0
  FrameRate rate_;
  uint64_t ticks_ = 0;  // ticks applied so far
};

// The first tick after which the live clock reads `seconds` or more: the tick on which a
// frame drawn as soon as possible first sees that time (6,001 for 6.0).
uint64_t FirstTickReaching(float seconds);
// The first tick after which the live clock reads more than `seconds` (178,701 for 179.0,
// the tick on which the show ends).
uint64_t FirstTickPast(float seconds);

}  // namespace zel::app::capture
