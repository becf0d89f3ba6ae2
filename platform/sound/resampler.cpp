#include "platform/sound/resampler.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zel::sound {
namespace {

constexpr int kHalfTaps = 16;           // input frames on each side of the output position
constexpr int kTableSteps = 256;        // kernel table entries per input frame
constexpr float kPassFraction = 0.95f;  // cutoff, as a fraction of the lower Nyquist frequency

// sinc(x) at `cutoff` times a Blackman window over [-kHalfTaps, kHalfTaps], for x >= 0 in
// steps of 1 / kTableSteps (one entry more for the interpolation at the far end).
std::vector<float> WindowedSinc(float cutoff) {
  std::vector<float> table(kHalfTaps * kTableSteps + 2);
  for (size_t i = 0; i < table.size(); ++i) {
    const double x = double(i) / kTableSteps;
    const double cx = std::numbers::pi * cutoff * x;
    const double sinc = x == 0.0 ? 1.0 : std::sin(cx) / cx;
    const double w = x >= kHalfTaps ? 0.0
                                    : 0.42 + 0.5 * std::cos(std::numbers::pi * x / kHalfTaps) +
                                          0.08 * std::cos(2.0 * std::numbers::pi * x / kHalfTaps);
    table[i] = static_cast<float>(cutoff * sinc * w);
  }
  return table;
}

int16_t ToSample(float v) {
  return static_cast<int16_t>(std::clamp(std::lround(v), -32768L, 32767L));
}

}  // namespace

void Resampler::Reset(int inputRate, int outputRate) {
  inputRate_ = inputRate;
  outputRate_ = outputRate;
  cutoff_ = inputRate > outputRate ? kPassFraction * float(outputRate) / float(inputRate) : 1.0f;
  if (inputRate != outputRate) cutoff_ = std::min(cutoff_, kPassFraction);
  if (inputRate != outputRate) kernel_ = WindowedSinc(cutoff_);
  // Silence before the first input frame keeps the first outputs' left taps in range.
  input_.assign(kHalfTaps * 2, 0.0f);
  position_ = kHalfTaps;
  inputEnd_ = kHalfTaps;
  phase_ = 0;
  finished_ = false;
}

void Resampler::Put(const int16_t* stereo, size_t frames) {
  input_.insert(input_.end(), stereo, stereo + frames * 2);
  inputEnd_ += frames;
}

bool Resampler::Ready() const {
  if (position_ >= inputEnd_) return false;  // past the last input frame: all is out
  if (inputRate_ == outputRate_) return true;
  return finished_ || position_ + kHalfTaps < inputEnd_;
}

void Resampler::OneFrame(int16_t* out) {
  if (inputRate_ == outputRate_) {
    out[0] = ToSample(input_[position_ * 2]);
    out[1] = ToSample(input_[position_ * 2 + 1]);
    ++position_;
    return;
  }
  const std::vector<float>& table = kernel_;
  const float frac = float(phase_) / float(outputRate_);
  float left = 0.0f, right = 0.0f;
  for (int k = 1 - kHalfTaps; k <= kHalfTaps; ++k) {
    const size_t at = position_ + k;
    if (at >= inputEnd_) break;  // silence after the end
    const float t = std::fabs(float(k) - frac) * kTableSteps;
    const size_t i = static_cast<size_t>(t);
    const float h = table[i] + (table[i + 1] - table[i]) * (t - float(i));
    left += h * input_[at * 2];
    right += h * input_[at * 2 + 1];
  }
  out[0] = ToSample(left);
  out[1] = ToSample(right);
  phase_ += inputRate_;  // exact stepping: no drift over a long file
  position_ += static_cast<size_t>(phase_ / outputRate_);
  phase_ %= outputRate_;
}

void Resampler::DropUsedInput() {
  if (position_ < 2 * kHalfTaps + 4096) return;  // drop in batches, keep the left taps
  const size_t drop = position_ - kHalfTaps;
  input_.erase(input_.begin(), input_.begin() + drop * 2);
  position_ -= drop;
  inputEnd_ -= drop;
}

size_t Resampler::Get(int16_t* stereo, size_t frames) {
  size_t done = 0;
  while (done < frames && Ready()) OneFrame(stereo + 2 * done++);
  DropUsedInput();
  return done;
}

}  // namespace zel::sound
