// GrabBackBuffer.
#include "platform/d3d9/frame_grab.h"

#include "platform/d3d9/gl_device.h"

namespace zel::d3d9 {

bool GrabBackBuffer(IDirect3DDevice9 *device, std::vector<uint8_t> *rgba, UINT *width, UINT *height) {
  auto *gl = dynamic_cast<GlDevice *>(device);
  if (gl == nullptr) return false;
  gl->ReadBackBuffer(rgba, width, height);
  return true;
}

}  // namespace zel::d3d9
