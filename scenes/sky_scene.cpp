#include "scenes/sky_scene.h"

SkyScene::SkyScene(IDirect3DDevice9 *device) : device(device) {}

SkyScene::~SkyScene() = default;

void SkyScene::Draw(float time, float start, float end) {
  if (time < start || time > end) return;
}
