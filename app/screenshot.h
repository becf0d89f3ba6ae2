// F12 in the show: the frame on screen written as a PNG into the working directory, named
// with its demo time ("zel16-012.345s.png"). Nothing else in the show changes.
#pragma once

#include <string>

struct IDirect3DDevice9;

namespace zel::app {

// The folder screenshots go into (the working directory the program was started in, before
// it moved to its data); empty: the working directory.
void SetScreenshotFolder(const std::string& folder);

// The file name for a frame at demo time `seconds`, to the millisecond.
std::string ScreenshotName(float seconds);

// Grabs the device's back buffer (the frame last presented) and writes it. Says on standard
// error where it went or why it could not; false on failure.
bool TakeScreenshot(IDirect3DDevice9* device, float seconds);

// Writes the device's back buffer to `path` as a PNG file, read back through a system-memory
// surface. False with the reason in *error when the frame cannot be read back or written.
bool SaveFrameAsPng(IDirect3DDevice9* device, const std::string& path, std::string* error);

}  // namespace zel::app
