// The word flashes of SkyScene's first appearance: seven words of three layered images
// each, shaken anew on every frame by the shared rand sequence.
#include <zel_crt_rand.h>

#include <cmath>

#include "scenes/sky_scene.h"
#include "scenes/sprite_quad.h"

namespace zel::scenes {

struct WordFlash {
  float above;     // lower bound of the window in local seconds, excluded
  float upTo;      // upper bound, included
  int firstSlot;   // the three layers use this slot and the two after it
  double bx, by;   // base point in the sprite's z = 0 plane (units)
  bool timeOnly;   // layer 1 shakes sideways with time alone and draws no nx
};

namespace {

// Early words last 1.423 s, 0.441 s apart; late words 1.856 s, 0.439 s apart.
const WordFlash kEarlyWords[] = {
    {0.441f, 1.864f, 1, -4.0, 3.0, false},  // ng
    {0.882f, 2.305f, 4, 2.0, 1.0, true},    // to
    {1.323f, 2.746f, 7, 0.0, -3.0, false},  // zlo
};
const WordFlash kLateWords[] = {
    {3.512f, 5.368f, 10, 4.0, 3.0, false},   // siew
    {3.951f, 5.807f, 13, -2.0, 1.0, true},   // nas
    {4.390f, 6.246f, 16, 2.0, -2.0, false},  // deg
    {4.829f, 6.685f, 23, -1.0, -4.0, false}, // um
};

struct Layer {
  double ax;  // horizontal amplitude (units)
  double ay;  // vertical amplitude (units)
  double c;   // factor inside the vertical cosine
};
constexpr Layer kLayers[3] = {{0.5, 0.5, 100.0}, {-0.25, -0.25, 100.0}, {0.05, -0.05, -100.0}};

constexpr float kWordWidth = 6.0f;
constexpr float kWordHeight = 3.0f;
constexpr int kRandRange = 100;

}  // namespace

void SkyScene::DrawWord(const WordFlash &word, float lt) {
  if (!(lt > word.above) || lt > word.upTo) return;  // no rand draws outside the window
  const double t = lt;
  for (int layer = 0; layer < 3; ++layer) {
    textures.Bind(device, 0, word.firstSlot + layer);
    const Layer &k = kLayers[layer];
    double ny = crt::CrtRand() % kRandRange;  // ny is drawn before nx
    double x;
    if (layer == 0 && word.timeOnly) {
      x = word.bx + k.ax * std::sin(100.0 * t);
    } else {
      double nx = crt::CrtRand() % kRandRange;
      x = word.bx + k.ax * std::sin(100.0 * (t + nx));
    }
    double y = word.by + k.ay * std::cos(k.c * std::sin(t + ny));
    sprite->Draw(kWordWidth, kWordHeight, static_cast<float>(x), static_cast<float>(y));
  }
}

void SkyScene::DrawWordsEarly(float lt) {
  for (const WordFlash &word : kEarlyWords) DrawWord(word, lt);
}

void SkyScene::DrawWordsLate(float lt) {
  for (const WordFlash &word : kLateWords) DrawWord(word, lt);
}

}  // namespace zel::scenes
