// MessageBoxA as a modal GTK message dialog without a parent. In batch mode, or when there
// is no display, the box becomes one line "caption: text" on standard error and the default
// answer is returned at once.
#include <gtk/gtk.h>
#include <windows.h>
#include <zel_win32_ext.h>

#include <cstdio>

#include "platform/win32/gtk_support.h"

namespace {

constexpr UINT kButtonMask = 0x0000000F;  // MB_OK, MB_OKCANCEL, MB_YESNO, ...
constexpr UINT kIconMask = 0x000000F0;

int DefaultAnswer(UINT type) {
  switch (type & kButtonMask) {
    case MB_YESNO: return IDNO;
    case MB_OKCANCEL: return IDOK;
    default: return IDOK;
  }
}

GtkMessageType MessageType(UINT type) {
  switch (type & kIconMask) {
    case MB_ICONERROR: return GTK_MESSAGE_ERROR;
    case MB_ICONWARNING: return GTK_MESSAGE_WARNING;
    case MB_ICONQUESTION: return GTK_MESSAGE_QUESTION;
    case MB_ICONINFORMATION: return GTK_MESSAGE_INFO;
    default: return GTK_MESSAGE_OTHER;
  }
}

int Answer(int response, UINT type) {
  switch (response) {
    case GTK_RESPONSE_OK: return IDOK;
    case GTK_RESPONSE_CANCEL: return IDCANCEL;
    case GTK_RESPONSE_YES: return IDYES;
    case GTK_RESPONSE_NO: return IDNO;
    default:  // the box was closed: Cancel where there is one, else the safe default
      return (type & kButtonMask) == MB_OKCANCEL ? IDCANCEL : DefaultAnswer(type);
  }
}

}  // namespace

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  const char* text = lpText ? lpText : "";
  const char* caption = lpCaption ? lpCaption : "Error";  // Windows' caption for a null one
  if (zel::win32::BatchMode() || !zel::win32::EnsureGtk()) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    return DefaultAnswer(uType);
  }
  GtkButtonsType buttons = GTK_BUTTONS_OK;
  if ((uType & kButtonMask) == MB_YESNO) buttons = GTK_BUTTONS_YES_NO;
  if ((uType & kButtonMask) == MB_OKCANCEL) buttons = GTK_BUTTONS_OK_CANCEL;
  GtkWidget* box = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, MessageType(uType), buttons,
                                          "%s", text);
  gtk_window_set_title(GTK_WINDOW(box), caption);
  gtk_window_set_position(GTK_WINDOW(box), GTK_WIN_POS_CENTER);
  gtk_window_set_keep_above(GTK_WINDOW(box), TRUE);
  int response = gtk_dialog_run(GTK_DIALOG(box));
  gtk_widget_destroy(box);
  zel::win32::DrainGtkEvents();
  return Answer(response, uType);
}
