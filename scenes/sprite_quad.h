// SpriteQuad: one textured rectangle with a uniform grey-and-alpha vertex colour, drawn
// facing its own fixed camera at (0, 0, -10). The sky scene draws every flat image with it
// (words, beat flashes, the end card) using the texture already bound on stage 0 and the
// projection already in force.
#pragma once

#include <d3d9.h>

namespace zel::render {
class Camera;
}

namespace zel::scenes {

class SpriteQuad {
 public:
  explicit SpriteQuad(IDirect3DDevice9 *device);
  virtual ~SpriteQuad();

  SpriteQuad(const SpriteQuad &) = delete;
  SpriteQuad &operator=(const SpriteQuad &) = delete;

  // Creates the 96-byte vertex buffer; returns 0 whatever the device answers.
  HRESULT CreateBuffer();

  // Rewrites the four vertices of a w x h sprite with colour b * 0x01010101, b the byte of
  // alpha (0-255). Returns 0, or E_FAIL when the buffer cannot be locked.
  HRESULT Fill(float width, float height, float alpha);

  // Opaque draw at (x, y, 0); switches blending on and depth writes off for itself and
  // restores depth writes on and blending off afterwards.
  HRESULT Draw(float width, float height, float x, float y);

  // Draw at (x, y, z) with the given alpha; leaves blending and depth writes to the caller.
  HRESULT DrawWithAlpha(float width, float height, float x, float y, float z, float alpha);

 private:
  void SetUp(float width, float height, float x, float y, float z, float alpha);
  HRESULT DrawStrip();

  IDirect3DDevice9 *device = nullptr;          // not owned
  IDirect3DVertexBuffer9 *vertices = nullptr;  // owned; null until CreateBuffer
  render::Camera *camera = nullptr;                    // owned
};

}  // namespace zel::scenes
