// GTK start-up for the dialog and the message boxes, on first use.
#pragma once

namespace zel::win32 {

// False when there is no display to show dialogs on (then it never tries again).
bool EnsureGtk();

// Runs GTK's pending events, so that a destroyed dialog is really gone from the screen
// before SDL opens the demo window.
void DrainGtkEvents();

}  // namespace zel::win32
