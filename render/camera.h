// Camera: turns an eye point and a target into a left-handed view matrix (up fixed at
// (0, 1, 0)), keeps it and sets it as the device's view transform at once. Projection and
// world transforms are the caller's.
#pragma once

#include <d3d9.h>

#include "gfxutil/math.h"

namespace zel::render {

class Camera {
 public:
  explicit Camera(IDirect3DDevice9 *device) : device(device) {}

  // Stores eye and target, builds the view and sets it with SetTransform(D3DTS_VIEW).
  // Inputs are not checked: eye == target or a vertical view go to the look-at as given.
  // Always returns S_OK.
  HRESULT LookAt(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ);

  // Copies the last view built into *out and returns out.
  D3DXMATRIX *GetViewMatrix(D3DXMATRIX *out) const;

 private:
  IDirect3DDevice9 *device;  // not owned
  D3DXMATRIX view;           // undefined until the first LookAt
  D3DXVECTOR3 eye;
  D3DXVECTOR3 target;
};

}  // namespace zel::render
