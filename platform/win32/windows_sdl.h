// SDL's video system for the window layer's own files. (The device finds the SDL window
// behind a handle through zel_wsi, where the window table puts every window it makes.)
#pragma once

namespace zel::win32 {

// Makes sure SDL's video subsystem is up (with the process-exit clean-up registered).
bool EnsureSdlVideo();

}  // namespace zel::win32
