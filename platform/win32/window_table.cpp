#include "platform/win32/window_table.h"

#include <set>

#include "platform/wsi/wsi.h"

namespace zel::win32 {
namespace {

std::set<WindowObject*>& Live() {
  static std::set<WindowObject*> live;
  return live;
}

}  // namespace

void AddWindow(WindowObject* window) {
  static uint64_t nextSerial = 1;
  window->serial = nextSerial++;
  Live().insert(window);
  // A window with an SDL window is a drawing surface: the device finds it by the handle.
  if (window->sdl != nullptr) zel::wsi::AddWindow(window, window->sdl);
}

void RemoveWindow(WindowObject* window) {
  zel::wsi::RemoveWindow(window);
  Live().erase(window);
}

WindowObject* FindWindow(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  for (WindowObject* window : Live())
    if (static_cast<HWND>(window) == hwnd) return window;
  return nullptr;
}

WindowObject* FindWindowBySdlId(uint32_t sdlId) {
  for (WindowObject* window : Live())
    if (window->sdl != nullptr && window->sdlId == sdlId) return window;
  return nullptr;
}

WindowObject* FirstTopLevelWindow() {
  WindowObject* first = nullptr;
  for (WindowObject* window : Live())
    if (window->kind == WindowKind::TopLevel && (first == nullptr || window->serial < first->serial))
      first = window;
  return first;
}

RECT FrameInsets(DWORD style, DWORD exStyle) {
  RECT insets{0, 0, 0, 0};
  if ((style & WS_CAPTION) == WS_CAPTION) insets.top = kCaptionHeight;
  return insets;
}

}  // namespace zel::win32
