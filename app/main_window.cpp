// The demo window: class "MainFrame", a captioned window centred on the screen or a frameless
// pop-up over a full-screen display mode, and its message handler, which records key state
// and turns a close request into the quit message.
#include "app/demo_app.h"

#include "app/offline/screenshot.h"
#include "render/render_device.h"

namespace zel::app {

namespace {

constexpr DWORD kFullscreenStyle = WS_POPUP;
constexpr DWORD kFullscreenExStyle = WS_EX_APPWINDOW;
constexpr DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU;
constexpr DWORD kWindowExStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
constexpr DWORD kClipStyles = WS_CLIPSIBLINGS | WS_CLIPCHILDREN;  // only at creation
constexpr const char* kClassName = "MainFrame";

void RegisterMainClass(HINSTANCE instance, WNDPROC proc) {
  WNDCLASSA windowClass = {};
  windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
  windowClass.lpfnWndProc = proc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kClassName;
  RegisterClassA(&windowClass);  // a failure shows up as CreateWindowExA's
}

// Switches to the full-screen mode; false when the display refused it.
bool ChangeToFullscreen(int width, int height, int bitsPerPixel) {
  DEVMODEA mode = {};
  mode.dmSize = sizeof mode;
  mode.dmBitsPerPel = bitsPerPixel;
  mode.dmPelsWidth = width;
  mode.dmPelsHeight = height;
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  return ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

}  // namespace

LRESULT CALLBACK DemoApp::MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return theApp->WindowProc(hwnd, message, wParam, lParam);
}

int DemoApp::CreateMainWindow(const char* title, int width, int height, int bitsPerPixel,
                              bool fullscreenMode) {
  fullscreen = fullscreenMode;
  instance = GetModuleHandleA(nullptr);
  RegisterMainClass(instance, MainWindowProc);

  RECT rect = {0, 0, width, height};
  DWORD style = kWindowStyle;
  DWORD exStyle = kWindowExStyle;
  if (fullscreen) {
    if (ChangeToFullscreen(width, height, bitsPerPixel)) {
      ShowCursor(FALSE);
      style = kFullscreenStyle;
      exStyle = kFullscreenExStyle;
    } else if (MessageBoxA(nullptr,
                           "Could not set the fullscreen mode. Do u want to switch to window mode?",
                           "ERROR", MB_YESNO | MB_ICONWARNING) == IDYES) {
      fullscreen = false;
    } else {
      MessageBoxA(nullptr, "Total error. Shutting down.", "ERROR", MB_OK | MB_ICONERROR);
      return 0;
    }
  }
  AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  // The adjusted right and bottom edges, not the width and height: the frame and caption
  // pushed left and top below zero, and those parts are not added.
  window = CreateWindowExA(exStyle, kClassName, title, style | kClipStyles, 0, 0, rect.right,
                           rect.bottom, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 0;
  if (!fullscreen) {
    int x = GetSystemMetrics(SM_CXSCREEN) / 2 - rect.right / 2;
    int y = GetSystemMetrics(SM_CYSCREEN) / 2 - rect.bottom / 2;
    SetWindowPos(window, HWND_TOP, x, y, rect.right, rect.bottom, 0);
  }
  ShowWindow(window, SW_SHOW);
  SetForegroundWindow(window);
  SetFocus(window);
  return 1;
}

LRESULT DemoApp::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return 0;
    case WM_CLOSE:
      PostQuitMessage(0);  // the window stays; the main loop ends on the quit message
      return 0;
    case WM_KEYDOWN:
      // F12: the frame on screen to a PNG, once per press (not on auto-repeat).
      if (wParam == VK_F12 && !keys[VK_F12] && device != nullptr) offline::TakeScreenshot(device->GetDevice(), currentTime);
      if (wParam < sizeof keys) keys[wParam] = 1;  // auto-repeat keeps it at 1
      return 0;
    case WM_KEYUP:
      if (wParam < sizeof keys) keys[wParam] = 0;
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

}  // namespace zel::app
