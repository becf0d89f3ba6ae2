// GrabBackBuffer and D3DXSaveSurfaceToFileA on the standard readback calls.
#include "gfxutil/surface.h"

#include <string>

#include "gfxutil/image_png.h"

namespace zel::gfxutil {
namespace {

constexpr size_t kBytesPerPixel = 4;  // X8R8G8B8 and A8R8G8B8
constexpr uint8_t kOpaque = 255;

// A new system-memory surface holding a copy of `source` (a render target): the same size
// and format, filled by GetRenderTargetData.
HRESULT CopyToSystemMemory(IDirect3DSurface9 *source, IDirect3DSurface9 **copy) {
  *copy = nullptr;
  D3DSURFACE_DESC desc;
  HRESULT hr = source->GetDesc(&desc);
  if (FAILED(hr)) return hr;
  IDirect3DDevice9 *device = nullptr;
  hr = source->GetDevice(&device);
  if (FAILED(hr)) return hr;
  hr = device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, copy, nullptr);
  if (SUCCEEDED(hr)) hr = device->GetRenderTargetData(source, *copy);
  if (FAILED(hr) && *copy != nullptr) {
    (*copy)->Release();
    *copy = nullptr;
  }
  device->Release();
  return hr;
}

// Holds a surface's pixels locked for reading, through a system-memory copy when the
// surface itself cannot be locked.
class ReadLock {
 public:
  ReadLock(IDirect3DSurface9 *surface, const RECT *area) {
    if (SUCCEEDED(surface->LockRect(&locked_, area, D3DLOCK_READONLY))) {
      lockedSurface_ = surface;
    } else if (SUCCEEDED(CopyToSystemMemory(surface, &copy_)) &&
               SUCCEEDED(copy_->LockRect(&locked_, area, D3DLOCK_READONLY))) {
      lockedSurface_ = copy_;
    }
  }
  ~ReadLock() {
    if (lockedSurface_ != nullptr) lockedSurface_->UnlockRect();
    if (copy_ != nullptr) copy_->Release();
  }
  ReadLock(const ReadLock &) = delete;
  ReadLock &operator=(const ReadLock &) = delete;

  bool Ok() const { return lockedSurface_ != nullptr; }
  const uint8_t *Bits() const { return static_cast<const uint8_t *>(locked_.pBits); }
  size_t Pitch() const { return static_cast<size_t>(locked_.Pitch); }

 private:
  D3DLOCKED_RECT locked_{};
  IDirect3DSurface9 *copy_ = nullptr;
  IDirect3DSurface9 *lockedSurface_ = nullptr;  // whichever surface is locked
};

bool FourBytesPerPixel(D3DFORMAT format) { return format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8; }

}  // namespace

bool GrabBackBuffer(IDirect3DDevice9 *device, std::vector<uint8_t> *rgba, UINT *width, UINT *height) {
  if (device == nullptr) return false;
  IDirect3DSurface9 *back = nullptr;
  if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) return false;
  D3DSURFACE_DESC desc;
  bool ok = SUCCEEDED(back->GetDesc(&desc)) && FourBytesPerPixel(desc.Format);
  if (ok) {
    ReadLock pixels(back, nullptr);
    ok = pixels.Ok();
    if (ok) {
      rgba->resize(static_cast<size_t>(desc.Width) * desc.Height * kBytesPerPixel);
      uint8_t *out = rgba->data();
      for (UINT y = 0; y < desc.Height; ++y) {
        const uint8_t *src = pixels.Bits() + y * pixels.Pitch();
        for (UINT x = 0; x < desc.Width; ++x, src += kBytesPerPixel, out += kBytesPerPixel) {
          out[0] = src[2];  // surfaces hold B, G, R, X
          out[1] = src[1];
          out[2] = src[0];
          out[3] = kOpaque;
        }
      }
      *width = desc.Width;
      *height = desc.Height;
    }
  }
  back->Release();
  return ok;
}

}  // namespace zel::gfxutil

HRESULT WINAPI D3DXSaveSurfaceToFileA(LPCSTR pDestFile, D3DXIMAGE_FILEFORMAT DestFormat,
                                      LPDIRECT3DSURFACE9 pSrcSurface, const PALETTEENTRY *, const RECT *pSrcRect) {
  using namespace zel::gfxutil;
  if (pDestFile == nullptr || pSrcSurface == nullptr || DestFormat != D3DXIFF_PNG) return D3DERR_INVALIDCALL;
  D3DSURFACE_DESC desc;
  if (FAILED(pSrcSurface->GetDesc(&desc)) || !FourBytesPerPixel(desc.Format)) return D3DERR_INVALIDCALL;
  RECT area{0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
  if (pSrcRect != nullptr) {
    if (pSrcRect->left < 0 || pSrcRect->top < 0 || pSrcRect->right > area.right || pSrcRect->bottom > area.bottom ||
        pSrcRect->left >= pSrcRect->right || pSrcRect->top >= pSrcRect->bottom)
      return D3DERR_INVALIDCALL;
    area = *pSrcRect;
  }
  ReadLock pixels(pSrcSurface, &area);
  if (!pixels.Ok()) return D3DERR_INVALIDCALL;
  PngRows rows;
  rows.first = pixels.Bits();
  rows.pitch = pixels.Pitch();
  rows.width = static_cast<UINT>(area.right - area.left);
  rows.height = static_cast<UINT>(area.bottom - area.top);
  rows.order = PixelOrder::Bgra;
  rows.keepAlpha = desc.Format == D3DFMT_A8R8G8B8;
  std::string error;
  return WritePngFile(pDestFile, rows, &error) ? D3D_OK : E_FAIL;
}
