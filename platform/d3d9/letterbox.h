// Where the back buffer goes on a drawable of another shape: scaled to fit, keeping its
// aspect ratio, centred, with black bars on the two sides that are left over. Pure
// arithmetic, no OpenGL, so it can be tested on its own.
#pragma once

namespace zel::d3d9 {

// A rectangle on the drawable, in pixels, origin at the lower left as OpenGL counts.
struct LetterboxRect {
  int x = 0, y = 0;
  int width = 0, height = 0;
};

// The largest rectangle of the source's shape that fits in the drawable, centred. Sizes are
// pixels (the drawable's real pixel size, which a high-DPI window makes larger than its size in
// points). An empty source or drawable gives an empty rectangle.
LetterboxRect FitWithBars(int sourceWidth, int sourceHeight, int drawableWidth, int drawableHeight);

}  // namespace zel::d3d9
