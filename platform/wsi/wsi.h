// The window-system glue that the window layer (platform/win32) and the device
// (platform/d3d9) share, so that neither needs the other and the program wires nothing:
// the OpenGL pixel format every window is made with, and which SDL window stands behind a
// window handle. The window layer adds its windows here as it makes them and drops them as
// they go; the device looks up the window it is given. No Windows behaviour, no OpenGL calls.
#pragma once

#include <windows.h>

struct SDL_Window;

namespace zel::wsi {

// Starts SDL's video system (one more user of it; SDL_QuitSubSystem gives one back). Where no
// Wayland session can exist (no XDG_RUNTIME_DIR and no absolute WAYLAND_DISPLAY), SDL is not
// let try its Wayland driver, whose only result there is libwayland's complaint on standard
// error ahead of our own "no display" message; an SDL_VIDEODRIVER in the environment decides
// over that. False when video cannot start (SDL_GetError says why).
bool StartVideo();

// Sets SDL's OpenGL attributes for the windows and contexts made after it: a 3.3 core
// context, 8-bit red, green and blue without alpha, 24-bit depth, 8-bit stencil, double
// buffered. Under X a window's pixel format is fixed when it is made, so every window that a
// device may draw into is made right after this call.
void SetGlAttributes();

// Records that hwnd is drawn through `window` (a later call for the same handle replaces it).
void AddWindow(HWND hwnd, SDL_Window* window);
// Forgets hwnd; a later lookup gives null.
void RemoveWindow(HWND hwnd);
// The SDL window behind hwnd; null for a handle that was never added or has been removed.
SDL_Window* SdlWindowOf(HWND hwnd);

}  // namespace zel::wsi
