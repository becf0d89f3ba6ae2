// ScreenFader: the full-screen fades (see screen_fader.h).
#include "render/screen_fader.h"

#include "gfxutil/math.h"
#include "render/camera.h"
#include "render/vertex_color.h"

namespace zel::render {

namespace {

constexpr DWORD kFaderFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;  // 0x42
constexpr UINT kVertexSize = 16;                            // x, y, z, colour
constexpr UINT kBufferSize = 4 * kVertexSize;

// The fader's own projection: 2pi/7 vertically, 4:3 whatever the resolution.
constexpr float kFieldOfView = 0.8975979f;
constexpr float kAspect = 1.3333334f;
constexpr float kNear = 0.1f;
constexpr float kFar = 150.0f;

// At 2.45 units the view shows +-1.1799 x +-1.5732, inside the 3.2 x 2.4 quad;
// at 1.225 it shows +-0.5900 x +-0.7866, inside 1.6 x 1.2.
constexpr float kToColorEyeZ = -2.45f;
constexpr float kToColorWidth = 3.2f;
constexpr float kToColorHeight = 2.4f;
constexpr float kFromColorEyeZ = -1.225f;
constexpr float kFromColorWidth = 1.6f;
constexpr float kFromColorHeight = 1.2f;

constexpr float kOpaque = 255.0f;

struct FaderVertex {
  float x, y, z;
  D3DCOLOR color;
};
static_assert(sizeof(FaderVertex) == kVertexSize);

}  // namespace

ScreenFader::ScreenFader(IDirect3DDevice9 *device) {
  this->device = device;
  camera = new Camera(device);
  // The result is not checked: a missing buffer only means the fades draw nothing.
  device->CreateVertexBuffer(kBufferSize, 0, kFaderFvf, D3DPOOL_DEFAULT, &vertices, nullptr);
}

ScreenFader::~ScreenFader() {
  if (vertices) vertices->Release();
  delete camera;
}

HRESULT ScreenFader::FillColorQuad(float w, float h, float alpha, float red, float green, float blue) {
  using vertex_color::ChannelByte;
  D3DCOLOR color = ChannelByte(alpha) << 24 | ChannelByte(red) << 16 | ChannelByte(green) << 8 |
                   ChannelByte(blue);
  void *data = nullptr;
  if (!vertices || FAILED(vertices->Lock(0, kBufferSize, &data, 0)) || !data) return E_FAIL;
  float hw = w / 2, hh = h / 2;
  // Triangle strip, clockwise seen from -z: bottom-left, top-left, bottom-right, top-right.
  const FaderVertex quad[4] = {
      {-hw, -hh, 0.0f, color}, {-hw, hh, 0.0f, color}, {hw, -hh, 0.0f, color}, {hw, hh, 0.0f, color}};
  auto *out = static_cast<FaderVertex *>(data);
  for (int i = 0; i < 4; ++i) out[i] = quad[i];
  vertices->Unlock();
  return S_OK;
}

// Steps shared by both fades: stream, projection, view, identity world, no textures,
// blend factors and blending on.
void ScreenFader::SetFadeState(float eyeZ, D3DBLEND srcBlend, D3DBLEND destBlend) {
  device->SetStreamSource(0, vertices, 0, kVertexSize);
  device->SetFVF(kFaderFvf);
  D3DXMATRIX projection;
  D3DXMatrixPerspectiveFovLH(&projection, kFieldOfView, kAspect, kNear, kFar);
  device->SetTransform(D3DTS_PROJECTION, &projection);
  camera->LookAt(0.0f, 0.0f, eyeZ, 0.0f, 0.0f, 0.0f);
  D3DXMATRIX world;
  D3DXMatrixTranslation(&world, 0.0f, 0.0f, 0.0f);
  device->SetTransform(D3DTS_WORLD, &world);
  device->SetTexture(0, nullptr);
  device->SetTexture(1, nullptr);
  device->SetRenderState(D3DRS_SRCBLEND, srcBlend);
  device->SetRenderState(D3DRS_DESTBLEND, destBlend);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
}

void ScreenFader::DrawQuad() {
  if (vertices) device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
}

HRESULT ScreenFader::FadeToColor(float time, float start, float end, float red, float green, float blue,
                                 D3DBLEND srcBlend, D3DBLEND destBlend) {
  SetFadeState(kToColorEyeZ, srcBlend, destBlend);
  if (start <= time && time <= end) {
    float alpha = (time - start) / (end - start) * kOpaque;
    if (!(alpha < kOpaque)) alpha = kOpaque;  // also settles a zero-length window's NaN
    FillColorQuad(kToColorWidth, kToColorHeight, alpha, red, green, blue);
    DrawQuad();
  }
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  return S_OK;
}

HRESULT ScreenFader::FadeFromColor(float time, float start, float end, float red, float green, float blue,
                                   D3DBLEND srcBlend, D3DBLEND destBlend) {
  SetFadeState(kFromColorEyeZ, srcBlend, destBlend);
  if (start <= time && time <= end) {
    float alpha = kOpaque - (time - start) / (end - start) * kOpaque;
    if (!(alpha > 0.0f)) alpha = 0.0f;
    FillColorQuad(kFromColorWidth, kFromColorHeight, alpha, red, green, blue);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    DrawQuad();
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
  }
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  return S_OK;
}

}  // namespace zel::render
