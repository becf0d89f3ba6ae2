// GlDevice: creation on an SDL window, teardown, object creation and the state setters.
#include "platform/d3d9/gl_device.h"

#include <SDL.h>
#include <zel_d3d9_ext.h>

#include <cstdio>
#include <cstring>
#include <new>

#include "platform/d3d9/gl_objects.h"
#include "shader/glsl_interface.h"
#include "platform/d3d9/shader_translate.h"
#include "platform/wsi/wsi.h"

namespace zel::d3d9 {
namespace {

// Each thread has at most one current context; remembering whose it is saves a GL call
// per entry point.
thread_local const GlDevice *t_currentDevice = nullptr;

}  // namespace

HRESULT GlDevice::Create(IDirect3D9 *d3d, SDL_Window *window, const D3DPRESENT_PARAMETERS &pp, GlDevice **out) {
  *out = nullptr;
  zel::wsi::SetGlAttributes();  // the context asks for 3.3 core
  SDL_GLContext context = SDL_GL_CreateContext(window);
  if (context == nullptr) {
    std::fprintf(stderr, "d3d9: no OpenGL 3.3 core context: %s\n", SDL_GetError());
    return D3DERR_NOTAVAILABLE;
  }
  if (epoxy_gl_version() < 33) {
    std::fprintf(stderr, "d3d9: OpenGL %d.%d is below 3.3\n", epoxy_gl_version() / 10, epoxy_gl_version() % 10);
    SDL_GL_DeleteContext(context);
    return D3DERR_NOTAVAILABLE;
  }
  auto *device = new GlDevice(d3d, window, context, pp);
  if (!device->InitGl()) {
    device->Release();
    return D3DERR_NOTAVAILABLE;
  }
  *out = device;
  return D3D_OK;
}

GlDevice::GlDevice(IDirect3D9 *d3d, SDL_Window *window, void *context, const D3DPRESENT_PARAMETERS &pp)
    : d3d_(d3d), window_(window), context_(context), pp_(pp) {
  d3d_->AddRef();
  t_currentDevice = this;  // SDL_GL_CreateContext made the context current
  width_ = pp.BackBufferWidth;
  height_ = pp.BackBufferHeight;
  if (width_ == 0 || height_ == 0) {
    // A windowed device with no size takes the window's client area, as on the platform.
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    width_ = width_ ? width_ : static_cast<UINT>(w > 0 ? w : 1);
    height_ = height_ ? height_ : static_cast<UINT>(h > 0 ? h : 1);
  }
  pp_.BackBufferWidth = width_;
  pp_.BackBufferHeight = height_;
  state_.Reset(width_, height_, pp.EnableAutoDepthStencil != 0);
  std::memset(appliedSamplers_, 0, sizeof appliedSamplers_);
  std::memset(worldViewProj_, 0, sizeof worldViewProj_);
}

bool GlDevice::InitGl() {
  glGenRenderbuffers(1, &colorBuffer_);
  glBindRenderbuffer(GL_RENDERBUFFER, colorBuffer_);
  // No alpha channel: destination alpha reads 1.0, as with the desktop's X8R8G8B8.
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, static_cast<GLsizei>(width_), static_cast<GLsizei>(height_));
  glGenRenderbuffers(1, &depthBuffer_);
  glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, static_cast<GLsizei>(width_),
                        static_cast<GLsizei>(height_));
  glGenFramebuffers(1, &fbo_);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorBuffer_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    std::fprintf(stderr, "d3d9: back buffer of %ux%u cannot be made\n", width_, height_);
    return false;
  }
  // The platform leaves a new back buffer undefined; ours starts black with depth 1.
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClearDepth(1.0);
  glClearStencil(0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  glGenVertexArrays(1, &vao_);
  glBindVertexArray(vao_);
  glGenSamplers(kMaxSamplers, samplers_);
  for (int i = 0; i < kMaxSamplers; ++i) glBindSampler(static_cast<GLuint>(i), samplers_[i]);
  glGenBuffers(1, &upBuffer_);

  // Direct3D conventions: depth 0..w in clip space, clockwise front faces.
  clipControl_ = epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control");
  if (clipControl_) glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
  glFrontFace(GL_CW);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  // Inputs a vertex does not have: white diffuse, black specular, (0, 0, 0, 1) elsewhere.
  glVertexAttrib4f(shader::kAttribColor0, 1.0f, 1.0f, 1.0f, 1.0f);
  glVertexAttrib4f(shader::kAttribColor1, 0.0f, 0.0f, 0.0f, 0.0f);
  bool immediate = pp_.PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE || VsyncDisabled();
  SDL_GL_SetSwapInterval(immediate ? 0 : 1);
  gl_.Invalidate();
  return true;
}

GlDevice::~GlDevice() {
  MakeCurrent();
  programs_.Clear();
  glDeleteBuffers(1, &upBuffer_);
  glDeleteSamplers(kMaxSamplers, samplers_);
  glDeleteVertexArrays(1, &vao_);
  glDeleteFramebuffers(1, &fbo_);
  glDeleteRenderbuffers(1, &colorBuffer_);
  glDeleteRenderbuffers(1, &depthBuffer_);
  SDL_GL_MakeCurrent(window_, nullptr);
  SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
  t_currentDevice = nullptr;
  d3d_->Release();
}

void GlDevice::MakeCurrent() {
  if (t_currentDevice == this) return;
  SDL_GL_MakeCurrent(window_, static_cast<SDL_GLContext>(context_));
  t_currentDevice = this;
}

void GlDevice::ForgetObject(const void *object) {
  for (int i = 0; i < kMaxSamplers; ++i) {
    if (state_.textures[i] != object) continue;
    state_.textures[i] = nullptr;
    textureObjects_[i] = nullptr;
    dirtyTextures_ |= 1u << i;
    dirty_ |= kDirtyTextures;
  }
  for (int i = 0; i < kMaxStreams; ++i) {
    if (state_.streams[i].buffer != object) continue;
    state_.streams[i] = StreamBinding{};
    streamBuffers_[i] = nullptr;
    dirty_ |= kDirtyVertexInput;
  }
  if (state_.indices == object) {
    state_.indices = nullptr;
    indexBuffer_ = nullptr;
    dirty_ |= kDirtyIndices;
  }
  if (state_.declaration == object) {
    state_.declaration = nullptr;
    declaration_ = nullptr;
    dirty_ |= kDirtyVertexInput | kDirtyProgram;
  }
  if (state_.vertexShader == object) {
    state_.vertexShader = nullptr;
    vertexShader_ = nullptr;
    dirty_ |= kDirtyProgram;
  }
}

HRESULT GlDevice::GetDirect3D(IDirect3D9 **ppD3D9) {
  if (ppD3D9 == nullptr) return D3DERR_INVALIDCALL;
  d3d_->AddRef();
  *ppD3D9 = d3d_;
  return D3D_OK;
}

HRESULT GlDevice::GetDeviceCaps(D3DCAPS9 *pCaps) {
  if (pCaps == nullptr) return D3DERR_INVALIDCALL;
  GLint maxSize = 0;
  MakeCurrent();
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
  *pCaps = D3DCAPS9{D3DDEVTYPE_HAL, 0, static_cast<DWORD>(maxSize), static_cast<DWORD>(maxSize), kMaxTextureStages,
                    D3DVS_VERSION(1, 1), kMaxVertexShaderConst};
  return D3D_OK;
}

// ---- creation ----

HRESULT GlDevice::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                IDirect3DTexture9 **ppTexture, HANDLE *pSharedHandle) {
  if (ppTexture == nullptr) return D3DERR_INVALIDCALL;
  *ppTexture = nullptr;
  GlTextureFormat format;
  GLint maxSize = 8192;
  if (Width == 0 || Height == 0 || Width > static_cast<UINT>(maxSize) || Height > static_cast<UINT>(maxSize) ||
      pSharedHandle != nullptr || (Usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) != 0)
    return D3DERR_INVALIDCALL;
  if (!GlTextureFormatFor(Format, &format) || FormatBytesPerPixel(Format) == 0) return D3DERR_INVALIDCALL;
  try {
    *ppTexture = new GlTexture(this, Width, Height, Levels, Usage, Format, Pool);
  } catch (const std::bad_alloc &) {
    return E_OUTOFMEMORY;
  }
  return D3D_OK;
}

HRESULT GlDevice::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                     IDirect3DVertexBuffer9 **ppVertexBuffer, HANDLE *pSharedHandle) {
  if (ppVertexBuffer == nullptr) return D3DERR_INVALIDCALL;
  *ppVertexBuffer = nullptr;
  if (Length == 0 || pSharedHandle != nullptr) return D3DERR_INVALIDCALL;
  try {
    *ppVertexBuffer = new GlVertexBuffer(this, Length, Usage, FVF, Pool);
  } catch (const std::bad_alloc &) {
    return E_OUTOFMEMORY;  // the system copy could not be had
  }
  return D3D_OK;
}

HRESULT GlDevice::CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                    IDirect3DIndexBuffer9 **ppIndexBuffer, HANDLE *pSharedHandle) {
  if (ppIndexBuffer == nullptr) return D3DERR_INVALIDCALL;
  *ppIndexBuffer = nullptr;
  if (Length == 0 || pSharedHandle != nullptr || (Format != D3DFMT_INDEX16 && Format != D3DFMT_INDEX32))
    return D3DERR_INVALIDCALL;
  try {
    *ppIndexBuffer = new GlIndexBuffer(this, Length, Usage, Format, Pool);
  } catch (const std::bad_alloc &) {
    return E_OUTOFMEMORY;
  }
  return D3D_OK;
}

HRESULT GlDevice::CreateVertexDeclaration(const D3DVERTEXELEMENT9 *pVertexElements,
                                          IDirect3DVertexDeclaration9 **ppDecl) {
  if (ppDecl == nullptr) return D3DERR_INVALIDCALL;
  *ppDecl = nullptr;
  VertexLayout layout;
  if (!LayoutFromDeclaration(pVertexElements, &layout)) return D3DERR_INVALIDCALL;
  *ppDecl = new GlVertexDeclaration(this, layout, pVertexElements);
  return D3D_OK;
}

HRESULT GlDevice::CreateVertexShader(const DWORD *pFunction, IDirect3DVertexShader9 **ppShader) {
  if (ppShader == nullptr) return D3DERR_INVALIDCALL;
  *ppShader = nullptr;
  UINT count = VertexShaderTokenCount(pFunction);
  if (count == 0) return D3DERR_INVALIDCALL;
  VertexShaderTranslation translation;
  std::string error;
  HRESULT hr = TranslateVertexShader(pFunction, count, &translation, &error);
  if (FAILED(hr)) return hr;
  // Compile once now, so a translation GL refuses fails here rather than at a draw.
  MakeCurrent();
  GLuint probe = CompileShader(GL_VERTEX_SHADER, translation.glsl);
  if (probe == 0) return D3DERR_INVALIDCALL;
  glDeleteShader(probe);
  *ppShader = new GlVertexShader(this, pFunction, count, std::move(translation.glsl));
  return D3D_OK;
}

// ---- scene bracket ----

HRESULT GlDevice::BeginScene() {
  if (inScene_) return D3DERR_INVALIDCALL;
  inScene_ = true;
  return D3D_OK;
}

HRESULT GlDevice::EndScene() {
  if (!inScene_) return D3DERR_INVALIDCALL;
  inScene_ = false;
  return D3D_OK;
}

}  // namespace zel::d3d9
