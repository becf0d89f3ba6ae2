// The full-screen display mode set by ChangeDisplaySettingsA, shared with window creation.
#pragma once

struct SDL_Window;

namespace zel::win32 {

// True while a full-screen mode set with CDS_FULLSCREEN is in force; its size in pixels.
bool FullscreenModeActive(int& width, int& height);

// The full-screen SDL window that carries a changed display mode (the X server changes the
// mode only for a full-screen window), handed over to the first pop-up window of that size.
// Null when there is none or the size differs; the caller then owns the window.
SDL_Window* TakeModeWindow(int width, int height);

}  // namespace zel::win32
