// ScreenFader: one flat-coloured, alpha-blended quad that covers the whole view, its
// opacity following a time window. Scenes use it for white flashes and closing overlays.
// It sets its own projection, view, world, stream and blend states and leaves them set.
#pragma once

#include <d3d9.h>

namespace zel::render {

class Camera;

class ScreenFader {
 public:
  explicit ScreenFader(IDirect3DDevice9 *device);
  virtual ~ScreenFader();

  ScreenFader(const ScreenFader &) = delete;
  ScreenFader &operator=(const ScreenFader &) = delete;

  // Writes the four vertices of a w x h quad in one colour (channels 0-255).
  // Returns 0, or E_FAIL when the buffer cannot be locked (nothing written).
  HRESULT FillColorQuad(float w, float h, float alpha, float red, float green, float blue);

  // The colour appears: alpha rises from 0 at start to 255 at end (seconds).
  HRESULT FadeToColor(float time, float start, float end, float red, float green, float blue,
                      D3DBLEND srcBlend, D3DBLEND destBlend);
  // The colour vanishes: alpha falls from 255 at start to 0 at end, depth writes off meanwhile.
  HRESULT FadeFromColor(float time, float start, float end, float red, float green, float blue,
                        D3DBLEND srcBlend, D3DBLEND destBlend);

 private:
  void SetFadeState(float eyeZ, D3DBLEND srcBlend, D3DBLEND destBlend);
  void DrawQuad();

  IDirect3DVertexBuffer9 *vertices = nullptr;  // 4 vertices of 16 bytes (FVF 0x42)
  IDirect3DDevice9 *device = nullptr;           // not owned
  Camera *camera = nullptr;                     // owned
};

}  // namespace zel::render
