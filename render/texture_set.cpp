// The slot loops behind TextureSet; see render/texture_set.h.
#include "render/texture_set.h"

#include "gfxutil/texture.h"

namespace zel::render::texture_set_detail {

void LoadSlots(IDirect3DDevice9 *device, const char *const *files, IDirect3DTexture9 **slots, size_t count) {
  for (size_t i = 0; i < count; ++i) D3DXCreateTextureFromFileA(device, files[i], &slots[i]);
}

void ReleaseSlots(IDirect3DTexture9 **slots, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (slots[i]) {
      slots[i]->Release();
      slots[i] = nullptr;  // a second ReleaseAll (or the destructor) finds it empty
    }
  }
}

}  // namespace zel::render::texture_set_detail
