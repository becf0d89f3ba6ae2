#include "platform/d3d9/letterbox.h"

#include <cstdint>

namespace zel::d3d9 {

LetterboxRect FitWithBars(int sourceWidth, int sourceHeight, int drawableWidth, int drawableHeight) {
  LetterboxRect r;
  if (sourceWidth <= 0 || sourceHeight <= 0 || drawableWidth <= 0 || drawableHeight <= 0) return r;
  // Compare the shapes in 64-bit integers: sw/sh > dw/dh means the source is wider, so it
  // fills the width and the bars go above and below.
  int64_t sw = sourceWidth, sh = sourceHeight, dw = drawableWidth, dh = drawableHeight;
  if (sw * dh >= sh * dw) {
    r.width = drawableWidth;
    r.height = static_cast<int>((sh * dw + sw / 2) / sw);  // rounded to the nearest pixel
  } else {
    r.height = drawableHeight;
    r.width = static_cast<int>((sw * dh + sh / 2) / sh);
  }
  if (r.width > drawableWidth) r.width = drawableWidth;
  if (r.height > drawableHeight) r.height = drawableHeight;
  r.x = (drawableWidth - r.width) / 2;
  r.y = (drawableHeight - r.height) / 2;
  return r;
}

}  // namespace zel::d3d9
