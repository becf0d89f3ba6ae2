// Lock bookkeeping for buffers and texture levels.
#include "platform/d3d9/resource_memory.h"

#include <algorithm>

namespace zel::d3d9 {

UINT FormatBytesPerPixel(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
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
      return 1;
    default:
      return 0;
  }
}

UINT FullMipCount(UINT width, UINT height) {
  UINT levels = 1;
  for (UINT size = std::max(width, height); size > 1; size /= 2) ++levels;
  return levels;
}

HRESULT BufferMemory::Lock(UINT offset, UINT size, void **ppbData) {
  if (ppbData == nullptr) return D3DERR_INVALIDCALL;
  *ppbData = nullptr;
  UINT total = Size();
  if (offset > total) return D3DERR_INVALIDCALL;
  if (size == 0) size = total - offset;
  if (size > total - offset) return D3DERR_INVALIDCALL;
  if (lockCount_ == 0) {
    dirtyBegin_ = offset;
    dirtyEnd_ = offset + size;
  } else {
    dirtyBegin_ = std::min(dirtyBegin_, offset);
    dirtyEnd_ = std::max(dirtyEnd_, offset + size);
  }
  ++lockCount_;
  *ppbData = bytes_.data() + offset;
  return D3D_OK;
}

HRESULT BufferMemory::Unlock(bool *changed, UINT *begin, UINT *end) {
  *changed = false;
  if (lockCount_ == 0) return D3DERR_INVALIDCALL;
  if (--lockCount_ == 0) {
    *changed = dirtyEnd_ > dirtyBegin_;
    *begin = dirtyBegin_;
    *end = dirtyEnd_;
  }
  return D3D_OK;
}

TextureMemory::TextureMemory(UINT width, UINT height, UINT levels, D3DFORMAT format, UINT rowPadding)
    : format_(format), bytesPerPixel_(FormatBytesPerPixel(format)) {
  UINT full = FullMipCount(width, height);
  if (levels == 0 || levels > full) levels = full;
  levels_.resize(levels);
  for (UINT i = 0; i < levels; ++i) {
    TextureLevel &l = levels_[i];
    l.width = std::max(1u, width >> i);
    l.height = std::max(1u, height >> i);
    l.pitch = l.width * bytesPerPixel_ + rowPadding;
    l.bytes.assign(static_cast<size_t>(l.pitch) * l.height, rowPadding ? kPaddingByte : 0);
  }
}

HRESULT TextureMemory::LockRect(UINT level, D3DLOCKED_RECT *locked, const RECT *rect) {
  if (locked == nullptr || level >= levels_.size()) return D3DERR_INVALIDCALL;
  TextureLevel &l = levels_[level];
  if (l.locked) return D3DERR_INVALIDCALL;  // a surface cannot be locked twice
  RECT r{0, 0, static_cast<LONG>(l.width), static_cast<LONG>(l.height)};
  if (rect != nullptr) {
    if (rect->left < 0 || rect->top < 0 || rect->left >= rect->right || rect->top >= rect->bottom ||
        rect->right > r.right || rect->bottom > r.bottom)
      return D3DERR_INVALIDCALL;
    r = *rect;
  }
  l.locked = true;
  l.dirty = r;
  locked->Pitch = static_cast<INT>(l.pitch);
  locked->pBits = l.bytes.data() + static_cast<size_t>(r.top) * l.pitch + static_cast<size_t>(r.left) * bytesPerPixel_;
  return D3D_OK;
}

HRESULT TextureMemory::UnlockRect(UINT level, RECT *dirty) {
  if (level >= levels_.size() || !levels_[level].locked) return D3DERR_INVALIDCALL;
  levels_[level].locked = false;
  *dirty = levels_[level].dirty;
  return D3D_OK;
}

HRESULT TextureMemory::GetLevelDesc(UINT level, D3DSURFACE_DESC *desc, DWORD usage, D3DPOOL pool) const {
  if (desc == nullptr || level >= levels_.size()) return D3DERR_INVALIDCALL;
  *desc = D3DSURFACE_DESC{format_, D3DRTYPE_SURFACE, usage, pool, D3DMULTISAMPLE_NONE, 0,
                          levels_[level].width, levels_[level].height};
  return D3D_OK;
}

D3DSURFACE_DESC SurfaceDescription(bool backBuffer, D3DFORMAT format, UINT width, UINT height) {
  return D3DSURFACE_DESC{format,
                         D3DRTYPE_SURFACE,
                         backBuffer ? static_cast<DWORD>(D3DUSAGE_RENDERTARGET) : 0u,
                         backBuffer ? D3DPOOL_DEFAULT : D3DPOOL_SYSTEMMEM,
                         D3DMULTISAMPLE_NONE,
                         0,
                         width,
                         height};
}

bool LockableRect(const RECT *rect, UINT width, UINT height) {
  if (rect == nullptr) return true;
  return rect->left >= 0 && rect->top >= 0 && rect->right <= static_cast<LONG>(width) &&
         rect->bottom <= static_cast<LONG>(height) && rect->left < rect->right && rect->top < rect->bottom;
}

D3DLOCKED_RECT LockedPixels(uint8_t *pixels, UINT width, const RECT *rect) {
  const size_t pitch = static_cast<size_t>(width) * kSurfaceBytesPerPixel;
  const size_t left = rect ? static_cast<size_t>(rect->left) : 0, top = rect ? static_cast<size_t>(rect->top) : 0;
  return D3DLOCKED_RECT{static_cast<INT>(pitch), pixels + top * pitch + left * kSurfaceBytesPerPixel};
}

std::vector<RECT> ClearedRects(const D3DVIEWPORT9 &viewport, DWORD count, const D3DRECT *rects) {
  const RECT whole{static_cast<LONG>(viewport.X), static_cast<LONG>(viewport.Y),
                   static_cast<LONG>(viewport.X + viewport.Width), static_cast<LONG>(viewport.Y + viewport.Height)};
  if (count == 0) return {whole};
  std::vector<RECT> out;
  for (DWORD i = 0; i < count; ++i)
    out.push_back(RECT{std::max(whole.left, rects[i].x1), std::max(whole.top, rects[i].y1),
                       std::min(whole.right, rects[i].x2), std::min(whole.bottom, rects[i].y2)});
  return out;
}

}  // namespace zel::d3d9
