// GlSurface: back-buffer views and system-memory surfaces with an asynchronous readback.
#include "platform/d3d9/gl_surface.h"

#include <cstring>

namespace zel::d3d9 {
namespace {

constexpr UINT kBytesPerPixel = kSurfaceBytesPerPixel;
constexpr GLuint64 kWaitStepNs = 100000000;  // 0.1 s per wait on the fence before asking again

}  // namespace

GlSurface::GlSurface(GlDevice *device, Kind kind, UINT width, UINT height, D3DFORMAT format)
    : memory_(kind == Kind::SystemMemory ? static_cast<size_t>(width) * height * kBytesPerPixel : 0),
      owner_(device),
      kind_(kind),
      width_(width),
      height_(height),
      format_(format) {}

GlSurface::~GlSurface() {
  if (packBuffer_ != 0 || fence_ != nullptr) {
    owner_.Device()->MakeCurrent();
    if (fence_ != nullptr) glDeleteSync(fence_);
    glDeleteBuffers(1, &packBuffer_);
  }
  owner_.Disown(this);
}

HRESULT GlSurface::GetDesc(D3DSURFACE_DESC *desc) {
  if (desc == nullptr) return D3DERR_INVALIDCALL;
  *desc = SurfaceDescription(kind_ == Kind::BackBuffer, format_, width_, height_);
  return D3D_OK;
}

HRESULT GlSurface::LockRect(D3DLOCKED_RECT *locked, const RECT *rect, DWORD flags) {
  if (locked == nullptr || kind_ != Kind::SystemMemory || locked_) return D3DERR_INVALIDCALL;
  if (!LockableRect(rect, width_, height_)) return D3DERR_INVALIDCALL;
  HRESULT hr = FinishCopy((flags & D3DLOCK_DONOTWAIT) == 0);
  if (FAILED(hr)) return hr;
  *locked = LockedPixels(memory_.data(), width_, rect);
  locked_ = true;
  return D3D_OK;
}

HRESULT GlSurface::UnlockRect() {
  if (!locked_) return D3DERR_INVALIDCALL;
  locked_ = false;
  return D3D_OK;
}

void GlSurface::StartCopy() {
  if (packBuffer_ == 0) {
    glGenBuffers(1, &packBuffer_);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, packBuffer_);
    glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(Bytes()), nullptr, GL_STREAM_READ);
  } else {
    glBindBuffer(GL_PIXEL_PACK_BUFFER, packBuffer_);
  }
  // BGRA bytes are X8R8G8B8's memory order; a colour buffer without alpha reads alpha 1.0.
  glReadPixels(0, 0, static_cast<GLsizei>(width_), static_cast<GLsizei>(height_), GL_BGRA, GL_UNSIGNED_BYTE,
               nullptr);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  if (fence_ != nullptr) glDeleteSync(fence_);  // a newer copy replaces one not yet taken
  fence_ = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
  glFlush();  // sends the copy on its way; the fence can pass without further calls
}

HRESULT GlSurface::FinishCopy(bool wait) {
  if (fence_ == nullptr) return D3D_OK;
  owner_.Device()->MakeCurrent();
  GLenum status = glClientWaitSync(fence_, GL_SYNC_FLUSH_COMMANDS_BIT, 0);
  while (wait && status == GL_TIMEOUT_EXPIRED) status = glClientWaitSync(fence_, GL_SYNC_FLUSH_COMMANDS_BIT, kWaitStepNs);
  if (status == GL_TIMEOUT_EXPIRED) return D3DERR_WASSTILLDRAWING;
  // GL_WAIT_FAILED as well: mapping the buffer waits for the copy in any case.
  glDeleteSync(fence_);
  fence_ = nullptr;
  glBindBuffer(GL_PIXEL_PACK_BUFFER, packBuffer_);
  const auto *rows = static_cast<const uint8_t *>(
      glMapBufferRange(GL_PIXEL_PACK_BUFFER, 0, static_cast<GLsizeiptr>(Bytes()), GL_MAP_READ_BIT));
  HRESULT hr = D3DERR_DRIVERINTERNALERROR;
  if (rows != nullptr) {
    // OpenGL's rows run from the bottom; the surface's from the top.
    const size_t pitch = static_cast<size_t>(width_) * kBytesPerPixel;
    for (UINT y = 0; y < height_; ++y)
      std::memcpy(memory_.data() + y * pitch, rows + (height_ - 1 - y) * pitch, pitch);
    hr = glUnmapBuffer(GL_PIXEL_PACK_BUFFER) ? D3D_OK : D3DERR_DRIVERINTERNALERROR;
  }
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  return hr;
}

}  // namespace zel::d3d9
