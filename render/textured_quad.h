// TexturedQuad: a w x h rectangle centred on its local origin in the z = 0 plane with one
// set of texture coordinates (v = 0 along the top edge). Scenes resize it and draw it as a
// background, a camera-facing sprite or a banner with whatever texture they bound on stage 0.
// It sets no texture and no render state of its own.
#pragma once

#include <d3d9.h>

#include "gfxutil/math.h"

namespace zel::render {

class TexturedQuad {
 public:
  explicit TexturedQuad(IDirect3DDevice9 *device);
  virtual ~TexturedQuad();

  TexturedQuad(const TexturedQuad &) = delete;
  TexturedQuad &operator=(const TexturedQuad &) = delete;

  // Rewrites the four vertices; returns 0, or E_FAIL when the buffer cannot be locked.
  HRESULT Resize(float w, float h);

  // Draws with the world transform currently set.
  HRESULT Draw();
  // Sets the world transform to the translation (x, y, z), then draws.
  HRESULT DrawAt(float x, float y, float z);
  // Sets the given world transform, then draws.
  HRESULT DrawWithWorld(D3DXMATRIX world);

 private:
  void BindStream();
  HRESULT DrawStrip();

  IDirect3DVertexBuffer9 *vertices = nullptr;  // 4 vertices of 20 bytes (FVF 0x102)
  IDirect3DDevice9 *device = nullptr;           // not owned
};

}  // namespace zel::render
