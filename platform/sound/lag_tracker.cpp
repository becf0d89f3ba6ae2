#include "platform/sound/lag_tracker.h"

#include <algorithm>

namespace zel::sound {

uint64_t LagTracker::FramesToSkip(double now, uint64_t delivered) {
  if (first_ < 0.0) first_ = now;
  // Frames of real time the stream has not delivered: the output's queue less any gap.
  const double behind = (now - first_) * rate_ - static_cast<double>(delivered);
  recent_[requests_ % kWindow] = behind;
  ++requests_;
  if (requests_ < kWindow) return 0;
  const double leastDelayed = *std::min_element(recent_.begin(), recent_.end());
  if (!inStepKnown_) {  // the first full window sets what "in step" looks like
    inStep_ = leastDelayed;
    inStepKnown_ = true;
    return 0;
  }
  const double gap = leastDelayed - inStep_;
  if (gap <= kTolerance * rate_) return 0;
  // The window starts again after the skip: its older entries predate it.
  requests_ = 0;
  return static_cast<uint64_t>(gap);
}

}  // namespace zel::sound
