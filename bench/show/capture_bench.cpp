// bench_capture: what capturing costs beyond rendering. For each size, in one process and in
// turns, the same stretch of the show is
//   render   drawn on the show rig and waited for (glFinish), nothing read back;
//   mp4      captured to an MP4 file (zel16 --capture's own code: read-back ring, ffmpeg pipe);
//   png      captured to a folder of PNG files (read-back ring, encoding workers);
// and each capture's throughput is given as a fraction of the render pass's before it
// (render seconds / capture seconds, for the same frames). Load averages are printed with
// every round: on a shared machine, compare ratios, not times.
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
#include "bench/show/gl_time.h"
#include "gfxutil/image_png.h"

namespace {

namespace fs = std::filesystem;
namespace offline = zel::app::offline;

struct Size {
  int width, height;
};

struct Options {
  std::vector<Size> sizes = {{640, 480}, {800, 600}};
  double from = 0.0, to = 20.0;  // seconds of demo time
  unsigned fps = 10;
  int rounds = 2;
  bool pngTable = false;
  std::string out = fs::temp_directory_path().string();
};

std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

// The render-only pass: every frame of the range drawn on a rig like the capture's and
// waited for.
bool RenderOnly(const Options& options, const Size& size, offline::CaptureTimes* times) {
  offline::ShowRig rig;
  std::string error;
  ExitStatus status = ExitStatus::Success;
  if (!rig.Open(size.width, size.height, offline::Presenting::No, &error, &status)) {
    std::fprintf(stderr, "bench_capture: %s\n", error.c_str());
    return false;
  }
  const offline::FrameRate rate(options.fps, 1);
  const offline::FrameRange range = offline::FramesBetween(options.from, options.to, rate);
  offline::FrameClock clock(rate);
  const double wall = show_bench::NowSeconds(), cpu = show_bench::ProcessCpuSeconds();
  for (uint64_t k = range.first; k <= range.last; ++k) {
    rig.Draw(clock.TimeOf(k));
    show_bench::FinishGl();
  }
  *times = {range.Count(), show_bench::NowSeconds() - wall, show_bench::ProcessCpuSeconds() - cpu};
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
  const int status = offline::RunCapture(line, times);
  std::error_code ignored;
  fs::remove_all(out, ignored);
  return status == 0;
}

void PrintPass(const char* kind, const offline::CaptureTimes& t, double renderSeconds) {
  const double n = std::max<double>(1.0, static_cast<double>(t.frames));
  std::printf("  %-7s %5llu frames  %8.2f ms/frame  CPU %8.2f ms/frame  ratio %5.3f\n", kind,
              static_cast<unsigned long long>(t.frames), t.seconds / n * 1e3, t.cpuSeconds / n * 1e3,
              t.seconds > 0.0 ? renderSeconds / t.seconds : 0.0);
}

bool RunRatios(const Options& options) {
  std::printf("bench_capture: %g-%g s at %u fps, %d round(s)\n", options.from, options.to, options.fps,
              options.rounds);
  for (const Size& size : options.sizes) {
    std::vector<double> mp4Ratios, pngRatios;
    for (int round = 0; round < options.rounds; ++round) {
      std::printf("\n%dx%d round %d (load average %s)\n", size.width, size.height, round + 1, LoadAverage().c_str());
      offline::CaptureTimes render, mp4, png;
      const std::string base = (fs::path(options.out) / "bench_capture_").string();
      if (!RenderOnly(options, size, &render) || !Capture(options, size, base + "video.mp4", &mp4) ||
          !Capture(options, size, base + "frames", &png))
        return false;
      PrintPass("render", render, render.seconds);
      PrintPass("mp4", mp4, render.seconds);
      PrintPass("png", png, render.seconds);
      mp4Ratios.push_back(render.seconds / mp4.seconds);
      pngRatios.push_back(render.seconds / png.seconds);
      std::printf("  (load average after: %s)\n", LoadAverage().c_str());
    }
    auto median = [](std::vector<double> v) {
      std::sort(v.begin(), v.end());
      return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    };
    std::printf("%dx%d median ratio: mp4 %.3f  png %.3f\n", size.width, size.height, median(mp4Ratios),
                median(pngRatios));
  }
  return true;
}

// Frames of every scene: the card, the sky with words, the title, the sky with the end card.
constexpr float kTableTimes[] = {3.0f, 8.0f, 10.5f, 14.57f, 16.6f, 40.0f, 100.0f, 170.0f};

bool RunPngTable(const Options& options) {
  const Size size = options.sizes.front();
  offline::ShowRig rig;
  std::string error;
  ExitStatus status = ExitStatus::Success;
  if (!rig.Open(size.width, size.height, offline::Presenting::No, &error, &status)) {
    std::fprintf(stderr, "bench_capture: %s\n", error.c_str());
    return false;
  }
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
        const double start = show_bench::ThreadCpuSeconds();
        if (!gfxutil::WritePngFile(path, rows, &error)) return false;
        seconds += show_bench::ThreadCpuSeconds() - start;
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

bool ParseSizes(const char* text, std::vector<Size>* sizes) {
  sizes->clear();
  std::string all = text;
  size_t start = 0;
  while (start < all.size()) {
    size_t comma = all.find(',', start);
    if (comma == std::string::npos) comma = all.size();
    Size s{};
    if (!ParseSize(all.substr(start, comma - start), s.width, s.height)) return false;
    sizes->push_back(s);
    start = comma + 1;
  }
  return !sizes->empty();
}

bool ParseOptions(int argc, char** argv, Options* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--png-table") {
      options->pngTable = true;
    } else if (arg == "--sizes" && hasValue) {
      if (!ParseSizes(argv[++i], &options->sizes)) return false;
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

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr,
                 "usage: bench_capture [--sizes WxH,...] [--from S] [--to S] [--fps N] [--rounds N] [--out DIR]\n"
                 "       bench_capture --png-table [--sizes WxH] [--out DIR]\n");
    return 2;
  }
  zel::win32::SetBatchMode(true);
  const char* threads = std::getenv("LP_NUM_THREADS");
  std::printf("LP_NUM_THREADS=%s\n", threads != nullptr ? threads : "(unset: llvmpipe uses one per core)");
  return (options.pngTable ? RunPngTable(options) : RunRatios(options)) ? 0 : 1;
}
