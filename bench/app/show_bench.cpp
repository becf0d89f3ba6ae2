// bench_show: the whole show rendered offline at 800x600 and 1024x768, one frame per 1/30 s
// of demo time (the capture's frame times), with per-scene figures: median and 99th
// percentile wall milliseconds per frame (drawing, presenting and waiting for the driver to
// finish), GL draw calls per frame, and milliseconds per frame of our own code (the frame's
// wall time less the time inside GL calls and the buffer swap). Also the load time of all
// assets and the process's peak resident memory. "CPU ms" is the CPU time of all the
// process's threads per frame (the software rasteriser's too): the frame's cost on an idle
// machine, where wall times are not.
//
//   bench_show [--every N] [--sizes WxH,WxH...]   (run in the build directory, beside Data/)
//
// --every N renders every Nth frame only (default 1), for quick runs on slow machines.
#include <sys/resource.h>
#include <unistd.h>
#include <zel_win32_ext.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/offline/capture_timing.h"
#include "app/offline/show_rig.h"
#include "app/show_schedule.h"
#include "bench/app/frame_sizes.h"
#include "bench/app/gl_time.h"
#include "render/render_device.h"

namespace zel::app {

namespace {

constexpr int kFps = 30;  // frames per second of demo time

using Size = bench::FrameSize;

struct Sample {
  double frameMs, ownMs, cpuMs;  // wall, our own code, CPU of all threads
  uint64_t draws, calls;
};

const char* const kSceneNames[] = {"opening (0-6 s)", "sky (6-13 s)", "title (13-19.93 s)",
                                   "sky (19.93-179 s)"};

// Which of the four scene windows the frame at demo time t belongs to.
int SceneOf(float t) {
  if (t < show::kOpeningEnd) return 0;
  if (t < show::kFirstSkyEnd) return 1;
  if (t < show::kTitleEnd) return 2;
  return 3;
}

// The device as the frame sees it, with the end of the frame (present: the driver's
// work) timed as driver time.
struct TimedDevice {
  render::RenderDevice& device;
  bool BeginFrame() { return device.BeginFrame(); }
  void EndFrame() {
    const double hookedBefore = bench::GlTimingTotals().seconds;
    const double start = bench::NowSeconds();
    device.EndFrame();
    bench::FinishGl();
    const double span = bench::NowSeconds() - start;
    // The hooked calls inside the span are counted already.
    const double hooked = bench::GlTimingTotals().seconds - hookedBefore;
    bench::AddGlSeconds(std::max(0.0, span - hooked));
  }
};

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const size_t i = static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(i, values.size() - 1)];
}

Sample RenderOne(offline::ShowRig& run, TimedDevice& device, float t) {
  const bench::GlTotals before = bench::GlTimingTotals();
  const double wall0 = bench::NowSeconds(), cpu0 = bench::ProcessCpuSeconds();
  run.DrawThrough(device, t);
  const double wall = bench::NowSeconds() - wall0;
  const double cpu = bench::ProcessCpuSeconds() - cpu0;
  const bench::GlTotals after = bench::GlTimingTotals();
  const double gl = after.seconds - before.seconds;
  return {wall * 1e3, std::max(0.0, wall - gl) * 1e3, cpu * 1e3, after.draws - before.draws,
          after.calls - before.calls};
}

void Report(const Size& size, double loadSeconds, const std::vector<std::vector<Sample>>& scenes) {
  std::printf("\n%dx%d: assets loaded in %.3f s\n", size.width, size.height, loadSeconds);
  std::printf("%-20s %7s %10s %10s %10s %10s %12s %12s %12s\n", "scene", "frames", "median ms",
              "p99 ms", "draws/fr", "GL calls/fr", "own ms (med)", "own ms (p99)", "CPU ms (med)");
  for (size_t s = 0; s < scenes.size(); ++s) {
    std::vector<double> frame, own, cpu;
    double draws = 0, calls = 0;
    for (const Sample& x : scenes[s]) {
      frame.push_back(x.frameMs);
      own.push_back(x.ownMs);
      cpu.push_back(x.cpuMs);
      draws += static_cast<double>(x.draws);
      calls += static_cast<double>(x.calls);
    }
    const double n = std::max<double>(1.0, static_cast<double>(scenes[s].size()));
    std::printf("%-20s %7zu %10.2f %10.2f %10.1f %10.1f %12.3f %12.3f %12.2f\n", kSceneNames[s],
                scenes[s].size(), Percentile(frame, 0.5), Percentile(frame, 0.99), draws / n,
                calls / n, Percentile(own, 0.5), Percentile(own, 0.99), Percentile(cpu, 0.5));
  }
}

bool RunSize(const Size& size, int every) {
  offline::ShowRig run;
  std::string error;
  ExitStatus status = ExitStatus::Success;
  if (!run.Open(size.width, size.height, offline::Presenting::Yes, &error, &status)) {
    std::fprintf(stderr, "bench_show: %s\n", error.c_str());
    return false;
  }
  bench::InstallGlTiming();
  TimedDevice device{run.Renderer()};
  std::vector<std::vector<Sample>> scenes(4);
  offline::FrameClock clock(kFps);
  const offline::FrameRange all = offline::FramesBetween(0.0, show::kShowEnd, kFps);
  for (uint64_t k = all.first; k <= all.last; k += static_cast<uint64_t>(every)) {
    const float t = clock.TimeOf(k);
    if (t > show::kShowEnd) break;
    scenes[SceneOf(t)].push_back(RenderOne(run, device, t));
  }
  Report(size, run.LoadSeconds(), scenes);
  return true;
}

}  // namespace

int Main(int argc, char** argv) {
  int every = 1;
  std::vector<Size> sizes = {{800, 600}, {1024, 768}};
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--every") == 0 && i + 1 < argc) {
      every = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--sizes") == 0 && i + 1 < argc) {
      if (!bench::ParseFrameSizes(argv[++i], &sizes)) every = 0;
    } else {
      every = 0;
    }
  }
  if (every < 1) {
    std::fprintf(stderr, "usage: bench_show [--every N] [--sizes WxH,WxH...]\n");
    return 2;
  }
  zel::win32::SetBatchMode(true);
  std::printf("bench_show: every %d frame(s) at %d fps of demo time\n", every, kFps);
  for (const Size& size : sizes)
    if (!RunSize(size, every)) return 1;
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("\npeak resident memory: %.1f MiB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
  return 0;
}

}  // namespace zel::app

int main(int argc, char **argv) { return zel::app::Main(argc, argv); }
