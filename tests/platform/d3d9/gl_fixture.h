// A real OpenGL device on an off-screen window, for render tests that read pixels back.
#pragma once

#include <d3d9.h>
#include <gtest/gtest.h>
#include <zel_d3d9_ext.h>
#include <zel_win32_ext.h>

#include <cstdint>
#include <vector>

#include "gfxutil/surface.h"

namespace zel::d3d9 {

// A windowed hardware device of w x h with a 24-bit depth and 8-bit stencil buffer, the way
// the show creates its own.
inline HRESULT CreateWindowedDevice(IDirect3D9 *d3d, HWND window, UINT width, UINT height,
                                    IDirect3DDevice9 **device) {
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferWidth = width;
  pp.BackBufferHeight = height;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.Windowed = TRUE;
  pp.EnableAutoDepthStencil = TRUE;
  pp.AutoDepthStencilFormat = D3DFMT_D24S8;
  return d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                           D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, device);
}

class GlDeviceTest : public ::testing::Test {
 protected:
  static constexpr UINT kWidth = 64, kHeight = 48;

  void SetUp() override {
    liveAtStart_ = LiveObjectCount();
    window_ = zel::win32::CreateOffscreenWindow(static_cast<int>(kWidth), static_cast<int>(kHeight));
    ASSERT_NE(window_, nullptr) << "no display: run under xvfb-run";
    d3d_ = Direct3DCreate9(D3D9b_SDK_VERSION);
    ASSERT_NE(d3d_, nullptr);
    ASSERT_EQ(CreateWindowedDevice(d3d_, window_, kWidth, kHeight, &device_), D3D_OK);
  }

  void TearDown() override {
    if (device_ != nullptr) {
      EXPECT_EQ(device_->Release(), 0u);
    }
    if (d3d_ != nullptr) {
      EXPECT_EQ(d3d_->Release(), 0u);
    }
    if (window_ != nullptr) DestroyWindow(window_);
    EXPECT_EQ(LiveObjectCount(), liveAtStart_) << "objects left alive";
  }

  // Flat drawing: no lighting, no culling, and (`clear`) black colour and far depth.
  void DrawUnlitBothSides(bool clear) {
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    if (clear) device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.0f, 0);
  }

  // The back buffer, rows from the top.
  void Grab() {
    UINT w = 0, h = 0;
    ASSERT_TRUE(gfxutil::GrabBackBuffer(device_, &pixels_, &w, &h));
    ASSERT_EQ(w, kWidth);
    ASSERT_EQ(h, kHeight);
  }
  // 0xRRGGBB of the last grab.
  uint32_t Pixel(UINT x, UINT y) const {
    const uint8_t *p = &pixels_[(static_cast<size_t>(y) * kWidth + x) * 4];
    return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
  }

  // A texture of one colour per texel from a function of (x, y), in A8R8G8B8.
  template <class F>
  IDirect3DTexture9 *MakeTexture(UINT w, UINT h, F colorAt, D3DFORMAT format = D3DFMT_A8R8G8B8) {
    IDirect3DTexture9 *t = nullptr;
    EXPECT_EQ(device_->CreateTexture(w, h, 1, 0, format, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
    D3DLOCKED_RECT lr;
    EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < h; ++y)
      for (UINT x = 0; x < w; ++x)
        reinterpret_cast<DWORD *>(static_cast<uint8_t *>(lr.pBits) + y * lr.Pitch)[x] = colorAt(x, y);
    EXPECT_EQ(t->UnlockRect(0), D3D_OK);
    return t;
  }

  int liveAtStart_ = 0;
  HWND window_ = nullptr;
  IDirect3D9 *d3d_ = nullptr;
  IDirect3DDevice9 *device_ = nullptr;
  std::vector<uint8_t> pixels_;
};

// Pre-transformed vertices with a colour and one coordinate set (FVF 0x144).
struct ScreenVertex {
  float x, y, z, rhw;
  D3DCOLOR color;
  float u, v;
};
inline constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

}  // namespace zel::d3d9
