// RenderDevice on the real OpenGL device: creation and default state, the frame bracket,
// and teardown after a failed creation.
#include "render/render_device.h"

#include <gtest/gtest.h>
#include <zel_d3d9_ext.h>
#include <zel_win32_ext.h>

#include <vector>

#include "gfxutil/surface.h"

namespace zel::render {

namespace {

using zel::d3d9::LiveObjectCount;

class RenderDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    live_ = LiveObjectCount();
    window_ = zel::win32::CreateOffscreenWindow(64, 48);
    ASSERT_NE(window_, nullptr) << "no display: run under xvfb-run";
  }
  void TearDown() override {
    DestroyWindow(window_);
    EXPECT_EQ(LiveObjectCount(), live_);
  }
  int live_ = 0;
  HWND window_ = nullptr;
};

TEST_F(RenderDeviceTest, CreateSetsTheDemoDefaults) {
  RenderDevice rd;
  ASSERT_EQ(rd.Create(window_, 64, 48, false), S_OK);
  IDirect3DDevice9 *d = rd.GetDevice();
  ASSERT_NE(d, nullptr);
  DWORD v = 0;
  d->GetRenderState(D3DRS_ZENABLE, &v);
  EXPECT_EQ(v, static_cast<DWORD>(D3DZB_TRUE));
  d->GetRenderState(D3DRS_LIGHTING, &v);
  EXPECT_EQ(v, 0u);
  d->GetRenderState(D3DRS_CULLMODE, &v);
  EXPECT_EQ(v, static_cast<DWORD>(D3DCULL_NONE));
  for (DWORD s = 0; s < 3; ++s) {
    DWORD expected = s < 2 ? D3DTEXF_LINEAR : D3DTEXF_POINT;  // sampler 2 keeps the platform default
    d->GetSamplerState(s, D3DSAMP_MINFILTER, &v);
    EXPECT_EQ(v, expected) << "sampler " << s;
    d->GetSamplerState(s, D3DSAMP_MIPFILTER, &v);
    EXPECT_EQ(v, s < 2 ? static_cast<DWORD>(D3DTEXF_LINEAR) : static_cast<DWORD>(D3DTEXF_NONE));
  }
  d->GetRenderState(D3DRS_ZFUNC, &v);
  EXPECT_EQ(v, static_cast<DWORD>(D3DCMP_LESSEQUAL));  // untouched platform default
  rd.ReleaseDevice();
}

TEST_F(RenderDeviceTest, BeginFrameClearsToBlackAndEndFramePresents) {
  RenderDevice rd;
  ASSERT_EQ(rd.Create(window_, 64, 48, false), S_OK);
  IDirect3DDevice9 *d = rd.GetDevice();
  d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xffffffff, 1.0f, 0);
  EXPECT_TRUE(rd.BeginFrame());
  // Inside the scene: drawing is allowed, a second BeginScene is not.
  EXPECT_EQ(d->BeginScene(), D3DERR_INVALIDCALL);
  std::vector<uint8_t> rgba;
  UINT w = 0, h = 0;
  ASSERT_TRUE(gfxutil::GrabBackBuffer(d, &rgba, &w, &h));
  ASSERT_EQ(rgba.size(), 64u * 48u * 4u);
  EXPECT_EQ(rgba[0], 0);
  EXPECT_EQ(rgba[(47 * 64 + 63) * 4 + 2], 0);
  rd.EndFrame();
  EXPECT_EQ(d->EndScene(), D3DERR_INVALIDCALL);  // EndFrame ended it
  rd.ReleaseDevice();
}

TEST_F(RenderDeviceTest, FailedCreateLeavesOnlyTheDirect3DObjectToRelease) {
  RenderDevice rd;
  // A handle no window stands behind: device creation fails.
  HWND bogus = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1234));
  EXPECT_EQ(rd.Create(bogus, 64, 48, false), E_FAIL);
  EXPECT_NE(rd.d3d, nullptr);
  EXPECT_EQ(rd.d3dDevice, nullptr);
  rd.ReleaseDevice();
}

}  // namespace

}  // namespace zel::render
