// TexturedQuad (see textured_quad.h).
#include "render/textured_quad.h"

#include "gfxutil/math.h"

namespace zel::render {

namespace {

constexpr DWORD kQuadFvf = D3DFVF_XYZ | D3DFVF_TEX1;  // 0x102
constexpr UINT kVertexSize = 20;                        // x, y, z, u, v
constexpr UINT kBufferSize = 4 * kVertexSize;

struct QuadVertex {
  float x, y, z, u, v;
};
static_assert(sizeof(QuadVertex) == kVertexSize);

}  // namespace

TexturedQuad::TexturedQuad(IDirect3DDevice9 *device) {
  this->device = device;
  // Not checked: without a buffer the draws are skipped. Vertices are undefined until Resize.
  device->CreateVertexBuffer(kBufferSize, 0, kQuadFvf, D3DPOOL_DEFAULT, &vertices, nullptr);
}

TexturedQuad::~TexturedQuad() {
  if (vertices) vertices->Release();
}

HRESULT TexturedQuad::Resize(float w, float h) {
  void *data = nullptr;
  if (!vertices || FAILED(vertices->Lock(0, kBufferSize, &data, 0)) || !data) return E_FAIL;
  float hw = w / 2, hh = h / 2;
  // Triangle strip, clockwise seen from -z; upright (v = 0 on top) and unmirrored (u = 0 left).
  const QuadVertex quad[4] = {{-hw, -hh, 0.0f, 0.0f, 1.0f},
                              {-hw, hh, 0.0f, 0.0f, 0.0f},
                              {hw, -hh, 0.0f, 1.0f, 1.0f},
                              {hw, hh, 0.0f, 1.0f, 0.0f}};
  auto *out = static_cast<QuadVertex *>(data);
  for (int i = 0; i < 4; ++i) out[i] = quad[i];
  vertices->Unlock();
  return S_OK;
}

void TexturedQuad::BindStream() {
  device->SetStreamSource(0, vertices, 0, kVertexSize);
  device->SetFVF(kQuadFvf);
}

HRESULT TexturedQuad::DrawStrip() {
  if (!vertices) return E_FAIL;  // the buffer was never created: nothing to draw
  return device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
}

HRESULT TexturedQuad::Draw() {
  BindStream();
  return DrawStrip();
}

HRESULT TexturedQuad::DrawAt(float x, float y, float z) {
  BindStream();
  D3DXMATRIX world;
  D3DXMatrixTranslation(&world, x, y, z);
  device->SetTransform(D3DTS_WORLD, &world);
  return DrawStrip();
}

HRESULT TexturedQuad::DrawWithWorld(D3DXMATRIX world) {
  BindStream();
  device->SetTransform(D3DTS_WORLD, &world);
  return DrawStrip();
}

}  // namespace zel::render
