// The setup dialog on real GTK widgets (needs a display): the template as resource 101, the
// dialog procedure, and clicks sent to the buttons as a viewer's would be.
#include <gtest/gtest.h>

#include <vector>

#include "app/demo_app.h"
#include "app/app_resources.h"
#include "platform/win32/dialog_template.h"

namespace zel::app {

namespace {

// Buttons to click once the dialog procedure has initialised the dialog.
std::vector<int> clicks;
std::vector<std::pair<int, UINT>> seen;  // (id, IsDlgButtonChecked) read before the clicks

INT_PTR CALLBACK ScriptedDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  INT_PTR result = DemoApp::SetupDialogProc(dialog, message, wParam, lParam);
  if (message == WM_INITDIALOG) {
    for (int id : {1000, 1001, 1002, 1003, 1004, 1005, 1006})
      seen.emplace_back(id, IsDlgButtonChecked(dialog, id));
    for (int id : clicks) SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0);
  }
  return result;
}

class SetupDialog : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterAppResources(); }
  void SetUp() override {
    DemoApp::width = DemoApp::height = 0;
    DemoApp::fullscreen = 1;
    clicks.clear();
    seen.clear();
  }
  INT_PTR Show(std::vector<int> buttons) {
    clicks = std::move(buttons);
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(101), nullptr,
                           ScriptedDialog, 0);
  }
};

TEST_F(SetupDialog, UntouchedOkGivesFullscreen800x600) {
  ASSERT_EQ(Show({IDOK}), 1);
  EXPECT_EQ(DemoApp::width, 800);
  EXPECT_EQ(DemoApp::height, 600);
  EXPECT_EQ(DemoApp::fullscreen, 1);
  // WM_INITDIALOG checked exactly the box and 800 x 600.
  for (auto [id, checked] : seen)
    EXPECT_EQ(checked, (id == 1000 || id == 1005) ? BST_CHECKED : BST_UNCHECKED) << id;
}

TEST_F(SetupDialog, UncheckedBoxAnd320x240GivesAWindow) {
  ASSERT_EQ(Show({1000, 1001, IDOK}), 1);
  EXPECT_EQ(DemoApp::width, 320);
  EXPECT_EQ(DemoApp::height, 240);
  EXPECT_EQ(DemoApp::fullscreen, 0);
}

TEST_F(SetupDialog, RadioButtonsExcludeOneAnother) {
  ASSERT_EQ(Show({1003, 1006, IDOK}), 1);  // the last one chosen is the only one set
  EXPECT_EQ(DemoApp::width, 1024);
  EXPECT_EQ(DemoApp::height, 768);
}

TEST_F(SetupDialog, CancelGivesZeroAndKeepsTheSettings) {
  EXPECT_EQ(Show({1001, IDCANCEL}), 0);
  EXPECT_EQ(DemoApp::width, 0);
  EXPECT_EQ(DemoApp::fullscreen, 1);
}

TEST_F(SetupDialog, ModelessDialogButtonsAreRealWidgets) {
  HWND dialog = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(101), nullptr,
                                   DemoApp::SetupDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(IsDlgButtonChecked(dialog, 1005), BST_CHECKED);
  EXPECT_TRUE(CheckDlgButton(dialog, 1002, BST_CHECKED));
  // GTK radio groups are always exclusive, so (unlike BM_SETCHECK on Windows) checking one
  // by program clears the others of the group.
  EXPECT_EQ(IsDlgButtonChecked(dialog, 1002), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog, 1005), BST_UNCHECKED);
  EXPECT_TRUE(CheckDlgButton(dialog, 1002, BST_UNCHECKED));
  for (int id = 1001; id <= 1006; ++id) EXPECT_EQ(IsDlgButtonChecked(dialog, id), BST_UNCHECKED);
  EXPECT_FALSE(CheckDlgButton(dialog, 4242, BST_CHECKED));  // no such control
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDOK), BST_UNCHECKED);
  EXPECT_NE(GetDlgItem(dialog, IDCANCEL), nullptr);
  EXPECT_TRUE(DestroyWindow(dialog));
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(IsDlgButtonChecked(dialog, 1000), BST_UNCHECKED);  // a stale handle is refused
}

TEST(SetupDialogTemplate, HoldsTheTwelveControls) {
  zel::win32::DialogTemplate tpl;
  auto parsed = zel::win32::ParseDialogTemplateEx(kSetupDialogTemplate, sizeof kSetupDialogTemplate, tpl);
  ASSERT_TRUE(parsed.ok) << parsed.error;
  EXPECT_EQ(parsed.offset, sizeof kSetupDialogTemplate);
  EXPECT_EQ(tpl.title, "Setup Zel 16");
  EXPECT_EQ(tpl.style, 0x80C808C0u);
  EXPECT_EQ(tpl.cx, 220);
  EXPECT_EQ(tpl.cy, 215);
  EXPECT_EQ(tpl.typeface, "MS Sans Serif");
  EXPECT_EQ(tpl.pointSize, 8);
  struct Expected {
    int id;
    const char* text;
    short x, y, cx, cy;
  };
  const Expected expected[] = {
      {1, "Gooooooooo!", 6, 198, 102, 14},   {2, "Quuuuiiiiiit", 114, 198, 99, 14},
      {1000, "Fullscreen (recommended)", 54, 174, 99, 10},
      {1001, "320 x 240", 12, 132, 47, 10},  {1002, "400 x 300", 60, 132, 47, 10},
      {1003, "512 x 384", 156, 132, 47, 10}, {1004, "640 x 480", 108, 132, 47, 10},
      {1005, "800 x 600", 60, 144, 47, 10},  {1006, "1024 x 768", 108, 144, 48, 10},
      {-1, "Resolution", 6, 120, 204, 36},   {-1, "Mode", 6, 162, 204, 30},
  };
  ASSERT_EQ(tpl.items.size(), 12u);
  for (size_t i = 0; i < 11; ++i) {
    const auto& item = tpl.items[i];
    EXPECT_EQ(item.id, expected[i].id) << i;
    EXPECT_EQ(item.title.text, expected[i].text) << i;
    EXPECT_EQ(item.x, expected[i].x) << i;
    EXPECT_EQ(item.y, expected[i].y) << i;
    EXPECT_EQ(item.cx, expected[i].cx) << i;
    EXPECT_EQ(item.cy, expected[i].cy) << i;
    EXPECT_EQ(item.style & (WS_CHILD | WS_VISIBLE | WS_GROUP), DWORD(WS_CHILD | WS_VISIBLE)) << i;
  }
  const auto& picture = tpl.items[11];
  EXPECT_TRUE(picture.title.isOrdinal);
  EXPECT_EQ(picture.title.ordinal, 115);
  EXPECT_EQ(picture.style & 0x1F, DWORD(SS_BITMAP));
  EXPECT_EQ(picture.exStyle, DWORD(WS_EX_CLIENTEDGE));
}

}  // namespace

}  // namespace zel::app
