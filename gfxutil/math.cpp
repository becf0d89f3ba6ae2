// The matrix and vector operations of gfxutil/math.h. One portable implementation in
// single precision: products are formed in float and every stored value is a float.
#include "gfxutil/math.h"

#include <cfloat>
#include <cmath>
#include <cstring>

namespace {

// Sine and cosine of one angle, evaluated together in double and rounded once to float,
// as a single hardware sine-cosine evaluation would be.
void SinCos(FLOAT angle, FLOAT *s, FLOAT *c) {
  double a = angle;
  *s = static_cast<FLOAT>(std::sin(a));
  *c = static_cast<FLOAT>(std::cos(a));
}

void SetRows(D3DXMATRIX *out, const FLOAT (&v)[16]) { std::memcpy(&out->_11, v, sizeof(v)); }

}  // namespace

D3DXMATRIX::D3DXMATRIX(const FLOAT *pf) { std::memcpy(&_11, pf, 16 * sizeof(FLOAT)); }

D3DXMATRIX::D3DXMATRIX(FLOAT f11, FLOAT f12, FLOAT f13, FLOAT f14, FLOAT f21, FLOAT f22, FLOAT f23,
                       FLOAT f24, FLOAT f31, FLOAT f32, FLOAT f33, FLOAT f34, FLOAT f41, FLOAT f42,
                       FLOAT f43, FLOAT f44) {
  const FLOAT v[16] = {f11, f12, f13, f14, f21, f22, f23, f24, f31, f32, f33, f34, f41, f42, f43, f44};
  SetRows(this, v);
}

D3DXMATRIX &D3DXMATRIX::operator*=(const D3DXMATRIX &mat) {
  D3DXMatrixMultiply(this, this, &mat);
  return *this;
}

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX &mat) const {
  D3DXMATRIX out;
  D3DXMatrixMultiply(&out, this, &mat);
  return out;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX &mat) const {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (m[r][c] != mat.m[r][c]) return false;
  return true;
}

FLOAT WINAPI D3DXVec3Length(const D3DXVECTOR3 *pV) { return std::sqrt(D3DXVec3Dot(pV, pV)); }

D3DXMATRIX *WINAPI D3DXMatrixMultiply(D3DXMATRIX *pOut, const D3DXMATRIX *pM1, const D3DXMATRIX *pM2) {
  D3DXMATRIX temp;
  // Aliased output: form all sixteen results first so no input is overwritten while read.
  D3DXMATRIX *dst = (pOut == pM1 || pOut == pM2) ? &temp : pOut;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      dst->m[i][j] = pM1->m[i][0] * pM2->m[0][j] + pM1->m[i][1] * pM2->m[1][j] +
                     pM1->m[i][2] * pM2->m[2][j] + pM1->m[i][3] * pM2->m[3][j];
    }
  }
  if (dst != pOut) *pOut = temp;
  return pOut;
}

D3DXMATRIX *WINAPI D3DXMatrixTranspose(D3DXMATRIX *pOut, const D3DXMATRIX *pM) {
  for (int i = 0; i < 4; ++i) {
    if (pOut != pM) pOut->m[i][i] = pM->m[i][i];
    for (int j = i + 1; j < 4; ++j) {
      FLOAT a = pM->m[i][j];  // both of the pair are read before either is written
      FLOAT b = pM->m[j][i];
      pOut->m[j][i] = a;
      pOut->m[i][j] = b;
    }
  }
  return pOut;
}

D3DXMATRIX *WINAPI D3DXMatrixInverse(D3DXMATRIX *pOut, FLOAT *pDeterminant, const D3DXMATRIX *pM) {
  const D3DXMATRIX &a = *pM;
  // 2x2 sub-determinants of the lower two rows (s) and of the upper two rows (t),
  // indexed by the column pair they span.
  FLOAT s01 = a.m[2][0] * a.m[3][1] - a.m[2][1] * a.m[3][0];
  FLOAT s02 = a.m[2][0] * a.m[3][2] - a.m[2][2] * a.m[3][0];
  FLOAT s03 = a.m[2][0] * a.m[3][3] - a.m[2][3] * a.m[3][0];
  FLOAT s12 = a.m[2][1] * a.m[3][2] - a.m[2][2] * a.m[3][1];
  FLOAT s13 = a.m[2][1] * a.m[3][3] - a.m[2][3] * a.m[3][1];
  FLOAT s23 = a.m[2][2] * a.m[3][3] - a.m[2][3] * a.m[3][2];
  FLOAT t01 = a.m[0][0] * a.m[1][1] - a.m[0][1] * a.m[1][0];
  FLOAT t02 = a.m[0][0] * a.m[1][2] - a.m[0][2] * a.m[1][0];
  FLOAT t03 = a.m[0][0] * a.m[1][3] - a.m[0][3] * a.m[1][0];
  FLOAT t12 = a.m[0][1] * a.m[1][2] - a.m[0][2] * a.m[1][1];
  FLOAT t13 = a.m[0][1] * a.m[1][3] - a.m[0][3] * a.m[1][1];
  FLOAT t23 = a.m[0][2] * a.m[1][3] - a.m[0][3] * a.m[1][2];

  // adj[i][j] is the cofactor of element (j, i): the adjugate is the transposed cofactors.
  FLOAT adj[4][4];
  adj[0][0] = a.m[1][1] * s23 - a.m[1][2] * s13 + a.m[1][3] * s12;
  adj[1][0] = -(a.m[1][0] * s23 - a.m[1][2] * s03 + a.m[1][3] * s02);
  adj[2][0] = a.m[1][0] * s13 - a.m[1][1] * s03 + a.m[1][3] * s01;
  adj[3][0] = -(a.m[1][0] * s12 - a.m[1][1] * s02 + a.m[1][2] * s01);
  adj[0][1] = -(a.m[0][1] * s23 - a.m[0][2] * s13 + a.m[0][3] * s12);
  adj[1][1] = a.m[0][0] * s23 - a.m[0][2] * s03 + a.m[0][3] * s02;
  adj[2][1] = -(a.m[0][0] * s13 - a.m[0][1] * s03 + a.m[0][3] * s01);
  adj[3][1] = a.m[0][0] * s12 - a.m[0][1] * s02 + a.m[0][2] * s01;
  adj[0][2] = a.m[3][1] * t23 - a.m[3][2] * t13 + a.m[3][3] * t12;
  adj[1][2] = -(a.m[3][0] * t23 - a.m[3][2] * t03 + a.m[3][3] * t02);
  adj[2][2] = a.m[3][0] * t13 - a.m[3][1] * t03 + a.m[3][3] * t01;
  adj[3][2] = -(a.m[3][0] * t12 - a.m[3][1] * t02 + a.m[3][2] * t01);
  adj[0][3] = -(a.m[2][1] * t23 - a.m[2][2] * t13 + a.m[2][3] * t12);
  adj[1][3] = a.m[2][0] * t23 - a.m[2][2] * t03 + a.m[2][3] * t02;
  adj[2][3] = -(a.m[2][0] * t13 - a.m[2][1] * t03 + a.m[2][3] * t01);
  adj[3][3] = a.m[2][0] * t12 - a.m[2][1] * t02 + a.m[2][2] * t01;

  // Expansion along the first column: element (i, 0) times its cofactor adj[0][i].
  FLOAT d = a.m[0][0] * adj[0][0] + a.m[1][0] * adj[0][1] + a.m[2][0] * adj[0][2] + a.m[3][0] * adj[0][3];
  if (pDeterminant) *pDeterminant = d;
  if (d == 0.0f) return nullptr;
  FLOAT r = 1.0f / d;
  if (!std::isfinite(r)) return nullptr;

  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) pOut->m[i][j] = r * adj[i][j];
  return pOut;
}

D3DXMATRIX *WINAPI D3DXMatrixTranslation(D3DXMATRIX *pOut, FLOAT x, FLOAT y, FLOAT z) {
  SetRows(pOut, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1});
  return pOut;
}

D3DXMATRIX *WINAPI D3DXMatrixScaling(D3DXMATRIX *pOut, FLOAT sx, FLOAT sy, FLOAT sz) {
  SetRows(pOut, {sx, 0, 0, 0, 0, sy, 0, 0, 0, 0, sz, 0, 0, 0, 0, 1});
  return pOut;
}

D3DXMATRIX *WINAPI D3DXMatrixRotationX(D3DXMATRIX *pOut, FLOAT Angle) {
  FLOAT s, c;
  SinCos(Angle, &s, &c);
  SetRows(pOut, {1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1});
  return pOut;
}

D3DXMATRIX *WINAPI D3DXMatrixRotationY(D3DXMATRIX *pOut, FLOAT Angle) {
  FLOAT s, c;
  SinCos(Angle, &s, &c);
  SetRows(pOut, {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1});
  return pOut;
}

D3DXMATRIX *WINAPI D3DXMatrixRotationZ(D3DXMATRIX *pOut, FLOAT Angle) {
  FLOAT s, c;
  SinCos(Angle, &s, &c);
  SetRows(pOut, {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
  return pOut;
}

D3DXMATRIX *WINAPI D3DXMatrixLookAtLH(D3DXMATRIX *pOut, const D3DXVECTOR3 *pEye, const D3DXVECTOR3 *pAt,
                                      const D3DXVECTOR3 *pUp) {
  D3DXVECTOR3 x, y, z;
  D3DXVec3Subtract(&z, pAt, pEye);
  D3DXVec3Normalize(&z, &z);
  D3DXVec3Cross(&x, pUp, &z);
  D3DXVec3Normalize(&x, &x);
  D3DXVec3Cross(&y, &z, &x);  // already unit length up to rounding; not normalised again
  SetRows(pOut, {x.x, y.x, z.x, 0,  //
                 x.y, y.y, z.y, 0,  //
                 x.z, y.z, z.z, 0,  //
                 -D3DXVec3Dot(&x, pEye), -D3DXVec3Dot(&y, pEye), -D3DXVec3Dot(&z, pEye), 1});
  return pOut;
}

D3DXMATRIX *WINAPI D3DXMatrixPerspectiveFovLH(D3DXMATRIX *pOut, FLOAT fovy, FLOAT Aspect, FLOAT zn, FLOAT zf) {
  FLOAT s, c;
  SinCos(fovy * 0.5f, &s, &c);
  FLOAT h = c / s;
  FLOAT w = h / Aspect;
  FLOAT q = zf / (zf - zn);
  SetRows(pOut, {w, 0, 0, 0, 0, h, 0, 0, 0, 0, q, 1, 0, 0, -q * zn, 0});
  return pOut;
}

D3DXVECTOR3 *WINAPI D3DXVec3Normalize(D3DXVECTOR3 *pOut, const D3DXVECTOR3 *pV) {
  FLOAT len2 = pV->x * pV->x + pV->y * pV->y + pV->z * pV->z;
  if (std::fabs(len2 - 1.0f) <= FLT_EPSILON) {
    *pOut = *pV;  // already unit length: no square root taken
  } else if (len2 > FLT_MIN) {
    FLOAT inv = 1.0f / std::sqrt(len2);
    *pOut = D3DXVECTOR3(pV->x * inv, pV->y * inv, pV->z * inv);
  } else {
    *pOut = D3DXVECTOR3(0.0f, 0.0f, 0.0f);  // too short to normalise, or NaN
  }
  return pOut;
}
