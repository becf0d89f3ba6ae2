#include "bench/app/gl_time.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include "bench/platform/d3d9/gl_entry_points.h"
#include <time.h>

namespace zel::app::bench {
namespace {

GlTotals g_totals;
bool g_installed = false;

double Seconds(clockid_t clock) {
  timespec ts;
  clock_gettime(clock, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

template <typename T, T *Slot>
struct Hook;

template <typename R, typename... A, R (**Slot)(A...)>
struct Hook<R (*)(A...), Slot> {
  static inline R (*real)(A...) = nullptr;
  static inline bool isDraw = false;
  static R Call(A... a) {
    ++g_totals.calls;
    g_totals.draws += isDraw;
    const double start = Seconds(CLOCK_MONOTONIC);
    struct Stop {  // adds the time on the way out, also for calls that return a value
      double start;
      ~Stop() { g_totals.seconds += Seconds(CLOCK_MONOTONIC) - start; }
    } stop{start};
    return real(a...);
  }
  static void Install(const char *name, bool draw) {
    real = reinterpret_cast<R (*)(A...)>(SDL_GL_GetProcAddress(name));
    isDraw = draw;
    if (real != nullptr) *Slot = &Call;
  }
};

#define ZEL_HOOK(fn) Hook<decltype(epoxy_##fn), &epoxy_##fn>::Install(#fn, false);
#define ZEL_HOOK_DRAW(fn) Hook<decltype(epoxy_##fn), &epoxy_##fn>::Install(#fn, true);

}  // namespace

void InstallGlTiming() {
  if (g_installed) return;
  g_installed = true;
  ZEL_GL_DRAW_ENTRY_POINTS(ZEL_HOOK_DRAW)
  ZEL_GL_OTHER_ENTRY_POINTS(ZEL_HOOK)
}

GlTotals GlTimingTotals() { return g_totals; }
void AddGlSeconds(double seconds) { g_totals.seconds += seconds; }

void FinishGl() { glFinish(); }

double NowSeconds() { return Seconds(CLOCK_MONOTONIC); }
double ThreadCpuSeconds() { return Seconds(CLOCK_THREAD_CPUTIME_ID); }
double ProcessCpuSeconds() { return Seconds(CLOCK_PROCESS_CPUTIME_ID); }

}  // namespace zel::app::bench
