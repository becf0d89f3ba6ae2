// Image readers (JPEG and Windows bitmap) on arbitrary bytes, then the texture level
// builder on whatever decodes: nothing may crash, overrun or leak.
#include <cstddef>
#include <cstdint>

#include "gfxutil/image.h"
#include "gfxutil/texture.h"
#include "gfxutil/texture_levels.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  zel::gfxutil::Image image;
  if (!zel::gfxutil::DecodeImage(data, size, &image).Ok()) return 0;
  if (image.pixels.size() != image.RowBytes() * image.height) __builtin_trap();
  // A small device limit keeps each run quick while still scaling both ways.
  const zel::gfxutil::TextureLayout layout =
      zel::gfxutil::PlanTexture(image.width, image.height, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 64, 64);
  zel::gfxutil::BuildLevels(std::move(image), layout, true);
  return 0;
}
