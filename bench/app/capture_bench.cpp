// bench_capture: what capturing costs beyond rendering. For each size, in one process and in
// turns, the same stretch of the show is
//   render   drawn on the show rig and waited for (glFinish), nothing read back;
//   mp4      captured to an MP4 file (zel16 --capture's own code: read-back ring, ffmpeg pipe);
//   png      captured to a folder of PNG files (read-back ring, encoding workers);
// and each capture's throughput is given as a fraction of the render pass's before it
// (render seconds / capture seconds, for the same frames). CPU is that of every thread of
// the process, ffmpeg's included. The three passes run in turns, round after round, and
// the summary gives the median of the rounds' ratios and the ratio of the fastest passes
// (the least disturbed by other work). Load averages are printed with every round: on a
// shared machine, compare ratios, not times.
//
//   bench_capture [--sizes WxH,...] [--from S] [--to S] [--fps N] [--rounds N] [--out DIR]
//   bench_capture --png-table [--sizes WxH] [--out DIR]
//
// Run in the build directory (beside Data/). --png-table draws a few frames of every scene
// and encodes each at every zlib level with the Sub filter and with libpng's adaptive
// filters, on one thread: milliseconds per frame and bytes per frame.
#include <sys/resource.h>
#include <zel_win32_ext.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/offline/capture.h"
#include "app/offline/capture_timing.h"
#include "app/offline/show_rig.h"
#include "bench/app/frame_sizes.h"
#include "bench/app/gl_time.h"
#include "gfxutil/image_png.h"

namespace zel::app {
namespace {

namespace fs = std::filesystem;

using Size = bench::FrameSize;

struct Options {
  std::vector<Size> sizes = {{640, 480}, {800, 600}};
  double from = 0.0, to = 20.0;  // seconds of demo time
  unsigned fps = 10;
  int rounds = 5;
  bool pngTable = false;
  std::string out = fs::temp_directory_path().string();
};

std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

// A rig like the capture's (no Present) at the given size; false, with the reason on stderr,
// when it cannot be opened.
bool OpenRig(offline::ShowRig* rig, const Size& size) {
  std::string error;
  ExitStatus status = ExitStatus::Success;
  if (rig->Open(size.width, size.height, offline::Presenting::No, &error, &status)) return true;
  std::fprintf(stderr, "bench_capture: %s\n", error.c_str());
  return false;
}

// The render-only pass: every frame of the range drawn on a rig like the capture's and
// waited for.
bool RenderOnly(const Options& options, const Size& size, offline::CaptureTimes* times) {
  offline::ShowRig rig;
  if (!OpenRig(&rig, size)) return false;
  const offline::FrameRate rate(options.fps, 1);
  const offline::FrameRange range = offline::FramesBetween(options.from, options.to, rate);
  offline::FrameClock clock(rate);
  const double wall = bench::NowSeconds(), cpu = bench::ProcessCpuSeconds();
  for (uint64_t k = range.first; k <= range.last; ++k) {
    rig.Draw(clock.TimeOf(k));
    bench::FinishGl();
  }
  *times = {range.Count(), bench::NowSeconds() - wall, bench::ProcessCpuSeconds() - cpu};
  return true;
}

// One capture through zel16's own code into `out` (removed afterwards).
bool Capture(const Options& options, const Size& size, const std::string& out, offline::CaptureTimes* times) {
  CommandLine line;
  line.captureOut = out;
  line.captureFpsNum = options.fps;
  line.captureFpsDen = 1;
  line.captureFrom = options.from;
  line.captureTo = options.to;
  line.frameWidth = size.width;
  line.frameHeight = size.height;
  rusage before{}, after{};
  getrusage(RUSAGE_CHILDREN, &before);
  const int status = offline::RunCapture(line, times);
  getrusage(RUSAGE_CHILDREN, &after);
  // ffmpeg's CPU time, counted once it has been waited for: the whole encode of the video.
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6; };
  times->cpuSeconds += seconds(after.ru_utime) + seconds(after.ru_stime) - seconds(before.ru_utime) - seconds(before.ru_stime);
  std::error_code ignored;
  fs::remove_all(out, ignored);
  return status == 0;
}

double MsPerFrame(double seconds, uint64_t frames) {
  return seconds / std::max<double>(1.0, static_cast<double>(frames)) * 1e3;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const size_t half = values.size() / 2;
  return values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2;
}

struct Passes {
  std::vector<offline::CaptureTimes> render, mp4, png;
};

void Summarise(const Size& size, const Passes& passes) {
  std::vector<double> mp4Ratios, pngRatios;
  double fastestRender = 1e300, fastestMp4 = 1e300, fastestPng = 1e300;
  for (size_t i = 0; i < passes.render.size(); ++i) {
    mp4Ratios.push_back(passes.render[i].seconds / passes.mp4[i].seconds);
    pngRatios.push_back(passes.render[i].seconds / passes.png[i].seconds);
    fastestRender = std::min(fastestRender, passes.render[i].seconds);
    fastestMp4 = std::min(fastestMp4, passes.mp4[i].seconds);
    fastestPng = std::min(fastestPng, passes.png[i].seconds);
  }
  std::printf("%dx%d capture throughput / render-only throughput: median of rounds mp4 %.3f png %.3f; "
              "fastest passes mp4 %.3f png %.3f\n",
              size.width, size.height, Median(mp4Ratios), Median(pngRatios), fastestRender / fastestMp4,
              fastestRender / fastestPng);
}

bool RunRatios(const Options& options) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // a line at a time: rounds are minutes apart
  std::printf("bench_capture: %g-%g s at %u fps, %d round(s); ms and CPU ms per frame, ratio to render\n",
              options.from, options.to, options.fps, options.rounds);
  for (const Size& size : options.sizes) {
    Passes passes;
    for (int round = 0; round < options.rounds; ++round) {
      const std::string load = LoadAverage();
      offline::CaptureTimes render, mp4, png;
      const std::string base = (fs::path(options.out) / "bench_capture_").string();
      if (!RenderOnly(options, size, &render) || !Capture(options, size, base + "video.mp4", &mp4) ||
          !Capture(options, size, base + "frames", &png))
        return false;
      passes.render.push_back(render);
      passes.mp4.push_back(mp4);
      passes.png.push_back(png);
      std::printf("%dx%d round %d, load %s: %llu frames; render %.1f (CPU %.1f); mp4 %.1f (CPU %.1f) %.3f; "
                  "png %.1f (CPU %.1f) %.3f\n",
                  size.width, size.height, round + 1, load.c_str(), static_cast<unsigned long long>(render.frames),
                  MsPerFrame(render.seconds, render.frames), MsPerFrame(render.cpuSeconds, render.frames),
                  MsPerFrame(mp4.seconds, mp4.frames), MsPerFrame(mp4.cpuSeconds, mp4.frames),
                  render.seconds / mp4.seconds, MsPerFrame(png.seconds, png.frames),
                  MsPerFrame(png.cpuSeconds, png.frames), render.seconds / png.seconds);
    }
    Summarise(size, passes);
  }
  std::printf("load average at the end: %s\n", LoadAverage().c_str());
  return true;
}

// Frames of every scene: the card, the sky with words, the title, the sky with the end card.
constexpr float kTableTimes[] = {3.0f, 8.0f, 10.5f, 14.57f, 16.6f, 40.0f, 100.0f, 170.0f};

bool RunPngTable(const Options& options) {
  const Size size = options.sizes.front();
  offline::ShowRig rig;
  if (!OpenRig(&rig, size)) return false;
  std::vector<std::vector<uint8_t>> frames;
  for (float t : kTableTimes) {
    rig.Draw(t);
    frames.emplace_back();
    if (!rig.Grab(&frames.back())) return false;
  }
  const std::string path = (fs::path(options.out) / "bench_capture_table.png").string();
  std::printf("PNG encoding of %zu show frames at %dx%d, one thread (load average %s)\n", frames.size(),
              size.width, size.height, LoadAverage().c_str());
  std::printf("%-6s %-9s %12s %12s\n", "level", "filters", "ms/frame", "KiB/frame");
  for (int level = gfxutil::kPngLevelMin; level <= gfxutil::kPngLevelMax; ++level)
    for (gfxutil::PngFilters filters : {gfxutil::PngFilters::Sub, gfxutil::PngFilters::Adaptive}) {
      double seconds = 0.0, bytes = 0.0;
      for (const std::vector<uint8_t>& frame : frames) {
        gfxutil::PngRows rows;
        rows.first = frame.data();
        rows.pitch = static_cast<size_t>(size.width) * 4;
        rows.width = static_cast<UINT>(size.width);
        rows.height = static_cast<UINT>(size.height);
        rows.compression = {level, filters};
        const double start = bench::ThreadCpuSeconds();
        std::string error;
        if (!gfxutil::WritePngFile(path, rows, &error)) {
          std::fprintf(stderr, "bench_capture: %s\n", error.c_str());
          return false;
        }
        seconds += bench::ThreadCpuSeconds() - start;
        bytes += static_cast<double>(fs::file_size(path));
      }
      const double n = static_cast<double>(frames.size());
      std::printf("%-6d %-9s %12.2f %12.1f\n", level, filters == gfxutil::PngFilters::Sub ? "sub" : "adaptive",
                  seconds / n * 1e3, bytes / n / 1024.0);
    }
  std::error_code ignored;
  fs::remove(path, ignored);
  return true;
}

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--png-table") {
      options->pngTable = true;
    } else if (arg == "--sizes" && hasValue) {
      if (!bench::ParseFrameSizes(argv[++i], &options->sizes)) return false;
    } else if (arg == "--from" && hasValue) {
      options->from = std::atof(argv[++i]);
    } else if (arg == "--to" && hasValue) {
      options->to = std::atof(argv[++i]);
    } else if (arg == "--fps" && hasValue) {
      options->fps = static_cast<unsigned>(std::atoi(argv[++i]));
    } else if (arg == "--rounds" && hasValue) {
      options->rounds = std::atoi(argv[++i]);
    } else if (arg == "--out" && hasValue) {
      options->out = argv[++i];
    } else {
      return false;
    }
  }
  return options->fps >= 1 && options->fps <= 1000 && options->rounds >= 1 && options->from <= options->to;
}

}  // namespace

int BenchCapture(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr,
                 "usage: bench_capture [--sizes WxH,...] [--from S] [--to S] [--fps N] [--rounds N] [--out DIR]\n"
                 "       bench_capture --png-table [--sizes WxH] [--out DIR]\n");
    return 2;
  }
  win32::SetBatchMode(true);
  const char* threads = std::getenv("LP_NUM_THREADS");
  std::printf("LP_NUM_THREADS=%s\n", threads != nullptr ? threads : "(unset: llvmpipe uses one per core)");
  return (options.pngTable ? RunPngTable(options) : RunRatios(options)) ? 0 : 1;
}

}  // namespace zel::app

int main(int argc, char** argv) { return zel::app::BenchCapture(argc, argv); }
