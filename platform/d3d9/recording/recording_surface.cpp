// RecordingDevice: the back buffer's pixels (what Clear wrote), plain surfaces in system
// memory and the readback between them, with the same refusals as the OpenGL device. The
// copy is done at once: there is nothing to wait for.
#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "platform/d3d9/d3d9_names.h"
#include "platform/d3d9/recording/call_args.h"
#include "platform/d3d9/recording/recording_device.h"
#include "platform/d3d9/recording/recording_objects.h"

namespace zel::d3d9 {
namespace {

constexpr UINT kBytesPerPixel = kSurfaceBytesPerPixel;
constexpr UINT kMaxPlainSurfaceSide = 16384;  // pixels, as on the OpenGL device
constexpr uint8_t kOpaque = 0xff;             // the X byte of X8R8G8B8 as it reads back


}  // namespace

// ---- surfaces ----

RecordingSurface::RecordingSurface(RecordingDevice *d, Kind kind, UINT w, UINT h, D3DFORMAT format)
    : memory_(kind == Kind::SystemMemory ? static_cast<size_t>(w) * h * kBytesPerPixel : 0),
      owner_(d),
      kind_(kind),
      width_(w),
      height_(h),
      format_(format) {}

HRESULT RecordingSurface::GetDesc(D3DSURFACE_DESC *desc) {
  if (desc == nullptr) return D3DERR_INVALIDCALL;
  *desc = SurfaceDescription(kind_ == Kind::BackBuffer, format_, width_, height_);
  return D3D_OK;
}

HRESULT RecordingSurface::LockRect(D3DLOCKED_RECT *locked, const RECT *rect, DWORD) {
  if (locked == nullptr || kind_ != Kind::SystemMemory || locked_) return D3DERR_INVALIDCALL;
  if (!LockableRect(rect, width_, height_)) return D3DERR_INVALIDCALL;
  *locked = LockedPixels(memory_.data(), width_, rect);
  locked_ = true;
  return D3D_OK;
}

HRESULT RecordingSurface::UnlockRect() {
  if (!locked_) return D3DERR_INVALIDCALL;
  locked_ = false;
  return D3D_OK;
}

// ---- the back buffer's pixels ----

std::vector<uint8_t> &RecordingDevice::BackBufferPixels() {
  if (backBuffer_.empty()) {
    backBuffer_.assign(static_cast<size_t>(width_) * height_ * kBytesPerPixel, 0);
    for (size_t i = 3; i < backBuffer_.size(); i += kBytesPerPixel) backBuffer_[i] = kOpaque;
  }
  return backBuffer_;
}

void RecordingDevice::FillBackBuffer(DWORD count, const D3DRECT *rects, D3DCOLOR color) {
  std::vector<uint8_t> &pixels = BackBufferPixels();
  // X8R8G8B8 in memory: blue, green, red, then the unused byte, which reads as opaque.
  const uint8_t bgrx[kBytesPerPixel] = {static_cast<uint8_t>(color), static_cast<uint8_t>(color >> 8),
                                        static_cast<uint8_t>(color >> 16), kOpaque};
  for (const RECT &r : ClearedRects(state_.viewport, count, rects)) {
    const LONG x2 = std::min<LONG>(r.right, static_cast<LONG>(width_));
    const LONG y2 = std::min<LONG>(r.bottom, static_cast<LONG>(height_));
    for (LONG y = r.top; y < y2; ++y)
      for (LONG x = r.left; x < x2; ++x)
        std::memcpy(&pixels[(static_cast<size_t>(y) * width_ + static_cast<size_t>(x)) * kBytesPerPixel], bgrx,
                    kBytesPerPixel);
  }
}

// ---- device calls ----

HRESULT RecordingDevice::GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                                       IDirect3DSurface9 **ppBackBuffer) {
  std::vector<std::string> args{NumArg(iSwapChain), NumArg(iBackBuffer), NumArg(Type)};
  if (ppBackBuffer == nullptr) return Log(D3DERR_INVALIDCALL, "GetBackBuffer", args);
  *ppBackBuffer = nullptr;
  if (iSwapChain != 0 || iBackBuffer != 0) return Log(D3DERR_INVALIDCALL, "GetBackBuffer", args);
  auto *surface = new RecordingSurface(this, RecordingSurface::Kind::BackBuffer, width_, height_, D3DFMT_X8R8G8B8);
  args.push_back(Remember(surface, "BB"));
  *ppBackBuffer = surface;
  return Log(D3D_OK, "GetBackBuffer", args);
}

HRESULT RecordingDevice::CreateOffscreenPlainSurface(UINT Width, UINT Height, D3DFORMAT Format, D3DPOOL Pool,
                                                     IDirect3DSurface9 **ppSurface, HANDLE *pSharedHandle) {
  const char *method = "CreateOffscreenPlainSurface";
  std::vector<std::string> args{NumArg(Width), NumArg(Height), FormatName(Format), NumArg(Pool)};
  if (ppSurface == nullptr) return Log(D3DERR_INVALIDCALL, method, args);
  *ppSurface = nullptr;
  HRESULT hr = CreateResult(method);
  if (hr == D3D_OK && (Width == 0 || Height == 0 || Width > kMaxPlainSurfaceSide ||
                       Height > kMaxPlainSurfaceSide || pSharedHandle != nullptr || Pool != D3DPOOL_SYSTEMMEM ||
                       (Format != D3DFMT_X8R8G8B8 && Format != D3DFMT_A8R8G8B8)))
    hr = D3DERR_INVALIDCALL;
  if (hr != D3D_OK) return Log(hr, method, args);
  RecordingSurface *surface = nullptr;
  try {
    surface = new RecordingSurface(this, RecordingSurface::Kind::SystemMemory, Width, Height, Format);
  } catch (const std::bad_alloc &) {
    return Log(E_OUTOFMEMORY, method, args);
  }
  args.push_back(Remember(surface, "SURF"));
  *ppSurface = surface;
  return Log(D3D_OK, method, args);
}

HRESULT RecordingDevice::GetRenderTargetData(IDirect3DSurface9 *pRenderTarget, IDirect3DSurface9 *pDestSurface) {
  std::vector<std::string> args{Name(pRenderTarget), Name(pDestSurface)};
  auto *source = dynamic_cast<RecordingSurface *>(pRenderTarget);
  auto *dest = dynamic_cast<RecordingSurface *>(pDestSurface);
  bool valid = source != nullptr && dest != nullptr && source->Owner() == this && dest->Owner() == this &&
               source->SurfaceKind() == RecordingSurface::Kind::BackBuffer &&
               dest->SurfaceKind() == RecordingSurface::Kind::SystemMemory && !dest->Locked() &&
               dest->Width() == width_ && dest->Height() == height_ && dest->Format() == source->Format();
  if (!valid) return Log(D3DERR_INVALIDCALL, "GetRenderTargetData", args);
  dest->Memory() = BackBufferPixels();
  return Log(D3D_OK, "GetRenderTargetData", args);
}

}  // namespace zel::d3d9
