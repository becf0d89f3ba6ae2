// Texture sizing and the mip chain built from a decoded image, independent of any device.
#pragma once

#include "gfxutil/image.h"

namespace zel::gfxutil {

struct TextureLayout {
  UINT width = 0;
  UINT height = 0;
  UINT levels = 0;
};

// The smallest power of two at or above v (1 for 0; 2^31 at most).
UINT RoundUpToPowerOfTwo(UINT v);

// Levels of a complete chain down to 1x1: one more than the halvings of the longer side.
UINT FullMipCount(UINT width, UINT height);

// Texture size and level count for an image, from the D3DX-style requests (D3DX_DEFAULT
// and friends, see gfxutil/texture.h) and the device's maximum size (0: no limit known).
TextureLayout PlanTexture(UINT imageWidth, UINT imageHeight, UINT width, UINT height, UINT mipLevels, UINT maxWidth,
                          UINT maxHeight);

// The images of every level: level 0 is the picture scaled to the layout's size with the
// triangle filter (or, unscaled, copied into the top-left corner over transparent black),
// each next level a box-filtered half of the one before.
// The image is taken by value so a caller done with it can move it in (no copy when no
// scaling is needed).
std::vector<Image> BuildLevels(Image image, const TextureLayout &layout, bool scale);

}  // namespace zel::gfxutil
