// bench_bounds: the device's cost per frame as a ratio to its raw OpenGL bound. For each
// scene (the opening card, the title scene, the sky stack with the end card) the show's
// frame is drawn by the device (the scenes on the Direct3D 9 layer, as `zel16 --frame T`
// draws it) and by a minimal raw OpenGL replica of the same frame (bench/scenes/bounds/raw_*.cpp)
// in its own context, in the same process. First both frames are read back and compared
// pixel by pixel (largest channel difference, pixels that differ); then the two are drawn in
// turns, each frame timed from its first call to the end of glFinish (so the rasteriser's
// work is counted), and the medians are reported: wall milliseconds and their ratio, the
// median of the frame-by-frame ratios ("pairs"), CPU milliseconds of all the process's
// threads (the software rasteriser's too: steadier than wall time on a loaded machine) and
// GL calls per frame.
//
//   bench_bounds [--frames N] [--sizes WxH,...] [--scenes opening,title,sky]
//                [--time SCENE=T] [--raw window|offscreen] [--dump DIR] [--calls] [--scan]
//
// Run in the build directory (beside Data/). --time moves a scene's frame (demo seconds);
// --raw window lets the replica draw straight into its window (its pixels then differ a
// little: another colour buffer and depth buffer), offscreen (the default) into a frame like
// the device's back buffer, copied to the window; --dump writes both frames as PPM files;
// --calls lists one frame's GL calls by entry point. --scan times the device alone over the
// title scene's window at 30 frames per second and lists its costliest frames. Under callgrind
// (valgrind --tool=callgrind bench_bounds ...) the two sides run one after the other and each
// is dumped apart: "ours <scene> <size>" and "raw <scene> <size>", N frames each.
#include <epoxy/gl.h>
#include <time.h>
#include <zel_d3d9_ext.h>
#include <zel_win32_ext.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/offline/show_rig.h"
#include "app/show_schedule.h"
#include "bench/scenes/bounds/frame_pair.h"
#include "bench/platform/d3d9/gl_call_counter.h"

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define RUNNING_ON_VALGRIND 0
#define CALLGRIND_DUMP_STATS_AT(label) ((void)(label))
#endif

namespace zel::scenes {

namespace {

struct SceneCase {
  const char *name;
  float seconds;  // demo time of the frame, as given to zel16 --frame
  std::unique_ptr<raw::Replica> (*make)();
};

struct Size {
  int width, height;
};

struct Options {
  int frames = 40;
  std::vector<Size> sizes = {{800, 600}, {640, 480}};
  std::vector<SceneCase> scenes = {{"opening", 3.0f, raw::MakeOpeningReplica},
                                   {"title", 16.6f, raw::MakeTitleReplica},
                                   {"sky", 40.0f, raw::MakeSkyReplica}};
  std::string dump;
  raw::Target target = raw::Target::kOffscreen;
  bool scan = false;
  bool calls = false;
};

struct Sample {
  double wallMs, cpuMs;
  uint64_t calls;
};

double Seconds(clockid_t clock) {
  timespec ts;
  clock_gettime(clock, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

template <typename Draw>
Sample Timed(Draw draw) {
  const uint64_t calls0 = zel::d3d9::bench::GlCallCount();
  const double wall0 = Seconds(CLOCK_MONOTONIC), cpu0 = Seconds(CLOCK_PROCESS_CPUTIME_ID);
  draw();
  return {(Seconds(CLOCK_MONOTONIC) - wall0) * 1e3, (Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu0) * 1e3,
          zel::d3d9::bench::GlCallCount() - calls0};
}

void WritePpm(const std::string &path, const std::vector<uint8_t> &rgba, const Size &size) {
  FILE *f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) {
    std::fprintf(stderr, "bench_bounds: cannot write %s\n", path.c_str());
    return;
  }
  std::fprintf(f, "P6\n%d %d\n255\n", size.width, size.height);
  for (size_t i = 0; i + 3 < rgba.size(); i += 4) std::fwrite(&rgba[i], 1, 3, f);
  std::fclose(f);
}

// The GL calls one frame makes, by entry point.
template <typename Draw>
std::map<std::string, uint64_t> CallsOfOneFrame(Draw draw) {
  std::map<std::string, uint64_t> calls;
  for (const auto &e : zel::d3d9::bench::GlCallCountsByEntryPoint()) calls[e.name] -= e.calls;
  draw();
  for (const auto &e : zel::d3d9::bench::GlCallCountsByEntryPoint()) calls[e.name] += e.calls;
  std::erase_if(calls, [](const auto &entry) { return entry.second == 0; });
  return calls;
}

void PrintCalls(const std::map<std::string, uint64_t> &ours, const std::map<std::string, uint64_t> &raw) {
  std::map<std::string, std::pair<uint64_t, uint64_t>> both;
  for (const auto &[name, n] : ours) both[name].first = n;
  for (const auto &[name, n] : raw) both[name].second = n;
  std::printf("  %-28s %6s %6s\n", "GL calls in one frame", "ours", "raw");
  for (const auto &[name, n] : both)
    std::printf("  %-28s %6llu %6llu\n", name.c_str(), static_cast<unsigned long long>(n.first),
                static_cast<unsigned long long>(n.second));
}

bool RunCase(const Options &options, const SceneCase &scene, const Size &size) {
  raw::FramePair pair;
  std::string error;
  if (!pair.Open(size.width, size.height, scene.make(), options.target, &error)) {
    std::fprintf(stderr, "bench_bounds: %s\n", error.c_str());
    return false;
  }
  zel::d3d9::bench::InstallGlCallCounter();
  const float t = raw::FrameTime(scene.seconds);
  std::vector<uint8_t> ours, raw;
  pair.DrawOurs(t);
  pair.ReadOurs(&ours);
  pair.DrawRawForReading(t);
  pair.ReadRaw(&raw);
  const raw::FrameDifference difference = raw::Compare(ours, raw);
  if (!options.dump.empty()) {
    const std::string tag =
        std::string(scene.name) + "_" + std::to_string(size.width) + "x" + std::to_string(size.height);
    WritePpm(options.dump + "/ours_" + tag + ".ppm", ours, size);
    WritePpm(options.dump + "/raw_" + tag + ".ppm", raw, size);
  }
  for (int i = 0; i < 3; ++i) pair.DrawOurs(t), pair.DrawRaw(t);  // warm both up
  if (options.calls)
    PrintCalls(CallsOfOneFrame([&] { pair.DrawOurs(t); }), CallsOfOneFrame([&] { pair.DrawRaw(t); }));

  std::vector<double> oursWall, rawWall, oursCpu, rawCpu;
  uint64_t oursCalls = 0, rawCalls = 0;
  auto record = [](const Sample &s, std::vector<double> *wall, std::vector<double> *cpu, uint64_t *calls) {
    wall->push_back(s.wallMs);
    cpu->push_back(s.cpuMs);
    *calls = s.calls;
  };
  char label[96];
  if (RUNNING_ON_VALGRIND) {
    // Apart, each side's frames in a dump of their own. A dump zeroes every thread's counters
    // (zeroing alone would not reach the rasteriser's threads), so the warm-up goes first.
    CALLGRIND_DUMP_STATS_AT("warm-up");
    for (int i = 0; i < options.frames; ++i) record(Timed([&] { pair.DrawOurs(t); }), &oursWall, &oursCpu, &oursCalls);
    std::snprintf(label, sizeof label, "ours %s %dx%d", scene.name, size.width, size.height);
    CALLGRIND_DUMP_STATS_AT(label);
    for (int i = 0; i < options.frames; ++i) record(Timed([&] { pair.DrawRaw(t); }), &rawWall, &rawCpu, &rawCalls);
    std::snprintf(label, sizeof label, "raw %s %dx%d", scene.name, size.width, size.height);
    CALLGRIND_DUMP_STATS_AT(label);
  } else {
    // In turns, the order swapped every frame, so that load changes hit both alike.
    for (int i = 0; i < options.frames; ++i) {
      if (i % 2 == 0) {
        record(Timed([&] { pair.DrawOurs(t); }), &oursWall, &oursCpu, &oursCalls);
        record(Timed([&] { pair.DrawRaw(t); }), &rawWall, &rawCpu, &rawCalls);
      } else {
        record(Timed([&] { pair.DrawRaw(t); }), &rawWall, &rawCpu, &rawCalls);
        record(Timed([&] { pair.DrawOurs(t); }), &oursWall, &oursCpu, &oursCalls);
      }
    }
  }
  // Each of our frames against the replica's drawn right beside it: steadier when the
  // machine's load comes and goes.
  std::vector<double> pairRatios;
  for (size_t i = 0; i < oursWall.size() && i < rawWall.size(); ++i) pairRatios.push_back(oursWall[i] / rawWall[i]);
  const double ow = Median(oursWall), rw = Median(rawWall), oc = Median(oursCpu), rc = Median(rawCpu);
  std::printf("%-8s %5.2f %4dx%-4d %8.2f %8.2f %6.3f %6.3f   %8.2f %8.2f %6.3f   %6llu %6llu   %4d %8zu %5d\n",
              scene.name, static_cast<double>(scene.seconds), size.width, size.height, ow, rw, ow / rw,
              Median(pairRatios), oc, rc, oc / rc,
              static_cast<unsigned long long>(oursCalls), static_cast<unsigned long long>(rawCalls),
              difference.maxChannel, difference.pixels, pair.RawDepthBits());
  std::fflush(stdout);
  return true;
}

// The device alone over the title window: the costliest frames by CPU time.
bool ScanTitle(const Size &size) {
  zel::app::offline::ShowRig ours;
  std::string error;
  app::ExitStatus status = app::ExitStatus::Success;
  if (!ours.Open(size.width, size.height, zel::app::offline::Presenting::Yes, &error, &status)) {
    std::fprintf(stderr, "bench_bounds: %s\n", error.c_str());
    return false;
  }
  struct Frame {
    double cpuMs, wallMs;
    float seconds;
  };
  std::vector<Frame> frames;
  for (int k = 13 * 30;; ++k) {  // 30 frames a second from 13.0 s to the window's end
    const float seconds = static_cast<float>(k) / 30.0f;
    const float t = raw::FrameTime(seconds);
    if (t > app::show::kTitleEnd) break;
    Sample best{1e9, 1e9, 0};
    for (int r = 0; r < 3; ++r) {
      Sample s = Timed([&] {
        ours.Draw(t);
        glFinish();
      });
      if (s.cpuMs < best.cpuMs) best = s;
    }
    frames.push_back({best.cpuMs, best.wallMs, seconds});
  }
  std::sort(frames.begin(), frames.end(), [](const Frame &a, const Frame &b) { return a.cpuMs > b.cpuMs; });
  std::printf("title scene at %dx%d, costliest frames (least of 3 runs each):\n", size.width, size.height);
  for (size_t i = 0; i < std::min<size_t>(8, frames.size()); ++i)
    std::printf("  t = %6.3f s   CPU %7.2f ms   wall %7.2f ms\n", static_cast<double>(frames[i].seconds),
                frames[i].cpuMs, frames[i].wallMs);
  return true;
}

bool ParseSizes(const char *text, std::vector<Size> *sizes) {
  sizes->clear();
  for (const char *p = text; *p != '\0';) {
    Size s{};
    int used = 0;
    if (std::sscanf(p, "%dx%d%n", &s.width, &s.height, &used) != 2 || s.width < 16 || s.height < 16) return false;
    sizes->push_back(s);
    p += used;
    if (*p == ',') ++p;
  }
  return !sizes->empty();
}

bool ParseOptions(int argc, char **argv, Options *o) {
  std::string only;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const char *value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (arg == "--scan" || arg == "--calls") {
      (arg == "--scan" ? o->scan : o->calls) = true;
      continue;
    }
    if (value == nullptr) return false;
    ++i;
    if (arg == "--frames") {
      o->frames = std::atoi(value);
      if (o->frames < 1) return false;
    } else if (arg == "--sizes") {
      if (!ParseSizes(value, &o->sizes)) return false;
    } else if (arg == "--scenes") {
      only = std::string(",") + value + ",";
    } else if (arg == "--time") {
      const char *eq = std::strchr(value, '=');
      if (eq == nullptr) return false;
      bool found = false;
      for (SceneCase &s : o->scenes)
        if (std::string(value, eq) == s.name) s.seconds = std::strtof(eq + 1, nullptr), found = true;
      if (!found) return false;
    } else if (arg == "--raw") {
      if (!raw::ParseTarget(value, &o->target)) return false;
    } else if (arg == "--dump") {
      o->dump = value;
    } else {
      return false;
    }
  }
  if (!only.empty())
    std::erase_if(o->scenes, [&](const SceneCase &s) {
      return only.find("," + std::string(s.name) + ",") == std::string::npos;
    });
  return !o->scenes.empty();
}

}  // namespace

int Main(int argc, char **argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fprintf(stderr,
                 "usage: bench_bounds [--frames N] [--sizes WxH,...] [--scenes opening,title,sky] [--time SCENE=T]\n"
                 "                    [--raw window|offscreen] [--dump DIR] [--calls] [--scan]\n");
    return 2;
  }
  zel::win32::SetBatchMode(true);
  zel::d3d9::SetVsyncDisabled(true);  // both sides swap without waiting
  if (options.scan) return ScanTitle(options.sizes.front()) ? 0 : 1;
  std::printf("bench_bounds: %d frames a side, medians; ratio = ours / raw; raw draws into %s\n", options.frames,
              options.target == raw::Target::kWindow ? "the window" : "a frame of its own, copied to the window");
  std::printf("%-8s %5s %9s %8s %8s %6s %6s   %8s %8s %6s   %6s %6s   %4s %8s %5s\n", "scene", "t", "size", "ours ms",
              "raw ms", "ratio", "pairs", "ours CPU", "raw CPU", "ratio", "calls", "raw", "diff", "pixels", "zbits");
  for (const Size &size : options.sizes)
    for (const SceneCase &scene : options.scenes)
      if (!RunCase(options, scene, size)) return 1;
  return 0;
}

}  // namespace zel::scenes

int main(int argc, char **argv) { return zel::scenes::Main(argc, argv); }
