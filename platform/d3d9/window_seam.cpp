// Hidden windows and the handle-to-SDL-window lookup.
#include "platform/d3d9/window_seam.h"

#include <SDL.h>

#include <mutex>
#include <vector>

namespace zel::d3d9 {
namespace {

struct HiddenWindow {
  SDL_Window *window;
};

std::mutex g_mutex;
std::vector<HiddenWindow *> g_hidden;
WindowResolver g_resolver = nullptr;

}  // namespace

void SetGlWindowAttributes() {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

SDL_Window *SdlWindowForHwnd(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    for (HiddenWindow *h : g_hidden)
      if (reinterpret_cast<HWND>(h) == hwnd) return h->window;
  }
  return g_resolver != nullptr ? g_resolver(hwnd) : nullptr;
}

void SetWindowResolver(WindowResolver resolver) { g_resolver = resolver; }

namespace {
bool g_vsyncDisabled = false;
}  // namespace

void SetVsyncDisabled(bool disabled) { g_vsyncDisabled = disabled; }
bool VsyncDisabled() { return g_vsyncDisabled; }

HWND CreateHiddenWindow(int width, int height) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
  SetGlWindowAttributes();
  SDL_Window *window = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                                        SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (window == nullptr) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
  }
  auto *h = new HiddenWindow{window};
  std::lock_guard<std::mutex> lock(g_mutex);
  g_hidden.push_back(h);
  return reinterpret_cast<HWND>(h);
}

void DestroyHiddenWindow(HWND hwnd) {
  std::lock_guard<std::mutex> lock(g_mutex);
  for (size_t i = 0; i < g_hidden.size(); ++i) {
    if (reinterpret_cast<HWND>(g_hidden[i]) != hwnd) continue;
    SDL_DestroyWindow(g_hidden[i]->window);
    delete g_hidden[i];
    g_hidden.erase(g_hidden.begin() + static_cast<long>(i));
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return;
  }
}

}  // namespace zel::d3d9
