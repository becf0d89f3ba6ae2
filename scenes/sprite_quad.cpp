// SpriteQuad (see sprite_quad.h).
#include "scenes/sprite_quad.h"

#include "gfxutil/math.h"
#include "render/camera.h"
#include "render/vertex_color.h"

namespace zel::scenes {

namespace {

constexpr DWORD kSpriteFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;  // 0x142
constexpr UINT kVertexSize = 24;
constexpr UINT kBufferSize = 4 * kVertexSize;
constexpr float kEyeZ = -10.0f;  // the sprite's own camera, looking at the origin
constexpr float kOpaque = 255.0f;

struct SpriteVertex {
  float x, y, z;
  D3DCOLOR color;
  float u, v;
};
static_assert(sizeof(SpriteVertex) == kVertexSize);

}  // namespace

SpriteQuad::SpriteQuad(IDirect3DDevice9 *device) {
  this->device = device;
  camera = new render::Camera(device);
  vertices = nullptr;
}

SpriteQuad::~SpriteQuad() {
  if (vertices) vertices->Release();
  delete camera;
}

HRESULT SpriteQuad::CreateBuffer() {
  device->CreateVertexBuffer(kBufferSize, 0, kSpriteFvf, D3DPOOL_DEFAULT, &vertices, nullptr);
  return S_OK;
}

HRESULT SpriteQuad::Fill(float width, float height, float alpha) {
  void *data = nullptr;
  if (!vertices || FAILED(vertices->Lock(0, kBufferSize, &data, 0)) || !data) return E_FAIL;
  D3DCOLOR color = render::vertex_color::ChannelByte(alpha) * 0x01010101u;  // grey level equals alpha
  float hw = width * 0.5f, hh = height * 0.5f;
  // Triangle strip, clockwise seen from -z; the image upright and unmirrored.
  const SpriteVertex quad[4] = {{-hw, -hh, 0.0f, color, 0.0f, 1.0f},
                                {-hw, hh, 0.0f, color, 0.0f, 0.0f},
                                {hw, -hh, 0.0f, color, 1.0f, 1.0f},
                                {hw, hh, 0.0f, color, 1.0f, 0.0f}};
  auto *out = static_cast<SpriteVertex *>(data);
  for (int i = 0; i < 4; ++i) out[i] = quad[i];
  vertices->Unlock();
  return S_OK;
}

// Fill, stream, view, world, stage 0 as texture times vertex colour, blend factors.
void SpriteQuad::SetUp(float width, float height, float x, float y, float z, float alpha) {
  Fill(width, height, alpha);
  device->SetStreamSource(0, vertices, 0, kVertexSize);
  device->SetFVF(kSpriteFvf);
  camera->LookAt(0.0f, 0.0f, kEyeZ, 0.0f, 0.0f, 0.0f);
  D3DXMATRIX world;
  D3DXMatrixTranslation(&world, x, y, z);
  device->SetTransform(D3DTS_WORLD, &world);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_DESTALPHA);
}

HRESULT SpriteQuad::DrawStrip() {
  if (!vertices) return E_FAIL;  // the buffer was never created: skip the draw
  return device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
}

HRESULT SpriteQuad::Draw(float width, float height, float x, float y) {
  SetUp(width, height, x, y, 0.0f, kOpaque);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  HRESULT hr = DrawStrip();
  device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  return hr;
}

HRESULT SpriteQuad::DrawWithAlpha(float width, float height, float x, float y, float z, float alpha) {
  SetUp(width, height, x, y, z, alpha);
  return DrawStrip();
}

}  // namespace zel::scenes
