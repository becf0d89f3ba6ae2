#include "app/capture_timing.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace zel::app::capture {
namespace {

// Digits only: false for anything else. More digits than kMaxRateTerm has read as a value
// above it, without overflow.
bool ParseTerm(const std::string& text, uint32_t* value) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  const size_t start = std::min(text.find_first_not_of('0'), text.size());
  if (text.size() - start > 7) {
    *value = kMaxRateTerm + 1;
    return true;
  }
  uint32_t v = 0;
  for (size_t i = start; i < text.size(); ++i) v = v * 10 + static_cast<uint32_t>(text[i] - '0');
  *value = v;
  return true;
}

// round(k * scale * den / num), halves up, exact while 2 * k * scale * den fits 64 bits: for
// ticks (scale 1000) every k below 2^32 with den <= kMaxRateTerm; for samples every frame of
// the show (k * den <= 181 * num + den, a few 1e8 at most).
uint64_t RoundedRatio(uint64_t k, uint64_t scale, FrameRate rate) {
  const uint64_t n = rate.num;
  return (2 * k * scale * rate.den + n) / (2 * n);
}

}  // namespace

bool ParseFrameRate(const std::string& text, FrameRate* rate, std::string* why) {
  const size_t slash = text.find('/');
  uint32_t num = 0, den = 1;
  const bool ok = slash == std::string::npos
                      ? ParseTerm(text, &num)
                      : ParseTerm(text.substr(0, slash), &num) && ParseTerm(text.substr(slash + 1), &den);
  if (!ok) {
    *why = "a rate is N or N/D with whole numbers (30, 60000/1001)";
    return false;
  }
  if (num == 0 || den == 0) {
    *why = "a rate needs a numerator and a denominator above 0";
    return false;
  }
  if (num > kMaxRateTerm || den > kMaxRateTerm) {
    *why = "a rate's terms are at most " + std::to_string(kMaxRateTerm);
    return false;
  }
  if (static_cast<uint64_t>(num) > static_cast<uint64_t>(kMaxFramesPerSecond) * den) {
    *why = "at most " + std::to_string(kMaxFramesPerSecond) + " frames per second (one per clock tick)";
    return false;
  }
  const uint32_t common = std::gcd(num, den);
  *rate = FrameRate(num / common, den / common);
  return true;
}

std::string FrameRateText(FrameRate rate) {
  std::string text = std::to_string(rate.num);
  if (rate.den != 1) text.append("/").append(std::to_string(rate.den));
  return text;
}

uint64_t FrameTicks(uint64_t k, FrameRate rate) { return RoundedRatio(k, 1000, rate); }

int64_t FrameSample(uint64_t k, FrameRate rate, int sampleRate) {
  return static_cast<int64_t>(RoundedRatio(k, static_cast<uint64_t>(sampleRate), rate));
}

FrameRange FramesBetween(double from, double to, FrameRate rate) {
  FrameRange range;
  if (rate.num == 0 || rate.den == 0 || !(from <= to) || to < 0.0) return range;
  const double perSecond = static_cast<double>(rate.num) / rate.den;
  // A small allowance absorbs the decimal input: 5.9 * 10 is 58.99999... in binary.
  constexpr double kSlack = 1e-6;  // frames
  const double first = std::ceil(std::max(from, 0.0) * perSecond - kSlack);
  const double last = std::floor(to * perSecond + kSlack);
  if (last < first || last > static_cast<double>(std::numeric_limits<uint32_t>::max())) return range;
  range.first = static_cast<uint64_t>(first);
  range.last = static_cast<uint64_t>(last);
  range.empty = false;
  return range;
}

FrameClock::FrameClock(FrameRate rate) : rate_(rate) {}

float FrameClock::TimeOf(uint64_t k) {
  const uint64_t target = FrameTicks(k, rate_);
  if (target > ticks_) {
    DemoClock::Advance(static_cast<uint32_t>(target - ticks_));
    ticks_ = target;
  }
  return clock_.Seconds();
}

uint64_t FirstTickReaching(float seconds) {
  float sum = 0.0f;
  uint64_t ticks = 0;
  while (sum < seconds) {
    const float next = sum + DemoClock::kTick;
    if (next == sum) break;  // far beyond the show the sum stops growing
    sum = next;
    ++ticks;
  }
  return ticks;
}

uint64_t FirstTickPast(float seconds) {
  return FirstTickReaching(std::nextafter(seconds, std::numeric_limits<float>::infinity()));
}

}  // namespace zel::app::capture
