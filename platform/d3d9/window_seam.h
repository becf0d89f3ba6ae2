// Where the device finds the SDL window behind a window handle, and hidden windows for
// tests and headless tools (they behave like the demo window but are never shown).
// This header has no SDL in it, so tools outside platform/ may include it.
#pragma once

#include <windows.h>

struct SDL_Window;

namespace zel::d3d9 {

// The SDL window of hwnd: a hidden window made below, or a window of the window layer.
SDL_Window *SdlWindowForHwnd(HWND hwnd);

// Until the window layer offers its own lookup, it (or a test) installs one here.
using WindowResolver = SDL_Window *(*)(HWND);
void SetWindowResolver(WindowResolver resolver);

// A hidden OpenGL-capable window of width x height pixels; null when no display is there.
HWND CreateHiddenWindow(int width, int height);
void DestroyHiddenWindow(HWND hwnd);

// Sets the GL attributes a device's window and context need (3.3 core, no alpha, 24-bit
// depth, 8-bit stencil). Windows that a device will draw into are created after this.
void SetGlWindowAttributes();

// Vsync off: every device presents at once instead of waiting for the display's refresh
// (a presentation interval of "immediate"). Off by default; set before the device is made.
void SetVsyncDisabled(bool disabled);
bool VsyncDisabled();

}  // namespace zel::d3d9
