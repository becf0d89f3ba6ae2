// Buffers, textures, declarations and shaders of the OpenGL device.
#include "platform/d3d9/gl_objects.h"

#include <cstring>

#include "platform/d3d9/shader_translate.h"

namespace zel::d3d9 {
namespace {

// Buffer uploads go through the copy-write target so that neither the vertex array's index
// binding nor the cached array binding is touched.
GLuint MakeBuffer(const BufferMemory &memory) {
  GLuint buffer = 0;
  glGenBuffers(1, &buffer);
  glBindBuffer(GL_COPY_WRITE_BUFFER, buffer);
  glBufferData(GL_COPY_WRITE_BUFFER, memory.Size(), memory.Data(), GL_DYNAMIC_DRAW);
  return buffer;
}

// Ends a lock of either buffer kind: only the bytes the lock could have changed go to GL.
HRESULT UnlockAndUpload(GlDevice *device, GLuint buffer, BufferMemory &memory) {
  bool changed;
  UINT begin, end;
  HRESULT hr = memory.Unlock(&changed, &begin, &end);
  if (changed) {
    device->MakeCurrent();
    glBindBuffer(GL_COPY_WRITE_BUFFER, buffer);
    glBufferSubData(GL_COPY_WRITE_BUFFER, begin, end - begin, memory.Data() + begin);
  }
  return hr;
}

}  // namespace

// ---- vertex buffer ----

GlVertexBuffer::GlVertexBuffer(GlDevice *device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : owner_(device), memory_(length), usage_(usage), fvf_(fvf), pool_(pool) {
  device->MakeCurrent();
  buffer_ = MakeBuffer(memory_);
}

GlVertexBuffer::~GlVertexBuffer() {
  owner_.Device()->MakeCurrent();
  owner_.Device()->Gl().ForgetBuffer(buffer_);
  glDeleteBuffers(1, &buffer_);
  owner_.Disown(this);
}

HRESULT GlVertexBuffer::Lock(UINT offset, UINT size, void **data, DWORD) { return memory_.Lock(offset, size, data); }

HRESULT GlVertexBuffer::Unlock() {
  bool wasLocked = memory_.Locked();
  HRESULT hr = UnlockAndUpload(owner_.Device(), buffer_, memory_);
  if (wasLocked && !memory_.Locked()) ++contents_;  // the bytes may have changed
  return hr;
}

bool GlVertexBuffer::ColorIsOpaqueWhite(UINT offset, UINT stride, UINT element) const {
  WhiteColorScan &s = whiteScan_;
  if (s.contents == contents_ && s.offset == offset && s.stride == stride && s.element == element) return s.white;
  // Bytes written under a lock that has not ended are not in the GL buffer yet.
  if (memory_.Locked()) return false;
  s = WhiteColorScan{offset, stride, element, contents_, false};
  const uint64_t size = memory_.Size(), first = uint64_t{offset} + element;
  if (first + sizeof(D3DCOLOR) > size) return false;  // no whole colour: nothing to say
  // With stride 0 every vertex reads the first one.
  const uint64_t step = stride != 0 ? stride : size;
  bool white = true;
  for (uint64_t at = first; white && at + sizeof(D3DCOLOR) <= size; at += step) {
    D3DCOLOR c;
    std::memcpy(&c, memory_.Data() + at, sizeof c);
    white = c == 0xffffffffu;
  }
  s.white = white;
  return white;
}

HRESULT GlVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC *desc) {
  if (desc == nullptr) return D3DERR_INVALIDCALL;
  *desc = D3DVERTEXBUFFER_DESC{D3DFMT_UNKNOWN, D3DRTYPE_VERTEXBUFFER, usage_, pool_, memory_.Size(), fvf_};
  return D3D_OK;
}

// ---- index buffer ----

GlIndexBuffer::GlIndexBuffer(GlDevice *device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : owner_(device), memory_(length), usage_(usage), format_(format), pool_(pool) {
  device->MakeCurrent();
  buffer_ = MakeBuffer(memory_);
}

GlIndexBuffer::~GlIndexBuffer() {
  owner_.Device()->MakeCurrent();
  glDeleteBuffers(1, &buffer_);
  owner_.Disown(this);
}

HRESULT GlIndexBuffer::Lock(UINT offset, UINT size, void **data, DWORD) { return memory_.Lock(offset, size, data); }

HRESULT GlIndexBuffer::Unlock() { return UnlockAndUpload(owner_.Device(), buffer_, memory_); }

HRESULT GlIndexBuffer::GetDesc(D3DINDEXBUFFER_DESC *desc) {
  if (desc == nullptr) return D3DERR_INVALIDCALL;
  *desc = D3DINDEXBUFFER_DESC{format_, D3DRTYPE_INDEXBUFFER, usage_, pool_, memory_.Size()};
  return D3D_OK;
}

// ---- texture ----

GlTexture::GlTexture(GlDevice *device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                     D3DPOOL pool)
    : owner_(device), memory_(width, height, levels, format), usage_(usage), pool_(pool) {
  GlTextureFormatFor(format, &format_);
  device->MakeCurrent();
  glGenTextures(1, &texture_);
  device->Gl().BindTextureForUpload(texture_);
  UINT count = memory_.LevelCount();
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(count - 1));
  glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, format_.swizzle);
  // Every level starts as the zeroed system copy, so sampling before a lock reads black.
  for (UINT i = 0; i < count; ++i) {
    const TextureLevel &l = memory_.Level(i);
    glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), static_cast<GLint>(format_.internalFormat),
                 static_cast<GLsizei>(l.width), static_cast<GLsizei>(l.height), 0, format_.format, format_.type,
                 l.bytes.data());
  }
}

GlTexture::~GlTexture() {
  owner_.Device()->MakeCurrent();
  owner_.Device()->Gl().ForgetTexture(texture_);
  glDeleteTextures(1, &texture_);
  owner_.Disown(this);
}

HRESULT GlTexture::GetLevelDesc(UINT level, D3DSURFACE_DESC *desc) {
  return memory_.GetLevelDesc(level, desc, usage_, pool_);
}

HRESULT GlTexture::LockRect(UINT level, D3DLOCKED_RECT *locked, const RECT *rect, DWORD) {
  return memory_.LockRect(level, locked, rect);
}

HRESULT GlTexture::UnlockRect(UINT level) {
  RECT dirty;
  HRESULT hr = memory_.UnlockRect(level, &dirty);
  if (hr == D3D_OK) Upload(level, dirty);
  return hr;
}

void GlTexture::Upload(UINT level, const RECT &r) {
  const TextureLevel &l = memory_.Level(level);
  UINT bpp = FormatBytesPerPixel(memory_.Format());
  owner_.Device()->MakeCurrent();
  owner_.Device()->Gl().BindTextureForUpload(texture_);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(l.width));
  const uint8_t *first = l.bytes.data() + static_cast<size_t>(r.top) * l.pitch + static_cast<size_t>(r.left) * bpp;
  glTexSubImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), r.left, r.top, r.right - r.left, r.bottom - r.top,
                  format_.format, format_.type, first);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
}

// ---- declaration ----

GlVertexDeclaration::GlVertexDeclaration(GlDevice *device, const VertexLayout &layout,
                                         const D3DVERTEXELEMENT9 *elements)
    : owner_(device), layout_(layout), elements_(elements, elements + layout.count + 1) {}

HRESULT GlVertexDeclaration::GetDeclaration(D3DVERTEXELEMENT9 *elements, UINT *count) {
  if (count == nullptr) return D3DERR_INVALIDCALL;
  UINT n = static_cast<UINT>(elements_.size());
  if (elements != nullptr) std::memcpy(elements, elements_.data(), n * sizeof(D3DVERTEXELEMENT9));
  *count = n;
  return D3D_OK;
}

// ---- vertex shader ----

GlVertexShader::GlVertexShader(GlDevice *device, const DWORD *tokens, UINT count, std::string glsl)
    : owner_(device), tokens_(tokens, tokens + count), glsl_(std::move(glsl)), id_(device->NextShaderId()) {}

GlVertexShader::~GlVertexShader() {
  owner_.Device()->MakeCurrent();
  owner_.Device()->ForgetVertexShader(id_);
  owner_.Disown(this);
}

HRESULT GlVertexShader::GetFunction(void *data, UINT *size) {
  return CopyShaderFunction(tokens_, data, size);
}

}  // namespace zel::d3d9
