// The demo window on a real display: its rectangle and centring, full-screen at the
// display's own size, the refused full-screen mode, and the window procedure.
#include <gtest/gtest.h>
#include <zel_win32_ext.h>

#include "app/demo_app.h"

namespace zel::app {

namespace {

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    zel::win32::SetBatchMode(true);  // message boxes answer with their default
    for (BYTE& key : DemoApp::keys) key = 0;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  void TearDown() override {
    if (DemoApp::window) DestroyWindow(DemoApp::window);
    DemoApp::window = nullptr;
    ChangeDisplaySettingsA(nullptr, 0);
  }
  static bool QuitPosted() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
      if (msg.message == WM_QUIT) return true;
    return false;
  }
};

TEST_F(MainWindow, WindowModeIsCentredWithIntegerHalves) {
  int caption = GetSystemMetrics(SM_CYCAPTION);
  ASSERT_GT(caption, 0);
  ASSERT_EQ(DemoApp::CreateMainWindow("Zel 16", 801, 600 + caption, 32, false), 1);
  EXPECT_EQ(DemoApp::fullscreen, 0);
  ASSERT_NE(DemoApp::window, nullptr);
  // The adjusted rectangle: right 801, bottom 600 + caption, top -caption (not added).
  RECT r;
  ASSERT_TRUE(GetWindowRect(DemoApp::window, &r));
  int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_EQ(r.left, screenW / 2 - 801 / 2);
  EXPECT_EQ(r.top, screenH / 2 - (600 + caption) / 2);
  EXPECT_EQ(r.right - r.left, 801);
  EXPECT_EQ(r.bottom - r.top, 600 + caption);
  RECT client;
  ASSERT_TRUE(GetClientRect(DemoApp::window, &client));
  EXPECT_EQ(client.right, 801);  // the caption allowance gives the chosen client height
  EXPECT_EQ(client.bottom, 600);
}

TEST_F(MainWindow, FullscreenAtTheDisplaySizeIsAPopupAtTheOrigin) {
  int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  ASSERT_EQ(DemoApp::CreateMainWindow("Zel 16", w, h, 32, true), 1);
  EXPECT_EQ(DemoApp::fullscreen, 1);
  RECT r;
  ASSERT_TRUE(GetWindowRect(DemoApp::window, &r));
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, w);
  EXPECT_EQ(r.bottom, h);
  EXPECT_EQ(ShowCursor(TRUE), 0);  // it had been hidden (count -1)
}

TEST_F(MainWindow, RefusedFullscreenAnsweredNoCreatesNothing) {
  // A size the display does not have; batch mode answers the question with No.
  testing::internal::CaptureStderr();
  EXPECT_EQ(DemoApp::CreateMainWindow("Zel 16", 333, 222, 32, true), 0);
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("ERROR: Could not set the fullscreen mode. Do u want to switch to window mode?"),
            std::string::npos);
  EXPECT_NE(said.find("ERROR: Total error. Shutting down."), std::string::npos);
  EXPECT_EQ(DemoApp::window, nullptr);
}

TEST_F(MainWindow, WindowProcRecordsKeysAndTurnsCloseIntoQuit) {
  ASSERT_EQ(DemoApp::CreateMainWindow("Zel 16", 320, 240, 32, false), 1);
  HWND w = DemoApp::window;
  DemoApp& app = *theApp;
  EXPECT_EQ(app.WindowProc(w, WM_CREATE, 0, 0), 0);
  app.WindowProc(w, WM_KEYDOWN, VK_ESCAPE, 0);
  app.WindowProc(w, WM_KEYDOWN, VK_ESCAPE, 0x40000000);  // auto-repeat
  EXPECT_EQ(DemoApp::keys[VK_ESCAPE], 1);
  app.WindowProc(w, WM_KEYUP, VK_ESCAPE, 0xC0000000);
  EXPECT_EQ(DemoApp::keys[VK_ESCAPE], 0);
  app.WindowProc(w, WM_KEYDOWN, 256, 0);  // no virtual key is that large: ignored
  app.WindowProc(w, WM_KEYDOWN, ~WPARAM{0}, 0);
  EXPECT_FALSE(QuitPosted());
  EXPECT_EQ(app.WindowProc(w, WM_CLOSE, 0, 0), 0);
  EXPECT_TRUE(QuitPosted());
  EXPECT_TRUE(IsWindow(w));  // the window is not destroyed
}

TEST_F(MainWindow, AltF4ReachesCloseThroughTheDefaultProcessing) {
  ASSERT_EQ(DemoApp::CreateMainWindow("Zel 16", 320, 240, 32, false), 1);
  constexpr LPARAM kAltDown = LPARAM{1} << 29;
  theApp->WindowProc(DemoApp::window, WM_SYSKEYDOWN, VK_F4, kAltDown | 1);
  EXPECT_TRUE(QuitPosted());
  EXPECT_EQ(DemoApp::keys[VK_F4], 0);  // system keys are not recorded
}

TEST_F(MainWindow, MessagesReachTheWindowProcThroughTheQueue) {
  ASSERT_EQ(DemoApp::CreateMainWindow("Zel 16", 320, 240, 32, false), 1);
  ASSERT_TRUE(PostMessageA(DemoApp::window, WM_KEYDOWN, 'A', 1));
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  EXPECT_EQ(DemoApp::keys['A'], 1);
}

}  // namespace

}  // namespace zel::app
