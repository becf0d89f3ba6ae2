#include "scenes/opening_scene.h"

OpeningScene::OpeningScene(IDirect3DDevice9 *device) : device(device) {}

OpeningScene::~OpeningScene() = default;

void OpeningScene::Draw(float time, float start, float end) {
  if (time < start || time > end) return;
}
