// The GL call counter: one wrapper per entry point the device uses.
#include "bench/platform/d3d9/gl_call_counter.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include "bench/platform/d3d9/gl_entry_points.h"

namespace zel::d3d9::bench {
namespace {

uint64_t g_calls = 0;
bool g_skipDraws = false;
bool g_installed = false;

struct Counted {
  const char *name;
  const uint64_t *calls;
};
std::vector<Counted> g_entryPoints;  // one per installed hook

template <typename T, T *Slot>
struct Hook;

template <typename R, typename... A, R (**Slot)(A...)>
struct Hook<R (*)(A...), Slot> {
  static inline R (*real)(A...) = nullptr;
  static inline uint64_t calls = 0;
  static R Call(A... a) {
    ++g_calls;
    ++calls;
    return real(a...);
  }
  static R CallOrSkip(A... a) {
    ++g_calls;
    ++calls;
    if (g_skipDraws) return R();
    return real(a...);
  }
  static void Install(const char *name, bool skippable) {
    real = reinterpret_cast<R (*)(A...)>(SDL_GL_GetProcAddress(name));
    if (real == nullptr) return;
    *Slot = skippable ? &CallOrSkip : &Call;
    g_entryPoints.push_back({name, &calls});
  }
};

#define ZEL_HOOK(fn) Hook<decltype(epoxy_##fn), &epoxy_##fn>::Install(#fn, false);
#define ZEL_HOOK_DRAW(fn) Hook<decltype(epoxy_##fn), &epoxy_##fn>::Install(#fn, true);

}  // namespace

void InstallGlCallCounter() {
  if (g_installed) return;
  g_installed = true;
  ZEL_GL_DRAW_ENTRY_POINTS(ZEL_HOOK_DRAW)
  ZEL_GL_OTHER_ENTRY_POINTS(ZEL_HOOK)
  ZEL_GL_REPLICA_ENTRY_POINTS(ZEL_HOOK)
}

uint64_t GlCallCount() { return g_calls; }

std::vector<EntryPointCount> GlCallCountsByEntryPoint() {
  std::vector<EntryPointCount> counts;
  for (const Counted &e : g_entryPoints)
    if (*e.calls != 0) counts.push_back({e.name, *e.calls});
  return counts;
}
void SkipDraws(bool skip) { g_skipDraws = skip; }

}  // namespace zel::d3d9::bench
