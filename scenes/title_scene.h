// TitleScene: the title model drawn through the vertex shader under a camera orbiting it,
// flare and glow sprites on its vertices, a banner that jumps on the beats, eight small
// models leaping into place, a white flash at the start and the closing overlay at the end.
// Everything is a function of the local time; nothing carries over between frames.
#pragma once

#include <d3d9.h>

#include "gfxutil/math.h"
#include "render/texture_set.h"

namespace zel::model3ds {
class Model3ds;
}

namespace zel::render {
class Camera;
class ScreenFader;
class ShaderEffect;
class TexturedQuad;
}

namespace zel::scenes {

class TitleScene {
 public:
  static constexpr int kSlotCount = 8;

  explicit TitleScene(IDirect3DDevice9 *device);
  virtual ~TitleScene();

  TitleScene(const TitleScene &) = delete;
  TitleScene &operator=(const TitleScene &) = delete;

  // Draws the frame's share of the scene when start <= time <= end (seconds); else nothing.
  void Draw(float time, float start, float end);

  // The scene's texture slots, for inspection.
  const render::TextureSet<kSlotCount> &Textures() const { return textures; }

  // One leaping copy of the small model at flight time t (seconds): rises and falls along
  // +z at speed units per second, spinning, and rests at (x, 0, zRest) once it lands.
  void DrawJumper(float t, float x, float y0, float z0, float speed, float zRest);

  // 1 inside one of the fifteen beat windows of local time lt (above k * 0.441, up to
  // k * 0.441 + 0.12), else 0.
  static float BeatPulse(float lt);

 private:
  void DrawBackground();
  void DrawLogo(float lt, const D3DXMATRIX &projection, D3DXVECTOR3 *eye);
  void DrawSprites(float lt, const D3DXVECTOR3 &eye);
  void DrawBanner(float lt);

  IDirect3DDevice9 *device = nullptr;  // not owned
  render::Camera *camera = nullptr;
  model3ds::Model3ds *logoModel = nullptr;
  model3ds::Model3ds *jumperModel = nullptr;
  render::ShaderEffect *effect = nullptr;
  render::TextureSet<kSlotCount> textures;
  D3DXMATRIX world;  // scratch world transform: identity each frame, then each jumper's
  render::ScreenFader *fader = nullptr;
  render::TexturedQuad *quad = nullptr;
  float pulse = 0.0f;  // 1 during a beat window, else 0
};

}  // namespace zel::scenes
