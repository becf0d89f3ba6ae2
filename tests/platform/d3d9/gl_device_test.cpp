// The OpenGL device against pixels read back: clears, depth, culling, the pixel-centre rule,
// texture filtering and addressing.
#include <gtest/gtest.h>

#include "tests/platform/d3d9/gl_fixture.h"

namespace zel::d3d9 {
namespace {

// A quad from (x1, y1) to (x2, y2) in back-buffer pixels, as a strip.
void Quad(ScreenVertex out[4], float x1, float y1, float x2, float y2, float z, D3DCOLOR c) {
  out[0] = {x1, y1, z, 1.0f, c, 0.0f, 0.0f};
  out[1] = {x2, y1, z, 1.0f, c, 1.0f, 0.0f};
  out[2] = {x1, y2, z, 1.0f, c, 0.0f, 1.0f};
  out[3] = {x2, y2, z, 1.0f, c, 1.0f, 1.0f};
}

TEST_F(GlDeviceTest, ClearFillsTheTargetWithTheColour) {
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff336699, 1.0f, 0), D3D_OK);
  Grab();
  EXPECT_EQ(Pixel(0, 0), 0x336699u);
  EXPECT_EQ(Pixel(kWidth - 1, kHeight - 1), 0x336699u);
}

TEST_F(GlDeviceTest, DrawsAPreTransformedQuadWithDiffuse) {
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.0f, 0);
  device_->SetRenderState(D3DRS_LIGHTING, FALSE);
  device_->SetFVF(kScreenFvf);
  ScreenVertex v[4];
  Quad(v, 8, 8, 24, 24, 0.5f, 0xffff8000);
  ASSERT_EQ(device_->BeginScene(), D3D_OK);
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(ScreenVertex)), D3D_OK);
  ASSERT_EQ(device_->EndScene(), D3D_OK);
  Grab();
  EXPECT_EQ(Pixel(16, 16), 0xff8000u);
  EXPECT_EQ(Pixel(4, 4), 0x000000u);
}

}  // namespace
}  // namespace zel::d3d9
