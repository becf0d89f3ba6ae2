// The objects a RecordingDevice creates: system memory only, with the platform's reference
// counting and Lock rules. Each holds a reference on its device and drops its bindings there
// as it dies.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <vector>

#include "platform/d3d9/com_object.h"
#include "platform/d3d9/recording/recording_device.h"
#include "platform/d3d9/resource_memory.h"

namespace zel::d3d9 {

// Shared part: the owning device reference.
class RecordingOwned {
 public:
  explicit RecordingOwned(RecordingDevice *device) : device_(device) { device_->AddRef(); }
  void Disown(const void *self) {
    device_->ForgetObject(self);
    device_->Release();
  }
  RecordingDevice *Get() const { return device_; }
  HRESULT Device(IDirect3DDevice9 **out) const {
    if (out == nullptr) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *out = device_;
    return D3D_OK;
  }

 private:
  RecordingDevice *device_;
};

// A vertex or index buffer: its bytes, with the platform's Lock rules.
template <class Interface, D3DRESOURCETYPE kType>
class RecordingBuffer : public ComObject<Interface> {
 public:
  RecordingBuffer(RecordingDevice *d, UINT length, DWORD usage, D3DPOOL pool)
      : owner_(d), memory_(length), usage_(usage), pool_(pool) {}
  ~RecordingBuffer() override { owner_.Disown(static_cast<Interface *>(this)); }
  HRESULT WINAPI GetDevice(IDirect3DDevice9 **ppDevice) override { return owner_.Device(ppDevice); }
  D3DRESOURCETYPE WINAPI GetType() override { return kType; }
  HRESULT WINAPI Lock(UINT offset, UINT size, void **data, DWORD) override { return memory_.Lock(offset, size, data); }
  HRESULT WINAPI Unlock() override {
    bool changed;
    UINT b, e;
    return memory_.Unlock(&changed, &b, &e);
  }
  const BufferMemory &Memory() const { return memory_; }

 protected:
  RecordingOwned owner_;
  BufferMemory memory_;
  DWORD usage_;
  D3DPOOL pool_;
};

class RecordingVertexBuffer final : public RecordingBuffer<IDirect3DVertexBuffer9, D3DRTYPE_VERTEXBUFFER> {
 public:
  RecordingVertexBuffer(RecordingDevice *d, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
      : RecordingBuffer(d, length, usage, pool), fvf_(fvf) {}
  HRESULT WINAPI GetDesc(D3DVERTEXBUFFER_DESC *desc) override {
    if (desc == nullptr) return D3DERR_INVALIDCALL;
    *desc = D3DVERTEXBUFFER_DESC{D3DFMT_UNKNOWN, D3DRTYPE_VERTEXBUFFER, usage_, pool_, memory_.Size(), fvf_};
    return D3D_OK;
  }

 private:
  DWORD fvf_;
};

class RecordingIndexBuffer final : public RecordingBuffer<IDirect3DIndexBuffer9, D3DRTYPE_INDEXBUFFER> {
 public:
  RecordingIndexBuffer(RecordingDevice *d, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
      : RecordingBuffer(d, length, usage, pool), format_(format) {}
  HRESULT WINAPI GetDesc(D3DINDEXBUFFER_DESC *desc) override {
    if (desc == nullptr) return D3DERR_INVALIDCALL;
    *desc = D3DINDEXBUFFER_DESC{format_, D3DRTYPE_INDEXBUFFER, usage_, pool_, memory_.Size()};
    return D3D_OK;
  }

 private:
  D3DFORMAT format_;
};

class RecordingTexture final : public ComObject<IDirect3DTexture9> {
 public:
  RecordingTexture(RecordingDevice *d, UINT w, UINT h, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool)
      : owner_(d), memory_(w, h, levels, format, d->TextureRowPadding()), usage_(usage), pool_(pool) {}
  ~RecordingTexture() override { owner_.Disown(this); }
  HRESULT WINAPI GetDevice(IDirect3DDevice9 **ppDevice) override { return owner_.Device(ppDevice); }
  D3DRESOURCETYPE WINAPI GetType() override { return D3DRTYPE_TEXTURE; }
  DWORD WINAPI GetLevelCount() override { return memory_.LevelCount(); }
  HRESULT WINAPI GetLevelDesc(UINT level, D3DSURFACE_DESC *desc) override {
    return memory_.GetLevelDesc(level, desc, usage_, pool_);
  }
  HRESULT WINAPI LockRect(UINT level, D3DLOCKED_RECT *locked, const RECT *rect, DWORD) override {
    if (FAILED(owner_.Get()->TextureLockFailure())) return owner_.Get()->TextureLockFailure();
    return memory_.LockRect(level, locked, rect);
  }
  HRESULT WINAPI UnlockRect(UINT level) override {
    RECT dirty;
    return memory_.UnlockRect(level, &dirty);
  }
  const TextureMemory &Memory() const { return memory_; }

 private:
  RecordingOwned owner_;
  TextureMemory memory_;
  DWORD usage_;
  D3DPOOL pool_;
};

// A back-buffer surface (a view of the device's pixels: readable with GetRenderTargetData,
// not lockable) or a plain surface in system memory (lockable, a readback destination).
class RecordingSurface final : public ComObject<IDirect3DSurface9> {
 public:
  enum class Kind { BackBuffer, SystemMemory };
  // A system-memory surface allocates its memory here (std::bad_alloc when it cannot).
  RecordingSurface(RecordingDevice *d, Kind kind, UINT w, UINT h, D3DFORMAT format);
  ~RecordingSurface() override { owner_.Disown(this); }
  HRESULT WINAPI GetDevice(IDirect3DDevice9 **ppDevice) override { return owner_.Device(ppDevice); }
  D3DRESOURCETYPE WINAPI GetType() override { return D3DRTYPE_SURFACE; }
  HRESULT WINAPI GetDesc(D3DSURFACE_DESC *desc) override;
  HRESULT WINAPI LockRect(D3DLOCKED_RECT *locked, const RECT *rect, DWORD flags) override;
  HRESULT WINAPI UnlockRect() override;

  RecordingDevice *Owner() const { return owner_.Get(); }
  Kind SurfaceKind() const { return kind_; }
  UINT Width() const { return width_; }
  UINT Height() const { return height_; }
  D3DFORMAT Format() const { return format_; }
  bool Locked() const { return locked_; }
  std::vector<uint8_t> &Memory() { return memory_; }  // rows from the top, 4 bytes per pixel

 private:
  std::vector<uint8_t> memory_;  // made before the device is referenced
  RecordingOwned owner_;
  Kind kind_;
  UINT width_, height_;
  D3DFORMAT format_;
  bool locked_ = false;
};

class RecordingDeclaration final : public ComObject<IDirect3DVertexDeclaration9> {
 public:
  RecordingDeclaration(RecordingDevice *d, std::vector<D3DVERTEXELEMENT9> elements)
      : owner_(d), elements_(std::move(elements)) {}
  ~RecordingDeclaration() override { owner_.Disown(this); }
  HRESULT WINAPI GetDevice(IDirect3DDevice9 **ppDevice) override { return owner_.Device(ppDevice); }
  HRESULT WINAPI GetDeclaration(D3DVERTEXELEMENT9 *elements, UINT *count) override;
  const std::vector<D3DVERTEXELEMENT9> &Elements() const { return elements_; }  // with the end marker

 private:
  RecordingOwned owner_;
  std::vector<D3DVERTEXELEMENT9> elements_;
};

class RecordingShader final : public ComObject<IDirect3DVertexShader9> {
 public:
  RecordingShader(RecordingDevice *d, std::vector<DWORD> tokens) : owner_(d), tokens_(std::move(tokens)) {}
  ~RecordingShader() override { owner_.Disown(this); }
  HRESULT WINAPI GetDevice(IDirect3DDevice9 **ppDevice) override { return owner_.Device(ppDevice); }
  HRESULT WINAPI GetFunction(void *data, UINT *size) override;
  const std::vector<DWORD> &Tokens() const { return tokens_; }

 private:
  RecordingOwned owner_;
  std::vector<DWORD> tokens_;
};

}  // namespace zel::d3d9
