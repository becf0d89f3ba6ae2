// fault_in_fullscreen: a program on the platform layer that changes the display mode, shows
// its full-screen window and then fails the way a bug of its own would: a write to memory it
// may only read (segv) or an abort (abort). Such signals come from the process itself and are
// handled on the spot, not left for the message queue as a kill from outside is. The desktop
// test checks that the desktop has its mode back all the same.
// Usage: fault_in_fullscreen WxH segv|abort   (status 2 when the mode cannot be set)
#include <sys/mman.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
  int width = 0, height = 0;
  if (argc != 3 || std::sscanf(argv[1], "%dx%d", &width, &height) != 2 ||
      (std::strcmp(argv[2], "segv") != 0 && std::strcmp(argv[2], "abort") != 0)) {
    std::fprintf(stderr, "usage: %s WxH segv|abort\n", argv[0]);
    return 2;
  }
  DEVMODEA mode = {};
  mode.dmSize = sizeof mode;
  mode.dmBitsPerPel = 32;
  mode.dmPelsWidth = static_cast<DWORD>(width);
  mode.dmPelsHeight = static_cast<DWORD>(height);
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) {
    std::fprintf(stderr, "fault_in_fullscreen: no %dx%d mode\n", width, height);
    return 2;
  }
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "Fault";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(WS_EX_APPWINDOW, "Fault", "fault_in_fullscreen", WS_POPUP, 0, 0, width,
                                height, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (window == nullptr) return 2;
  ShowWindow(window, SW_SHOW);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  std::printf("in full screen at %dx%d\n", width, height);
  std::fflush(stdout);
  if (std::strcmp(argv[2], "abort") == 0) std::abort();
  // A valid address, so that a sanitizer's checks pass it and the processor faults; volatile,
  // so that the store is made.
  void* page = mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (page == MAP_FAILED) return 2;
  *static_cast<volatile int*>(page) = 1;
  return 0;
}
