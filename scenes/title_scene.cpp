// TitleScene (see title_scene.h).
#include "scenes/title_scene.h"

#include <algorithm>
#include <cmath>

#include "model3ds/model3ds.h"
#include "render/camera.h"
#include "render/screen_fader.h"
#include "render/shader_effect.h"
#include "render/textured_quad.h"

namespace zel::scenes {

namespace {

const char *const kShaderFile = "Data/Other/ref.vsh";
const char *const kLogoFile = "Data/3DFiles/zel2.3ds";
const char *const kJumperFile = "Data/3DFiles/smc.3ds";
const char *const kTextureFiles[TitleScene::kSlotCount] = {
    "Data/Textures/skn.jpg",     "Data/Textures/dunno2.jpg", "Data/Textures/wirok-nogom_nie.jpg",
    "Data/Textures/flare22i.jpg", "Data/Textures/spc2.bmp",   "Data/Textures/pap.jpg",
    "Data/Textures/circle2.jpg", "Data/Textures/buuu2.jpg",
};
// Slot 6 (circle2.jpg) is loaded with the others but this scene never draws it.
enum Slot {
  kLogoStage1Slot = 0,
  kLogoStage0Slot = 1,
  kBackgroundSlot = 2,
  kFlareSlot = 3,
  kGlowSlot = 4,
  kJumperSlot = 5,
  kBannerSlot = 7
};

// 2pi/7 vertically, 4:3 at every resolution.
constexpr float kFieldOfView = 0.8975979f;
constexpr float kAspect = 1.3333334f;
constexpr float kNear = 0.1f;
constexpr float kFar = 1000.0f;

// From 2.49 units the view shows +-1.1991 x +-1.5988: the 3.2 x 2.4 background fills it.
constexpr float kBackgroundEyeZ = -2.49f;
constexpr float kBackgroundWidth = 3.2f;
constexpr float kBackgroundHeight = 2.4f;

constexpr double kOrbitRadius = 450.0;  // units; one turn every 2pi seconds
constexpr float kOrbitHeight = -20.0f;  // eye level with its target
constexpr double kLightRadius = 50.0;   // units; five turns per orbit
constexpr double kLightRate = 5.0;
constexpr double kQuarterTurn = 1.570796;

// Sprites along the model's vertex list: every 53rd a flare 11 units wide, every 28th a
// small one 2 units wide, every 700th a glow 300 units wide swinging through the model.
constexpr int kFlareStride = 53;
constexpr float kFlareSize = 11.0f;
constexpr int kSmallFlareStride = 28;
constexpr float kSmallFlareSize = 2.0f;
constexpr int kGlowStride = 700;
constexpr float kGlowSize = 300.0f;
constexpr double kFlareLift = 1.01;  // flares sit just outside the surface

constexpr float kBannerEyeZ = -10.0f;
constexpr float kBannerWidth = 5.0f;
constexpr float kBannerHeight = 2.5f;
constexpr float kBannerX = 5.0f;

// Beat windows in local seconds: above the first value, up to the second.
constexpr float kBeatWindows[15][2] = {
    {0.441f, 0.561f}, {0.882f, 1.002f}, {1.323f, 1.443f}, {1.764f, 1.884f}, {2.205f, 2.325f},
    {2.646f, 2.766f}, {3.087f, 3.207f}, {3.528f, 3.648f}, {3.969f, 4.089f}, {4.41f, 4.53f},
    {4.851f, 4.971f}, {5.292f, 5.412f}, {5.733f, 5.853f}, {6.174f, 6.294f}, {6.615f, 6.735f},
};

struct Jumper {
  float offset;  // seconds added to the local time
  float x, y0, z0, speed, zRest;
};
constexpr Jumper kJumpers[8] = {
    {0.1f, -5.0f, 0.0f, -30.0f, 20.0f, 33.0f}, {0.6f, 2.5f, 0.0f, -5.0f, 10.0f, 27.0f},
    {0.0f, 10.0f, 0.0f, -40.0f, 23.0f, 32.5f}, {0.5f, -8.5f, 0.0f, -15.0f, 17.0f, 38.5f},
    {0.2f, -3.0f, 0.0f, -30.0f, 19.0f, 30.0f}, {0.73f, 0.5f, 0.0f, -5.0f, 11.0f, 30.0f},
    {2.4f, -11.0f, 0.0f, -30.0f, 21.0f, 36.0f}, {1.9f, 6.5f, 0.0f, -5.0f, 14.0f, 39.0f},
};
constexpr float kJumpHeight = 5.0f;   // units at the top of the arc
constexpr float kFlightLimit = 4.0f;  // seconds; from then on every copy rests
constexpr float kJumperEyeY = 8.0f;
constexpr float kJumperEyeZ = -10.0f;

constexpr float kWhite = 255.0f;
constexpr float kOpeningFlashEnd = 0.2f;  // seconds
constexpr float kClosingLength = 1.0f;    // seconds

}  // namespace

TitleScene::TitleScene(IDirect3DDevice9 *device) {
  this->device = device;
  camera = new render::Camera(device);
  fader = new render::ScreenFader(device);
  quad = new render::TexturedQuad(device);
  effect = new render::ShaderEffect(device);
  logoModel = new model3ds::Model3ds(device);
  jumperModel = new model3ds::Model3ds(device);
  D3DXMatrixIdentity(&world);
  effect->Load(kShaderFile);
  logoModel->Load(kLogoFile);
  jumperModel->Load(kJumperFile);
  textures.Load(device, kTextureFiles);
}

TitleScene::~TitleScene() {
  delete effect;
  textures.ReleaseAll();
  delete logoModel;
  delete camera;
  delete jumperModel;
  delete fader;
  delete quad;
}

float TitleScene::BeatPulse(float lt) {
  for (const auto &window : kBeatWindows) {
    if (lt > window[0] && lt <= window[1]) return 1.0f;
  }
  return 0.0f;
}

void TitleScene::Draw(float time, float start, float end) {
  if (time < start || time > end) return;
  const float lt = time - start;
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  D3DXMATRIX projection;
  D3DXMatrixPerspectiveFovLH(&projection, kFieldOfView, kAspect, kNear, kFar);
  device->SetTransform(D3DTS_PROJECTION, &projection);

  DrawBackground();
  D3DXVECTOR3 eye;
  DrawLogo(lt, projection, &eye);
  DrawSprites(lt, eye);
  DrawBanner(lt);

  textures.Bind(device, 0, kJumperSlot);
  for (const Jumper &j : kJumpers) DrawJumper(lt + j.offset, j.x, j.y0, j.z0, j.speed, j.zRest);

  // Last: the fades change projection, view and stream state.
  fader->FadeFromColor(lt, 0.0f, kOpeningFlashEnd, kWhite, kWhite, kWhite, D3DBLEND_SRCALPHA,
                       D3DBLEND_INVSRCALPHA);
  const float d = end - start;
  fader->FadeToColor(lt, d - kClosingLength, d, kWhite, kWhite, kWhite, D3DBLEND_INVDESTALPHA,
                     D3DBLEND_INVSRCALPHA);
}

// Full-screen picture with the stage and blend states the previous frame left.
void TitleScene::DrawBackground() {
  device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  camera->LookAt(0.0f, 0.0f, kBackgroundEyeZ, 0.0f, 0.0f, 0.0f);
  D3DXMatrixTranslation(&world, 0.0f, 0.0f, 0.0f);
  device->SetTransform(D3DTS_WORLD, &world);
  textures.Bind(device, 0, kBackgroundSlot);
  device->SetTexture(1, nullptr);
  quad->Resize(kBackgroundWidth, kBackgroundHeight);
  quad->Draw();
  device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
}

// The title model through the vertex shader: stage 0 modulates its texture by the shader's
// colour, stage 1 adds the second texture.
void TitleScene::DrawLogo(float lt, const D3DXMATRIX &projection, D3DXVECTOR3 *eye) {
  const double a = lt;
  *eye = D3DXVECTOR3(static_cast<float>(kOrbitRadius * std::cos(a)), kOrbitHeight,
                     static_cast<float>(kOrbitRadius * std::sin(a)));
  camera->LookAt(eye->x, eye->y, eye->z, 0.0f, kOrbitHeight, 0.0f);
  const D3DXVECTOR3 light(static_cast<float>(kLightRadius * std::sin(kLightRate * a)), 0.0f,
                          static_cast<float>(-kLightRadius * std::cos(kLightRate * a)));
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_DESTALPHA);
  D3DXMATRIX view;
  camera->GetViewMatrix(&view);
  effect->SetConstants(world, view, projection, light);
  device->SetVertexShader(effect->GetShader());
  textures.Bind(device, 1, kLogoStage1Slot);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  textures.Bind(device, 0, kLogoStage0Slot);
  device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
  device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
  logoModel->Draw();
  device->SetVertexShader(nullptr);
}

// Flares and glows on the model's vertices, turned to face the orbiting eye, added onto
// the picture (source alpha over destination alpha, which reads 1).
void TitleScene::DrawSprites(float lt, const D3DXVECTOR3 &eye) {
  device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  textures.Bind(device, 0, kFlareSlot);
  device->SetTexture(1, nullptr);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);

  // The quad's front faces -z; turn it towards the eye. At eye.x = 0 the quotient is
  // infinite and atan gives +-pi/2.
  const double ratio = static_cast<double>(eye.z) / static_cast<double>(eye.x);
  const double theta = eye.x < 0.0f ? kQuarterTurn - std::atan(ratio) : -std::atan(ratio) - kQuarterTurn;
  D3DXMATRIX facing;
  D3DXMatrixRotationY(&facing, static_cast<float>(theta));

  // The count comes from the file; never let it walk past the fixed vertex list.
  const int n = std::clamp(logoModel->objects[0].vertexCount, 0, model3ds::MaxMeshVertices);
  const auto &p = logoModel->loader->workVertices;  // file axes: (x, y, z), y and z exchanged below
  D3DXMATRIX placement, sprite;
  auto drawFlares = [&](int stride) {
    for (int i = 0; i < n; i += stride) {
      D3DXMatrixTranslation(&placement, static_cast<float>(kFlareLift * p[i][0]),
                            static_cast<float>(kFlareLift * p[i][2]), static_cast<float>(kFlareLift * p[i][1]));
      D3DXMatrixMultiply(&sprite, &facing, &placement);
      quad->DrawWithWorld(sprite);
    }
  };
  quad->Resize(kFlareSize, kFlareSize);
  drawFlares(kFlareStride);
  quad->Resize(kSmallFlareSize, kSmallFlareSize);
  drawFlares(kSmallFlareStride);

  quad->Resize(kGlowSize, kGlowSize);
  textures.Bind(device, 0, kGlowSlot);
  const double s = std::sin(2.0 * lt), c = std::cos(2.0 * lt);
  for (int i = 0; i < n; i += kGlowStride) {
    D3DXMatrixTranslation(&placement, static_cast<float>(2.0 * s * p[i][0]), static_cast<float>(-c * p[i][2]),
                          static_cast<float>(2.0 * s * p[i][1]));
    D3DXMatrixMultiply(&sprite, &facing, &placement);
    quad->DrawWithWorld(sprite);
  }
}

// The banner sways with cos 2lt and comes forward to z = 0 during each beat window.
void TitleScene::DrawBanner(float lt) {
  camera->LookAt(0.0f, 0.0f, kBannerEyeZ, 0.0f, 0.0f, 0.0f);
  pulse = BeatPulse(lt);
  quad->Resize(kBannerWidth, kBannerHeight);
  textures.Bind(device, 0, kBannerSlot);
  const float y = static_cast<float>(3.0 + 0.4291845493562232 * std::sin(5.6666 * std::cos(2.0 * lt)));
  quad->DrawAt(kBannerX, y, 1.0f - pulse);
  device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

void TitleScene::DrawJumper(float t, float x, float y0, float z0, float speed, float zRest) {
  float y = 0.0f, z = zRest, a = zRest;  // at rest
  if (t < kFlightLimit) {
    y = static_cast<float>(kJumpHeight * std::sin(static_cast<double>(t)) + y0);
    z = t * speed + z0;
    a = t;
    if (y <= 0.0f) {
      y = 0.0f;
      z = zRest;
      a = zRest;
    }
  }
  camera->LookAt(0.0f, kJumperEyeY, kJumperEyeZ, 0.0f, kJumperEyeY, 0.0f);
  const float angle = static_cast<float>(std::sin(static_cast<double>(speed)) * a);
  D3DXMATRIX rx, ry, rz, spin;
  D3DXMatrixRotationX(&rx, angle);
  D3DXMatrixRotationY(&ry, angle);
  D3DXMatrixRotationZ(&rz, angle);
  D3DXMatrixMultiply(&spin, &rx, &ry);
  D3DXMatrixMultiply(&spin, &spin, &rz);
  D3DXMatrixTranslation(&world, x, y, z);
  D3DXMatrixMultiply(&world, &spin, &world);
  device->SetTransform(D3DTS_WORLD, &world);
  jumperModel->Draw();
}

}  // namespace zel::scenes
