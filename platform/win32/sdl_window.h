// The SDL window behind a window handle, for the OpenGL device that draws into it.
// Declares SDL_Window without SDL's headers, so the program can hand the lookup to the
// device layer.
#pragma once

#include <windows.h>

struct SDL_Window;

namespace zel::win32 {

// The SDL window of a top-level window made by CreateWindowExA; null for any other handle.
SDL_Window* SdlWindowFromHwnd(HWND hwnd);

// Makes sure SDL's video subsystem is up (with the process-exit clean-up registered).
bool EnsureSdlVideo();

}  // namespace zel::win32
