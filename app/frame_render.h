// One frame of the show, rendered off screen to a PNG file (zel16 --frame T --out FILE):
// no dialog, no visible window, no sound. The frame is what the live show draws at the demo
// time the clock shows after round(T * 1000) ticks.
#pragma once

#include <string>

namespace zel::app {

// Renders the frame and writes it; 0 on success, else a non-zero status with the reason on
// standard error.
int RenderFrameToPng(float seconds, const std::string &path, int width, int height);

}  // namespace zel::app
