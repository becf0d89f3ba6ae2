// TextureSet: a scene's fixed row of texture slots, each filled from one image file while
// the scene is constructed, bound by slot number while it draws and released when it is
// destroyed. A slot whose file failed to load stays empty; binding it unbinds the stage.
#pragma once

#include <d3d9.h>

#include <cassert>
#include <cstddef>

namespace zel::render {

namespace texture_set_detail {

// Fills slots[i] from files[i] in ascending order; results are not examined and a failed
// file leaves its slot as it was.
void LoadSlots(IDirect3DDevice9 *device, const char *const *files, IDirect3DTexture9 **slots, size_t count);
// Releases every filled slot in ascending order and empties it.
void ReleaseSlots(IDirect3DTexture9 **slots, size_t count);

}  // namespace texture_set_detail

template <size_t N>
class TextureSet {
 public:
  TextureSet() = default;
  TextureSet(const TextureSet &) = delete;
  TextureSet &operator=(const TextureSet &) = delete;
  // Owners call ReleaseAll at the point their teardown order asks for; anything still
  // held then is given back here.
  ~TextureSet() { ReleaseAll(); }

  void Load(IDirect3DDevice9 *device, const char *const (&fileNames)[N]) {
    texture_set_detail::LoadSlots(device, fileNames, slots, N);
  }

  // Sets the slot's texture (or none, for an empty slot) on the given texture stage.
  HRESULT Bind(IDirect3DDevice9 *device, DWORD stage, size_t slot) const {
    assert(slot < N);
    return device->SetTexture(stage, slots[slot]);
  }

  void ReleaseAll() { texture_set_detail::ReleaseSlots(slots, N); }

  IDirect3DTexture9 *Get(size_t slot) const {
    assert(slot < N);
    return slots[slot];
  }

 private:
  IDirect3DTexture9 *slots[N] = {};  // owned references; null for an empty slot
};

}  // namespace zel::render
