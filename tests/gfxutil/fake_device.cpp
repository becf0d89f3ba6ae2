#include "tests/gfxutil/fake_device.h"

namespace zeltest {

size_t BytesPerPixel(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A8B8G8R8:
    case D3DFMT_X8B8G8R8:
      return 4;
    case D3DFMT_R8G8B8:
      return 3;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_X4R4G4B4:
    case D3DFMT_A8L8:
      return 2;
    case D3DFMT_L8:
    case D3DFMT_A8:
    case D3DFMT_P8:
      return 1;
    default:
      return 0;
  }
}

FakeTexture::FakeTexture(UINT width, UINT height, UINT levelCount, D3DFORMAT format, D3DPOOL pool)
    : format(format), pool(pool) {
  for (UINT i = 0; i < levelCount; ++i) {
    Level level;
    level.width = width;
    level.height = height;
    // Pad rows to show that callers honour the pitch rather than assume width * size.
    level.pitch = static_cast<INT>(width * BytesPerPixel(format) + 12);
    level.bits.assign(static_cast<size_t>(level.pitch) * height, 0xCD);
    levels.push_back(std::move(level));
    width = width > 1 ? width / 2 : 1;
    height = height > 1 ? height / 2 : 1;
  }
}

ULONG FakeTexture::Release() {
  ULONG left = --refs;
  if (left == 0) {
    if (liveCounter) --*liveCounter;
    delete this;
  }
  return left;
}

HRESULT FakeTexture::GetLevelDesc(UINT Level, D3DSURFACE_DESC *pDesc) {
  if (Level >= levels.size()) return D3DERR_INVALIDCALL;
  std::memset(pDesc, 0, sizeof(*pDesc));
  pDesc->Format = format;
  pDesc->Type = D3DRTYPE_SURFACE;
  pDesc->Pool = pool;
  pDesc->Width = levels[Level].width;
  pDesc->Height = levels[Level].height;
  return D3D_OK;
}

HRESULT FakeTexture::LockRect(UINT Level, D3DLOCKED_RECT *pLockedRect, const RECT *pRect, DWORD) {
  if (failLock || Level >= levels.size() || pRect || levels[Level].locked) return D3DERR_INVALIDCALL;
  levels[Level].locked = true;
  pLockedRect->Pitch = levels[Level].pitch;
  pLockedRect->pBits = levels[Level].bits.data();
  return D3D_OK;
}

HRESULT FakeTexture::UnlockRect(UINT Level) {
  if (Level >= levels.size() || !levels[Level].locked) return D3DERR_INVALIDCALL;
  levels[Level].locked = false;
  return D3D_OK;
}

DWORD FakeTexture::Pixel32(UINT level, UINT x, UINT y) const {
  const Level &l = levels.at(level);
  DWORD v;
  std::memcpy(&v, &l.bits.at(static_cast<size_t>(y) * l.pitch + x * 4), 4);
  return v;
}

BYTE FakeTexture::Pixel8(UINT level, UINT x, UINT y) const {
  const Level &l = levels.at(level);
  return l.bits.at(static_cast<size_t>(y) * l.pitch + x);
}

FakeDevice::~FakeDevice() = default;

HRESULT FakeDevice::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                  IDirect3DTexture9 **ppTexture, HANDLE *pSharedHandle) {
  if (failCreateTexture || !ppTexture || Width == 0 || Height == 0 || BytesPerPixel(Format) == 0 ||
      Width > caps.MaxTextureWidth || Height > caps.MaxTextureHeight ||
      std::find(unsupportedFormats.begin(), unsupportedFormats.end(), Format) != unsupportedFormats.end())
    return D3DERR_INVALIDCALL;
  UINT full = 1;
  for (UINT w = Width, h = Height; w > 1 || h > 1; w /= 2, h /= 2) ++full;
  if (Levels == 0 || Levels > full) Levels = full;
  auto *texture = new FakeTexture(Width, Height, Levels, Format, Pool);
  texture->liveCounter = &liveTextures;
  texture->failLock = failLockRect;
  ++liveTextures;
  ++createdTextures;
  *ppTexture = texture;
  return D3D_OK;
}

}  // namespace zeltest
