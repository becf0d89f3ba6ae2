// Off-screen windows (zel_win32_ext.h): windows of the window table whose SDL window is made
// hidden and is never shown. Each one holds SDL's video system for as long as it lives,
// without the display check of on-screen windows: SDL's off-screen driver is good enough for
// a surface nobody sees.
#include <SDL.h>
#include <windows.h>
#include <zel_win32_ext.h>

#include <cstdio>

#include "platform/win32/window_table.h"
#include "platform/wsi/wsi.h"

namespace zel::win32 {
namespace {

class OffscreenWindow final : public WindowObject {
 public:
  OffscreenWindow() : WindowObject(WindowKind::Offscreen) {}
  // DestroyWindow has destroyed the SDL window by now.
  ~OffscreenWindow() override { SDL_QuitSubSystem(SDL_INIT_VIDEO); }
};

}  // namespace

HWND CreateOffscreenWindow(int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  if (!zel::wsi::StartVideo()) {
    std::fprintf(stderr, "zel16: cannot start the video system: %s\n", SDL_GetError());
    return nullptr;
  }
  zel::wsi::SetGlAttributes();
  SDL_Window* sdl = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                                     SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (sdl == nullptr) {
    std::fprintf(stderr, "zel16: cannot create an off-screen window: %s\n", SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return nullptr;
  }
  auto* window = new OffscreenWindow;
  window->proc = DefWindowProcA;
  window->style = WS_POPUP;  // no frame: the client area is the whole window
  window->rect = RECT{0, 0, width, height};
  window->sdl = sdl;
  window->sdlId = SDL_GetWindowID(sdl);
  AddWindow(window);
  return window;
}

}  // namespace zel::win32
