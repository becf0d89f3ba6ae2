// What a transform matrix does, worked out by the tests themselves rather than with the
// matrix library the code under test calls: where a point goes, what a camera sees, where a
// point lands on the screen.
#pragma once

#include <d3d9.h>
#include <gtest/gtest.h>

#include <cmath>

#include "gfxutil/math.h"
#include "platform/d3d9/device_state.h"

namespace zel::render::matrix_check {

// Where the point (x, y, z) goes through m: a row vector times the matrix, w divided out.
inline D3DXVECTOR3 Through(const D3DMATRIX &m, float x, float y, float z) {
  float v[4];
  for (int c = 0; c < 4; ++c) v[c] = x * m.m[0][c] + y * m.m[1][c] + z * m.m[2][c] + m.m[3][c];
  return D3DXVECTOR3(v[0] / v[3], v[1] / v[3], v[2] / v[3]);
}

inline ::testing::AssertionResult Near(const D3DXVECTOR3 &got, float x, float y, float z, float tolerance) {
  if (std::fabs(got.x - x) <= tolerance && std::fabs(got.y - y) <= tolerance && std::fabs(got.z - z) <= tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << got.x << ", " << got.y << ", " << got.z << ") is not (" << x << ", "
                                       << y << ", " << z << ")";
}

// A level camera: the view puts the eye at the origin, the target straight ahead on +z at
// its distance, the point one unit above the eye one unit up, and `right` (a point one unit
// from the eye) one unit to the right.
inline ::testing::AssertionResult LooksFrom(const D3DMATRIX &view, D3DXVECTOR3 eye, D3DXVECTOR3 target,
                                            D3DXVECTOR3 right) {
  const float dx = target.x - eye.x, dy = target.y - eye.y, dz = target.z - eye.z;
  const float distance = std::sqrt(dx * dx + dy * dy + dz * dz);
  const float tolerance = 1e-5f * (1.0f + distance);
  for (auto check : {Near(Through(view, eye.x, eye.y, eye.z), 0, 0, 0, tolerance),
                     Near(Through(view, target.x, target.y, target.z), 0, 0, distance, tolerance),
                     Near(Through(view, eye.x, eye.y + 1, eye.z), 0, 1, 0, tolerance),
                     Near(Through(view, right.x, right.y, right.z), 1, 0, 0, tolerance)})
    if (!static_cast<bool>(check)) return check;
  return ::testing::AssertionSuccess();
}

// Where (x, y, z) lands through a draw's world, view and projection: pixels of a w x h back
// buffer from its top-left corner, and the depth from 0 (near) to 1 (far).
inline D3DXVECTOR3 OnScreen(const zel::d3d9::DeviceState &s, float x, float y, float z, float w = 640,
                            float h = 480) {
  using zel::d3d9::TransformSlot;
  D3DXVECTOR3 p = Through(s.transforms[TransformSlot(D3DTS_WORLD)], x, y, z);
  p = Through(s.transforms[TransformSlot(D3DTS_VIEW)], p.x, p.y, p.z);
  p = Through(s.transforms[TransformSlot(D3DTS_PROJECTION)], p.x, p.y, p.z);
  return D3DXVECTOR3((p.x + 1) * w / 2, (1 - p.y) * h / 2, p.z);
}

}  // namespace zel::render::matrix_check
