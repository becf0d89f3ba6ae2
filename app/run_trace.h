// A timestamped trace of the live show on standard error, for tests that hold the picture
// against a real display and a real sound server. Off unless ZEL16_TRACE is set (non-empty);
// it never changes what the show does. Times are seconds of the system's monotonic clock
// (CLOCK_MONOTONIC), the clock other processes can stamp their own observations with.
#pragma once

#include <windows.h>

struct IDirect3DDevice9;

namespace zel::app::run_trace {

bool Enabled();

// Seconds on the monotonic clock, now.
double Now();

// Once the window and the device exist: what the program believes the screen, the window's
// client area and the device's viewport are, in pixels.
void Display(HWND window, IDirect3DDevice9* device);

// One drawn frame: its demo time, when the clock was read for it and when its Present
// returned (the frame is on screen).
void Frame(float demoSeconds, double clockReadAt, double shownAt);

}  // namespace zel::app::run_trace
