// Texture sizing rules and mip chain construction.
#include "gfxutil/texture_levels.h"

#include <algorithm>
#include <cstring>

#include "gfxutil/image_scale.h"
#include "gfxutil/texture.h"

namespace zel::gfxutil {

namespace {

UINT RoundDownToPowerOfTwo(UINT v) {
  UINT p = 1;
  while (p <= v / 2) p *= 2;
  return p;
}

// One side: the request resolved against the image, then held within the device limit.
UINT PlanSide(UINT image, UINT request, UINT limit) {
  const bool powerOfTwo = request == 0 || request == D3DX_DEFAULT;
  UINT side = powerOfTwo ? RoundUpToPowerOfTwo(image)
              : (request == D3DX_DEFAULT_NONPOW2 || request == D3DX_FROM_FILE) ? image
                                                                               : request;
  if (limit > 0 && side > limit) side = powerOfTwo ? RoundDownToPowerOfTwo(limit) : limit;
  return std::max(side, 1u);
}

Image PlaceUnscaled(const Image &src, UINT width, UINT height) {
  Image dst;
  dst.width = width;
  dst.height = height;
  dst.layout = src.layout;
  dst.fileFormat = src.fileFormat;
  dst.pixels.assign(dst.RowBytes() * height, 0);
  const size_t copyBytes = std::min(width, src.width) * src.BytesPerPixel();
  for (UINT y = 0; y < std::min(height, src.height); ++y)
    std::memcpy(dst.pixels.data() + y * dst.RowBytes(), src.pixels.data() + y * src.RowBytes(), copyBytes);
  return dst;
}

}  // namespace

UINT RoundUpToPowerOfTwo(UINT v) {
  UINT p = 1;
  while (p < v && p < 0x80000000u) p *= 2;
  return p;
}

UINT FullMipCount(UINT width, UINT height) {
  UINT levels = 1;
  for (UINT side = std::max(width, height); side > 1; side /= 2) ++levels;
  return levels;
}

TextureLayout PlanTexture(UINT imageWidth, UINT imageHeight, UINT width, UINT height, UINT mipLevels, UINT maxWidth,
                          UINT maxHeight) {
  TextureLayout layout;
  layout.width = PlanSide(imageWidth, width, maxWidth);
  layout.height = PlanSide(imageHeight, height, maxHeight);
  const UINT full = FullMipCount(layout.width, layout.height);
  if (mipLevels == 0 || mipLevels == D3DX_DEFAULT) layout.levels = full;
  else if (mipLevels == D3DX_FROM_FILE) layout.levels = 1;
  else layout.levels = std::min(mipLevels, full);
  return layout;
}

std::vector<Image> BuildLevels(Image image, const TextureLayout &layout, bool scale) {
  std::vector<Image> levels;
  levels.reserve(layout.levels);
  levels.push_back(scale ? ScaleTriangle(std::move(image), layout.width, layout.height)
                         : PlaceUnscaled(image, layout.width, layout.height));
  while (levels.size() < layout.levels) levels.push_back(BoxHalve(levels.back()));
  return levels;
}

}  // namespace zel::gfxutil
