// Texture creation from image files: decode, size, scale, build mips, create the texture
// through the device and upload each level. Only the d3d9 interfaces are used.
#include "gfxutil/texture.h"

#include <new>
#include <utility>
#include <vector>

#include "gfxutil/image.h"
#include "gfxutil/texture_format.h"
#include "gfxutil/texture_levels.h"

using zel::gfxutil::DecodeResult;
using zel::gfxutil::Image;
using zel::gfxutil::PixelLayout;

namespace {

// Holds a texture until it is handed to the caller; releases it on every failure path.
class TextureHolder {
 public:
  ~TextureHolder() {
    if (texture) texture->Release();
  }
  IDirect3DTexture9 *Take() {
    IDirect3DTexture9 *t = texture;
    texture = nullptr;
    return t;
  }
  IDirect3DTexture9 *texture = nullptr;
};

D3DXIMAGE_FILEFORMAT FileKind(const BYTE *data, size_t size) {
  return size >= 2 && data[0] == 'B' && data[1] == 'M' ? D3DXIFF_BMP : D3DXIFF_JPG;
}

void FillInfo(const Image &image, D3DXIMAGE_FILEFORMAT kind, D3DXIMAGE_INFO *info) {
  if (!info) return;
  info->Width = image.width;
  info->Height = image.height;
  info->Depth = 1;
  info->MipLevels = 1;
  info->Format = image.fileFormat;
  info->ResourceType = D3DRTYPE_TEXTURE;
  info->ImageFileFormat = kind;
}

// Pixels of exactly the key colour become transparent black (colour-keyed sprites).
void ApplyColorKey(Image *image, D3DCOLOR key) {
  if (key == 0 || image->layout != PixelLayout::BGRA8) return;
  for (size_t i = 0; i + 4 <= image->pixels.size(); i += 4) {
    BYTE *p = &image->pixels[i];
    const D3DCOLOR argb = (D3DCOLOR{p[3]} << 24) | (D3DCOLOR{p[2]} << 16) | (D3DCOLOR{p[1]} << 8) | p[0];
    if (argb == key) p[0] = p[1] = p[2] = p[3] = 0;
  }
}

std::vector<D3DFORMAT> FormatsToTry(const Image &image, D3DFORMAT requested, D3DCOLOR colorKey) {
  std::vector<D3DFORMAT> formats;
  if (requested != D3DFMT_UNKNOWN && zel::gfxutil::FormatBytes(requested) != 0) formats.push_back(requested);
  if (colorKey != 0 && image.layout == PixelLayout::BGRA8) formats.push_back(D3DFMT_A8R8G8B8);
  for (D3DFORMAT f : zel::gfxutil::TextureFormatCandidates(image.fileFormat)) formats.push_back(f);
  return formats;
}

// Writes every level the texture has from the prepared images; the device's sizes must
// match ours, so no row is ever written past what the lock handed out.
HRESULT UploadLevels(IDirect3DTexture9 *texture, const std::vector<Image> &levels, D3DFORMAT format) {
  const DWORD count = texture->GetLevelCount();
  if (count == 0 || count > levels.size()) return D3DERR_INVALIDCALL;
  std::vector<BYTE> unused;
  for (DWORD level = 0; level < count; ++level) {
    const Image &image = levels[level];
    D3DSURFACE_DESC desc;
    HRESULT hr = texture->GetLevelDesc(level, &desc);
    if (FAILED(hr)) return hr;
    if (desc.Width != image.width || desc.Height != image.height || desc.Format != format) return D3DERR_INVALIDCALL;
    D3DLOCKED_RECT locked;
    hr = texture->LockRect(level, &locked, nullptr, 0);
    if (FAILED(hr)) return hr;
    const size_t rowBytes = static_cast<size_t>(image.width) * zel::gfxutil::FormatBytes(format);
    if (!locked.pBits || locked.Pitch < 0 || static_cast<size_t>(locked.Pitch) < rowBytes) {
      texture->UnlockRect(level);
      return D3DERR_INVALIDCALL;
    }
    BYTE *bits = static_cast<BYTE *>(locked.pBits);
    for (UINT y = 0; y < image.height; ++y)
      zel::gfxutil::PackRow(image.pixels.data() + y * image.RowBytes(), image.layout, image.width, format,
                       bits + static_cast<size_t>(y) * locked.Pitch);
    hr = texture->UnlockRect(level);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT CreateFromMemory(IDirect3DDevice9 *device, const BYTE *data, size_t size, UINT width, UINT height,
                         UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter,
                         D3DCOLOR colorKey, D3DXIMAGE_INFO *info, IDirect3DTexture9 **ppTexture) {
  if (!device || !ppTexture || (!data && size > 0)) return D3DERR_INVALIDCALL;
  Image image;
  DecodeResult decoded = zel::gfxutil::DecodeImage(data, size, &image);
  if (!decoded.Ok()) return decoded.hr;
  ApplyColorKey(&image, colorKey);

  D3DCAPS9 caps = {};
  if (FAILED(device->GetDeviceCaps(&caps))) caps.MaxTextureWidth = caps.MaxTextureHeight = 0;
  const zel::gfxutil::TextureLayout layout = zel::gfxutil::PlanTexture(image.width, image.height, width, height, mipLevels,
                                                             caps.MaxTextureWidth, caps.MaxTextureHeight);
  const bool scale = (filter & 0xFF) != D3DX_FILTER_NONE;
  (void)mipFilter;  // every mip filter reduces with the 2x2 box
  D3DXIMAGE_INFO imageInfo;
  FillInfo(image, FileKind(data, size), &imageInfo);
  const std::vector<D3DFORMAT> formats = FormatsToTry(image, format, colorKey);
  const std::vector<Image> levels = zel::gfxutil::BuildLevels(std::move(image), layout, scale);

  TextureHolder holder;
  HRESULT hr = D3DERR_INVALIDCALL;
  D3DFORMAT chosen = D3DFMT_UNKNOWN;
  for (D3DFORMAT candidate : formats) {
    hr = device->CreateTexture(layout.width, layout.height, layout.levels, usage, candidate, pool, &holder.texture,
                               nullptr);
    if (SUCCEEDED(hr) && holder.texture) {
      chosen = candidate;
      break;
    }
    holder.texture = nullptr;
  }
  if (!holder.texture) return FAILED(hr) ? hr : D3DERR_INVALIDCALL;
  hr = UploadLevels(holder.texture, levels, chosen);
  if (FAILED(hr)) return hr;
  if (info) *info = imageInfo;
  *ppTexture = holder.Take();
  return S_OK;
}

}  // namespace

HRESULT WINAPI D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice9 *pDevice, LPCVOID pSrcData, UINT SrcDataSize,
                                                   UINT Width, UINT Height, UINT MipLevels, DWORD Usage,
                                                   D3DFORMAT Format, D3DPOOL Pool, DWORD Filter, DWORD MipFilter,
                                                   D3DCOLOR ColorKey, D3DXIMAGE_INFO *pSrcInfo, PALETTEENTRY *pPalette,
                                                   IDirect3DTexture9 **ppTexture) {
  (void)pPalette;
  try {
    return CreateFromMemory(pDevice, static_cast<const BYTE *>(pSrcData), SrcDataSize, Width, Height, MipLevels, Usage,
                            Format, Pool, Filter, MipFilter, ColorKey, pSrcInfo, ppTexture);
  } catch (const std::bad_alloc &) {
    return E_OUTOFMEMORY;
  }
}

HRESULT WINAPI D3DXCreateTextureFromFileExA(IDirect3DDevice9 *pDevice, LPCSTR pSrcFile, UINT Width, UINT Height,
                                            UINT MipLevels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool, DWORD Filter,
                                            DWORD MipFilter, D3DCOLOR ColorKey, D3DXIMAGE_INFO *pSrcInfo,
                                            PALETTEENTRY *pPalette, IDirect3DTexture9 **ppTexture) {
  if (!pDevice || !pSrcFile || !ppTexture) return D3DERR_INVALIDCALL;
  try {
    std::vector<BYTE> file;
    DecodeResult read = zel::gfxutil::ReadWholeFile(pSrcFile, &file);
    if (!read.Ok()) return read.hr;
    return CreateFromMemory(pDevice, file.data(), file.size(), Width, Height, MipLevels, Usage, Format, Pool, Filter,
                            MipFilter, ColorKey, pSrcInfo, ppTexture);
  } catch (const std::bad_alloc &) {
    return E_OUTOFMEMORY;
  }
}

// Default image filter: triangle with dither; default mip filter: box; managed pool.
HRESULT WINAPI D3DXCreateTextureFromFileA(IDirect3DDevice9 *pDevice, LPCSTR pSrcFile, IDirect3DTexture9 **ppTexture) {
  return D3DXCreateTextureFromFileExA(pDevice, pSrcFile, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DFMT_UNKNOWN,
                                      D3DPOOL_MANAGED, D3DX_FILTER_TRIANGLE | D3DX_FILTER_DITHER, D3DX_FILTER_BOX, 0,
                                      nullptr, nullptr, ppTexture);
}

HRESULT WINAPI D3DXGetImageInfoFromFileA(LPCSTR pSrcFile, D3DXIMAGE_INFO *pSrcInfo) {
  if (!pSrcFile || !pSrcInfo) return D3DERR_INVALIDCALL;
  try {
    std::vector<BYTE> file;
    DecodeResult r = zel::gfxutil::ReadWholeFile(pSrcFile, &file);
    if (!r.Ok()) return r.hr;
    Image image;
    r = zel::gfxutil::DecodeImage(file.data(), file.size(), &image);
    if (!r.Ok()) return r.hr;
    FillInfo(image, FileKind(file.data(), file.size()), pSrcInfo);
    return S_OK;
  } catch (const std::bad_alloc &) {
    return E_OUTOFMEMORY;
  }
}
