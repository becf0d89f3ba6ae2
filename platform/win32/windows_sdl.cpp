// Window classes and top-level windows on SDL: one SDL window per CreateWindowExA, its
// client area the window's size less the frame we model (window_table.h). Windows are
// created hidden and appear with ShowWindow, as WS_VISIBLE is never asked for.
#include <SDL.h>
#include <windows.h>
#include <zel_win32_ext.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "platform/win32/display_mode.h"
#include "platform/win32/windows_sdl.h"
#include "platform/win32/window_table.h"
#include "platform/wsi/wsi.h"

namespace zel::win32 {
namespace {

struct ClassInfo {
  WNDPROC proc = nullptr;
  UINT style = 0;
};

std::map<std::string, ClassInfo>& Classes() {
  static std::map<std::string, ClassInfo> classes;
  return classes;
}

struct Options {
  bool batch = false;
  bool hidden = false;
  bool borderless = false;
  int display = 0;
};
Options& Opts() {
  static Options options;
  return options;
}

int cursorCount = 0;  // ShowCursor's display counter: the cursor shows while it is >= 0
HWND focusWindow = nullptr;
HINSTANCE__ moduleInstance{0};

void ShutdownVideo() {
  if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}


}  // namespace

void SetBatchMode(bool batch) { Opts().batch = batch; }
bool BatchMode() { return Opts().batch; }
void SetHiddenWindows(bool hidden) { Opts().hidden = hidden; }
bool HiddenWindows() { return Opts().hidden; }
void SetBorderlessFullscreen(bool borderless) { Opts().borderless = borderless; }
bool BorderlessFullscreen() { return Opts().borderless; }
void SetDisplayIndex(int index) { Opts().display = index; }
int ChosenDisplay() {
  int wanted = Opts().display;
  if (wanted == 0) return 0;
  if (wanted > 0 && wanted < SDL_GetNumVideoDisplays()) return wanted;
  static bool told = false;
  if (!told) {
    told = true;
    std::fprintf(stderr, "zel16: there is no display %d; using display 0\n", wanted);
  }
  return 0;
}


bool EnsureSdlVideo() {
  if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  if (!zel::wsi::StartVideo()) {
    std::fprintf(stderr, "zel16: cannot start the video system: %s\n", SDL_GetError());
    return false;
  }
  // With no display SDL falls back on its offscreen driver, and the show would then run
  // unseen. That driver is only for whoever names it in SDL_VIDEODRIVER.
  const char* driver = SDL_GetCurrentVideoDriver();
  const char* asked = std::getenv("SDL_VIDEODRIVER");
  if (driver != nullptr && (asked == nullptr || *asked == '\0') &&
      (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    std::fprintf(stderr, "zel16: cannot start the video system: no display (is DISPLAY set?)\n");
    return false;
  }
  static bool registered = false;
  if (!registered) std::atexit(ShutdownVideo);  // restores a changed display mode
  registered = true;
  return true;
}

}  // namespace zel::win32

using namespace zel::win32;

namespace {

// The client size SDL is given for a window of the given outer size.
void ClientSizeOf(const WindowObject& window, int& width, int& height) {
  RECT insets = FrameInsets(window.style, window.exStyle);
  width = window.rect.right - window.rect.left - insets.left - insets.right;
  height = window.rect.bottom - window.rect.top - insets.top - insets.bottom;
  if (width < 1) width = 1;
  if (height < 1) height = 1;
}

bool IsPopup(DWORD style) { return (style & WS_POPUP) && (style & WS_CAPTION) != WS_CAPTION; }

SDL_Window* MakeSdlWindow(const WindowObject& window) {
  int width = 0, height = 0;
  ClientSizeOf(window, width, height);
  int modeWidth = 0, modeHeight = 0;
  bool fullscreen = !HiddenWindows() && IsPopup(window.style) &&
                    FullscreenModeActive(modeWidth, modeHeight) && width == modeWidth &&
                    height == modeHeight;
  if (fullscreen) {
    if (SDL_Window* taken = TakeModeWindow(width, height)) {
      SDL_SetWindowTitle(taken, window.title.c_str());
      return taken;
    }
  }
  zel::wsi::SetGlAttributes();  // a device may draw into any window: its pixel format is set now
  // High-DPI surfaces get their full pixel count; the device presents into the drawable's
  // pixel size, which may then be larger than the window's size in points.
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
  if (IsPopup(window.style)) flags |= SDL_WINDOW_BORDERLESS;
  if (fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  RECT insets = FrameInsets(window.style, window.exStyle);
  // Window positions count from the chosen display's corner; a desktop-size full-screen
  // window covers the display it is placed on.
  SDL_Rect bounds{0, 0, 0, 0};
  int display = ChosenDisplay();
  if (display != 0 || (fullscreen && BorderlessFullscreen())) SDL_GetDisplayBounds(display, &bounds);
  if (fullscreen && BorderlessFullscreen() && bounds.w > 0 && bounds.h > 0) {
    // Made at the display's size, as not every window manager (or none) resizes a
    // desktop-size full-screen window; the device fits its picture in with bars.
    return SDL_CreateWindow(window.title.c_str(), bounds.x, bounds.y, bounds.w, bounds.h, flags);
  }
  return SDL_CreateWindow(window.title.c_str(), bounds.x + window.rect.left + insets.left,
                          bounds.y + window.rect.top + insets.top, width, height, flags);
}

}  // namespace

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
  // Only the program's own module exists here.
  return lpModuleName == nullptr ? &moduleInstance : nullptr;
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* lpWndClass) {
  if (lpWndClass == nullptr || lpWndClass->lpszClassName == nullptr ||
      lpWndClass->lpfnWndProc == nullptr)
    return 0;
  auto [it, inserted] = Classes().try_emplace(lpWndClass->lpszClassName);
  if (!inserted) return 0;  // ERROR_CLASS_ALREADY_EXISTS
  it->second.proc = lpWndClass->lpfnWndProc;
  it->second.style = lpWndClass->style;
  return static_cast<ATOM>(0xC000 + Classes().size());  // atoms of registered classes
}

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle,
                            int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                            HINSTANCE hInstance, LPVOID lpParam) {
  if (lpClassName == nullptr || IS_INTRESOURCE(lpClassName)) return nullptr;
  auto cls = Classes().find(lpClassName);
  if (cls == Classes().end()) return nullptr;
  if (hWndParent != nullptr || (dwStyle & WS_CHILD)) return nullptr;  // top-level windows only
  if (!EnsureSdlVideo()) return nullptr;

  auto* window = new WindowObject(WindowKind::TopLevel);
  window->proc = cls->second.proc;
  window->style = dwStyle;
  window->exStyle = dwExStyle;
  window->title = lpWindowName ? lpWindowName : "";
  window->rect = RECT{X, Y, X + nWidth, Y + nHeight};
  window->sdl = MakeSdlWindow(*window);
  if (window->sdl == nullptr) {
    std::fprintf(stderr, "zel16: cannot create the window: %s\n", SDL_GetError());
    delete window;
    return nullptr;
  }
  window->sdlId = SDL_GetWindowID(window->sdl);
  AddWindow(window);
  HWND hwnd = window;
  // The creation data record is not offered; a procedure that refuses creation gets -1 through.
  if (window->proc(hwnd, WM_CREATE, 0, 0) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  if (dwStyle & WS_VISIBLE) ShowWindow(hwnd, SW_SHOW);
  return hwnd;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
  WindowObject* window = FindWindow(hWnd);
  if (window == nullptr || window->kind == WindowKind::Control) return FALSE;
  if (window->kind == WindowKind::Dialog) {
    DestroyDialog(window);
    return TRUE;
  }
  window->proc(hWnd, WM_DESTROY, 0, 0);
  RemoveWindow(window);
  if (focusWindow == hWnd) focusWindow = nullptr;
  SDL_DestroyWindow(window->sdl);
  delete window;
  return TRUE;
}

BOOL WINAPI IsWindow(HWND hWnd) { return FindWindow(hWnd) != nullptr; }

BOOL WINAPI AdjustWindowRectEx(LPRECT lpRect, DWORD dwStyle, BOOL bMenu, DWORD dwExStyle) {
  if (lpRect == nullptr) return FALSE;
  RECT insets = FrameInsets(dwStyle, dwExStyle);
  lpRect->left -= insets.left;
  lpRect->top -= insets.top;
  lpRect->right += insets.right;
  lpRect->bottom += insets.bottom;
  return TRUE;  // no menu bars here: bMenu adds nothing
}

BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) {
  WindowObject* window = FindWindow(hWnd);
  if (window == nullptr || window->kind != WindowKind::TopLevel) return FALSE;
  RECT& r = window->rect;
  if (!(uFlags & SWP_NOMOVE)) {
    r = RECT{X, Y, X + (r.right - r.left), Y + (r.bottom - r.top)};
    RECT insets = FrameInsets(window->style, window->exStyle);
    SDL_SetWindowPosition(window->sdl, X + insets.left, Y + insets.top);
  }
  if (!(uFlags & SWP_NOSIZE)) {
    r.right = r.left + cx;
    r.bottom = r.top + cy;
    int width = 0, height = 0;
    ClientSizeOf(*window, width, height);
    SDL_SetWindowSize(window->sdl, width, height);
  }
  if ((uFlags & SWP_SHOWWINDOW) && !HiddenWindows()) SDL_ShowWindow(window->sdl);
  return TRUE;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
  WindowObject* window = FindWindow(hWnd);
  if (window == nullptr || window->kind != WindowKind::TopLevel) return FALSE;
  bool wasVisible = (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_SHOWN) != 0;
  if (nCmdShow == SW_HIDE)
    SDL_HideWindow(window->sdl);
  else if (!HiddenWindows())
    SDL_ShowWindow(window->sdl);
  return wasVisible;
}

BOOL WINAPI SetForegroundWindow(HWND hWnd) {
  WindowObject* window = FindWindow(hWnd);
  if (window == nullptr || window->kind != WindowKind::TopLevel) return FALSE;
  if (!HiddenWindows()) SDL_RaiseWindow(window->sdl);
  return TRUE;
}

HWND WINAPI SetFocus(HWND hWnd) {
  HWND previous = focusWindow;
  WindowObject* window = FindWindow(hWnd);
  if (hWnd != nullptr && (window == nullptr || window->kind != WindowKind::TopLevel)) return nullptr;
  if (window && !HiddenWindows() && (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_SHOWN))
    SDL_SetWindowInputFocus(window->sdl);
  focusWindow = hWnd;
  return previous;
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
  WindowObject* window = FindWindow(hWnd);
  if (window == nullptr || lpRect == nullptr) return FALSE;
  *lpRect = window->rect;
  return TRUE;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
  WindowObject* window = FindWindow(hWnd);
  if (window == nullptr || lpRect == nullptr) return FALSE;
  int width = 0, height = 0;
  if (window->sdl)
    SDL_GetWindowSize(window->sdl, &width, &height);
  else
    ClientSizeOf(*window, width, height);
  *lpRect = RECT{0, 0, width, height};
  return TRUE;
}

int WINAPI GetSystemMetrics(int nIndex) {
  switch (nIndex) {
    case SM_CXSCREEN:
    case SM_CYSCREEN: {
      SDL_DisplayMode mode;
      if (!EnsureSdlVideo() || SDL_GetCurrentDisplayMode(ChosenDisplay(), &mode) != 0) return 0;
      return nIndex == SM_CXSCREEN ? mode.w : mode.h;
    }
    case SM_CYCAPTION:
      return kCaptionHeight;
    case SM_CXBORDER:
    case SM_CYBORDER:
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      return 0;  // the window manager's frame lies outside what we model
    default:
      return 0;
  }
}

int WINAPI ShowCursor(BOOL bShow) {
  cursorCount += bShow ? 1 : -1;
  if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return cursorCount;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE, LPCSTR) { return nullptr; }  // SDL's default arrow
HICON WINAPI LoadIconA(HINSTANCE, LPCSTR) { return nullptr; }
HGDIOBJ WINAPI GetStockObject(int) { return nullptr; }  // the GL clear paints the background
