// The pixel format of every window and the handle-to-SDL-window table.
#include "platform/wsi/wsi.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

namespace zel::wsi {
namespace {

// Handles are looked up from the thread that makes a device, which need not be the one that
// made the window.
std::mutex g_mutex;

std::unordered_map<HWND, SDL_Window*>& Windows() {
  static std::unordered_map<HWND, SDL_Window*> windows;
  return windows;
}

// SDL's own order of video drivers, less Wayland, where no Wayland session can exist.
void SkipUnreachableVideoDrivers() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((runtime != nullptr && *runtime != '\0') || (wayland != nullptr && wayland[0] == '/')) return;
  std::string drivers;
  for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
    const char* name = SDL_GetVideoDriver(i);
    if (name == nullptr || std::strcmp(name, "wayland") == 0) continue;
    drivers += (drivers.empty() ? "" : ",") + std::string(name);
  }
  // At normal priority, which an SDL_VIDEODRIVER in the environment overrides.
  SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
}

}  // namespace

bool StartVideo() {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) SkipUnreachableVideoDrivers();
  return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

void SetGlAttributes() {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  // No alpha: the desktop's X8R8G8B8 has none, so destination alpha reads 1.0.
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

void AddWindow(HWND hwnd, SDL_Window* window) {
  std::lock_guard<std::mutex> lock(g_mutex);
  Windows()[hwnd] = window;
}

void RemoveWindow(HWND hwnd) {
  std::lock_guard<std::mutex> lock(g_mutex);
  Windows().erase(hwnd);
}

SDL_Window* SdlWindowOf(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  std::lock_guard<std::mutex> lock(g_mutex);
  auto it = Windows().find(hwnd);
  return it == Windows().end() ? nullptr : it->second;
}

}  // namespace zel::wsi
