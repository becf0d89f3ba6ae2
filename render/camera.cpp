// The camera's view construction; see render/camera.h.
#include "render/camera.h"

namespace zel::render {

HRESULT Camera::LookAt(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ) {
  eye = D3DXVECTOR3(eyeX, eyeY, eyeZ);
  target = D3DXVECTOR3(targetX, targetY, targetZ);
  const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
  D3DXMatrixLookAtLH(&view, &eye, &target, &up);
  device->SetTransform(D3DTS_VIEW, &view);
  return S_OK;
}

D3DXMATRIX *Camera::GetViewMatrix(D3DXMATRIX *out) const {
  *out = view;
  return out;
}

}  // namespace zel::render
