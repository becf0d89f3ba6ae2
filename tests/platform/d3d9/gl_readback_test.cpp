// Reading frames back from the OpenGL device through its surfaces: what the back buffer and
// system-memory surfaces are, what a readback refuses, rows from the top, and copies that are
// taken when they are asked for and delivered when the surface is locked.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/d3d9/recording/recording_device.h"
#include "tests/platform/d3d9/gl_fixture.h"

namespace zel::d3d9 {
namespace {

constexpr D3DCOLOR kRed = 0xffff0000, kGreen = 0xff00ff00, kBlue = 0xff0000ff;

class GlReadbackTest : public GlDeviceTest {
 protected:
  void SetUp() override {
    GlDeviceTest::SetUp();
    ASSERT_EQ(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back_), D3D_OK);
  }
  void TearDown() override {
    for (IDirect3DSurface9 *s : {back_, ring_[0], ring_[1]}) {
      if (s != nullptr) {
        EXPECT_EQ(s->Release(), 0u);
      }
    }
    GlDeviceTest::TearDown();
  }
  IDirect3DSurface9 *Plain(D3DFORMAT format = D3DFMT_X8R8G8B8, UINT w = kWidth, UINT h = kHeight) {
    IDirect3DSurface9 *s = nullptr;
    EXPECT_EQ(device_->CreateOffscreenPlainSurface(w, h, format, D3DPOOL_SYSTEMMEM, &s, nullptr), D3D_OK);
    return s;
  }
  void ClearTo(D3DCOLOR color) { ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, color, 1.0f, 0), D3D_OK); }
  // 0xRRGGBB of pixel (x, y) of a locked X8R8G8B8 surface, and its fourth byte.
  static uint32_t At(const D3DLOCKED_RECT &lr, UINT x, UINT y, uint8_t *fourth = nullptr) {
    const uint8_t *p = static_cast<const uint8_t *>(lr.pBits) + y * lr.Pitch + x * 4;
    if (fourth != nullptr) *fourth = p[3];
    return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
  }
  uint32_t LockedPixel(IDirect3DSurface9 *s, UINT x, UINT y) {
    D3DLOCKED_RECT lr;
    EXPECT_EQ(s->LockRect(&lr, nullptr, D3DLOCK_READONLY), D3D_OK);
    uint32_t rgb = At(lr, x, y);
    EXPECT_EQ(s->UnlockRect(), D3D_OK);
    return rgb;
  }

  IDirect3DSurface9 *back_ = nullptr;
  IDirect3DSurface9 *ring_[2] = {};
};

TEST_F(GlReadbackTest, TheBackBufferIsARenderTargetThatCannotBeLocked) {
  D3DSURFACE_DESC desc;
  ASSERT_EQ(back_->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(desc.Type, D3DRTYPE_SURFACE);
  EXPECT_EQ(desc.Usage, static_cast<DWORD>(D3DUSAGE_RENDERTARGET));
  EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
  EXPECT_EQ(desc.Width, kWidth);
  EXPECT_EQ(desc.Height, kHeight);
  D3DLOCKED_RECT lr;
  EXPECT_EQ(back_->LockRect(&lr, nullptr, 0), D3DERR_INVALIDCALL);
  IDirect3DDevice9 *owner = nullptr;
  ASSERT_EQ(back_->GetDevice(&owner), D3D_OK);
  EXPECT_EQ(owner, device_);
  owner->Release();
  IDirect3DSurface9 *none = reinterpret_cast<IDirect3DSurface9 *>(1);
  EXPECT_EQ(device_->GetBackBuffer(0, 1, D3DBACKBUFFER_TYPE_MONO, &none), D3DERR_INVALIDCALL);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(device_->GetBackBuffer(1, 0, D3DBACKBUFFER_TYPE_MONO, &none), D3DERR_INVALIDCALL);
}

TEST_F(GlReadbackTest, PlainSurfacesAreSystemMemoryOfThirtyTwoBitFormats) {
  IDirect3DSurface9 *s = reinterpret_cast<IDirect3DSurface9 *>(1);
  EXPECT_EQ(device_->CreateOffscreenPlainSurface(8, 8, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &s, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(s, nullptr);
  EXPECT_EQ(device_->CreateOffscreenPlainSurface(8, 8, D3DFMT_R5G6B5, D3DPOOL_SYSTEMMEM, &s, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateOffscreenPlainSurface(0, 8, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &s, nullptr), D3DERR_INVALIDCALL);
  HANDLE shared = nullptr;
  EXPECT_EQ(device_->CreateOffscreenPlainSurface(8, 8, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &s, &shared),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateOffscreenPlainSurface(8, 8, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, nullptr, nullptr),
            D3DERR_INVALIDCALL);
  ring_[0] = Plain(D3DFMT_A8R8G8B8, 8, 8);
  ASSERT_NE(ring_[0], nullptr);
  D3DSURFACE_DESC desc;
  ASSERT_EQ(ring_[0]->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(desc.Pool, D3DPOOL_SYSTEMMEM);
  EXPECT_EQ(desc.Usage, 0u);
  D3DLOCKED_RECT lr;
  ASSERT_EQ(ring_[0]->LockRect(&lr, nullptr, 0), D3D_OK);
  EXPECT_EQ(lr.Pitch, 32);
  EXPECT_EQ(ring_[0]->LockRect(&lr, nullptr, 0), D3DERR_INVALIDCALL);  // one lock at a time
  EXPECT_EQ(ring_[0]->UnlockRect(), D3D_OK);
  EXPECT_EQ(ring_[0]->UnlockRect(), D3DERR_INVALIDCALL);
  const RECT outside{4, 4, 9, 8};
  EXPECT_EQ(ring_[0]->LockRect(&lr, &outside, 0), D3DERR_INVALIDCALL);
}

TEST_F(GlReadbackTest, AReadbackNeedsTheBackBufferAndASurfaceOfItsSizeAndFormat) {
  ring_[0] = Plain();
  ring_[1] = Plain(D3DFMT_X8R8G8B8, kWidth, kHeight - 1);
  IDirect3DSurface9 *alpha = Plain(D3DFMT_A8R8G8B8);
  EXPECT_EQ(device_->GetRenderTargetData(back_, ring_[1]), D3DERR_INVALIDCALL);  // size
  EXPECT_EQ(device_->GetRenderTargetData(back_, alpha), D3DERR_INVALIDCALL);     // format
  EXPECT_EQ(device_->GetRenderTargetData(ring_[0], back_), D3DERR_INVALIDCALL);  // the wrong way round
  EXPECT_EQ(device_->GetRenderTargetData(back_, nullptr), D3DERR_INVALIDCALL);
  // A surface of another device.
  RecordingDevice *other = RecordingDevice::Create(kWidth, kHeight);
  IDirect3DSurface9 *foreign = nullptr;
  ASSERT_EQ(other->CreateOffscreenPlainSurface(kWidth, kHeight, D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, &foreign, nullptr),
            D3D_OK);
  EXPECT_EQ(device_->GetRenderTargetData(back_, foreign), D3DERR_INVALIDCALL);
  foreign->Release();
  other->Release();
  // A locked destination.
  D3DLOCKED_RECT lr;
  ASSERT_EQ(ring_[0]->LockRect(&lr, nullptr, 0), D3D_OK);
  EXPECT_EQ(device_->GetRenderTargetData(back_, ring_[0]), D3DERR_INVALIDCALL);
  ring_[0]->UnlockRect();
  EXPECT_EQ(device_->GetRenderTargetData(back_, ring_[0]), D3D_OK);
  alpha->Release();
}

TEST_F(GlReadbackTest, RowsRunFromTheTopAndTheUnusedByteIsOpaque) {
  ClearTo(kBlue);
  const D3DRECT topHalf{0, 0, static_cast<LONG>(kWidth), static_cast<LONG>(kHeight / 2)};
  ASSERT_EQ(device_->Clear(1, &topHalf, D3DCLEAR_TARGET, kRed, 1.0f, 0), D3D_OK);
  const LONG cornerX = 10, cornerY = kHeight / 2;
  const D3DRECT dot{cornerX, cornerY, cornerX + 1, cornerY + 1};
  ASSERT_EQ(device_->Clear(1, &dot, D3DCLEAR_TARGET, kGreen, 1.0f, 0), D3D_OK);
  ring_[0] = Plain();
  ASSERT_EQ(device_->GetRenderTargetData(back_, ring_[0]), D3D_OK);
  D3DLOCKED_RECT lr;
  ASSERT_EQ(ring_[0]->LockRect(&lr, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(lr.Pitch, static_cast<INT>(kWidth * 4));
  uint8_t fourth = 0;
  EXPECT_EQ(At(lr, 0, 0, &fourth), 0xff0000u);
  EXPECT_EQ(fourth, 0xff);
  EXPECT_EQ(At(lr, kWidth - 1, kHeight - 1), 0x0000ffu);
  ring_[0]->UnlockRect();
  // A rectangle's lock starts at its corner, its rows still a whole surface apart.
  const RECT corner{cornerX, cornerY, cornerX + 10, static_cast<LONG>(kHeight)};
  ASSERT_EQ(ring_[0]->LockRect(&lr, &corner, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(lr.Pitch, static_cast<INT>(kWidth * 4));
  EXPECT_EQ(At(lr, 0, 0), 0x00ff00u);
  EXPECT_EQ(At(lr, 1, 0), 0x0000ffu);
  EXPECT_EQ(At(lr, 0, 1), 0x0000ffu);
  ring_[0]->UnlockRect();
}

// Two surfaces in a ring: each holds the frame that was in the back buffer when its copy was
// asked for, though both are locked only after later frames were drawn.
TEST_F(GlReadbackTest, EachCopyHoldsTheFrameOfItsCallNotOfItsLock) {
  ring_[0] = Plain();
  ring_[1] = Plain();
  ClearTo(kRed);
  ASSERT_EQ(device_->GetRenderTargetData(back_, ring_[0]), D3D_OK);
  ClearTo(kGreen);
  ASSERT_EQ(device_->GetRenderTargetData(back_, ring_[1]), D3D_OK);
  ClearTo(kBlue);
  ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  EXPECT_EQ(LockedPixel(ring_[1], 5, 5), 0x00ff00u);
  EXPECT_EQ(LockedPixel(ring_[0], 5, 5), 0xff0000u);
  // Locked again, a surface keeps its copy; a new copy replaces it.
  EXPECT_EQ(LockedPixel(ring_[0], 5, 5), 0xff0000u);
  ASSERT_EQ(device_->GetRenderTargetData(back_, ring_[0]), D3D_OK);
  EXPECT_EQ(LockedPixel(ring_[0], 5, 5), 0x0000ffu);
}

TEST_F(GlReadbackTest, DoNotWaitAnswersStillDrawingUntilTheCopyIsDone) {
  ring_[0] = Plain();
  ClearTo(kGreen);
  ASSERT_EQ(device_->GetRenderTargetData(back_, ring_[0]), D3D_OK);
  D3DLOCKED_RECT lr;
  HRESULT hr = D3DERR_WASSTILLDRAWING;
  // The copy is in flight or done; either way it arrives without a blocking call.
  for (int tries = 0; hr == D3DERR_WASSTILLDRAWING && tries < 1000000; ++tries)
    hr = ring_[0]->LockRect(&lr, nullptr, D3DLOCK_DONOTWAIT | D3DLOCK_READONLY);
  ASSERT_EQ(hr, D3D_OK);
  EXPECT_EQ(At(lr, 3, 3), 0x00ff00u);
  ring_[0]->UnlockRect();
  // Nothing in flight: the surface locks at once.
  EXPECT_EQ(ring_[0]->LockRect(&lr, nullptr, D3DLOCK_DONOTWAIT), D3D_OK);
  ring_[0]->UnlockRect();
}

}  // namespace
}  // namespace zel::d3d9
