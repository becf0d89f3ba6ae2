// The setup dialog's procedure: six resolutions and the full-screen check box. The settings
// are written only when the viewer presses OK.
#include "app/demo_app.h"

namespace zel::app {

namespace {

constexpr int kFullscreenBox = 1000;

struct Resolution {
  int id;
  int width, height;  // pixels
};
constexpr Resolution kResolutions[] = {
    {1001, 320, 240}, {1002, 400, 300}, {1003, 512, 384},
    {1004, 640, 480}, {1005, 800, 600}, {1006, 1024, 768},
};
constexpr int kInitialResolution = 1005;

}  // namespace

INT_PTR CALLBACK DemoApp::SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      CheckDlgButton(dialog, kFullscreenBox, BST_CHECKED);
      CheckDlgButton(dialog, kInitialResolution, BST_CHECKED);
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          fullscreen = IsDlgButtonChecked(dialog, kFullscreenBox) != 0;
          // In id order, so if several were checked the highest id would win.
          for (const Resolution& r : kResolutions) {
            if (IsDlgButtonChecked(dialog, r.id)) {
              width = r.width;
              height = r.height;
            }
          }
          EndDialog(dialog, 1);
          return 1;
        case IDCANCEL:  // also Escape and the close box
          EndDialog(dialog, 0);
          return 1;
        default:
          return 0;
      }
    default:
      return 0;
  }
}

}  // namespace zel::app
