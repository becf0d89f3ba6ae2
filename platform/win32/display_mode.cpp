// ChangeDisplaySettingsA with CDS_FULLSCREEN on SDL. A size equal to the desktop needs no
// change. Any other size must be one of the display's modes; it is set by opening a
// full-screen SDL window with that mode, and the change counts only if the display then
// reports that mode (Xvfb, for one, reports success and keeps its single mode).
// The change is temporary: SDL restores the desktop mode when the window goes or SDL quits,
// ChangeDisplaySettingsA(NULL) restores it at once, and so does a fatal signal before the
// process ends (display_mode_signals.cpp), so that a crashed show leaves no mode behind.
#include <SDL.h>
#include <windows.h>
#include <zel_win32_ext.h>

#include <atomic>
#include <cstdio>

#include "platform/win32/display_mode.h"
#include "platform/win32/windows_sdl.h"
#include "platform/wsi/wsi.h"

namespace zel::win32 {
namespace {

struct ModeState {
  bool active = false;
  int width = 0, height = 0;
  SDL_Window* window = nullptr;  // carries the mode until a pop-up window takes it
};

ModeState& State() {
  static ModeState state;
  return state;
}

// SDL's id of the window whose full-screen state holds the changed mode (0: none). Read by
// the fatal-signal path (display_mode_signals.cpp), hence atomic.
std::atomic<Uint32> modeHolder{0};
static_assert(std::atomic<Uint32>::is_always_lock_free);

bool DisplayHasMode(int width, int height) {
  int count = SDL_GetNumDisplayModes(ChosenDisplay());
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode mode;
    if (SDL_GetDisplayMode(ChosenDisplay(), i, &mode) == 0 && mode.w == width && mode.h == height) return true;
  }
  return false;
}

bool CurrentModeIs(int width, int height) {
  SDL_DisplayMode mode;
  return SDL_GetCurrentDisplayMode(ChosenDisplay(), &mode) == 0 && mode.w == width && mode.h == height;
}

void DropModeWindow() {
  ModeState& state = State();
  if (state.window) SDL_DestroyWindow(state.window);
  state.window = nullptr;
  state.active = false;
}

LONG SetMode(int width, int height) {
  // Borderless: no mode change at all; the desktop-size window shows the picture scaled.
  if (BorderlessFullscreen() || CurrentModeIs(width, height)) return DISP_CHANGE_SUCCESSFUL;
  if (!DisplayHasMode(width, height)) return DISP_CHANGE_BADMODE;
  zel::wsi::SetGlAttributes();  // this window becomes the demo window
  // Placed at the display's top-left corner: with no window manager to move a full-screen
  // window, it stays where it was made, and a mode smaller than the desktop keeps that
  // corner (SDL's "undefined" position would centre it on the desktop, off the new mode).
  SDL_Rect bounds{0, 0, 0, 0};
  SDL_GetDisplayBounds(ChosenDisplay(), &bounds);
  SDL_Window* window = SDL_CreateWindow("", bounds.x, bounds.y, width, height,
                                        SDL_WINDOW_FULLSCREEN | SDL_WINDOW_OPENGL |
                                            SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
  if (window == nullptr) return DISP_CHANGE_FAILED;
  SDL_DisplayMode wanted{};
  wanted.w = width;
  wanted.h = height;
  SDL_DisplayMode closest;
  if (SDL_GetClosestDisplayMode(ChosenDisplay(), &wanted, &closest) != nullptr)
    SDL_SetWindowDisplayMode(window, &closest);
  SDL_ShowWindow(window);
  SDL_PumpEvents();
  if (!CurrentModeIs(width, height)) {
    SDL_DestroyWindow(window);
    return DISP_CHANGE_FAILED;
  }
  State().window = window;
  modeHolder = SDL_GetWindowID(window);
  GuardDisplayModeAgainstSignals();
  return DISP_CHANGE_SUCCESSFUL;
}

}  // namespace

void GiveBackDisplayMode() {
  Uint32 holder = modeHolder.exchange(0);
  // A window that is gone has given the mode back already.
  if (SDL_Window* window = holder != 0 ? SDL_GetWindowFromID(holder) : nullptr)
    SDL_SetWindowFullscreen(window, 0);
}

bool FullscreenModeActive(int& width, int& height) {
  const ModeState& state = State();
  width = state.width;
  height = state.height;
  return state.active;
}

SDL_Window* TakeModeWindow(int width, int height) {
  ModeState& state = State();
  if (state.window == nullptr || width != state.width || height != state.height) return nullptr;
  SDL_Window* window = state.window;
  state.window = nullptr;
  return window;
}

}  // namespace zel::win32

using namespace zel::win32;

LONG WINAPI ChangeDisplaySettingsA(DEVMODEA* lpDevMode, DWORD dwFlags) {
  if (lpDevMode == nullptr) {  // back to the desktop mode; a window that took the mode stays
    GiveBackDisplayMode();
    DropModeWindow();
    return DISP_CHANGE_SUCCESSFUL;
  }
  // Only the temporary full-screen change is offered; a permanent one would outlive us.
  if ((dwFlags & CDS_FULLSCREEN) == 0) return DISP_CHANGE_FAILED;
  const DWORD sizeFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  if ((lpDevMode->dmFields & sizeFields) != sizeFields) return DISP_CHANGE_BADMODE;
  // The default framebuffer is 24-bit colour whatever the desktop depth; 32 and 24 are met.
  if ((lpDevMode->dmFields & DM_BITSPERPEL) && lpDevMode->dmBitsPerPel != 32 &&
      lpDevMode->dmBitsPerPel != 24)
    return DISP_CHANGE_BADMODE;
  int width = static_cast<int>(lpDevMode->dmPelsWidth);
  int height = static_cast<int>(lpDevMode->dmPelsHeight);
  if (width <= 0 || height <= 0) return DISP_CHANGE_BADMODE;
  GiveBackDisplayMode();
  DropModeWindow();
  // Hidden runs never take the display: their pop-up window is simply made at this size.
  LONG result = DISP_CHANGE_SUCCESSFUL;
  if (!HiddenWindows()) result = EnsureSdlVideo() ? SetMode(width, height) : DISP_CHANGE_FAILED;
  if (result == DISP_CHANGE_SUCCESSFUL) {
    ModeState& state = State();
    state.active = true;
    state.width = width;
    state.height = height;
  }
  return result;
}
