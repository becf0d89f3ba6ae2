// GlDevice: Clear, Present and reading the back buffer back into system-memory surfaces.
#include <SDL.h>

#include <algorithm>
#include <new>

#include "platform/d3d9/gl_convert.h"
#include "platform/d3d9/gl_device.h"
#include "platform/d3d9/gl_surface.h"
#include "platform/d3d9/letterbox.h"

namespace zel::d3d9 {
namespace {

constexpr UINT kMaxPlainSurfaceSide = 16384;  // pixels; larger asks are refused, not tried

}  // namespace

HRESULT GlDevice::Clear(DWORD Count, const D3DRECT *pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD Stencil) {
  if (Count != 0 && pRects == nullptr) return D3DERR_INVALIDCALL;
  if ((Flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !pp_.EnableAutoDepthStencil) return D3DERR_INVALIDCALL;
  MakeCurrent();
  GLbitfield bits = 0;
  // Clearing ignores the write masks of the render state, as on the platform.
  if (Flags & D3DCLEAR_TARGET) {
    float c[4];
    ColorToFloats(Color, c);
    glClearColor(c[0], c[1], c[2], c[3]);
    gl_.ColorMask(0xf);
    bits |= GL_COLOR_BUFFER_BIT;
  }
  if (Flags & D3DCLEAR_ZBUFFER) {
    glClearDepth(std::clamp(Z, 0.0f, 1.0f));
    gl_.DepthMask(true);
    bits |= GL_DEPTH_BUFFER_BIT;
  }
  if (Flags & D3DCLEAR_STENCIL) {
    glClearStencil(static_cast<GLint>(Stencil & 0xff));
    gl_.StencilWriteMask(0xff);
    bits |= GL_STENCIL_BUFFER_BIT;
  }
  if (bits == 0) return D3D_OK;
  // Only the viewport is cleared, and of it only the rectangles when some are given.
  gl_.Enable(GL_SCISSOR_TEST, true);
  for (const RECT &r : ClearedRects(state_.viewport, Count, pRects)) {
    if (r.right <= r.left || r.bottom <= r.top) continue;
    gl_.Scissor(r.left, static_cast<GLint>(height_) - r.bottom, r.right - r.left, r.bottom - r.top);
    glClear(bits);
  }
  gl_.Enable(GL_SCISSOR_TEST, false);
  dirty_ |= kDirtyBlend | kDirtyDepth | kDirtyStencil;
  return D3D_OK;
}

HRESULT GlDevice::Present(const RECT *, const RECT *, HWND, const RGNDATA *) {
  MakeCurrent();
  int w = 0, h = 0;
  SDL_GL_GetDrawableSize(window_, &w, &h);  // pixels, larger than points on a high-DPI surface
  // The back buffer keeps its shape on a drawable of another shape (a resized window, a
  // desktop-size full screen): scaled to fit, centred, black bars on the rest.
  GLint bw = static_cast<GLint>(width_), bh = static_cast<GLint>(height_);
  LetterboxRect fit = FitWithBars(bw, bh, w, h);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  gl_.Enable(GL_SCISSOR_TEST, false);
  gl_.ColorMask(0xf);
  if (fit.width != w || fit.height != h) {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
  bool same = fit.width == bw && fit.height == bh;
  glBlitFramebuffer(0, 0, bw, bh, fit.x, fit.y, fit.x + fit.width, fit.y + fit.height, GL_COLOR_BUFFER_BIT,
                    same ? GL_NEAREST : GL_LINEAR);
  SDL_GL_SwapWindow(window_);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  dirty_ |= kDirtyBlend;  // the colour mask
  return D3D_OK;
}

// ---- reading back ----

D3DFORMAT GlDevice::BackBufferFormat() const {
  return pp_.BackBufferFormat == D3DFMT_UNKNOWN ? D3DFMT_X8R8G8B8 : pp_.BackBufferFormat;
}

HRESULT GlDevice::GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE, IDirect3DSurface9 **ppBackBuffer) {
  if (ppBackBuffer == nullptr) return D3DERR_INVALIDCALL;
  *ppBackBuffer = nullptr;
  if (iSwapChain != 0 || iBackBuffer != 0) return D3DERR_INVALIDCALL;  // one swap chain, one back buffer
  // Each call hands out a new view of the one colour buffer; the caller releases it.
  *ppBackBuffer = new GlSurface(this, GlSurface::Kind::BackBuffer, width_, height_, BackBufferFormat());
  return D3D_OK;
}

HRESULT GlDevice::CreateOffscreenPlainSurface(UINT Width, UINT Height, D3DFORMAT Format, D3DPOOL Pool,
                                              IDirect3DSurface9 **ppSurface, HANDLE *pSharedHandle) {
  if (ppSurface == nullptr) return D3DERR_INVALIDCALL;
  *ppSurface = nullptr;
  if (Width == 0 || Height == 0 || Width > kMaxPlainSurfaceSide || Height > kMaxPlainSurfaceSide ||
      pSharedHandle != nullptr)
    return D3DERR_INVALIDCALL;
  // Only what a readback needs: system memory, the back buffer's 32-bit formats.
  if (Pool != D3DPOOL_SYSTEMMEM || (Format != D3DFMT_X8R8G8B8 && Format != D3DFMT_A8R8G8B8))
    return D3DERR_INVALIDCALL;
  try {
    *ppSurface = new GlSurface(this, GlSurface::Kind::SystemMemory, Width, Height, Format);
  } catch (const std::bad_alloc &) {
    return E_OUTOFMEMORY;
  }
  return D3D_OK;
}

HRESULT GlDevice::GetRenderTargetData(IDirect3DSurface9 *pRenderTarget, IDirect3DSurface9 *pDestSurface) {
  auto *source = dynamic_cast<GlSurface *>(pRenderTarget);
  auto *dest = dynamic_cast<GlSurface *>(pDestSurface);
  if (source == nullptr || dest == nullptr || source->Owner() != this || dest->Owner() != this)
    return D3DERR_INVALIDCALL;
  if (source->SurfaceKind() != GlSurface::Kind::BackBuffer || dest->SurfaceKind() != GlSurface::Kind::SystemMemory ||
      dest->Locked())
    return D3DERR_INVALIDCALL;
  if (dest->Width() != width_ || dest->Height() != height_ || dest->Format() != source->Format())
    return D3DERR_INVALIDCALL;  // the platform converts neither size nor format here
  MakeCurrent();
  glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
  dest->StartCopy();
  return D3D_OK;
}

}  // namespace zel::d3d9
