// RenderDevice: owns the Direct3D object and the demo's one device. It creates them for the
// demo window, puts the device into the state every scene starts from, brackets each frame
// (clear and begin; end and present) and releases both at the end.
#pragma once

#include <d3d9.h>

namespace zel::render {

class RenderDevice {
 public:
  // Creates the Direct3D object and the device for the window, with a back buffer of
  // width x height (the chosen display settings) in the desktop's format, windowed unless
  // fullscreen, and sets the default state. S_OK, or E_FAIL on any failure.
  HRESULT Create(HWND window, int width, int height, bool fullscreen);

  // The device, not add-referenced: scenes hold it as a plain pointer and never release it.
  IDirect3DDevice9 *GetDevice() const { return d3dDevice; }

  // Clears colour to opaque black and depth to 1.0 (stencil untouched), then begins the scene.
  bool BeginFrame();
  // Ends the scene and presents.
  void EndFrame();
  // Releases the device, then the Direct3D object.
  void ReleaseDevice();

  IDirect3D9 *d3d = nullptr;
  IDirect3DDevice9 *d3dDevice = nullptr;
};

}  // namespace zel::render
