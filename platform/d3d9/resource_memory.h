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
  // Levels 0 = the full chain. The format must have FormatBytesPerPixel() > 0.
  TextureMemory(UINT width, UINT height, UINT levels, D3DFORMAT format);

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

}  // namespace zel::d3d9
