#include "scenes/title_scene.h"

TitleScene::TitleScene(IDirect3DDevice9 *device) : device(device) {}

TitleScene::~TitleScene() = default;

void TitleScene::Draw(float time, float start, float end) {
  if (time < start || time > end) return;
}
