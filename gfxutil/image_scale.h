// Resampling of decoded images: a triangle (tent) filter for scaling to the texture size
// and a 2x2 box filter for each smaller mip level. Edges are clamped, not wrapped, so a
// picture's opposite border never bleeds in.
#pragma once

#include "gfxutil/image.h"

namespace zel::gfxutil {

// src resampled to width x height (both at least 1), in src's layout. When shrinking,
// the tent widens to cover every source pixel; when enlarging it interpolates linearly.
// An image already of that size is returned as it is (moved, not copied).
Image ScaleTriangle(Image src, unsigned width, unsigned height);

// The next mip level: each side above 1 halved (rounded down), averaging 2x2 blocks.
Image BoxHalve(const Image &src);

}  // namespace zel::gfxutil
