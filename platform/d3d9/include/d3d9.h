// Stand-in for <d3d9.h>: the Direct3D 9 interfaces Zel 16 uses, as abstract classes with
// the SDK's method names and parameter types. The OpenGL implementation lives in
// platform/d3d9/; tests substitute a recording device behind the same interfaces. The
// implementation's own switches are in zel_d3d9_ext.h.
#pragma once

#include <windows.h>
#include "d3d9types.h"

#define D3D_SDK_VERSION 32
#define D3D9b_SDK_VERSION 31

#define _FACD3D 0x876
#define MAKE_D3DHRESULT(code) MAKE_HRESULT(1, _FACD3D, code)
#define MAKE_D3DSTATUS(code) MAKE_HRESULT(0, _FACD3D, code)
#define D3D_OK S_OK
#define D3DERR_WRONGTEXTUREFORMAT MAKE_D3DHRESULT(2072)
#define D3DERR_UNSUPPORTEDCOLOROPERATION MAKE_D3DHRESULT(2073)
#define D3DERR_TOOMANYOPERATIONS MAKE_D3DHRESULT(2077)
#define D3DERR_CONFLICTINGRENDERSTATE MAKE_D3DHRESULT(2081)
#define D3DERR_DRIVERINTERNALERROR MAKE_D3DHRESULT(2087)
#define D3DERR_NOTFOUND MAKE_D3DHRESULT(2150)
#define D3DERR_MOREDATA MAKE_D3DHRESULT(2151)
#define D3DERR_DEVICELOST MAKE_D3DHRESULT(2152)
#define D3DERR_DEVICENOTRESET MAKE_D3DHRESULT(2153)
#define D3DERR_NOTAVAILABLE MAKE_D3DHRESULT(2154)
#define D3DERR_OUTOFVIDEOMEMORY MAKE_D3DHRESULT(380)
#define D3DERR_INVALIDDEVICE MAKE_D3DHRESULT(2155)
#define D3DERR_INVALIDCALL MAKE_D3DHRESULT(2156)
#define D3DERR_DRIVERINVALIDCALL MAKE_D3DHRESULT(2157)
#define D3DERR_WASSTILLDRAWING MAKE_D3DHRESULT(540)

struct IDirect3D9;
struct IDirect3DDevice9;
struct IDirect3DResource9;
struct IDirect3DBaseTexture9;
struct IDirect3DTexture9;
struct IDirect3DVertexBuffer9;
struct IDirect3DIndexBuffer9;
struct IDirect3DSurface9;
struct IDirect3DVertexDeclaration9;
struct IDirect3DVertexShader9;
typedef IDirect3D9 *LPDIRECT3D9;
typedef IDirect3DDevice9 *LPDIRECT3DDEVICE9;
typedef IDirect3DTexture9 *LPDIRECT3DTEXTURE9;
typedef IDirect3DBaseTexture9 *LPDIRECT3DBASETEXTURE9;
typedef IDirect3DVertexBuffer9 *LPDIRECT3DVERTEXBUFFER9;
typedef IDirect3DIndexBuffer9 *LPDIRECT3DINDEXBUFFER9;
typedef IDirect3DSurface9 *LPDIRECT3DSURFACE9;
typedef IDirect3DVertexDeclaration9 *LPDIRECT3DVERTEXDECLARATION9;
typedef IDirect3DVertexShader9 *LPDIRECT3DVERTEXSHADER9;

struct IDirect3D9 : public IUnknown {
  virtual UINT WINAPI GetAdapterCount() = 0;
  virtual HRESULT WINAPI GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE *pMode) = 0;
  virtual HRESULT WINAPI GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS9 *pCaps) = 0;
  virtual HRESULT WINAPI CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow,
                                      DWORD BehaviorFlags, D3DPRESENT_PARAMETERS *pPresentationParameters,
                                      IDirect3DDevice9 **ppReturnedDeviceInterface) = 0;
};

struct IDirect3DResource9 : public IUnknown {
  virtual HRESULT WINAPI GetDevice(IDirect3DDevice9 **ppDevice) = 0;
  virtual D3DRESOURCETYPE WINAPI GetType() = 0;
};

struct IDirect3DBaseTexture9 : public IDirect3DResource9 {
  virtual DWORD WINAPI GetLevelCount() = 0;
};

struct IDirect3DTexture9 : public IDirect3DBaseTexture9 {
  virtual HRESULT WINAPI GetLevelDesc(UINT Level, D3DSURFACE_DESC *pDesc) = 0;
  virtual HRESULT WINAPI LockRect(UINT Level, D3DLOCKED_RECT *pLockedRect, const RECT *pRect, DWORD Flags) = 0;
  virtual HRESULT WINAPI UnlockRect(UINT Level) = 0;
};

struct IDirect3DVertexBuffer9 : public IDirect3DResource9 {
  virtual HRESULT WINAPI Lock(UINT OffsetToLock, UINT SizeToLock, void **ppbData, DWORD Flags) = 0;
  virtual HRESULT WINAPI Unlock() = 0;
  virtual HRESULT WINAPI GetDesc(D3DVERTEXBUFFER_DESC *pDesc) = 0;
};

struct IDirect3DIndexBuffer9 : public IDirect3DResource9 {
  virtual HRESULT WINAPI Lock(UINT OffsetToLock, UINT SizeToLock, void **ppbData, DWORD Flags) = 0;
  virtual HRESULT WINAPI Unlock() = 0;
  virtual HRESULT WINAPI GetDesc(D3DINDEXBUFFER_DESC *pDesc) = 0;
};

// A surface: the back buffer (readable with GetRenderTargetData, not lockable) or a plain
// surface in system memory (lockable), the destination of a readback.
struct IDirect3DSurface9 : public IDirect3DResource9 {
  virtual HRESULT WINAPI GetDesc(D3DSURFACE_DESC *pDesc) = 0;
  virtual HRESULT WINAPI LockRect(D3DLOCKED_RECT *pLockedRect, const RECT *pRect, DWORD Flags) = 0;
  virtual HRESULT WINAPI UnlockRect() = 0;
};

struct IDirect3DVertexDeclaration9 : public IUnknown {
  virtual HRESULT WINAPI GetDevice(IDirect3DDevice9 **ppDevice) = 0;
  virtual HRESULT WINAPI GetDeclaration(D3DVERTEXELEMENT9 *pElement, UINT *pNumElements) = 0;
};

struct IDirect3DVertexShader9 : public IUnknown {
  virtual HRESULT WINAPI GetDevice(IDirect3DDevice9 **ppDevice) = 0;
  virtual HRESULT WINAPI GetFunction(void *pData, UINT *pSizeOfData) = 0;
};

// The device: the methods in the SDK's interface order, limited to those the program,
// its utility library and its tools call.
struct IDirect3DDevice9 : public IUnknown {
  virtual HRESULT WINAPI GetDirect3D(IDirect3D9 **ppD3D9) = 0;
  virtual HRESULT WINAPI GetDeviceCaps(D3DCAPS9 *pCaps) = 0;
  virtual HRESULT WINAPI Present(const RECT *pSourceRect, const RECT *pDestRect, HWND hDestWindowOverride,
                                 const RGNDATA *pDirtyRegion) = 0;
  // A new reference to back buffer iBackBuffer (0: the only one) of swap chain 0.
  virtual HRESULT WINAPI GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                                       IDirect3DSurface9 **ppBackBuffer) = 0;
  virtual HRESULT WINAPI CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format,
                                       D3DPOOL Pool, IDirect3DTexture9 **ppTexture, HANDLE *pSharedHandle) = 0;
  virtual HRESULT WINAPI CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                            IDirect3DVertexBuffer9 **ppVertexBuffer, HANDLE *pSharedHandle) = 0;
  virtual HRESULT WINAPI CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                           IDirect3DIndexBuffer9 **ppIndexBuffer, HANDLE *pSharedHandle) = 0;
  // Copies the render target into a system-memory surface of its size and format. On the
  // OpenGL device the copy is asynchronous: the call starts it and returns; LockRect of the
  // destination waits for it (or, with D3DLOCK_DONOTWAIT, answers D3DERR_WASSTILLDRAWING
  // until it is done). See zel_d3d9_ext.h for reading frames back in a ring.
  virtual HRESULT WINAPI GetRenderTargetData(IDirect3DSurface9 *pRenderTarget, IDirect3DSurface9 *pDestSurface) = 0;
  // A plain surface; this implementation makes them in D3DPOOL_SYSTEMMEM only, in
  // D3DFMT_X8R8G8B8 or D3DFMT_A8R8G8B8.
  virtual HRESULT WINAPI CreateOffscreenPlainSurface(UINT Width, UINT Height, D3DFORMAT Format, D3DPOOL Pool,
                                                     IDirect3DSurface9 **ppSurface, HANDLE *pSharedHandle) = 0;
  virtual HRESULT WINAPI BeginScene() = 0;
  virtual HRESULT WINAPI EndScene() = 0;
  virtual HRESULT WINAPI Clear(DWORD Count, const D3DRECT *pRects, DWORD Flags, D3DCOLOR Color, float Z,
                               DWORD Stencil) = 0;
  virtual HRESULT WINAPI SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX *pMatrix) = 0;
  virtual HRESULT WINAPI GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX *pMatrix) = 0;
  virtual HRESULT WINAPI SetViewport(const D3DVIEWPORT9 *pViewport) = 0;
  virtual HRESULT WINAPI GetViewport(D3DVIEWPORT9 *pViewport) = 0;
  virtual HRESULT WINAPI SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) = 0;
  virtual HRESULT WINAPI GetRenderState(D3DRENDERSTATETYPE State, DWORD *pValue) = 0;
  virtual HRESULT WINAPI GetTexture(DWORD Stage, IDirect3DBaseTexture9 **ppTexture) = 0;
  virtual HRESULT WINAPI SetTexture(DWORD Stage, IDirect3DBaseTexture9 *pTexture) = 0;
  virtual HRESULT WINAPI GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD *pValue) = 0;
  virtual HRESULT WINAPI SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) = 0;
  virtual HRESULT WINAPI GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD *pValue) = 0;
  virtual HRESULT WINAPI SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) = 0;
  virtual HRESULT WINAPI DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) = 0;
  virtual HRESULT WINAPI DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex,
                                              UINT MinVertexIndex, UINT NumVertices, UINT startIndex,
                                              UINT primCount) = 0;
  virtual HRESULT WINAPI DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                         const void *pVertexStreamZeroData, UINT VertexStreamZeroStride) = 0;
  virtual HRESULT WINAPI CreateVertexDeclaration(const D3DVERTEXELEMENT9 *pVertexElements,
                                                 IDirect3DVertexDeclaration9 **ppDecl) = 0;
  virtual HRESULT WINAPI SetVertexDeclaration(IDirect3DVertexDeclaration9 *pDecl) = 0;
  virtual HRESULT WINAPI SetFVF(DWORD FVF) = 0;
  virtual HRESULT WINAPI GetFVF(DWORD *pFVF) = 0;
  virtual HRESULT WINAPI CreateVertexShader(const DWORD *pFunction, IDirect3DVertexShader9 **ppShader) = 0;
  virtual HRESULT WINAPI SetVertexShader(IDirect3DVertexShader9 *pShader) = 0;
  virtual HRESULT WINAPI SetVertexShaderConstantF(UINT StartRegister, const float *pConstantData,
                                                  UINT Vector4fCount) = 0;
  virtual HRESULT WINAPI GetVertexShaderConstantF(UINT StartRegister, float *pConstantData,
                                                  UINT Vector4fCount) = 0;
  virtual HRESULT WINAPI SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9 *pStreamData,
                                         UINT OffsetInBytes, UINT Stride) = 0;
  virtual HRESULT WINAPI SetIndices(IDirect3DIndexBuffer9 *pIndexData) = 0;
};

IDirect3D9 *WINAPI Direct3DCreate9(UINT SDKVersion);
