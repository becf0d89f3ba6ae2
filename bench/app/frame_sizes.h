// The frame sizes a benchmark of the whole show is asked for: "640x480,800x600".
#pragma once

#include <vector>

namespace zel::app::bench {

struct FrameSize {
  int width, height;  // pixels
};

// Each size as zel16's --size reads it; false for an empty list or a size it would refuse.
bool ParseFrameSizes(const char* text, std::vector<FrameSize>* sizes);

}  // namespace zel::app::bench
