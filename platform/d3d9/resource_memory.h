// System-memory copies behind buffers and textures, with the platform's Lock rules. Both
// devices keep their data here; the OpenGL device uploads the locked part on Unlock.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <vector>

namespace zel::d3d9 {

// Bytes per texel of a texture format we create, 0 for one we do not.
UINT FormatBytesPerPixel(D3DFORMAT format);

// Number of levels in a full mip chain down to 1x1.
UINT FullMipCount(UINT width, UINT height);

class BufferMemory {
 public:
  explicit BufferMemory(UINT size) : bytes_(size) {}

  // OffsetToLock / SizeToLock as the platform reads them: size 0 locks from the offset to
  // the end; a range that does not fit fails with D3DERR_INVALIDCALL. Locks nest.
  HRESULT Lock(UINT offset, UINT size, void **ppbData);
  // D3DERR_INVALIDCALL when not locked. *changed is true when the last lock ended, with the
  // byte range written since the first one.
  HRESULT Unlock(bool *changed, UINT *begin, UINT *end);

  UINT Size() const { return static_cast<UINT>(bytes_.size()); }
  const uint8_t *Data() const { return bytes_.data(); }
  bool Locked() const { return lockCount_ > 0; }

 private:
  std::vector<uint8_t> bytes_;
  int lockCount_ = 0;
  UINT dirtyBegin_ = 0, dirtyEnd_ = 0;
};

struct TextureLevel {
  UINT width, height;
  UINT pitch;  // bytes per row
  std::vector<uint8_t> bytes;
  bool locked = false;
  RECT dirty{0, 0, 0, 0};  // texels written by the current lock
};

class TextureMemory {
 public:
  // Levels 0 = the full chain. The format must have FormatBytesPerPixel() > 0. Rows are
  // `rowPadding` bytes longer than their texels (filled with kPaddingByte), so that a
  // caller that ignores the pitch shows up in a test.
  TextureMemory(UINT width, UINT height, UINT levels, D3DFORMAT format, UINT rowPadding = 0);
  static constexpr uint8_t kPaddingByte = 0xCD;

  HRESULT LockRect(UINT level, D3DLOCKED_RECT *locked, const RECT *rect);
  // D3DERR_INVALIDCALL when the level is not locked; *dirty gets the locked rectangle.
  HRESULT UnlockRect(UINT level, RECT *dirty);
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC *desc, DWORD usage, D3DPOOL pool) const;

  UINT LevelCount() const { return static_cast<UINT>(levels_.size()); }
  const TextureLevel &Level(UINT i) const { return levels_[i]; }
  D3DFORMAT Format() const { return format_; }

 private:
  D3DFORMAT format_;
  UINT bytesPerPixel_;
  std::vector<TextureLevel> levels_;
};

// Surfaces both devices make: the back buffer and plain surfaces in system memory, 32-bit
// pixels, rows from the top with no padding.
constexpr UINT kSurfaceBytesPerPixel = 4;  // X8R8G8B8 and A8R8G8B8

// What GetDesc reports for the back buffer (a render target in the default pool) or for a
// plain surface in system memory.
D3DSURFACE_DESC SurfaceDescription(bool backBuffer, D3DFORMAT format, UINT width, UINT height);
// Whether LockRect may lock `rect` (null: the whole surface) of a width x height surface.
bool LockableRect(const RECT *rect, UINT width, UINT height);
// The lock of `rect` (null: the whole surface) in a system-memory surface's pixels.
D3DLOCKED_RECT LockedPixels(uint8_t *pixels, UINT width, const RECT *rect);
// The parts of the render target Clear writes: the viewport, or its overlap with each of the
// `count` rectangles when some are given (an overlap may be empty).
std::vector<RECT> ClearedRects(const D3DVIEWPORT9 &viewport, DWORD count, const D3DRECT *rects);

}  // namespace zel::d3d9
