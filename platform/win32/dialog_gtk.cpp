// The dialog manager on GTK: a dialog template becomes a GtkWindow with a GtkFixed on which
// every control sits at its dialog-unit position converted with the dialog font's base units.
// The dialog procedure gets WM_INITDIALOG before the window shows and WM_COMMAND for clicks;
// Enter presses the default button (or the focused push button), Escape and the close box
// send IDCANCEL. DialogBoxParamA runs GTK's loop until EndDialog.
#include <gtk/gtk.h>
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>

#include "platform/win32/dialog_template.h"
#include "platform/win32/dialog_units.h"
#include "platform/win32/dib.h"
#include "platform/win32/gtk_support.h"
#include "platform/win32/resources.h"
#include "platform/win32/window_table.h"

namespace zel::win32 {
namespace {

constexpr DWORD kButtonTypeMask = 0x0000000F;
constexpr DWORD kStaticTypeMask = 0x0000001F;
constexpr const char* kDialogWidgetName = "zel-dialog";

struct DialogWindow;

struct Control : WindowObject {
  Control() : WindowObject(WindowKind::Control) {}
  DialogWindow* dialog = nullptr;
  int id = -1;
  DWORD buttonType = 0;      // style & 0x0F for buttons
  bool isButton = false;
  GtkWidget* widget = nullptr;
  GtkWidget* groupNone = nullptr;  // radio buttons: the hidden member that means "none set"
};

struct DialogWindow : WindowObject {
  DialogWindow() : WindowObject(WindowKind::Dialog) {}
  DLGPROC proc = nullptr;
  GtkWidget* window = nullptr;
  std::map<int, Control*> controls;  // by id; controls without one are only in `all`
  std::vector<Control*> all;
  int defaultId = IDOK;
  bool ended = false;
  INT_PTR result = 0;
  int quiet = 0;  // > 0 while the program itself changes a button: no notifications
};

DialogWindow* FindDialog(HWND hwnd) {
  WindowObject* window = FindWindow(hwnd);
  return window && window->kind == WindowKind::Dialog ? static_cast<DialogWindow*>(window) : nullptr;
}

Control* FindControl(HWND hDlg, int id) {
  DialogWindow* dialog = FindDialog(hDlg);
  if (dialog == nullptr) return nullptr;
  auto it = dialog->controls.find(id);
  return it == dialog->controls.end() ? nullptr : it->second;
}

void SendCommand(DialogWindow* dialog, int id, HWND control) {
  if (dialog->ended) return;
  dialog->proc(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

bool IsRadio(DWORD type) { return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON; }
bool IsCheck(DWORD type) { return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX; }
bool IsPush(DWORD type) { return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON; }

void OnClicked(GtkButton*, gpointer data) {
  auto* control = static_cast<Control*>(data);
  DialogWindow* dialog = control->dialog;
  if (dialog->quiet > 0) return;
  // A radio button that GTK switches off because another was chosen was not clicked.
  if (IsRadio(control->buttonType) &&
      !gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(control->widget)))
    return;
  SendCommand(dialog, control->id, control);
}

gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
  auto* dialog = static_cast<DialogWindow*>(data);
  SendCommand(dialog, IDCANCEL, nullptr);
  return TRUE;  // only EndDialog closes the dialog
}

gboolean OnKey(GtkWidget* window, GdkEventKey* event, gpointer data) {
  auto* dialog = static_cast<DialogWindow*>(data);
  if (event->keyval == GDK_KEY_Escape) {
    SendCommand(dialog, IDCANCEL, nullptr);
    return TRUE;
  }
  if (event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_KP_Enter) {
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
    for (Control* control : dialog->all)
      if (control->widget == focus && control->isButton && IsPush(control->buttonType)) {
        SendCommand(dialog, control->id, control);
        return TRUE;
      }
    Control* def = FindControl(dialog, dialog->defaultId);
    SendCommand(dialog, dialog->defaultId, def);
    return TRUE;
  }
  return FALSE;
}

// "MS Sans Serif" and the other Windows dialog faces become the desktop's sans font.
std::string FontFamily(const std::string&) { return "Sans"; }

DialogBaseUnits MeasureBaseUnits(GtkWidget* widget, const std::string& family, int points) {
  DialogBaseUnits base;
  PangoLayout* layout = gtk_widget_create_pango_layout(
      widget, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  PangoFontDescription* font = pango_font_description_new();
  pango_font_description_set_family(font, family.c_str());
  pango_font_description_set_size(font, points * PANGO_SCALE);
  pango_layout_set_font_description(layout, font);
  int width = 0, height = 0;
  pango_layout_get_pixel_size(layout, &width, &height);
  if (width > 0 && height > 0) {
    base.x = AverageCharWidth(width);
    base.y = height;
  }
  pango_font_description_free(font);
  g_object_unref(layout);
  return base;
}

void ApplyStyle(const std::string& family, int points) {
  static bool applied = false;
  if (applied) return;
  applied = true;
  // Windows controls have almost no padding; GTK's theme padding would make the controls
  // outgrow their dialog-unit boxes.
  std::string css = std::string("#") + kDialogWidgetName + ", #" + kDialogWidgetName +
                    " * { font-family: " + family + "; font-size: " + std::to_string(points) +
                    "pt; }\n#" + kDialogWidgetName +
                    " button { padding: 0px 4px; min-height: 0px; min-width: 0px; }\n#" +
                    kDialogWidgetName +
                    " checkbutton, #" + kDialogWidgetName +
                    " radiobutton { padding: 0px; min-height: 0px; }\n";
  GtkCssProvider* provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
  gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(provider);
}

GtkWidget* BitmapWidget(const DialogItem& item, int& width, int& height) {
  std::string name = item.title.isOrdinal ? "#" + std::to_string(item.title.ordinal) : item.title.text;
  LPCSTR resourceName = item.title.isOrdinal ? MAKEINTRESOURCEA(item.title.ordinal) : name.c_str();
  ResourceBytes bytes = FindResourceBytes(RT_BITMAP, resourceName);
  RgbImage image;
  std::string error;
  GtkWidget* picture = nullptr;
  if (bytes.data && DecodeDib(bytes.data, bytes.size, image, error)) {
    auto* copy = static_cast<guchar*>(g_memdup2(image.rgb.data(), image.rgb.size()));
    GdkPixbuf* pixbuf = gdk_pixbuf_new_from_data(
        copy, GDK_COLORSPACE_RGB, FALSE, 8, image.width, image.height, image.width * 3,
        [](guchar* pixels, gpointer) { g_free(pixels); }, nullptr);
    picture = gtk_image_new_from_pixbuf(pixbuf);
    g_object_unref(pixbuf);
    // A bitmap static takes the size of its bitmap (no SS_REALSIZECONTROL here).
    if (!(item.style & SS_REALSIZECONTROL)) {
      width = image.width;
      height = image.height;
    }
  } else {
    std::fprintf(stderr, "zel16: dialog bitmap %s: %s\n", name.c_str(),
                 bytes.data ? error.c_str() : "no such resource");
    picture = gtk_label_new("");
  }
  if (!(item.exStyle & WS_EX_CLIENTEDGE) && !(item.style & WS_BORDER)) return picture;
  GtkWidget* frame = gtk_frame_new(nullptr);
  gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_IN);
  gtk_container_add(GTK_CONTAINER(frame), picture);
  gtk_widget_show(picture);
  width += 2;  // the sunken edge, one pixel each side
  height += 2;
  return frame;
}

GtkWidget* ButtonWidget(Control* control, const DialogItem& item, GtkWidget*& groupAnchor) {
  const char* text = item.title.text.c_str();
  DWORD type = control->buttonType;
  control->isButton = true;
  if (IsCheck(type)) return gtk_check_button_new_with_label(text);
  if (IsRadio(type)) {
    // Radio buttons exclude one another up to the next control with WS_GROUP. A hidden
    // member stands for "none set", which GTK groups otherwise never show.
    if (groupAnchor == nullptr || (item.style & WS_GROUP)) {
      groupAnchor = gtk_radio_button_new(nullptr);
      g_object_ref_sink(groupAnchor);
    }
    control->groupNone = groupAnchor;
    return gtk_radio_button_new_with_label_from_widget(GTK_RADIO_BUTTON(groupAnchor), text);
  }
  if (type == BS_GROUPBOX) {
    control->isButton = false;
    return gtk_frame_new(text);
  }
  return gtk_button_new_with_label(text);
}

void AddControl(DialogWindow* dialog, GtkWidget* fixed, const DialogItem& item,
                const DialogBaseUnits& base, GtkWidget*& groupAnchor) {
  auto* control = new Control;
  control->dialog = dialog;
  control->id = item.id;
  control->style = item.style;
  control->exStyle = item.exStyle;
  control->title = item.title.text;
  int width = DialogUnitsToPixelsX(item.cx, base);
  int height = DialogUnitsToPixelsY(item.cy, base);
  bool isClass = item.windowClass.isOrdinal;
  if (isClass && item.windowClass.ordinal == kClassButton) {
    control->buttonType = item.style & kButtonTypeMask;
    control->widget = ButtonWidget(control, item, groupAnchor);
  } else if (isClass && item.windowClass.ordinal == kClassStatic &&
             (item.style & kStaticTypeMask) == SS_BITMAP) {
    control->widget = BitmapWidget(item, width, height);
  } else {
    control->widget = gtk_label_new(item.title.text.c_str());
  }
  if (control->isButton) {
    g_signal_connect(control->widget, "clicked", G_CALLBACK(OnClicked), control);
    gtk_widget_set_can_focus(control->widget, (item.style & WS_TABSTOP) != 0);
    if (control->buttonType == BS_DEFPUSHBUTTON) dialog->defaultId = item.id;
  }
  gtk_widget_set_size_request(control->widget, width, height);
  gtk_widget_set_sensitive(control->widget, (item.style & WS_DISABLED) == 0);
  gtk_fixed_put(GTK_FIXED(fixed), control->widget, DialogUnitsToPixelsX(item.x, base),
                DialogUnitsToPixelsY(item.y, base));
  if (item.style & WS_VISIBLE) gtk_widget_show(control->widget);
  control->rect = RECT{item.x, item.y, item.x + item.cx, item.y + item.cy};  // dialog units
  AddWindow(control);
  dialog->all.push_back(control);
  if (item.id != -1) dialog->controls[item.id] = control;
}

DialogWindow* CreateDialogFromTemplate(const DialogTemplate& tpl, DLGPROC proc) {
  auto* dialog = new DialogWindow;
  dialog->proc = proc;
  dialog->style = tpl.style;
  dialog->exStyle = tpl.exStyle;
  dialog->title = tpl.title;
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  dialog->window = window;
  gtk_widget_set_name(window, kDialogWidgetName);
  gtk_window_set_title(GTK_WINDOW(window), tpl.title.c_str());
  gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
  gtk_window_set_modal(GTK_WINDOW(window), TRUE);
  gtk_window_set_type_hint(GTK_WINDOW(window), GDK_WINDOW_TYPE_HINT_DIALOG);
  gtk_window_set_position(GTK_WINDOW(window),
                          (tpl.style & DS_CENTER) ? GTK_WIN_POS_CENTER : GTK_WIN_POS_NONE);
  gtk_window_set_deletable(GTK_WINDOW(window), (tpl.style & WS_SYSMENU) != 0);

  std::string family = FontFamily(tpl.typeface);
  int points = (tpl.style & DS_SETFONT) && tpl.pointSize > 0 ? tpl.pointSize : 8;
  ApplyStyle(family, points);
  DialogBaseUnits base = MeasureBaseUnits(window, family, points);

  GtkWidget* fixed = gtk_fixed_new();
  gtk_widget_set_size_request(fixed, DialogUnitsToPixelsX(tpl.cx, base),
                              DialogUnitsToPixelsY(tpl.cy, base));
  gtk_container_add(GTK_CONTAINER(window), fixed);
  gtk_widget_show(fixed);
  GtkWidget* groupAnchor = nullptr;
  for (const DialogItem& item : tpl.items) AddControl(dialog, fixed, item, base, groupAnchor);

  g_signal_connect(window, "delete-event", G_CALLBACK(OnDelete), dialog);
  g_signal_connect(window, "key-press-event", G_CALLBACK(OnKey), dialog);
  AddWindow(dialog);
  return dialog;
}

HWND CreateDialogWindow(LPCSTR name, DLGPROC proc, LPARAM param) {
  if (proc == nullptr) return nullptr;
  if (!EnsureGtk()) {
    std::fprintf(stderr, "zel16: cannot show a dialog: no display\n");
    return nullptr;
  }
  ResourceBytes bytes = FindResourceBytes(RT_DIALOG, name);
  DialogTemplate tpl;
  DialogParseResult parsed = ParseDialogTemplateEx(bytes.data, bytes.size, tpl);
  if (!parsed.ok) {
    std::fprintf(stderr, "zel16: dialog template: %s\n", parsed.error.c_str());
    return nullptr;
  }
  DialogWindow* dialog = CreateDialogFromTemplate(tpl, proc);
  HWND firstTabStop = nullptr;
  for (Control* control : dialog->all)
    if ((control->style & WS_TABSTOP) && !firstTabStop) firstTabStop = control;
  // A true result asks the dialog manager to focus the first tab stop.
  if (proc(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstTabStop), param) && firstTabStop)
    gtk_widget_grab_focus(static_cast<Control*>(firstTabStop)->widget);
  // A dialog shows whether or not its template asks for WS_VISIBLE.
  if (!dialog->ended) gtk_widget_show(dialog->window);
  return dialog;
}

}  // namespace

void DestroyDialog(WindowObject* window) {
  auto* dialog = static_cast<DialogWindow*>(window);
  RemoveWindow(dialog);
  for (Control* control : dialog->all) {
    RemoveWindow(control);
    if (control->groupNone) {
      GtkWidget* anchor = control->groupNone;
      for (Control* other : dialog->all)
        if (other->groupNone == anchor) other->groupNone = nullptr;
      gtk_widget_destroy(anchor);
      g_object_unref(anchor);
    }
  }
  gtk_widget_destroy(dialog->window);
  for (Control* control : dialog->all) delete control;
  delete dialog;
  DrainGtkEvents();
}

}  // namespace zel::win32

using namespace zel::win32;

HWND WINAPI CreateDialogParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam) {
  return CreateDialogWindow(lpTemplateName, lpDialogFunc, dwInitParam);
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                               DLGPROC lpDialogFunc, LPARAM dwInitParam) {
  HWND hwnd = CreateDialogWindow(lpTemplateName, lpDialogFunc, dwInitParam);
  if (hwnd == nullptr) return -1;  // the dialog could not be shown
  auto* dialog = static_cast<DialogWindow*>(FindWindow(hwnd));
  while (!dialog->ended) gtk_main_iteration();
  INT_PTR result = dialog->result;
  DestroyDialog(dialog);
  return result;
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
  WindowObject* window = FindWindow(hDlg);
  if (window == nullptr || window->kind != WindowKind::Dialog) return FALSE;
  auto* dialog = static_cast<DialogWindow*>(window);
  dialog->ended = true;
  dialog->result = nResult;
  gtk_widget_hide(dialog->window);
  return TRUE;
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) { return FindControl(hDlg, nIDDlgItem); }

BOOL WINAPI CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck) {
  Control* control = FindControl(hDlg, nIDButton);
  if (control == nullptr || !control->isButton || IsPush(control->buttonType)) return FALSE;
  auto* toggle = GTK_TOGGLE_BUTTON(control->widget);
  ++control->dialog->quiet;
  if (uCheck == BST_CHECKED)
    gtk_toggle_button_set_active(toggle, TRUE);
  else if (control->groupNone && gtk_toggle_button_get_active(toggle))
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(control->groupNone), TRUE);
  else
    gtk_toggle_button_set_active(toggle, FALSE);
  --control->dialog->quiet;
  return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND hDlg, int nIDButton) {
  Control* control = FindControl(hDlg, nIDButton);
  if (control == nullptr || !control->isButton || IsPush(control->buttonType)) return BST_UNCHECKED;
  return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(control->widget)) ? BST_CHECKED
                                                                         : BST_UNCHECKED;
}

LRESULT WINAPI SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam,
                                   LPARAM lParam) {
  Control* control = FindControl(hDlg, nIDDlgItem);
  if (control == nullptr || !control->isButton) return 0;
  switch (Msg) {
    case BM_CLICK:
      gtk_button_clicked(GTK_BUTTON(control->widget));  // as a mouse click: auto buttons toggle
      return 0;
    case BM_GETCHECK:
      return IsDlgButtonChecked(hDlg, nIDDlgItem);
    case BM_SETCHECK:
      CheckDlgButton(hDlg, nIDDlgItem, static_cast<UINT>(wParam));
      return 0;
    default:
      return 0;
  }
}
