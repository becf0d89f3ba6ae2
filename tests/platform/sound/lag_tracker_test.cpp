// The lag tracker against request timelines made up here: a device asking for 1,024-frame
// buffers at 44.1 kHz, each request delayed by scheduling, and now and then a gap in which
// the output ran dry and every later request came that much later.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/sound/lag_tracker.h"

namespace zel::sound {

namespace {

using zel::sound::LagTracker;

constexpr int kRate = 44100;
constexpr uint64_t kBuffer = 1024;                       // frames per request
constexpr double kPeriod = double(kBuffer) / kRate;      // seconds between requests

// Scheduling delays (seconds) that repeat every seven requests; each window of eight holds
// one that is not delayed at all.
double Jitter(int request) {
  static const double delays[] = {0.0, 0.004, 0.001, 0.009, 0.002, 0.012, 0.003};
  return delays[request % 7];
}

struct Outcome {
  uint64_t skipped = 0;   // frames
  double netBehind = 0;   // seconds: gaps less skips at the end
};

// `requests` requests; gaps[i] seconds of silence start before request i (0: none).
Outcome Play(int requests, const std::vector<double>& gaps) {
  LagTracker tracker(kRate);
  uint64_t delivered = 0;
  double lost = 0.0;  // seconds of silence so far
  Outcome run;
  for (int i = 0; i < requests; ++i) {
    if (i < static_cast<int>(gaps.size())) lost += gaps[i];
    const double now = 100.0 + i * kPeriod + lost + Jitter(i);
    const uint64_t skip = tracker.FramesToSkip(now, delivered);
    run.skipped += skip;
    delivered += skip + kBuffer;
  }
  run.netBehind = lost - double(run.skipped) / kRate;
  return run;
}

std::vector<double> GapsAt(std::vector<std::pair<int, double>> at, int requests) {
  std::vector<double> gaps(requests, 0.0);
  for (auto [request, seconds] : at) gaps[request] = seconds;
  return gaps;
}

TEST(LagTracker, RequestsLateByTheSchedulerAloneSkipNothing) {
  EXPECT_EQ(Play(5000, {}).skipped, 0u);
  // One request very late, with the output not run dry: the next ones are on time again.
  std::vector<double> gaps = GapsAt({{300, 0.040}, {301, -0.040}}, 1000);
  EXPECT_EQ(Play(1000, gaps).skipped, 0u);
}

TEST(LagTracker, AGapIsSkippedOnceAndWhole) {
  const Outcome run = Play(1000, GapsAt({{200, 0.040}}, 1000));
  EXPECT_NEAR(double(run.skipped) / kRate, 0.040, 0.0005);
  EXPECT_NEAR(run.netBehind, 0.0, 0.0005);
}

TEST(LagTracker, GapsInTheFirstRequestsDoNotSetTheReference) {
  // The output runs dry during the requests that set what "in step" looks like.
  const Outcome run = Play(1000, GapsAt({{3, 0.030}, {400, 0.020}}, 1000));
  EXPECT_NEAR(run.netBehind, 0.0, 0.0005);
}

TEST(LagTracker, ManySmallGapsNeverAddUpBeyondTheTolerance) {
  std::vector<double> gaps(6000, 0.0);
  for (int i = 50; i < 6000; i += 37) gaps[i] = 0.002;  // 2 ms each: below the tolerance
  LagTracker tracker(kRate);
  uint64_t delivered = 0;
  double lost = 0.0, skipped = 0.0, worst = 0.0;
  for (int i = 0; i < 6000; ++i) {
    lost += gaps[i];
    const uint64_t skip = tracker.FramesToSkip(100.0 + i * kPeriod + lost + Jitter(i), delivered);
    skipped += double(skip) / kRate;
    delivered += skip + kBuffer;
    worst = std::max(worst, lost - skipped);
    EXPECT_GE(lost - skipped, -0.0005) << "never ahead of real time, at request " << i;
  }
  EXPECT_GT(skipped, 0.3) << "the 0.32 s lost in all were caught up";
  // Behind by at most the tolerance, a gap found late and one gap more.
  EXPECT_LT(worst, LagTracker::kTolerance + 0.002 + 0.0005);
}

}  // namespace

}  // namespace zel::sound
