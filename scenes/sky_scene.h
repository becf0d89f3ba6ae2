// SkyScene: ten rocking, blended copies of the sky model stacked along the depth axis with a
// scrolling sky texture. Its first appearance (demo time below 19 s) lays shivering words
// and beat flashes over it; its second shows the end card. Each appearance opens with a
// white flash and closes with the closing overlay.
#pragma once

#include <d3d9.h>

#include "render/texture_set.h"

namespace zel::model3ds {
class Model3ds;
}

namespace zel::render {
class Camera;
class ScreenFader;
}

namespace zel::scenes {

class SpriteQuad;
struct WordFlash;

class SkyScene {
 public:
  static constexpr int kSlotCount = 26;

  explicit SkyScene(IDirect3DDevice9 *device);
  virtual ~SkyScene();

  SkyScene(const SkyScene &) = delete;
  SkyScene &operator=(const SkyScene &) = delete;

  // Draws the frame's share of the scene when start <= t <= end (seconds); else nothing.
  void Draw(float t, float start, float end);

  // The scene's texture slots, for inspection.
  const render::TextureSet<kSlotCount> &Textures() const { return textures; }

  // The word flashes of the first appearance, by local time lt (seconds). Each drawn layer
  // draws two values from the shared rand sequence (one for the time-only words' first layer).
  void DrawWordsEarly(float lt);
  void DrawWordsLate(float lt);

 private:
  void DrawWord(const WordFlash &word, float lt);
  void DrawSkyStack(float lt);
  void DrawEndCard(float t);
  void DrawBeatFlash(float t);

  render::TextureSet<kSlotCount> textures;
  IDirect3DDevice9 *device = nullptr;  // not owned
  render::Camera *camera = nullptr;
  model3ds::Model3ds *model = nullptr;
  render::ScreenFader *fader = nullptr;
  SpriteQuad *sprite = nullptr;
};

}  // namespace zel::scenes
