// The GL call counter: one wrapper per entry point the device uses.
#include "bench/d3d9/gl_call_counter.h"

#include <SDL.h>
#include <epoxy/gl.h>

namespace zel::d3d9::bench {
namespace {

uint64_t g_calls = 0;
bool g_skipDraws = false;
bool g_installed = false;

template <typename T, T *Slot>
struct Hook;

template <typename R, typename... A, R (**Slot)(A...)>
struct Hook<R (*)(A...), Slot> {
  static inline R (*real)(A...) = nullptr;
  static R Call(A... a) {
    ++g_calls;
    return real(a...);
  }
  static R CallOrSkip(A... a) {
    ++g_calls;
    if (g_skipDraws) return R();
    return real(a...);
  }
  static void Install(const char *name, bool skippable) {
    real = reinterpret_cast<R (*)(A...)>(SDL_GL_GetProcAddress(name));
    if (real != nullptr) *Slot = skippable ? &CallOrSkip : &Call;
  }
};

#define ZEL_HOOK(fn) Hook<decltype(epoxy_##fn), &epoxy_##fn>::Install(#fn, false)
#define ZEL_HOOK_DRAW(fn) Hook<decltype(epoxy_##fn), &epoxy_##fn>::Install(#fn, true)

}  // namespace

void InstallGlCallCounter() {
  if (g_installed) return;
  g_installed = true;
  ZEL_HOOK(glActiveTexture);
  ZEL_HOOK(glBindBuffer);
  ZEL_HOOK(glBindFramebuffer);
  ZEL_HOOK(glBindTexture);
  ZEL_HOOK(glBlendColor);
  ZEL_HOOK(glBlendEquationSeparate);
  ZEL_HOOK(glBlendFuncSeparate);
  ZEL_HOOK(glBufferData);
  ZEL_HOOK(glBufferSubData);
  ZEL_HOOK(glClear);
  ZEL_HOOK(glColorMask);
  ZEL_HOOK(glCullFace);
  ZEL_HOOK(glDepthFunc);
  ZEL_HOOK(glDepthMask);
  ZEL_HOOK(glDepthRange);
  ZEL_HOOK(glDisable);
  ZEL_HOOK(glDisableVertexAttribArray);
  ZEL_HOOK_DRAW(glDrawArrays);
  ZEL_HOOK_DRAW(glDrawElementsBaseVertex);
  ZEL_HOOK(glEnable);
  ZEL_HOOK(glEnableVertexAttribArray);
  ZEL_HOOK(glPolygonMode);
  ZEL_HOOK(glSamplerParameterf);
  ZEL_HOOK(glSamplerParameterfv);
  ZEL_HOOK(glSamplerParameteri);
  ZEL_HOOK(glScissor);
  ZEL_HOOK(glStencilFunc);
  ZEL_HOOK(glStencilMask);
  ZEL_HOOK(glStencilOp);
  ZEL_HOOK(glTexSubImage2D);
  ZEL_HOOK(glUniform1f);
  ZEL_HOOK(glUniform4f);
  ZEL_HOOK(glUniform4fv);
  ZEL_HOOK(glUniformMatrix4fv);
  ZEL_HOOK(glUseProgram);
  ZEL_HOOK(glVertexAttribPointer);
  ZEL_HOOK(glViewport);
}

uint64_t GlCallCount() { return g_calls; }
void SkipDraws(bool skip) { g_skipDraws = skip; }

}  // namespace zel::d3d9::bench
