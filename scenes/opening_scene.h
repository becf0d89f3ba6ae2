// OpeningScene: the first six seconds of the show, the picture "Data/Textures/loading.jpg"
// on a 4:3 card in the middle of a black screen, darkened to black by the closing overlay
// over the last second of its window.
#pragma once

#include <d3d9.h>

#include "gfxutil/math.h"
#include "render/texture_set.h"

namespace zel::render {
class Camera;
class ScreenFader;
class TexturedQuad;
}

namespace zel::scenes {

class OpeningScene {
 public:
  static constexpr int kSlotCount = 1;

  explicit OpeningScene(IDirect3DDevice9 *device);
  virtual ~OpeningScene();

  OpeningScene(const OpeningScene &) = delete;
  OpeningScene &operator=(const OpeningScene &) = delete;

  // Draws the frame's share of the scene when start <= t <= end (seconds); else nothing.
  void Draw(float t, float start, float end);

  // The scene's texture slots, for inspection.
  const render::TextureSet<kSlotCount> &Textures() const { return textures; }

 private:
  IDirect3DDevice9 *device = nullptr;  // not owned
  render::Camera *camera = nullptr;
  render::TextureSet<kSlotCount> textures;     // slot 0: the card picture
  D3DXMATRIX world;                    // always the identity
  render::ScreenFader *fader = nullptr;
  render::TexturedQuad *card = nullptr;
};

}  // namespace zel::scenes
