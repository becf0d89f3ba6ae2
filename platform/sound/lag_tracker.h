// How far a playing stream has fallen behind real time, judged from when its device asks
// for samples. A device asks for each buffer as the previous one is used up, so a stream that
// keeps step delivers, on the least delayed requests, as many frames as time has passed;
// when the output ran dry (the sound server played silence while the request was late), every
// later request comes that much later for the frames delivered, and the stream should skip
// that much to be back in step. Single requests are late by scheduling alone, so both "in
// step" and "behind" are read from the least delayed of several requests in a row.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zel::sound {

class LagTracker {
 public:
  explicit LagTracker(int rate) : rate_(rate) {}

  // The device asks for samples at `now` (steady-clock seconds); the stream has delivered
  // `delivered` frames (played or skipped) since its first request. Returns the frames to
  // skip now, which the caller adds to what it counts as delivered.
  uint64_t FramesToSkip(double now, uint64_t delivered);

  // Requests judged together (about 0.2 s of 1,024-frame buffers), and how far behind a
  // stream may fall before it skips (seconds).
  static constexpr size_t kWindow = 8;
  static constexpr double kTolerance = 0.005;

 private:
  int rate_;                     // frames per second
  double first_ = -1.0;          // time of the first request; negative: none yet
  uint64_t requests_ = 0;        // since the first, or since the last skip
  double inStep_ = 0.0;          // frames behind on the least delayed early request
  bool inStepKnown_ = false;
  std::array<double, kWindow> recent_{};  // frames behind on the latest requests
};

}  // namespace zel::sound
