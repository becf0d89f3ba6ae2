// Surfaces of the OpenGL device. A back-buffer surface is a view of the device's colour
// buffer: GetRenderTargetData reads it; LockRect refuses it, as the platform refuses a back
// buffer made without a lockable flag. A system-memory surface is where a readback lands:
// GetRenderTargetData starts a copy into the surface's pixel-pack buffer and sets a fence
// behind it; the pixels reach the surface's memory only when LockRect finds the fence passed
// (waiting for it, unless D3DLOCK_DONOTWAIT asks not to), so a frame is copied while the
// next one is drawn.
#pragma once

#include <d3d9.h>
#include <epoxy/gl.h>

#include <cstdint>
#include <vector>

#include "platform/d3d9/com_object.h"
#include "platform/d3d9/gl_objects.h"

namespace zel::d3d9 {

class GlSurface final : public ComObject<IDirect3DSurface9> {
 public:
  enum class Kind { BackBuffer, SystemMemory };

  // A system-memory surface allocates its memory here (std::bad_alloc when it cannot).
  GlSurface(GlDevice *device, Kind kind, UINT width, UINT height, D3DFORMAT format);
  ~GlSurface() override;

  HRESULT WINAPI GetDevice(IDirect3DDevice9 **ppDevice) override { return owner_.GetDevice(ppDevice); }
  D3DRESOURCETYPE WINAPI GetType() override { return D3DRTYPE_SURFACE; }
  HRESULT WINAPI GetDesc(D3DSURFACE_DESC *pDesc) override;
  HRESULT WINAPI LockRect(D3DLOCKED_RECT *pLockedRect, const RECT *pRect, DWORD Flags) override;
  HRESULT WINAPI UnlockRect() override;

  // ---- for the device ----
  GlDevice *Owner() const { return owner_.Device(); }
  Kind SurfaceKind() const { return kind_; }
  UINT Width() const { return width_; }
  UINT Height() const { return height_; }
  D3DFORMAT Format() const { return format_; }
  bool Locked() const { return locked_; }
  // Starts copying the framebuffer bound for reading, of this surface's size, into this
  // system-memory surface; returns without waiting for the copy. The device's context is current.
  void StartCopy();

 private:
  // Moves the pixels of a finished copy into memory_. D3DERR_WASSTILLDRAWING while the copy
  // runs and `wait` is false; D3D_OK when there was no copy to finish.
  HRESULT FinishCopy(bool wait);
  size_t Bytes() const { return memory_.size(); }

  // Made before the device is referenced, so a failed allocation leaves no reference behind.
  std::vector<uint8_t> memory_;  // system memory: rows from the top, 4 bytes per pixel
  GlOwned owner_;
  Kind kind_;
  UINT width_, height_;  // pixels
  D3DFORMAT format_;
  bool locked_ = false;
  GLuint packBuffer_ = 0;   // made at the first copy
  GLsync fence_ = nullptr;  // passed when the copy in flight is done; null when none is
};

}  // namespace zel::d3d9
