// OpeningScene (see opening_scene.h).
#include "scenes/opening_scene.h"

#include "render/camera.h"
#include "render/screen_fader.h"
#include "render/textured_quad.h"

namespace zel::scenes {

namespace {

const char *const kTextureFiles[] = {"Data/Textures/loading.jpg"};
constexpr int kCardSlot = 0;

// 4pi/11 vertically (0x3F923A14), 4:3 at every resolution, a far plane that never clips.
constexpr float kFieldOfView = 1.1423974f;
constexpr float kAspect = 1.3333334f;
constexpr float kNear = 0.1f;
constexpr float kFar = 100000.0f;

// From 2.11 units (0xC0070A3E) the 3.2 x 2.4 card fills 88.5 % of the view's height and width.
constexpr float kEyeZ = -2.11f;
constexpr float kCardWidth = 3.2f;
constexpr float kCardHeight = 2.4f;

// The closing overlay over the last second of the six-second window (local seconds).
constexpr float kOverlayStart = 5.0f;
constexpr float kOverlayEnd = 6.0f;
constexpr float kWhite = 255.0f;

}  // namespace

OpeningScene::OpeningScene(IDirect3DDevice9 *device) {
  this->device = device;
  camera = new render::Camera(device);
  card = new render::TexturedQuad(device);
  fader = new render::ScreenFader(device);
  textures.Load(device, kTextureFiles);
}

OpeningScene::~OpeningScene() {
  textures.ReleaseAll();
  delete fader;
  delete camera;
  delete card;
}

void OpeningScene::Draw(float t, float start, float end) {
  if (t < start) return;
  if (t > end) return;
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  D3DXMatrixTranslation(&world, 0.0f, 0.0f, 0.0f);
  D3DXMATRIX projection;
  D3DXMatrixPerspectiveFovLH(&projection, kFieldOfView, kAspect, kNear, kFar);
  device->SetTransform(D3DTS_PROJECTION, &projection);
  D3DXMatrixTranslation(&world, 0.0f, 0.0f, 0.0f);
  device->SetTransform(D3DTS_WORLD, &world);
  card->Resize(kCardWidth, kCardHeight);
  camera->LookAt(0.0f, 0.0f, kEyeZ, 0.0f, 0.0f, 0.0f);
  textures.Bind(device, 0, kCardSlot);
  // Blending is off here: the fader switches it off at the end of every fade.
  device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  card->Draw();
  device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
  fader->FadeToColor(t - start, kOverlayStart, kOverlayEnd, kWhite, kWhite, kWhite, D3DBLEND_INVDESTALPHA,
                     D3DBLEND_INVSRCALPHA);
}

}  // namespace zel::scenes
