// A minimal in-memory device for the utility library's and the framework's tests: textures
// are plain byte arrays per mip level, transforms and texture bindings are remembered, and
// every other call succeeds without doing anything.
#pragma once

#include <d3d9.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

namespace zeltest {

size_t BytesPerPixel(D3DFORMAT format);

class FakeTexture final : public IDirect3DTexture9 {
 public:
  struct Level {
    UINT width, height;
    INT pitch;
    std::vector<BYTE> bits;
    bool locked = false;
  };

  FakeTexture(UINT width, UINT height, UINT levels, D3DFORMAT format, D3DPOOL pool);

  HRESULT WINAPI QueryInterface(REFIID, void **) override { return E_NOINTERFACE; }
  ULONG WINAPI AddRef() override { return ++refs; }
  ULONG WINAPI Release() override;
  HRESULT WINAPI GetDevice(IDirect3DDevice9 **) override { return D3DERR_INVALIDCALL; }
  D3DRESOURCETYPE WINAPI GetType() override { return D3DRTYPE_TEXTURE; }
  DWORD WINAPI GetLevelCount() override { return static_cast<DWORD>(levels.size()); }
  HRESULT WINAPI GetLevelDesc(UINT Level, D3DSURFACE_DESC *pDesc) override;
  HRESULT WINAPI LockRect(UINT Level, D3DLOCKED_RECT *pLockedRect, const RECT *pRect, DWORD Flags) override;
  HRESULT WINAPI UnlockRect(UINT Level) override;

  // 32-bit pixel (x, y) of a level, for X8R8G8B8 and A8R8G8B8 textures.
  DWORD Pixel32(UINT level, UINT x, UINT y) const;
  BYTE Pixel8(UINT level, UINT x, UINT y) const;

  D3DFORMAT format;
  D3DPOOL pool;
  std::vector<Level> levels;
  ULONG refs = 1;
  bool failLock = false;
  int *liveCounter = nullptr;  // decremented when the last reference goes
};

class FakeDevice final : public IDirect3DDevice9 {
 public:
  FakeDevice() { std::memset(&caps, 0, sizeof(caps)); caps.MaxTextureWidth = caps.MaxTextureHeight = 4096; }
  ~FakeDevice();

  HRESULT WINAPI QueryInterface(REFIID, void **) override { return E_NOINTERFACE; }
  ULONG WINAPI AddRef() override { return 1; }
  ULONG WINAPI Release() override { return 1; }
  HRESULT WINAPI GetDirect3D(IDirect3D9 **) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetDeviceCaps(D3DCAPS9 *pCaps) override { *pCaps = caps; return D3D_OK; }
  HRESULT WINAPI Present(const RECT *, const RECT *, HWND, const RGNDATA *) override { return D3D_OK; }
  HRESULT WINAPI GetBackBuffer(UINT, UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface9 **) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT WINAPI CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                               IDirect3DTexture9 **ppTexture, HANDLE *pSharedHandle) override;
  HRESULT WINAPI CreateVertexBuffer(UINT, DWORD, DWORD, D3DPOOL, IDirect3DVertexBuffer9 **, HANDLE *) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT WINAPI CreateIndexBuffer(UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DIndexBuffer9 **, HANDLE *) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT WINAPI GetRenderTargetData(IDirect3DSurface9 *, IDirect3DSurface9 *) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI CreateOffscreenPlainSurface(UINT, UINT, D3DFORMAT, D3DPOOL, IDirect3DSurface9 **, HANDLE *) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT WINAPI BeginScene() override { return D3D_OK; }
  HRESULT WINAPI EndScene() override { return D3D_OK; }
  HRESULT WINAPI Clear(DWORD, const D3DRECT *, DWORD, D3DCOLOR, float, DWORD) override { return D3D_OK; }
  HRESULT WINAPI SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX *pMatrix) override {
    transforms[State] = *pMatrix;
    ++setTransformCalls;
    return D3D_OK;
  }
  HRESULT WINAPI GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX *pMatrix) override {
    *pMatrix = transforms[State];
    return D3D_OK;
  }
  HRESULT WINAPI SetViewport(const D3DVIEWPORT9 *) override { return D3D_OK; }
  HRESULT WINAPI GetViewport(D3DVIEWPORT9 *) override { return D3D_OK; }
  HRESULT WINAPI SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return D3D_OK; }
  HRESULT WINAPI GetRenderState(D3DRENDERSTATETYPE, DWORD *) override { return D3D_OK; }
  HRESULT WINAPI GetTexture(DWORD Stage, IDirect3DBaseTexture9 **ppTexture) override {
    *ppTexture = boundTextures[Stage];
    return D3D_OK;
  }
  HRESULT WINAPI SetTexture(DWORD Stage, IDirect3DBaseTexture9 *pTexture) override {
    boundTextures[Stage] = pTexture;
    setTextureCalls.push_back({Stage, pTexture});
    return D3D_OK;
  }
  HRESULT WINAPI GetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD *) override { return D3D_OK; }
  HRESULT WINAPI SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override { return D3D_OK; }
  HRESULT WINAPI GetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD *) override { return D3D_OK; }
  HRESULT WINAPI SetSamplerState(DWORD, D3DSAMPLERSTATETYPE, DWORD) override { return D3D_OK; }
  HRESULT WINAPI DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT) override { return D3D_OK; }
  HRESULT WINAPI DrawIndexedPrimitive(D3DPRIMITIVETYPE, INT, UINT, UINT, UINT, UINT) override { return D3D_OK; }
  HRESULT WINAPI DrawPrimitiveUP(D3DPRIMITIVETYPE, UINT, const void *, UINT) override { return D3D_OK; }
  HRESULT WINAPI CreateVertexDeclaration(const D3DVERTEXELEMENT9 *, IDirect3DVertexDeclaration9 **) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT WINAPI SetVertexDeclaration(IDirect3DVertexDeclaration9 *) override { return D3D_OK; }
  HRESULT WINAPI SetFVF(DWORD) override { return D3D_OK; }
  HRESULT WINAPI GetFVF(DWORD *) override { return D3D_OK; }
  HRESULT WINAPI CreateVertexShader(const DWORD *, IDirect3DVertexShader9 **) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI SetVertexShader(IDirect3DVertexShader9 *) override { return D3D_OK; }
  HRESULT WINAPI SetVertexShaderConstantF(UINT, const float *, UINT) override { return D3D_OK; }
  HRESULT WINAPI GetVertexShaderConstantF(UINT, float *, UINT) override { return D3D_OK; }
  HRESULT WINAPI SetStreamSource(UINT, IDirect3DVertexBuffer9 *, UINT, UINT) override { return D3D_OK; }
  HRESULT WINAPI SetIndices(IDirect3DIndexBuffer9 *) override { return D3D_OK; }

  struct TextureCall {
    DWORD stage;
    IDirect3DBaseTexture9 *texture;
  };

  D3DCAPS9 caps;
  bool failCreateTexture = false;
  bool failLockRect = false;                  // textures made from now on refuse LockRect
  std::vector<D3DFORMAT> unsupportedFormats;  // CreateTexture refuses these
  std::map<int, D3DMATRIX> transforms;
  int setTransformCalls = 0;
  std::map<DWORD, IDirect3DBaseTexture9 *> boundTextures;
  std::vector<TextureCall> setTextureCalls;
  int liveTextures = 0;   // textures created and not yet released to zero
  int createdTextures = 0;
};

}  // namespace zeltest
