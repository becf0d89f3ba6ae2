#include "bench/show/gl_time.h"

#include <SDL.h>
#include <epoxy/gl.h>
#include <time.h>

namespace show_bench {
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

#define ZEL_HOOK(fn) Hook<decltype(epoxy_##fn), &epoxy_##fn>::Install(#fn, false)
#define ZEL_HOOK_DRAW(fn) Hook<decltype(epoxy_##fn), &epoxy_##fn>::Install(#fn, true)

}  // namespace

void InstallGlTiming() {
  if (g_installed) return;
  g_installed = true;
  ZEL_HOOK_DRAW(glDrawArrays);
  ZEL_HOOK_DRAW(glDrawElementsBaseVertex);
  // Every other entry point the device calls, so that none counts as our own time.
  ZEL_HOOK(glActiveTexture); ZEL_HOOK(glAttachShader); ZEL_HOOK(glBindBuffer);
  ZEL_HOOK(glBindFramebuffer); ZEL_HOOK(glBindRenderbuffer); ZEL_HOOK(glBindSampler);
  ZEL_HOOK(glBindTexture); ZEL_HOOK(glBindVertexArray); ZEL_HOOK(glBlendColor);
  ZEL_HOOK(glBlendEquationSeparate); ZEL_HOOK(glBlendFuncSeparate); ZEL_HOOK(glBlitFramebuffer);
  ZEL_HOOK(glBufferData); ZEL_HOOK(glBufferSubData); ZEL_HOOK(glCheckFramebufferStatus);
  ZEL_HOOK(glClear); ZEL_HOOK(glClearColor); ZEL_HOOK(glClearDepth); ZEL_HOOK(glClearStencil);
  ZEL_HOOK(glClipControl); ZEL_HOOK(glColorMask); ZEL_HOOK(glCompileShader);
  ZEL_HOOK(glCreateProgram); ZEL_HOOK(glCreateShader); ZEL_HOOK(glCullFace);
  ZEL_HOOK(glDeleteBuffers); ZEL_HOOK(glDeleteFramebuffers); ZEL_HOOK(glDeleteProgram);
  ZEL_HOOK(glDeleteRenderbuffers); ZEL_HOOK(glDeleteSamplers); ZEL_HOOK(glDeleteShader);
  ZEL_HOOK(glDeleteTextures); ZEL_HOOK(glDeleteVertexArrays); ZEL_HOOK(glDepthFunc);
  ZEL_HOOK(glDepthMask); ZEL_HOOK(glDepthRange); ZEL_HOOK(glDetachShader); ZEL_HOOK(glDisable);
  ZEL_HOOK(glDisableVertexAttribArray); ZEL_HOOK(glEnable); ZEL_HOOK(glEnableVertexAttribArray);
  ZEL_HOOK(glFramebufferRenderbuffer); ZEL_HOOK(glFrontFace); ZEL_HOOK(glGenBuffers);
  ZEL_HOOK(glGenFramebuffers); ZEL_HOOK(glGenRenderbuffers); ZEL_HOOK(glGenSamplers);
  ZEL_HOOK(glGenTextures); ZEL_HOOK(glGenVertexArrays); ZEL_HOOK(glGetIntegerv);
  ZEL_HOOK(glGetProgramInfoLog); ZEL_HOOK(glGetProgramiv); ZEL_HOOK(glGetShaderInfoLog);
  ZEL_HOOK(glGetShaderiv); ZEL_HOOK(glGetUniformLocation); ZEL_HOOK(glLinkProgram);
  ZEL_HOOK(glPixelStorei); ZEL_HOOK(glPolygonMode); ZEL_HOOK(glReadPixels);
  ZEL_HOOK(glRenderbufferStorage); ZEL_HOOK(glSamplerParameterf); ZEL_HOOK(glSamplerParameterfv);
  ZEL_HOOK(glSamplerParameteri); ZEL_HOOK(glScissor); ZEL_HOOK(glShaderSource);
  ZEL_HOOK(glStencilFunc); ZEL_HOOK(glStencilMask); ZEL_HOOK(glStencilOp);
  ZEL_HOOK(glTexImage2D); ZEL_HOOK(glTexParameteri); ZEL_HOOK(glTexParameteriv);
  ZEL_HOOK(glTexSubImage2D); ZEL_HOOK(glUniform1f); ZEL_HOOK(glUniform1iv); ZEL_HOOK(glUniform4f);
  ZEL_HOOK(glUniform4fv); ZEL_HOOK(glUniformMatrix4fv); ZEL_HOOK(glUseProgram);
  ZEL_HOOK(glVertexAttrib4f); ZEL_HOOK(glVertexAttribPointer); ZEL_HOOK(glViewport);
}

GlTotals GlTimingTotals() { return g_totals; }
void AddGlSeconds(double seconds) { g_totals.seconds += seconds; }

void FinishGl() { glFinish(); }

double NowSeconds() { return Seconds(CLOCK_MONOTONIC); }
double ThreadCpuSeconds() { return Seconds(CLOCK_THREAD_CPUTIME_ID); }
double ProcessCpuSeconds() { return Seconds(CLOCK_PROCESS_CPUTIME_ID); }

}  // namespace show_bench
