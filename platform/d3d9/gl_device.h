// The OpenGL device: IDirect3DDevice9 on an OpenGL 3.3 core context. Setters store state
// and mark dirty groups (device_state.h); only the draw path, Clear, Present and readbacks
// talk to GL. The back buffer is a framebuffer object of the asked size with no alpha
// channel; Present scales it onto the window.
#pragma once

#include <d3d9.h>
#include <epoxy/gl.h>

#include <cstdint>
#include <vector>

#include "platform/d3d9/com_object.h"
#include "platform/d3d9/device_state.h"
#include "platform/d3d9/fixed_function.h"
#include "platform/d3d9/gl_programs.h"
#include "platform/d3d9/gl_state_cache.h"
#include "platform/d3d9/vertex_layout.h"

struct SDL_Window;

namespace zel::d3d9 {

class GlVertexShader;
class GlTexture;
class GlVertexBuffer;
class GlIndexBuffer;
class GlVertexDeclaration;

class GlDevice final : public ComObject<IDirect3DDevice9> {
 public:
  // D3DERR_NOTAVAILABLE when no OpenGL 3.3 core context can be made on the window.
  static HRESULT Create(IDirect3D9 *d3d, SDL_Window *window, const D3DPRESENT_PARAMETERS &pp, GlDevice **out);

  // ---- for the objects of this device and the benchmark ----
  void MakeCurrent();
  GlStateCache &Gl() { return gl_; }
  void ForgetObject(const void *object);  // an object of this device is dying
  void ForgetVertexShader(uint32_t shaderId) { programs_.ForgetVertexShader(shaderId); }
  uint32_t NextShaderId() { return ++shaderIds_; }
  size_t ProgramCount() const { return programs_.Size(); }

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
  GlDevice(IDirect3D9 *d3d, SDL_Window *window, void *context, const D3DPRESENT_PARAMETERS &pp);
  ~GlDevice() override;
  bool InitGl();
  // The back buffer's format: the one asked for, or the desktop's for a windowed "unknown".
  D3DFORMAT BackBufferFormat() const;

  // Draw path (gl_device_draw.cpp).
  bool PrepareDraw();  // false: nothing can be drawn with this state (no program)
  void ApplyVertexLayout();
  bool DiffuseIsOpaqueWhite() const;  // every vertex the stream holds has colour 0xFFFFFFFF
  void ApplyTextures();
  void ApplyProgram();
  void ApplyUniforms();
  void ApplyBlend();
  void ApplyDepthAndStencil();
  void ApplyRaster();
  void ApplySamplers();
  void ApplyVertexInput(GLuint upBuffer);
  void ApplyViewport();
  // Copies vertices of a DrawPrimitiveUP into the streaming buffer; returns the first vertex.
  GLint StreamUserVertices(const void *data, UINT bytes, UINT stride);

  IDirect3D9 *d3d_;
  SDL_Window *window_;
  void *context_;  // SDL_GLContext
  D3DPRESENT_PARAMETERS pp_;
  UINT width_, height_;  // back buffer, pixels
  bool clipControl_ = false;
  bool inScene_ = false;

  GlStateCache gl_;
  GLuint fbo_ = 0, colorBuffer_ = 0, depthBuffer_ = 0, vao_ = 0;
  GLuint samplers_[kMaxSamplers] = {};
  GLuint upBuffer_ = 0;  // streaming vertex buffer for DrawPrimitiveUP
  UINT upCapacity_ = 0, upOffset_ = 0;

  DeviceState state_;
  uint32_t dirty_ = kDirtyAll;
  uint32_t dirtyTextures_ = 0xffff, dirtySamplers_ = 0xffff;  // bit per sampler
  DWORD appliedSamplers_[kMaxSamplers][kMaxSamplerState];     // as last sent to GL
  bool samplerApplied_[kMaxSamplers] = {};

  VertexLayout fvfLayout_;  // decoded state_.fvf
  DWORD fvfLayoutCode_ = 0xffffffffu;
  const VertexLayout *layout_ = nullptr;
  int diffuseElement_ = -1;          // layout_'s D3DCOLOR COLOR0 element, -1 for none
  bool opaqueWhiteDiffuse_ = false;  // key_ was built for a colour that is white everywhere
  uint32_t texturesBound_ = 0;  // bit per stage
  uint32_t enabledAttribs_ = 0;
  GLuint boundIndexBuffer_ = 0xffffffffu;
  // The bound objects as our own types (null for none, or for an object of another device),
  // resolved when they are set so the draw path never casts.
  const GlVertexShader *vertexShader_ = nullptr;
  const GlVertexDeclaration *declaration_ = nullptr;
  const GlTexture *textureObjects_[kMaxSamplers] = {};
  const GlVertexBuffer *streamBuffers_[kMaxStreams] = {};
  const GlIndexBuffer *indexBuffer_ = nullptr;
  bool drawingUserVertices_ = false;  // stream 0 is the streaming buffer for this draw
  UINT upStride_ = 0;
  UINT stream0Vertices_ = 0;          // whole vertices stream 0 holds past its offset

  ProgramKey key_{};
  GlProgram *program_ = nullptr;
  ProgramCache programs_;
  uint32_t shaderIds_ = 0;

  float worldViewProj_[16];
  uint32_t transformSerial_ = 1, viewportSerial_ = 1, pixelSerial_ = 1, ambientSerial_ = 1, constantSerial_ = 1;
  UINT constantsUsed_ = 0;  // vertex shader registers ever written: uploads cover [0, this)
};

}  // namespace zel::d3d9
