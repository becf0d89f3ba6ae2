// RenderDevice until the OpenGL device lands: there is no Direct3D object yet, so Create
// succeeds without a device and the frame bracket does nothing. The scenes draw nothing
// without a device, and the show runs its schedule on an empty window.
#include "render/render_device.h"

HRESULT RenderDevice::Create(HWND window, int width, int height, bool fullscreen) {
  return window != nullptr ? S_OK : E_FAIL;
}

bool RenderDevice::BeginFrame() { return true; }

void RenderDevice::EndFrame() {}

void RenderDevice::ReleaseDevice() {
  if (d3dDevice != nullptr) d3dDevice->Release();
  if (d3d != nullptr) d3d->Release();
}
