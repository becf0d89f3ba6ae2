// What the Windows stand-in offers beyond the Windows interfaces: process-wide switches that
// Linux needs and Windows has no call for, the program's resources (which a Windows linker
// would put into the executable), and windows made only to be drawn into. A program written
// against <windows.h> alone runs without any of it; the show's shell sets the switches from
// its command line before it makes any window, box or dialog.
#pragma once

#include <windows.h>

#include <cstddef>

namespace zel::win32 {

// ---- switches ----

// Batch mode: MessageBoxA prints "caption: text" on standard error and returns the default
// answer (IDOK; IDNO for a yes/no box) without blocking. Off by default.
void SetBatchMode(bool batch);
bool BatchMode();

// Hidden windows: CreateWindowExA makes windows that are never shown and never take the
// display (no full-screen mode change); drawing into them still works. Off by default.
void SetHiddenWindows(bool hidden);
bool HiddenWindows();

// The monitor every window mode uses (SDL's display index; 0, the default: the first). A
// display that does not exist falls back to the first, with one message on standard error.
void SetDisplayIndex(int index);
// The display in use now; SDL's video system must be up.
int ChosenDisplay();

// Borderless full screen: a full-screen request changes no display mode; the pop-up window
// covers the chosen display at the desktop size and the device scales its picture into it
// with black bars. Off by default.
void SetBorderlessFullscreen(bool borderless);
bool BorderlessFullscreen();

// ---- resources ----

// Registers a resource of `type` (RT_DIALOG, RT_BITMAP) under the integer id `id`, as a
// resource script linked into a Windows executable would provide it to DialogBoxParamA and
// LoadImage. The bytes are not copied and must outlive their use. A later registration
// replaces an earlier one.
void RegisterResource(LPCSTR type, WORD id, const void* data, size_t size);

// ---- off-screen windows ----

// A window of width x height pixels that is never shown and never takes the display: a
// surface for a Direct3D device that renders without a screen (frames to files, tests).
// ShowWindow, SetWindowPos, SetForegroundWindow and SetFocus refuse it; a quit request (Ctrl-C)
// goes to the program's top-level windows, or as WM_QUIT when it has none; its own messages go
// to DefWindowProcA; DestroyWindow frees it. SDL's off-screen video driver serves as well as a
// display. Null, with a message on standard error, when no window can be made.
HWND CreateOffscreenWindow(int width, int height);

}  // namespace zel::win32
