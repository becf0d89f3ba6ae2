// The objects of the OpenGL device: vertex and index buffers and textures (a system-memory
// copy plus the GL object, uploaded on Unlock), vertex declarations and vertex shaders.
// Each holds a reference on its device and drops its bindings there as it dies.
#pragma once

#include <d3d9.h>
#include <epoxy/gl.h>

#include <string>
#include <vector>

#include "platform/d3d9/com_object.h"
#include "platform/d3d9/gl_convert.h"
#include "platform/d3d9/gl_device.h"
#include "platform/d3d9/resource_memory.h"
#include "platform/d3d9/vertex_layout.h"

namespace zel::d3d9 {

class GlOwned {
 public:
  explicit GlOwned(GlDevice *device) : device_(device) { device_->AddRef(); }
  GlDevice *Device() const { return device_; }
  HRESULT GetDevice(IDirect3DDevice9 **out) const {
    if (out == nullptr) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *out = device_;
    return D3D_OK;
  }
  // Last step of an object's destructor, after its GL names are deleted.
  void Disown(const void *self) {
    device_->ForgetObject(self);
    device_->Release();
  }

 private:
  GlDevice *device_;
};

class GlVertexBuffer final : public ComObject<IDirect3DVertexBuffer9> {
 public:
  GlVertexBuffer(GlDevice *device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
  ~GlVertexBuffer() override;
  HRESULT WINAPI GetDevice(IDirect3DDevice9 **ppDevice) override { return owner_.GetDevice(ppDevice); }
  D3DRESOURCETYPE WINAPI GetType() override { return D3DRTYPE_VERTEXBUFFER; }
  HRESULT WINAPI Lock(UINT OffsetToLock, UINT SizeToLock, void **ppbData, DWORD Flags) override;
  HRESULT WINAPI Unlock() override;
  HRESULT WINAPI GetDesc(D3DVERTEXBUFFER_DESC *pDesc) override;
  GLuint Name() const { return buffer_; }
  UINT Size() const { return memory_.Size(); }
  // Whether the D3DCOLOR `element` bytes into every whole vertex from `offset` on (vertices
  // `stride` bytes apart) is opaque white. Remembered until the contents change, so asking
  // again per draw costs a comparison.
  bool ColorIsOpaqueWhite(UINT offset, UINT stride, UINT element) const;

 private:
  struct WhiteColorScan {
    UINT offset = 0, stride = 0, element = 0;
    uint32_t contents = 0;  // contents_ when scanned; 0 = never
    bool white = false;
  };

  GlOwned owner_;
  BufferMemory memory_;
  DWORD usage_, fvf_;
  D3DPOOL pool_;
  GLuint buffer_ = 0;
  uint32_t contents_ = 1;  // counts the unlocks that changed bytes
  mutable WhiteColorScan whiteScan_;
};

class GlIndexBuffer final : public ComObject<IDirect3DIndexBuffer9> {
 public:
  GlIndexBuffer(GlDevice *device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);
  ~GlIndexBuffer() override;
  HRESULT WINAPI GetDevice(IDirect3DDevice9 **ppDevice) override { return owner_.GetDevice(ppDevice); }
  D3DRESOURCETYPE WINAPI GetType() override { return D3DRTYPE_INDEXBUFFER; }
  HRESULT WINAPI Lock(UINT OffsetToLock, UINT SizeToLock, void **ppbData, DWORD Flags) override;
  HRESULT WINAPI Unlock() override;
  HRESULT WINAPI GetDesc(D3DINDEXBUFFER_DESC *pDesc) override;
  GLuint Name() const { return buffer_; }
  D3DFORMAT Format() const { return format_; }
  UINT Size() const { return memory_.Size(); }

 private:
  GlOwned owner_;
  BufferMemory memory_;
  DWORD usage_;
  D3DFORMAT format_;
  D3DPOOL pool_;
  GLuint buffer_ = 0;
};

class GlTexture final : public ComObject<IDirect3DTexture9> {
 public:
  // The format must have a GlTextureFormatFor() entry.
  GlTexture(GlDevice *device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool);
  ~GlTexture() override;
  HRESULT WINAPI GetDevice(IDirect3DDevice9 **ppDevice) override { return owner_.GetDevice(ppDevice); }
  D3DRESOURCETYPE WINAPI GetType() override { return D3DRTYPE_TEXTURE; }
  DWORD WINAPI GetLevelCount() override { return memory_.LevelCount(); }
  HRESULT WINAPI GetLevelDesc(UINT Level, D3DSURFACE_DESC *pDesc) override;
  HRESULT WINAPI LockRect(UINT Level, D3DLOCKED_RECT *pLockedRect, const RECT *pRect, DWORD Flags) override;
  HRESULT WINAPI UnlockRect(UINT Level) override;
  GLuint Name() const { return texture_; }

 private:
  void Upload(UINT level, const RECT &rect);

  GlOwned owner_;
  TextureMemory memory_;
  GlTextureFormat format_;
  DWORD usage_;
  D3DPOOL pool_;
  GLuint texture_ = 0;
};

class GlVertexDeclaration final : public ComObject<IDirect3DVertexDeclaration9> {
 public:
  GlVertexDeclaration(GlDevice *device, const VertexLayout &layout, const D3DVERTEXELEMENT9 *elements);
  ~GlVertexDeclaration() override { owner_.Disown(this); }
  HRESULT WINAPI GetDevice(IDirect3DDevice9 **ppDevice) override { return owner_.GetDevice(ppDevice); }
  HRESULT WINAPI GetDeclaration(D3DVERTEXELEMENT9 *pElement, UINT *pNumElements) override;
  const VertexLayout &Layout() const { return layout_; }

 private:
  GlOwned owner_;
  VertexLayout layout_;
  std::vector<D3DVERTEXELEMENT9> elements_;  // with the end marker
};

class GlVertexShader final : public ComObject<IDirect3DVertexShader9> {
 public:
  GlVertexShader(GlDevice *device, const DWORD *tokens, UINT count, std::string glsl);
  ~GlVertexShader() override;
  HRESULT WINAPI GetDevice(IDirect3DDevice9 **ppDevice) override { return owner_.GetDevice(ppDevice); }
  HRESULT WINAPI GetFunction(void *pData, UINT *pSizeOfData) override;
  uint32_t Id() const { return id_; }
  const std::string &Glsl() const { return glsl_; }

 private:
  GlOwned owner_;
  std::vector<DWORD> tokens_;
  std::string glsl_;
  uint32_t id_;
};

}  // namespace zel::d3d9
