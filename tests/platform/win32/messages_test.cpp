// Windows, the message queue and SDL events on a real display.
#include <SDL.h>
#include <windows.h>
#include <zel_win32_ext.h>

#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/virtual_keys.h"
#include "platform/wsi/wsi.h"

namespace zel::win32 {

namespace {

std::vector<MSG> received;

LRESULT CALLBACK Record(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  received.push_back(MSG{hwnd, message, wParam, lParam, 0, {}});
  return 0;
}

class Messages : public ::testing::Test {
 protected:
  void SetUp() override {
    static bool registered = false;
    if (!registered) {
      WNDCLASSA c = {};
      c.lpfnWndProc = Record;
      c.lpszClassName = "Recorder";
      ASSERT_NE(RegisterClassA(&c), 0);
      EXPECT_EQ(RegisterClassA(&c), 0);  // a second registration fails
      registered = true;
    }
    hwnd = CreateWindowExA(0, "Recorder", "t", WS_CAPTION | WS_SYSMENU, 10, 20, 200, 100, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(hwnd, nullptr);
    received.clear();
  }
  void TearDown() override { DestroyWindow(hwnd); }

  // Pushes an SDL key event as the keyboard would, for our window.
  void Key(Uint32 type, SDL_Keycode sym, Uint16 mod = 0, Uint8 repeat = 0) {
    SDL_Event e = {};
    e.type = type;
    e.key.windowID = SDL_GetWindowID(zel::wsi::SdlWindowOf(hwnd));
    e.key.keysym.sym = sym;
    e.key.keysym.mod = mod;
    e.key.repeat = repeat;
    SDL_PushEvent(&e);
  }
  std::vector<MSG> Drain() {
    std::vector<MSG> out;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) out.push_back(msg);
    return out;
  }
  HWND hwnd = nullptr;
};

TEST_F(Messages, ClientAreaLeavesOutTheCaption) {
  RECT r{0, 0, 200, 100};
  ASSERT_TRUE(AdjustWindowRectEx(&r, WS_CAPTION | WS_SYSMENU, FALSE, 0));
  EXPECT_EQ(r.top, -GetSystemMetrics(SM_CYCAPTION));
  EXPECT_EQ(r.right, 200);
  RECT popup{0, 0, 200, 100};
  AdjustWindowRectEx(&popup, WS_POPUP, FALSE, WS_EX_APPWINDOW);
  EXPECT_EQ(popup.top, 0);
  RECT client;
  ASSERT_TRUE(GetClientRect(hwnd, &client));
  EXPECT_EQ(client.right, 200);
  EXPECT_EQ(client.bottom, 100 - GetSystemMetrics(SM_CYCAPTION));
  EXPECT_NE(zel::wsi::SdlWindowOf(hwnd), nullptr);
  EXPECT_EQ(zel::wsi::SdlWindowOf(reinterpret_cast<HWND>(&received)), nullptr);
}

TEST_F(Messages, KeysBecomeKeyMessagesWithVirtualKeyCodes) {
  Key(SDL_KEYDOWN, SDLK_ESCAPE);
  Key(SDL_KEYDOWN, SDLK_ESCAPE, 0, 1);  // auto-repeat
  Key(SDL_KEYDOWN, SDLK_q);
  Key(SDL_KEYDOWN, SDLK_F4, KMOD_LALT);
  std::vector<MSG> m = Drain();
  ASSERT_EQ(m.size(), 4u);
  EXPECT_EQ(m[0].message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_EQ(m[0].wParam, static_cast<WPARAM>(VK_ESCAPE));
  EXPECT_EQ(m[0].hwnd, hwnd);
  EXPECT_EQ(m[1].message, static_cast<UINT>(WM_KEYDOWN));
  EXPECT_TRUE(m[1].lParam & (1 << 30));  // previous state: down
  EXPECT_EQ(m[2].wParam, static_cast<WPARAM>('Q'));
  EXPECT_EQ(m[3].message, static_cast<UINT>(WM_SYSKEYDOWN));
  EXPECT_EQ(m[3].wParam, static_cast<WPARAM>(VK_F4));
}

TEST_F(Messages, AReleaseWaitsUntilTheQueueWasFoundEmptyOnce) {
  Key(SDL_KEYDOWN, SDLK_ESCAPE);
  Key(SDL_KEYUP, SDLK_ESCAPE);
  Key(SDL_KEYDOWN, SDLK_a);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
  // The release (and what came after it) waits: a frame sees Escape down.
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  std::vector<MSG> rest = Drain();
  ASSERT_EQ(rest.size(), 2u);
  EXPECT_EQ(rest[0].message, static_cast<UINT>(WM_KEYUP));
  EXPECT_EQ(rest[1].wParam, static_cast<WPARAM>('A'));
}

TEST_F(Messages, QuitComesAfterPostedMessagesAndDispatchReachesTheProcedure) {
  PostQuitMessage(3);
  PostMessageA(hwnd, WM_USER, 1, 2);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
  DispatchMessageA(&msg);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].wParam, 1u);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Messages, CloseButtonAndDefaultCloseProcessing) {
  SDL_Event e = {};
  e.type = SDL_WINDOWEVENT;
  e.window.event = SDL_WINDOWEVENT_CLOSE;
  e.window.windowID = SDL_GetWindowID(zel::wsi::SdlWindowOf(hwnd));
  SDL_PushEvent(&e);
  std::vector<MSG> m = Drain();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, static_cast<UINT>(WM_CLOSE));
  // Unhandled, WM_CLOSE destroys the window (WM_DESTROY reaches the procedure).
  DefWindowProcA(hwnd, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(hwnd));
  ASSERT_FALSE(received.empty());
  EXPECT_EQ(received.back().message, static_cast<UINT>(WM_DESTROY));
  EXPECT_FALSE(DestroyWindow(hwnd));  // the stale handle is refused
}

TEST_F(Messages, CtrlCClosesTheWindowOrWithoutOneQuits) {
  SDL_Event e = {};
  e.type = SDL_QUIT;  // what SDL makes of SIGINT and SIGTERM
  SDL_PushEvent(&e);
  std::vector<MSG> m = Drain();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, static_cast<UINT>(WM_CLOSE));
  EXPECT_EQ(m[0].hwnd, hwnd);
  // A program without a window (the offline capture) is asked to quit instead.
  DestroyWindow(hwnd);
  SDL_PushEvent(&e);
  m = Drain();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, static_cast<UINT>(WM_QUIT));
}

TEST_F(Messages, HiddenWindowsNeverShowNorTakeTheDisplay) {
  zel::win32::SetHiddenWindows(true);
  DEVMODEA mode = {};
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = 333;  // no display has this mode; hidden runs do not ask it for one
  mode.dmPelsHeight = 222;
  mode.dmBitsPerPel = 32;
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
  EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
  HWND popup = CreateWindowExA(WS_EX_APPWINDOW, "Recorder", "hidden", WS_POPUP, 0, 0, 333, 222,
                               nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(popup, nullptr);
  ShowWindow(popup, SW_SHOW);
  SDL_Window* window = zel::wsi::SdlWindowOf(popup);
  EXPECT_FALSE(SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN);
  int w = 0, h = 0;
  SDL_GetWindowSize(window, &w, &h);
  EXPECT_EQ(w, 333);
  EXPECT_EQ(h, 222);
  DestroyWindow(popup);
  ChangeDisplaySettingsA(nullptr, 0);
  zel::win32::SetHiddenWindows(false);
  EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_BADMODE);
  mode.dmBitsPerPel = 8;
  EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_BADMODE);
  EXPECT_EQ(ChangeDisplaySettingsA(&mode, 0), DISP_CHANGE_FAILED);  // only temporary changes
}

TEST_F(Messages, OffscreenWindowsAreSurfacesThatNeverShowNorTakeInput) {
  DestroyWindow(hwnd);  // made again below, after the off-screen window
  HWND offscreen = zel::win32::CreateOffscreenWindow(48, 32);
  ASSERT_NE(offscreen, nullptr);
  hwnd = CreateWindowExA(0, "Recorder", "t", WS_POPUP, 0, 0, 20, 20, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_TRUE(IsWindow(offscreen));
  RECT client;
  ASSERT_TRUE(GetClientRect(offscreen, &client));
  EXPECT_EQ(client.right, 48);
  EXPECT_EQ(client.bottom, 32);
  // The device finds it like any window it may draw into.
  SDL_Window* surface = zel::wsi::SdlWindowOf(offscreen);
  ASSERT_NE(surface, nullptr);
  EXPECT_FALSE(ShowWindow(offscreen, SW_SHOW));
  EXPECT_FALSE(SetWindowPos(offscreen, HWND_TOP, 0, 0, 10, 10, 0));
  EXPECT_FALSE(SDL_GetWindowFlags(surface) & SDL_WINDOW_SHOWN);
  // Keys no window has the focus for, and quit requests, go to the program's own window,
  // though the off-screen one is older.
  SDL_Event key = {};
  key.type = SDL_KEYDOWN;
  key.key.keysym.sym = SDLK_a;
  SDL_PushEvent(&key);
  SDL_Event quit = {};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  std::vector<MSG> m = Drain();
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].hwnd, hwnd);
  EXPECT_EQ(m[1].hwnd, hwnd);
  EXPECT_EQ(m[1].message, static_cast<UINT>(WM_CLOSE));
  // With no window of its own the program gets WM_QUIT, not a close of the surface.
  DestroyWindow(hwnd);
  hwnd = nullptr;
  SDL_PushEvent(&quit);
  m = Drain();
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0].message, static_cast<UINT>(WM_QUIT));
  EXPECT_TRUE(DestroyWindow(offscreen));
  EXPECT_FALSE(IsWindow(offscreen));
  EXPECT_EQ(zel::wsi::SdlWindowOf(offscreen), nullptr);
  EXPECT_EQ(zel::win32::CreateOffscreenWindow(0, 32), nullptr);
}

TEST(VirtualKeys, EveryCodeIsBelow256) {
  EXPECT_EQ(zel::win32::VirtualKeyFromSdl(SDLK_ESCAPE), static_cast<UINT>(VK_ESCAPE));
  EXPECT_EQ(zel::win32::VirtualKeyFromSdl(SDLK_7), static_cast<UINT>('7'));
  EXPECT_EQ(zel::win32::VirtualKeyFromSdl(SDLK_F24), static_cast<UINT>(VK_F24));
  EXPECT_EQ(zel::win32::VirtualKeyFromSdl(SDLK_KP_9), static_cast<UINT>(VK_NUMPAD0 + 9));
  EXPECT_EQ(zel::win32::VirtualKeyFromSdl(SDLK_RSHIFT), static_cast<UINT>(VK_SHIFT));
  EXPECT_EQ(zel::win32::VirtualKeyFromSdl(SDLK_AUDIOPLAY), 0u);
  for (SDL_Keycode k : {SDLK_a, SDLK_z, SDLK_F1, SDLK_F12, SDLK_QUOTE, SDLK_KP_DIVIDE})
    EXPECT_LT(zel::win32::VirtualKeyFromSdl(k), 256u);
}

}  // namespace

}  // namespace zel::win32
