// The OpenGL device against pixels read back: clears, depth, culling, the pixel-centre rule,
// texture filtering and addressing.
#include <gtest/gtest.h>

#include <SDL.h>

#include "platform/wsi/wsi.h"
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

namespace zel::d3d9 {
namespace {

TEST(Direct3D9Test, AdapterModeAndDeviceRefusals) {
  int live = LiveObjectCount();
  EXPECT_EQ(Direct3DCreate9(0), nullptr);
  IDirect3D9 *d3d = Direct3DCreate9(D3D_SDK_VERSION);
  ASSERT_NE(d3d, nullptr);
  D3DDISPLAYMODE mode{};
  ASSERT_EQ(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode), D3D_OK) << "no display: run under xvfb-run";
  EXPECT_GT(mode.Width, 0u);
  EXPECT_GT(mode.Height, 0u);
  EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(d3d->GetAdapterDisplayMode(1, &mode), D3DERR_INVALIDCALL);

  HWND window = zel::win32::CreateOffscreenWindow(32, 32);
  ASSERT_NE(window, nullptr);
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferWidth = 32;
  pp.BackBufferHeight = 32;
  pp.BackBufferFormat = mode.Format;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.Windowed = TRUE;
  pp.EnableAutoDepthStencil = TRUE;
  pp.AutoDepthStencilFormat = D3DFMT_D24S8;
  IDirect3DDevice9 *device = reinterpret_cast<IDirect3DDevice9 *>(1);
  EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_REF, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(device, nullptr);
  EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, 0, &pp, &device), D3DERR_INVALIDCALL);

  // A window that cannot carry an OpenGL context: the device is not available.
  SDL_Window *plainWindow = SDL_CreateWindow("", 0, 0, 32, 32, SDL_WINDOW_HIDDEN);
  ASSERT_NE(plainWindow, nullptr);
  HWND plain = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x5150));
  zel::wsi::AddWindow(plain, plainWindow);
  EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, plain, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(device, nullptr);
  zel::wsi::RemoveWindow(plain);
  SDL_DestroyWindow(plainWindow);

  // A windowed device of size 0 takes the window's client area.
  pp.BackBufferWidth = pp.BackBufferHeight = 0;
  ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device), D3D_OK);
  D3DVIEWPORT9 vp;
  device->GetViewport(&vp);
  EXPECT_EQ(vp.Width, 32u);
  EXPECT_EQ(vp.Height, 32u);
  // The device holds the Direct3D object until it goes.
  EXPECT_EQ(d3d->Release(), 1u);
  EXPECT_EQ(device->Release(), 0u);
  DestroyWindow(window);
  EXPECT_EQ(LiveObjectCount(), live);
}

}  // namespace
}  // namespace zel::d3d9
