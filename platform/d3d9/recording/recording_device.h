// A device that draws nothing: it logs every call with its arguments, keeps the current
// state (with the platform's defaults and argument checks) and gives tests the data written
// into its buffers and textures. Call-sequence tests of the drawing code run on it. Its back
// buffer holds what Clear wrote and reads back like the OpenGL device's.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/d3d9/com_object.h"
#include "platform/d3d9/device_state.h"
#include "platform/d3d9/resource_memory.h"

namespace zel::d3d9 {

struct RecordedCall {
  std::string method;              // "SetRenderState"
  std::vector<std::string> args;   // {"D3DRS_ZENABLE", "1"}; objects by name ("TEX1"), null as "NULL"
  HRESULT result = D3D_OK;
  std::string Text() const;        // "SetRenderState(D3DRS_ZENABLE, 1)"
};

// The state in force at one draw call.
struct RecordedDraw {
  size_t callIndex;  // into Calls()
  D3DPRIMITIVETYPE type;
  UINT primitiveCount;
  DeviceState state;
};

class RecordingDevice : public ComObject<IDirect3DDevice9> {
 public:
  // A new device (reference count 1) with a back buffer of the given size.
  static RecordingDevice *Create(UINT width = 800, UINT height = 600);

  // ---- for tests ----
  const std::vector<RecordedCall> &Calls() const { return calls_; }
  std::vector<std::string> CallTexts() const;
  // Calls whose method is the given name, in order.
  std::vector<RecordedCall> CallsTo(const std::string &method) const;
  size_t CountCalls(const std::string &method) const;
  const std::vector<RecordedDraw> &Draws() const { return draws_; }
  void ClearLog();  // forgets calls and draws, keeps state and objects

  const DeviceState &State() const { return state_; }
  DWORD RenderState(D3DRENDERSTATETYPE s) const { return state_.renderStates[s]; }
  DWORD StageState(DWORD stage, D3DTEXTURESTAGESTATETYPE t) const { return state_.stageStates[stage][t]; }
  DWORD SamplerState(DWORD sampler, D3DSAMPLERSTATETYPE t) const { return state_.samplerStates[sampler][t]; }
  const D3DMATRIX &Transform(D3DTRANSFORMSTATETYPE t) const;

  // Name given to an object this device created ("VB1", "IB1", "TEX1", "DECL1", "VS1"), or "NULL".
  std::string NameOf(const void *object) const;
  // Makes every later call of the named Create* method fail with hr (S_OK: succeed again).
  void SetCreateFailure(const std::string &method, HRESULT hr);
  // A weaker device, to see how callers cope: smaller textures (in the caps and in
  // CreateTexture), texture formats CreateTexture refuses, texture locks that fail with hr
  // (S_OK: succeed again), and textures made from now on with rows longer than their texels.
  void SetMaxTextureSize(UINT width, UINT height);
  void RefuseTextureFormat(D3DFORMAT format);
  void SetTextureLockFailure(HRESULT hr) { textureLockFailure_ = hr; }
  HRESULT TextureLockFailure() const { return textureLockFailure_; }
  void PadTextureRows(UINT bytes) { textureRowPadding_ = bytes; }
  UINT TextureRowPadding() const { return textureRowPadding_; }
  // How many objects this device made with the given name prefix ("TEX") are still alive,
  // and how many it made in all.
  size_t LiveObjects(const std::string &prefix) const;
  size_t MadeObjects(const std::string &prefix) const;

  // What was written into objects this device created (null for a foreign object).
  static const BufferMemory *VertexData(IDirect3DVertexBuffer9 *vb);
  static const BufferMemory *IndexData(IDirect3DIndexBuffer9 *ib);
  static const TextureMemory *TextureData(IDirect3DBaseTexture9 *texture);
  static std::vector<D3DVERTEXELEMENT9> DeclarationElements(IDirect3DVertexDeclaration9 *decl);
  static std::vector<DWORD> ShaderTokens(IDirect3DVertexShader9 *shader);

  // Called by objects of this device as they die: their bindings are dropped.
  void ForgetObject(const void *object);

  // ---- IDirect3DDevice9 ----
  HRESULT WINAPI GetDirect3D(IDirect3D9 **ppD3D9) override;
  HRESULT WINAPI GetDeviceCaps(D3DCAPS9 *pCaps) override;
  HRESULT WINAPI Present(const RECT *pSourceRect, const RECT *pDestRect, HWND hDestWindowOverride,
                         const RGNDATA *pDirtyRegion) override;
  HRESULT WINAPI GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                               IDirect3DSurface9 **ppBackBuffer) override;
  HRESULT WINAPI CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                               IDirect3DTexture9 **ppTexture, HANDLE *pSharedHandle) override;
  HRESULT WINAPI CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                    IDirect3DVertexBuffer9 **ppVertexBuffer, HANDLE *pSharedHandle) override;
  HRESULT WINAPI CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                   IDirect3DIndexBuffer9 **ppIndexBuffer, HANDLE *pSharedHandle) override;
  HRESULT WINAPI GetRenderTargetData(IDirect3DSurface9 *pRenderTarget, IDirect3DSurface9 *pDestSurface) override;
  HRESULT WINAPI CreateOffscreenPlainSurface(UINT Width, UINT Height, D3DFORMAT Format, D3DPOOL Pool,
                                             IDirect3DSurface9 **ppSurface, HANDLE *pSharedHandle) override;
  HRESULT WINAPI BeginScene() override;
  HRESULT WINAPI EndScene() override;
  HRESULT WINAPI Clear(DWORD Count, const D3DRECT *pRects, DWORD Flags, D3DCOLOR Color, float Z,
                       DWORD Stencil) override;
  HRESULT WINAPI SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX *pMatrix) override;
  HRESULT WINAPI GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX *pMatrix) override;
  HRESULT WINAPI SetViewport(const D3DVIEWPORT9 *pViewport) override;
  HRESULT WINAPI GetViewport(D3DVIEWPORT9 *pViewport) override;
  HRESULT WINAPI SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override;
  HRESULT WINAPI GetRenderState(D3DRENDERSTATETYPE State, DWORD *pValue) override;
  HRESULT WINAPI GetTexture(DWORD Stage, IDirect3DBaseTexture9 **ppTexture) override;
  HRESULT WINAPI SetTexture(DWORD Stage, IDirect3DBaseTexture9 *pTexture) override;
  HRESULT WINAPI GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD *pValue) override;
  HRESULT WINAPI SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) override;
  HRESULT WINAPI GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD *pValue) override;
  HRESULT WINAPI SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) override;
  HRESULT WINAPI DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) override;
  HRESULT WINAPI DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex, UINT MinVertexIndex,
                                      UINT NumVertices, UINT startIndex, UINT primCount) override;
  HRESULT WINAPI DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                 const void *pVertexStreamZeroData, UINT VertexStreamZeroStride) override;
  HRESULT WINAPI CreateVertexDeclaration(const D3DVERTEXELEMENT9 *pVertexElements,
                                         IDirect3DVertexDeclaration9 **ppDecl) override;
  HRESULT WINAPI SetVertexDeclaration(IDirect3DVertexDeclaration9 *pDecl) override;
  HRESULT WINAPI SetFVF(DWORD FVF) override;
  HRESULT WINAPI GetFVF(DWORD *pFVF) override;
  HRESULT WINAPI CreateVertexShader(const DWORD *pFunction, IDirect3DVertexShader9 **ppShader) override;
  HRESULT WINAPI SetVertexShader(IDirect3DVertexShader9 *pShader) override;
  HRESULT WINAPI SetVertexShaderConstantF(UINT StartRegister, const float *pConstantData,
                                          UINT Vector4fCount) override;
  HRESULT WINAPI GetVertexShaderConstantF(UINT StartRegister, float *pConstantData, UINT Vector4fCount) override;
  HRESULT WINAPI SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9 *pStreamData, UINT OffsetInBytes,
                                 UINT Stride) override;
  HRESULT WINAPI SetIndices(IDirect3DIndexBuffer9 *pIndexData) override;

 private:
  RecordingDevice(UINT width, UINT height);
  HRESULT Log(HRESULT hr, const char *method, std::vector<std::string> args);
  HRESULT CreateResult(const char *method) const;
  template <class Object, class Interface, class... Args>
  HRESULT Make(const char *method, const char *prefix, std::vector<std::string> args, bool valid, Interface **out,
               Args... made);
  std::string Name(const void *object) const;
  std::string Remember(const void *object, const char *prefix);
  HRESULT RecordDraw(HRESULT hr, D3DPRIMITIVETYPE type, UINT count);
  // Clear's effect on the back buffer's pixels (recording_surface.cpp).
  void FillBackBuffer(DWORD count, const D3DRECT *rects, D3DCOLOR color);
  std::vector<uint8_t> &BackBufferPixels();

  UINT width_, height_;  // back buffer, pixels
  // X8R8G8B8 rows from the top, made on first use: this device draws nothing, so the back
  // buffer holds only what Clear wrote (black before that).
  std::vector<uint8_t> backBuffer_;
  DeviceState state_;
  bool inScene_ = false;
  std::vector<RecordedCall> calls_;
  std::vector<RecordedDraw> draws_;
  std::unordered_map<const void *, std::string> names_;
  std::map<std::string, int> nameCounters_;
  std::map<std::string, HRESULT> createFailures_;
  UINT maxTextureWidth_ = 8192, maxTextureHeight_ = 8192;
  std::vector<D3DFORMAT> refusedTextureFormats_;
  HRESULT textureLockFailure_ = D3D_OK;
  UINT textureRowPadding_ = 0;
};

}  // namespace zel::d3d9
