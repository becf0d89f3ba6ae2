// The recording device: platform defaults, argument checks, the call log and the state at
// each draw, lock rules, and reference counts.
#include "platform/d3d9/recording/recording_device.h"

#include <gtest/gtest.h>

namespace zel::d3d9 {
namespace {

class RecordingDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    live_ = LiveObjectCount();
    dev_ = RecordingDevice::Create(640, 480);
  }
  void TearDown() override {
    EXPECT_EQ(dev_->Release(), 0u);
    EXPECT_EQ(LiveObjectCount(), live_);
  }
  int live_ = 0;
  RecordingDevice *dev_ = nullptr;
};

TEST_F(RecordingDeviceTest, StartsFromThePlatformDefaults) {
  EXPECT_EQ(dev_->RenderState(D3DRS_LIGHTING), 1u);
  EXPECT_EQ(dev_->RenderState(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CCW));
  EXPECT_EQ(dev_->RenderState(D3DRS_ZFUNC), static_cast<DWORD>(D3DCMP_LESSEQUAL));
  EXPECT_EQ(dev_->RenderState(D3DRS_TEXTUREFACTOR), 0xffffffffu);
  EXPECT_EQ(dev_->RenderState(D3DRS_COLORWRITEENABLE), 0xfu);
  EXPECT_EQ(dev_->StageState(0, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_MODULATE));
  EXPECT_EQ(dev_->StageState(0, D3DTSS_ALPHAOP), static_cast<DWORD>(D3DTOP_SELECTARG1));
  EXPECT_EQ(dev_->StageState(1, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_DISABLE));
  EXPECT_EQ(dev_->StageState(3, D3DTSS_TEXCOORDINDEX), 3u);
  EXPECT_EQ(dev_->SamplerState(0, D3DSAMP_MINFILTER), static_cast<DWORD>(D3DTEXF_POINT));
  EXPECT_EQ(dev_->SamplerState(5, D3DSAMP_ADDRESSU), static_cast<DWORD>(D3DTADDRESS_WRAP));
  EXPECT_EQ(dev_->Transform(D3DTS_WORLD).m[3][3], 1.0f);
  D3DVIEWPORT9 vp;
  dev_->GetViewport(&vp);
  EXPECT_EQ(vp.Width, 640u);
  EXPECT_EQ(vp.Height, 480u);
}

TEST_F(RecordingDeviceTest, LogsCallsWithSymbolicArguments) {
  dev_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  dev_->SetSamplerState(1, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  dev_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.0f, 0);
  std::vector<std::string> expected = {
      "SetRenderState(D3DRS_ZENABLE, 1)",
      "SetSamplerState(1, D3DSAMP_MAGFILTER, 2)",
      "SetTextureStageState(0, D3DTSS_COLOROP, 2)",
      "Clear(0, NULL, 3, 0xff000000, 1, 0)",
  };
  EXPECT_EQ(dev_->CallTexts(), expected);
  EXPECT_EQ(dev_->CountCalls("SetRenderState"), 1u);
  EXPECT_EQ(dev_->CallsTo("Clear").size(), 1u);
}

TEST_F(RecordingDeviceTest, RefusesWhatThePlatformRefuses) {
  EXPECT_EQ(dev_->SetTextureStageState(8, D3DTSS_COLOROP, D3DTOP_ADD), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev_->SetSamplerState(16, D3DSAMP_MINFILTER, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev_->SetVertexShaderConstantF(250, nullptr, 1), D3DERR_INVALIDCALL);
  float c[8] = {};
  EXPECT_EQ(dev_->SetVertexShaderConstantF(255, c, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev_->EndScene(), D3DERR_INVALIDCALL);
  dev_->SetFVF(D3DFVF_XYZ);
  // Drawing outside a scene fails and leaves no draw record.
  EXPECT_EQ(dev_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, c, 12), D3DERR_INVALIDCALL);
  EXPECT_TRUE(dev_->Draws().empty());
  EXPECT_EQ(dev_->CallsTo("DrawPrimitiveUP")[0].result, D3DERR_INVALIDCALL);
}

TEST_F(RecordingDeviceTest, KeepsTheStateOfEachDraw) {
  IDirect3DVertexBuffer9 *vb = nullptr;
  ASSERT_EQ(dev_->CreateVertexBuffer(4 * 24, 0, D3DFVF_XYZ | D3DFVF_TEX1, D3DPOOL_MANAGED, &vb, nullptr), D3D_OK);
  D3DMATRIX world{};
  world._11 = world._22 = world._33 = world._44 = 2.0f;
  dev_->BeginScene();
  dev_->SetStreamSource(0, vb, 0, 20);
  dev_->SetFVF(D3DFVF_XYZ | D3DFVF_TEX1);
  dev_->SetTransform(D3DTS_WORLD, &world);
  dev_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  EXPECT_EQ(dev_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
  dev_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  EXPECT_EQ(dev_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
  dev_->EndScene();
  ASSERT_EQ(dev_->Draws().size(), 2u);
  EXPECT_EQ(dev_->Draws()[0].state.renderStates[D3DRS_ALPHABLENDENABLE], 1u);
  EXPECT_EQ(dev_->Draws()[1].state.renderStates[D3DRS_ALPHABLENDENABLE], 0u);
  EXPECT_EQ(dev_->Draws()[0].state.transforms[0]._11, 2.0f);
  EXPECT_EQ(dev_->Draws()[0].state.streams[0].buffer, vb);
  EXPECT_EQ(dev_->Calls()[dev_->Draws()[0].callIndex].Text(), "DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2)");
  EXPECT_EQ(dev_->CallsTo("SetStreamSource")[0].Text(), "SetStreamSource(0, VB1, 0, 20)");
  EXPECT_EQ(vb->Release(), 0u);
  // A released buffer is no longer bound.
  EXPECT_EQ(dev_->State().streams[0].buffer, nullptr);
}

TEST_F(RecordingDeviceTest, LocksFollowThePlatformRules) {
  IDirect3DVertexBuffer9 *vb = nullptr;
  ASSERT_EQ(dev_->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, &vb, nullptr), D3D_OK);
  void *p = nullptr;
  EXPECT_EQ(vb->Lock(0, 0, &p, 0), D3D_OK);  // size 0: the whole buffer
  static_cast<uint8_t *>(p)[63] = 7;
  EXPECT_EQ(vb->Unlock(), D3D_OK);
  EXPECT_EQ(RecordingDevice::VertexData(vb)->Data()[63], 7);
  EXPECT_EQ(vb->Lock(60, 8, &p, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(p, nullptr);
  EXPECT_EQ(vb->Lock(65, 0, &p, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL);

  IDirect3DTexture9 *t = nullptr;
  ASSERT_EQ(dev_->CreateTexture(8, 4, 0, 0, D3DFMT_R8G8B8, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
  EXPECT_EQ(t->GetLevelCount(), 4u);  // 8x4, 4x2, 2x1, 1x1
  D3DLOCKED_RECT lr;
  ASSERT_EQ(t->LockRect(1, &lr, nullptr, 0), D3D_OK);
  EXPECT_EQ(lr.Pitch, 12);
  EXPECT_EQ(t->LockRect(1, &lr, nullptr, 0), D3DERR_INVALIDCALL);  // already locked
  EXPECT_EQ(t->UnlockRect(1), D3D_OK);
  RECT outside{0, 0, 5, 2};
  EXPECT_EQ(t->LockRect(1, &lr, &outside, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(t->LockRect(4, &lr, nullptr, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(t->Release(), 0u);
  EXPECT_EQ(vb->Release(), 0u);
}

TEST_F(RecordingDeviceTest, ObjectsKeepTheDeviceAliveAndCreateFailuresCanBeForced) {
  IDirect3DIndexBuffer9 *ib = nullptr;
  ASSERT_EQ(dev_->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr), D3D_OK);
  dev_->AddRef();
  EXPECT_EQ(dev_->Release(), 2u);  // the index buffer holds one reference
  EXPECT_EQ(ib->Release(), 0u);
  dev_->SetCreateFailure("CreateVertexBuffer", E_OUTOFMEMORY);
  IDirect3DVertexBuffer9 *vb = reinterpret_cast<IDirect3DVertexBuffer9 *>(1);
  EXPECT_EQ(dev_->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, &vb, nullptr), E_OUTOFMEMORY);
  EXPECT_EQ(vb, nullptr);
  EXPECT_EQ(dev_->CreateIndexBuffer(12, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &ib, nullptr), D3DERR_INVALIDCALL);
}

// The back buffer holds what Clear wrote (the device draws nothing) and reads back the way
// the OpenGL device's does: top-down X8R8G8B8 rows, the fourth byte opaque.
TEST_F(RecordingDeviceTest, ReadsBackWhatClearWroteWithinTheViewportAndRectangles) {
  IDirect3DSurface9 *back = nullptr, *copy = nullptr;
  ASSERT_EQ(dev_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
  ASSERT_EQ(dev_->CreateOffscreenPlainSurface(640, 480, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &copy, nullptr), D3D_OK);
  const D3DVIEWPORT9 right{320, 0, 320, 480, 0.0f, 1.0f};
  dev_->SetViewport(&right);
  dev_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff112233, 1.0f, 0);
  const D3DRECT rows{0, 400, 640, 480};  // only its part inside the viewport
  dev_->Clear(1, &rows, D3DCLEAR_TARGET, 0xff445566, 1.0f, 0);
  dev_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0xffffffff, 1.0f, 0);  // no colour
  ASSERT_EQ(dev_->GetRenderTargetData(back, copy), D3D_OK);
  D3DLOCKED_RECT lr;
  ASSERT_EQ(copy->LockRect(&lr, nullptr, D3DLOCK_READONLY), D3D_OK);
  auto pixel = [&](int x, int y) {
    const BYTE *p = static_cast<const BYTE *>(lr.pBits) + y * lr.Pitch + x * 4;
    return DWORD{p[3]} << 24 | DWORD{p[2]} << 16 | DWORD{p[1]} << 8 | p[0];
  };
  EXPECT_EQ(pixel(0, 0), 0xff000000u);  // outside the viewport: black as made
  EXPECT_EQ(pixel(320, 0), 0xff112233u);
  EXPECT_EQ(pixel(639, 399), 0xff112233u);
  EXPECT_EQ(pixel(319, 479), 0xff000000u);
  EXPECT_EQ(pixel(320, 400), 0xff445566u);
  EXPECT_EQ(pixel(639, 479), 0xff445566u);
  copy->UnlockRect();
  EXPECT_EQ(dev_->CallsTo("GetRenderTargetData")[0].Text(), "GetRenderTargetData(BB1, SURF1)");
  EXPECT_EQ(copy->Release(), 0u);
  EXPECT_EQ(back->Release(), 0u);
}

TEST_F(RecordingDeviceTest, ReadbacksRefuseWhatTheOpenGlDeviceRefuses) {
  IDirect3DSurface9 *back = nullptr, *small = nullptr, *alpha = nullptr;
  ASSERT_EQ(dev_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
  D3DLOCKED_RECT lr;
  EXPECT_EQ(back->LockRect(&lr, nullptr, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev_->GetBackBuffer(0, 1, D3DBACKBUFFER_TYPE_MONO, &small), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev_->CreateOffscreenPlainSurface(640, 480, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &small, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(dev_->CreateOffscreenPlainSurface(640, 480, D3DFMT_R5G6B5, D3DPOOL_SYSTEMMEM, &small, nullptr),
            D3DERR_INVALIDCALL);
  ASSERT_EQ(dev_->CreateOffscreenPlainSurface(64, 48, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &small, nullptr), D3D_OK);
  ASSERT_EQ(dev_->CreateOffscreenPlainSurface(640, 480, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &alpha, nullptr), D3D_OK);
  EXPECT_EQ(dev_->GetRenderTargetData(back, small), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev_->GetRenderTargetData(back, alpha), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev_->GetRenderTargetData(alpha, back), D3DERR_INVALIDCALL);
  dev_->SetCreateFailure("CreateOffscreenPlainSurface", E_OUTOFMEMORY);
  IDirect3DSurface9 *refused = reinterpret_cast<IDirect3DSurface9 *>(1);
  EXPECT_EQ(dev_->CreateOffscreenPlainSurface(8, 8, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &refused, nullptr),
            E_OUTOFMEMORY);
  EXPECT_EQ(refused, nullptr);
  for (IDirect3DSurface9 *s : {back, small, alpha}) s->Release();
}

}  // namespace
}  // namespace zel::d3d9
