// A small perspective scene on the OpenGL device: a cube under a left-handed camera and a
// 4:3 projection, drawn through an indexed model-format buffer with depth. The frame is
// written to <build>/d3d9_cube.png for a person to look at; the checks read pixels back.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gfxutil/image_png.h"
#include "gfxutil/math.h"
#include "tests/platform/d3d9/gl_fixture.h"

namespace zel::d3d9 {
namespace {

struct ModelVertex {  // FVF 0x252, the show's 44-byte vertex
  float x, y, z, nx, ny, nz;
  D3DCOLOR c;
  float u0, v0, u1, v1;
};

TEST_F(GlDeviceTest, PerspectiveCubeWithDepth) {
  // Six faces, each its own colour; 24 vertices, 36 indices (clockwise seen from outside).
  const D3DCOLOR faceColors[6] = {0xffff0000, 0xff00ff00, 0xff0000ff, 0xffffff00, 0xff00ffff, 0xffff00ff};
  const float n[6][3] = {{0, 0, -1}, {0, 0, 1}, {-1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
  std::vector<ModelVertex> vertices;
  std::vector<uint16_t> indices;
  for (int f = 0; f < 6; ++f) {
    // Two axes spanning the face, chosen so (u x v) points into the cube: clockwise outside.
    float nx = n[f][0], ny = n[f][1], nz = n[f][2];
    float u[3] = {nz != 0 ? -nz : 0, 0, nx != 0 ? nx : 0};
    float v[3] = {0, ny != 0 ? 0.0f : 1.0f, 0};
    if (ny != 0) {
      u[0] = 1;
      v[2] = ny;
    }
    uint16_t base = static_cast<uint16_t>(vertices.size());
    const float corners[4][2] = {{-1, 1}, {1, 1}, {-1, -1}, {1, -1}};
    for (const auto &c : corners) {
      ModelVertex mv{};
      mv.x = nx + c[0] * u[0] + c[1] * v[0];
      mv.y = ny + c[0] * u[1] + c[1] * v[1];
      mv.z = nz + c[0] * u[2] + c[1] * v[2];
      mv.nx = nx, mv.ny = ny, mv.nz = nz;
      mv.c = faceColors[f];
      mv.u0 = (c[0] + 1) / 2, mv.v0 = (1 - c[1]) / 2;
      vertices.push_back(mv);
    }
    for (int i : {0, 1, 2, 2, 1, 3}) indices.push_back(static_cast<uint16_t>(base + i));
  }
  IDirect3DVertexBuffer9 *vb = nullptr;
  IDirect3DIndexBuffer9 *ib = nullptr;
  UINT vbBytes = static_cast<UINT>(vertices.size() * sizeof(ModelVertex));
  UINT ibBytes = static_cast<UINT>(indices.size() * sizeof(uint16_t));
  ASSERT_EQ(device_->CreateVertexBuffer(vbBytes, D3DUSAGE_WRITEONLY, 0x252, D3DPOOL_MANAGED, &vb, nullptr), D3D_OK);
  ASSERT_EQ(device_->CreateIndexBuffer(ibBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr),
            D3D_OK);
  void *p;
  vb->Lock(0, 0, &p, 0);
  std::memcpy(p, vertices.data(), vbBytes);
  vb->Unlock();
  ib->Lock(0, 0, &p, 0);
  std::memcpy(p, indices.data(), ibBytes);
  ib->Unlock();
  // A checker texture modulating every face.
  IDirect3DTexture9 *checker =
      MakeTexture(8, 8, [](UINT x, UINT y) { return ((x ^ y) & 1) ? 0xffffffffu : 0xffa0a0a0u; });

  D3DXMATRIX world, rotY, rotX, view, proj;
  D3DXVECTOR3 eye(0, 0, -5), at(0, 0, 0), up(0, 1, 0);
  D3DXMatrixRotationY(&rotY, 0.6f);
  D3DXMatrixRotationX(&rotX, 0.4f);
  D3DXMatrixMultiply(&world, &rotY, &rotX);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  D3DXMatrixPerspectiveFovLH(&proj, 0.78539816f, 1.3333334f, 0.1f, 100.0f);
  device_->SetTransform(D3DTS_WORLD, &world);
  device_->SetTransform(D3DTS_VIEW, &view);
  device_->SetTransform(D3DTS_PROJECTION, &proj);
  device_->SetRenderState(D3DRS_LIGHTING, FALSE);
  device_->SetTexture(0, checker);
  device_->SetFVF(0x252);
  device_->SetStreamSource(0, vb, 0, sizeof(ModelVertex));
  device_->SetIndices(ib);
  // The platform's default culling (counter-clockwise) removes the far faces; depth does the
  // same job with culling off, so both must give the same picture.
  std::vector<uint8_t> culled;
  for (DWORD cull : {static_cast<DWORD>(D3DCULL_CCW), static_cast<DWORD>(D3DCULL_NONE)}) {
    device_->SetRenderState(D3DRS_CULLMODE, cull);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff101010, 1.0f, 0);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 24, 0, 12), D3D_OK);
    ASSERT_EQ(device_->EndScene(), D3D_OK);
    Grab();
    if (cull == D3DCULL_CCW) culled = pixels_;
  }
  EXPECT_EQ(culled, pixels_);
  std::string error;
  EXPECT_TRUE(gfxutil::WritePng(std::string(ZEL16_BINARY_DIR) + "/d3d9_cube.png", pixels_, kWidth, kHeight, &error)) << error;
  // The front face (red, modulated by the checker) covers the centre; the corners are clear.
  uint32_t centre = Pixel(kWidth / 2, kHeight / 2);
  EXPECT_GE(centre >> 16, 0xa0u);
  EXPECT_EQ(centre & 0xffff, 0u);
  EXPECT_EQ(Pixel(0, 0), 0x101010u);
  // Rotated about y, the cube shows its left (blue) side... or right; at least one other face.
  int otherFaces = 0;
  for (UINT x = 0; x < kWidth; ++x) {
    uint32_t c = Pixel(x, kHeight / 2);
    if (c != 0x101010u && (c & 0xffff) != 0) ++otherFaces;
  }
  EXPECT_GT(otherFaces, 2);
  device_->SetTexture(0, nullptr);
  EXPECT_EQ(checker->Release(), 0u);
  EXPECT_EQ(vb->Release(), 0u);
  EXPECT_EQ(ib->Release(), 0u);
}

}  // namespace
}  // namespace zel::d3d9
