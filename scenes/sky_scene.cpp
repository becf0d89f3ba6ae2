// SkyScene: the sky stack, the end card, the beat flashes and the fades (see sky_scene.h);
// the word flashes live in word_flashes.cpp.
#include "scenes/sky_scene.h"

#include <algorithm>
#include <cmath>

#include "gfxutil/math.h"
#include "model3ds/model3ds.h"
#include "render/camera.h"
#include "render/screen_fader.h"
#include "scenes/sprite_quad.h"

namespace zel::scenes {

namespace {

const char *const kTextureFiles[SkyScene::kSlotCount] = {
    "Data/Textures/skyneg2m.jpg",  "Data/Textures/txt/ng1.jpg",   "Data/Textures/txt/ng2.jpg",
    "Data/Textures/txt/ng3.jpg",   "Data/Textures/txt/to1.jpg",   "Data/Textures/txt/to2.jpg",
    "Data/Textures/txt/to3.jpg",   "Data/Textures/txt/zlo1.jpg",  "Data/Textures/txt/zlo2.jpg",
    "Data/Textures/txt/zlo3.jpg",  "Data/Textures/txt/siew1.jpg", "Data/Textures/txt/siew2.jpg",
    "Data/Textures/txt/siew3.jpg", "Data/Textures/txt/nas1.jpg",  "Data/Textures/txt/nas2.jpg",
    "Data/Textures/txt/nas3.jpg",  "Data/Textures/txt/deg1.jpg",  "Data/Textures/txt/deg2.jpg",
    "Data/Textures/txt/deg3.jpg",  "Data/Textures/end.jpg",       "Data/Textures/white.jpg",
    "Data/Textures/buuu.jpg",      "Data/Textures/wypier.jpg",    "Data/Textures/txt/um1.jpg",
    "Data/Textures/txt/um2.jpg",   "Data/Textures/txt/um3.jpg",
};
const char *const kModelFile = "Data/3DFiles/hem.3ds";

enum Slot { kSkySlot = 0, kEndSlot = 19, kWhiteSlot = 20, kBuuuSlot = 21, kWypierSlot = 22 };

// pi/3 vertically (0x3F860A92), 4:3 at every resolution.
constexpr float kFieldOfView = 1.0471976f;
constexpr float kAspect = 1.3333334f;
constexpr float kNear = 0.1f;
constexpr float kFar = 10000.0f;
constexpr float kEyeZ = 90.0f;  // the background camera looks from +z back at the origin

constexpr int kStackCopies = 10;
constexpr float kCopySpacing = 5.0f;  // units along z between copies
constexpr float kScrollRate = 0.25f;  // texture v per second

constexpr float kWordsUntil = 19.0f;  // demo time: words before, end card from then on

// Beat flashes in demo time: above the first value, up to the second.
constexpr float kFlashWindows[15][2] = {
    {6.441f, 6.541f},   {6.882f, 6.982f},   {7.323f, 7.423f},   {7.764f, 7.864f},   {8.205f, 8.305f},
    {8.646f, 8.746f},   {9.087f, 9.187f},   {9.528f, 9.628f},   {9.969f, 10.069f},  {10.41f, 10.51f},
    {10.851f, 10.951f}, {11.292f, 11.392f}, {11.733f, 11.833f}, {12.174f, 12.274f}, {12.615f, 12.715f},
};
constexpr float kFlashWidth = 20.0f;  // larger than the visible +-7.698 x +-5.7735
constexpr float kFlashHeight = 15.0f;

constexpr float kWhite = 255.0f;
constexpr float kOpaque = 255.0f;
constexpr float kOpeningFlashEnd = 0.2f;  // seconds of white vanishing at the start
constexpr float kClosingLength = 0.25f;   // seconds of closing overlay at the end

}  // namespace

SkyScene::SkyScene(IDirect3DDevice9 *device) {
  this->device = device;
  camera = new render::Camera(device);
  model = new model3ds::Model3ds(device);
  model->Load(kModelFile);
  fader = new render::ScreenFader(device);
  sprite = new SpriteQuad(device);
  sprite->CreateBuffer();
  textures.Load(device, kTextureFiles);
}

SkyScene::~SkyScene() {
  delete camera;
  delete model;
  delete fader;
  delete sprite;
  textures.ReleaseAll();
}

void SkyScene::Draw(float t, float start, float end) {
  if (t < start) return;
  if (t > end) return;
  const float lt = t - start;
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  D3DXMATRIX projection;
  D3DXMatrixPerspectiveFovLH(&projection, kFieldOfView, kAspect, kNear, kFar);
  device->SetTransform(D3DTS_PROJECTION, &projection);
  camera->LookAt(0.0f, 0.0f, kEyeZ, 0.0f, 0.0f, 0.0f);
  textures.Bind(device, 0, kSkySlot);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_DESTALPHA);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  DrawSkyStack(lt);

  if (t < kWordsUntil) {
    DrawWordsEarly(lt);
    DrawWordsLate(lt);
  } else {
    DrawEndCard(t);
  }
  DrawBeatFlash(t);

  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
  fader->FadeFromColor(lt, 0.0f, kOpeningFlashEnd, kWhite, kWhite, kWhite, D3DBLEND_SRCALPHA,
                       D3DBLEND_INVSRCALPHA);
  const float d = end - start;
  fader->FadeToColor(lt, d - kClosingLength, d, kWhite, kWhite, kWhite, D3DBLEND_INVDESTALPHA,
                     D3DBLEND_INVSRCALPHA);
}

// Ten copies, each rocking about the viewing axis a little behind the one before, all with
// the same texture scroll (recomputed from the file's coordinates, never accumulated).
void SkyScene::DrawSkyStack(float lt) {
  model3ds::Object3ds &object = model->objects[0];
  // The count comes from the file; never let it walk past the fixed arrays.
  const int count = std::clamp(object.vertexCount, 0, model3ds::MaxMeshVertices);
  const float scroll = kScrollRate * lt;
  for (int i = 0; i < kStackCopies; ++i) {
    float angle = static_cast<float>(2.0 * std::sin(0.5 * (lt + 0.02 * i)));
    D3DXMATRIX rotation, translation, world;
    D3DXMatrixRotationZ(&rotation, angle);
    D3DXMatrixTranslation(&translation, 0.0f, 0.0f, kCopySpacing * i);
    D3DXMatrixMultiply(&world, &translation, &rotation);
    device->SetTransform(D3DTS_WORLD, &world);
    for (int k = 0; k < count; ++k) {
      object.texCoords[k][1] = model->loader->workTexCoords[k][1] + scroll;
    }
    model->RefreshTexCoords();
    model->Draw();
  }
}

// The end card and the two images swaying around it; blending stays on, depth writes off.
void SkyScene::DrawEndCard(float t) {
  const double td = t;
  textures.Bind(device, 0, kEndSlot);
  sprite->DrawWithAlpha(12.0f, 12.0f, 0.0f, -0.3f, 0.0f, kOpaque);
  const float h = static_cast<float>(0.5 * std::sin(td + std::sin(10.0 * td)));
  const float c = static_cast<float>(std::cos(10.0 * td));
  textures.Bind(device, 0, kBuuuSlot);
  sprite->DrawWithAlpha(6.0f, 3.7f, static_cast<float>(0.5 * std::sin(td + c) - 5.5),
                        static_cast<float>(3.5 - h), 0.0f, kOpaque);
  textures.Bind(device, 0, kWypierSlot);
  sprite->DrawWithAlpha(7.0f, 4.2f, static_cast<float>(6.0 - 0.5 * std::sin(td - c)),
                        static_cast<float>(h - 5.0), 0.0f, kOpaque);
}

// A white sheet over the whole view inside one of the fifteen flash windows.
void SkyScene::DrawBeatFlash(float t) {
  textures.Bind(device, 0, kWhiteSlot);
  for (const auto &window : kFlashWindows) {
    if (t > window[0] && t <= window[1]) {
      sprite->Draw(kFlashWidth, kFlashHeight, 0.0f, 0.0f);
      return;
    }
  }
}

}  // namespace zel::scenes
