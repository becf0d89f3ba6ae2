// The live window handles of the Windows stand-in. A handle is the address of a
// WindowObject; every entry point checks it against this table before using it, so a stale
// or made-up handle fails like an invalid one instead of being dereferenced.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

struct SDL_Window;

namespace zel::win32 {

// Off-screen windows (zel_win32_ext.h) are drawn into but never shown: calls that show, move
// or focus a window refuse them, and quit requests and keys go to the top-level windows.
enum class WindowKind { TopLevel, Dialog, Control, Offscreen };

struct WindowObject : HWND__ {
  explicit WindowObject(WindowKind k) : HWND__{0}, kind(k) {}
  virtual ~WindowObject() = default;

  WindowKind kind;
  WNDPROC proc = nullptr;     // top-level windows: the class's window procedure
  DWORD style = 0;
  DWORD exStyle = 0;
  std::string title;
  RECT rect{};                // outer rectangle, screen pixels
  SDL_Window* sdl = nullptr;  // top-level and off-screen windows only
  uint32_t sdlId = 0;         // SDL's window id, for events
  uint64_t serial = 0;        // creation order
};

void AddWindow(WindowObject* window);
void RemoveWindow(WindowObject* window);  // does not delete it
WindowObject* FindWindow(HWND hwnd);      // null when the handle is not live
WindowObject* FindWindowBySdlId(uint32_t sdlId);
WindowObject* FirstTopLevelWindow();  // the oldest live one; null when there is none

// Closes and frees a dialog made by CreateDialogParamA or DialogBoxParamA (dialog_gtk.cpp).
void DestroyDialog(WindowObject* dialog);

// Window frame we model around the client area. The Linux window manager draws its own
// decorations outside the client area, so only the caption height is counted: it is what
// SM_CYCAPTION reports and what AdjustWindowRectEx adds for WS_CAPTION.
constexpr int kCaptionHeight = 19;  // pixels
RECT FrameInsets(DWORD style, DWORD exStyle);  // left/top/right/bottom widths, pixels

}  // namespace zel::win32
