// The program's resources: the setup dialog (101) and the dialog's picture (115), which the
// data generator writes into the build tree. The dialog comes as the bytes of an extended
// dialog template (DLGTEMPLATEEX): little-endian WORDs and DWORDs, UTF-16 strings ending in a
// zero WORD, every item on a DWORD boundary. The window layer reads both as a resource
// compiler would have left them in the executable.
#include "app/app_resources.h"

#include <zel_win32_ext.h>

#include "bitmap115.h"

namespace zel::app {

namespace {

constexpr WORD kSetupDialogId = 101;
constexpr WORD kPictureId = 115;

}  // namespace

const unsigned char kSetupDialogTemplate[722] = {
  0x01, 0x00,                                               // dlgVer
  0xFF, 0xFF,                                               // signature: extended template
  0x00, 0x00, 0x00, 0x00,                                   // helpID
  0x00, 0x00, 0x00, 0x00,                                   // exStyle
  0xC0, 0x08, 0xC8, 0x80,                                   // style: WS_POPUP WS_CAPTION WS_SYSMENU DS_MODALFRAME DS_SETFONT DS_CENTER
  0x0C, 0x00,                                               // cDlgItems
  0x00, 0x00,                                               // x
  0x00, 0x00,                                               // y
  0xDC, 0x00,                                               // cx (dialog units)
  0xD7, 0x00,                                               // cy (dialog units)
  0x00, 0x00,                                               // menu: none
  0x00, 0x00,                                               // windowClass: the standard dialog class
  0x53, 0x00, 0x65, 0x00, 0x74, 0x00, 0x75, 0x00, 0x70, 0x00, 0x20, 0x00, 0x5A, 0x00, 0x65, 0x00,// title "Setup Zel 16"
  0x6C, 0x00, 0x20, 0x00, 0x31, 0x00, 0x36, 0x00, 0x00, 0x00,
  0x08, 0x00,                                               // pointsize
  0x90, 0x01,                                               // weight: normal (FW_NORMAL)
  0x00, 0x01,                                               // italic: no; charset: DEFAULT_CHARSET
  0x4D, 0x00, 0x53, 0x00, 0x20, 0x00, 0x53, 0x00, 0x61, 0x00, 0x6E, 0x00, 0x73, 0x00, 0x20, 0x00,// typeface "MS Sans Serif"
  0x53, 0x00, 0x65, 0x00, 0x72, 0x00, 0x69, 0x00, 0x66, 0x00, 0x00, 0x00,
  0x00,                                                     // (padding to a DWORD boundary)
  0x00,                                                     // (padding to a DWORD boundary)
  // ---- item: IDOK: BS_DEFPUSHBUTTON WS_TABSTOP
  0x00, 0x00, 0x00, 0x00,                                   // helpID
  0x00, 0x00, 0x00, 0x00,                                   // exStyle
  0x01, 0x00, 0x01, 0x50,                                   // style
  0x06, 0x00,                                               // x
  0xC6, 0x00,                                               // y
  0x66, 0x00,                                               // cx
  0x0E, 0x00,                                               // cy
  0x01, 0x00, 0x00, 0x00,                                   // id
  0xFF, 0xFF,                                               // windowClass: ordinal
  0x80, 0x00,                                               // 0x0080 (Button)
  0x47, 0x00, 0x6F, 0x00, 0x6F, 0x00, 0x6F, 0x00, 0x6F, 0x00, 0x6F, 0x00, 0x6F, 0x00, 0x6F, 0x00,// title "Gooooooooo!"
  0x6F, 0x00, 0x6F, 0x00, 0x21, 0x00, 0x00, 0x00,
  0x00, 0x00,                                               // extraCount
  0x00,                                                     // (padding to a DWORD boundary)
  0x00,                                                     // (padding to a DWORD boundary)
  // ---- item: IDCANCEL: BS_PUSHBUTTON WS_TABSTOP
  0x00, 0x00, 0x00, 0x00,                                   // helpID
  0x00, 0x00, 0x00, 0x00,                                   // exStyle
  0x00, 0x00, 0x01, 0x50,                                   // style
  0x72, 0x00,                                               // x
  0xC6, 0x00,                                               // y
  0x63, 0x00,                                               // cx
  0x0E, 0x00,                                               // cy
  0x02, 0x00, 0x00, 0x00,                                   // id
  0xFF, 0xFF,                                               // windowClass: ordinal
  0x80, 0x00,                                               // 0x0080 (Button)
  0x51, 0x00, 0x75, 0x00, 0x75, 0x00, 0x75, 0x00, 0x75, 0x00, 0x69, 0x00, 0x69, 0x00, 0x69, 0x00,// title "Quuuuiiiiiit"
  0x69, 0x00, 0x69, 0x00, 0x69, 0x00, 0x74, 0x00, 0x00, 0x00,
  0x00, 0x00,                                               // extraCount
  // ---- item: 1000: BS_AUTOCHECKBOX WS_TABSTOP
  0x00, 0x00, 0x00, 0x00,                                   // helpID
  0x00, 0x00, 0x00, 0x00,                                   // exStyle
  0x03, 0x00, 0x01, 0x50,                                   // style
  0x36, 0x00,                                               // x
  0xAE, 0x00,                                               // y
  0x63, 0x00,                                               // cx
  0x0A, 0x00,                                               // cy
  0xE8, 0x03, 0x00, 0x00,                                   // id
  0xFF, 0xFF,                                               // windowClass: ordinal
  0x80, 0x00,                                               // 0x0080 (Button)
  0x46, 0x00, 0x75, 0x00, 0x6C, 0x00, 0x6C, 0x00, 0x73, 0x00, 0x63, 0x00, 0x72, 0x00, 0x65, 0x00,// title "Fullscreen (recommended)"
  0x65, 0x00, 0x6E, 0x00, 0x20, 0x00, 0x28, 0x00, 0x72, 0x00, 0x65, 0x00, 0x63, 0x00, 0x6F, 0x00,
  0x6D, 0x00, 0x6D, 0x00, 0x65, 0x00, 0x6E, 0x00, 0x64, 0x00, 0x65, 0x00, 0x64, 0x00, 0x29, 0x00,
  0x00, 0x00,
  0x00, 0x00,                                               // extraCount
  // ---- item: 1001: BS_AUTORADIOBUTTON
  0x00, 0x00, 0x00, 0x00,                                   // helpID
  0x00, 0x00, 0x00, 0x00,                                   // exStyle
  0x09, 0x00, 0x00, 0x50,                                   // style
  0x0C, 0x00,                                               // x
  0x84, 0x00,                                               // y
  0x2F, 0x00,                                               // cx
  0x0A, 0x00,                                               // cy
  0xE9, 0x03, 0x00, 0x00,                                   // id
  0xFF, 0xFF,                                               // windowClass: ordinal
  0x80, 0x00,                                               // 0x0080 (Button)
  0x33, 0x00, 0x32, 0x00, 0x30, 0x00, 0x20, 0x00, 0x78, 0x00, 0x20, 0x00, 0x32, 0x00, 0x34, 0x00,// title "320 x 240"
  0x30, 0x00, 0x00, 0x00,
  0x00, 0x00,                                               // extraCount
  0x00,                                                     // (padding to a DWORD boundary)
  0x00,                                                     // (padding to a DWORD boundary)
  // ---- item: 1002: BS_AUTORADIOBUTTON
  0x00, 0x00, 0x00, 0x00,                                   // helpID
  0x00, 0x00, 0x00, 0x00,                                   // exStyle
  0x09, 0x00, 0x00, 0x50,                                   // style
  0x3C, 0x00,                                               // x
  0x84, 0x00,                                               // y
  0x2F, 0x00,                                               // cx
  0x0A, 0x00,                                               // cy
  0xEA, 0x03, 0x00, 0x00,                                   // id
  0xFF, 0xFF,                                               // windowClass: ordinal
  0x80, 0x00,                                               // 0x0080 (Button)
  0x34, 0x00, 0x30, 0x00, 0x30, 0x00, 0x20, 0x00, 0x78, 0x00, 0x20, 0x00, 0x33, 0x00, 0x30, 0x00,// title "400 x 300"
  0x30, 0x00, 0x00, 0x00,
  0x00, 0x00,                                               // extraCount
  0x00,                                                     // (padding to a DWORD boundary)
  0x00,                                                     // (padding to a DWORD boundary)
  // ---- item: 1003: BS_AUTORADIOBUTTON
  0x00, 0x00, 0x00, 0x00,                                   // helpID
  0x00, 0x00, 0x00, 0x00,                                   // exStyle
  0x09, 0x00, 0x00, 0x50,                                   // style
  0x9C, 0x00,                                               // x
  0x84, 0x00,                                               // y
  0x2F, 0x00,                                               // cx
  0x0A, 0x00,                                               // cy
  0xEB, 0x03, 0x00, 0x00,                                   // id
  0xFF, 0xFF,                                               // windowClass: ordinal
  0x80, 0x00,                                               // 0x0080 (Button)
  0x35, 0x00, 0x31, 0x00, 0x32, 0x00, 0x20, 0x00, 0x78, 0x00, 0x20, 0x00, 0x33, 0x00, 0x38, 0x00,// title "512 x 384"
  0x34, 0x00, 0x00, 0x00,
  0x00, 0x00,                                               // extraCount
  0x00,                                                     // (padding to a DWORD boundary)
  0x00,                                                     // (padding to a DWORD boundary)
  // ---- item: 1004: BS_AUTORADIOBUTTON
  0x00, 0x00, 0x00, 0x00,                                   // helpID
  0x00, 0x00, 0x00, 0x00,                                   // exStyle
  0x09, 0x00, 0x00, 0x50,                                   // style
  0x6C, 0x00,                                               // x
  0x84, 0x00,                                               // y
  0x2F, 0x00,                                               // cx
  0x0A, 0x00,                                               // cy
  0xEC, 0x03, 0x00, 0x00,                                   // id
  0xFF, 0xFF,                                               // windowClass: ordinal
  0x80, 0x00,                                               // 0x0080 (Button)
  0x36, 0x00, 0x34, 0x00, 0x30, 0x00, 0x20, 0x00, 0x78, 0x00, 0x20, 0x00, 0x34, 0x00, 0x38, 0x00,// title "640 x 480"
  0x30, 0x00, 0x00, 0x00,
  0x00, 0x00,                                               // extraCount
  0x00,                                                     // (padding to a DWORD boundary)
  0x00,                                                     // (padding to a DWORD boundary)
  // ---- item: 1005: BS_AUTORADIOBUTTON
  0x00, 0x00, 0x00, 0x00,                                   // helpID
  0x00, 0x00, 0x00, 0x00,                                   // exStyle
  0x09, 0x00, 0x00, 0x50,                                   // style
  0x3C, 0x00,                                               // x
  0x90, 0x00,                                               // y
  0x2F, 0x00,                                               // cx
  0x0A, 0x00,                                               // cy
  0xED, 0x03, 0x00, 0x00,                                   // id
  0xFF, 0xFF,                                               // windowClass: ordinal
  0x80, 0x00,                                               // 0x0080 (Button)
  0x38, 0x00, 0x30, 0x00, 0x30, 0x00, 0x20, 0x00, 0x78, 0x00, 0x20, 0x00, 0x36, 0x00, 0x30, 0x00,// title "800 x 600"
  0x30, 0x00, 0x00, 0x00,
  0x00, 0x00,                                               // extraCount
  0x00,                                                     // (padding to a DWORD boundary)
  0x00,                                                     // (padding to a DWORD boundary)
  // ---- item: 1006: BS_AUTORADIOBUTTON
  0x00, 0x00, 0x00, 0x00,                                   // helpID
  0x00, 0x00, 0x00, 0x00,                                   // exStyle
  0x09, 0x00, 0x00, 0x50,                                   // style
  0x6C, 0x00,                                               // x
  0x90, 0x00,                                               // y
  0x30, 0x00,                                               // cx
  0x0A, 0x00,                                               // cy
  0xEE, 0x03, 0x00, 0x00,                                   // id
  0xFF, 0xFF,                                               // windowClass: ordinal
  0x80, 0x00,                                               // 0x0080 (Button)
  0x31, 0x00, 0x30, 0x00, 0x32, 0x00, 0x34, 0x00, 0x20, 0x00, 0x78, 0x00, 0x20, 0x00, 0x37, 0x00,// title "1024 x 768"
  0x36, 0x00, 0x38, 0x00, 0x00, 0x00,
  0x00, 0x00,                                               // extraCount
  // ---- item: no id: BS_GROUPBOX
  0x00, 0x00, 0x00, 0x00,                                   // helpID
  0x00, 0x00, 0x00, 0x00,                                   // exStyle
  0x07, 0x00, 0x00, 0x50,                                   // style
  0x06, 0x00,                                               // x
  0x78, 0x00,                                               // y
  0xCC, 0x00,                                               // cx
  0x24, 0x00,                                               // cy
  0xFF, 0xFF, 0xFF, 0xFF,                                   // id
  0xFF, 0xFF,                                               // windowClass: ordinal
  0x80, 0x00,                                               // 0x0080 (Button)
  0x52, 0x00, 0x65, 0x00, 0x73, 0x00, 0x6F, 0x00, 0x6C, 0x00, 0x75, 0x00, 0x74, 0x00, 0x69, 0x00,// title "Resolution"
  0x6F, 0x00, 0x6E, 0x00, 0x00, 0x00,
  0x00, 0x00,                                               // extraCount
  // ---- item: no id: BS_GROUPBOX
  0x00, 0x00, 0x00, 0x00,                                   // helpID
  0x00, 0x00, 0x00, 0x00,                                   // exStyle
  0x07, 0x00, 0x00, 0x50,                                   // style
  0x06, 0x00,                                               // x
  0xA2, 0x00,                                               // y
  0xCC, 0x00,                                               // cx
  0x1E, 0x00,                                               // cy
  0xFF, 0xFF, 0xFF, 0xFF,                                   // id
  0xFF, 0xFF,                                               // windowClass: ordinal
  0x80, 0x00,                                               // 0x0080 (Button)
  0x4D, 0x00, 0x6F, 0x00, 0x64, 0x00, 0x65, 0x00, 0x00, 0x00,// title "Mode"
  0x00, 0x00,                                               // extraCount
  // ---- item: no id: static SS_BITMAP WS_BORDER, WS_EX_CLIENTEDGE
  0x00, 0x00, 0x00, 0x00,                                   // helpID
  0x00, 0x02, 0x00, 0x00,                                   // exStyle
  0x0E, 0x00, 0x80, 0x50,                                   // style
  0x06, 0x00,                                               // x
  0x06, 0x00,                                               // y
  0xCC, 0x00,                                               // cx
  0x6E, 0x00,                                               // cy
  0xFF, 0xFF, 0xFF, 0xFF,                                   // id
  0xFF, 0xFF,                                               // windowClass: ordinal
  0x82, 0x00,                                               // 0x0082 (Static)
  0xFF, 0xFF,                                               // title: ordinal
  0x73, 0x00,                                               // bitmap resource 115
  0x00, 0x00,                                               // extraCount
};


void RegisterAppResources() {
  zel::win32::RegisterResource(RT_DIALOG, kSetupDialogId, kSetupDialogTemplate,
                               sizeof kSetupDialogTemplate);
  zel::win32::RegisterResource(RT_BITMAP, kPictureId, kBitmap115, sizeof kBitmap115);
}

}  // namespace zel::app
