// Process-wide switches of the Windows stand-in that have no Windows counterpart. The shell
// sets them from its command line before it calls anything else.
#pragma once

namespace zel::win32 {

// Batch mode: MessageBoxA prints "caption: text" on standard error and returns the default
// answer (IDOK; IDNO for a yes/no box) without blocking.
void SetBatchMode(bool batch);
bool BatchMode();

// Hidden windows: CreateWindowExA makes windows that are never shown and never take the
// display (no full-screen); rendering still works into them. For capture and tests.
void SetHiddenWindows(bool hidden);
bool HiddenWindows();

// The monitor every window mode uses (SDL's display index; 0: the first). A display that does
// not exist falls back to the first, with one message on standard error.
void SetDisplayIndex(int index);
// The display to use now; SDL's video system must be up.
int ChosenDisplay();

// Borderless full screen: a full-screen request changes no display mode; the pop-up window
// covers the chosen display at the desktop size and the device scales its picture into it.
void SetBorderlessFullscreen(bool borderless);
bool BorderlessFullscreen();

// Leaves out of the video drivers SDL tries those that cannot reach a display here: Wayland
// when no Wayland session can exist (no XDG_RUNTIME_DIR and no absolute WAYLAND_DISPLAY),
// where trying it only prints libwayland's complaint before our own "no display" message.
// An SDL_VIDEODRIVER in the environment still decides. Call before any window is made.
void SkipUnreachableVideoDrivers();

// Called right before every SDL window is created (SDL's video system is up by then): the
// device layer sets the OpenGL attributes its context will need, which decide the window's
// pixel format. Null: none.
using WindowCreationHook = void (*)();
void SetWindowCreationHook(WindowCreationHook hook);
void RunWindowCreationHook();

}  // namespace zel::win32
