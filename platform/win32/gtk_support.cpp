#include "platform/win32/gtk_support.h"

#include <gtk/gtk.h>

namespace zel::win32 {

bool EnsureGtk() {
  static int state = 0;  // 0 not tried, 1 up, -1 no display
  if (state == 0) {
    // GTK would switch the C locale to the user's, and with it the decimal point that the
    // readers of shader text and numbers rely on.
    gtk_disable_setlocale();
    state = gtk_init_check(nullptr, nullptr) ? 1 : -1;
  }
  return state == 1;
}

void DrainGtkEvents() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

}  // namespace zel::win32
