// The full-screen display mode set by ChangeDisplaySettingsA, shared with window creation.
#pragma once

struct SDL_Window;

namespace zel::win32 {

// True while a full-screen mode set with CDS_FULLSCREEN is in force; its size in pixels.
bool FullscreenModeActive(int& width, int& height);

// The full-screen SDL window that carries a changed display mode (the X server changes the
// mode only for a full-screen window), handed over to the first pop-up window of that size.
// Null when there is none or the size differs; the caller then owns the window.
SDL_Window* TakeModeWindow(int width, int height);

// Gives the desktop its own mode back now, if a full-screen change holds another; the
// window that held it stays, no longer full-screen. Main thread (or a dying process).
void GiveBackDisplayMode();

// From the first mode change on, a fatal signal (a crash, an abort, SIGQUIT, SIGHUP) gives
// the desktop its mode back before the process ends with that signal as it would have.
void GuardDisplayModeAgainstSignals();

// A fatal signal sent by another process is left to the main thread, which calls this at
// every look at its message queue: gives the mode back and lets the signal end the process.
void EndOnPendingFatalSignal();

}  // namespace zel::win32
