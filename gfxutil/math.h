// Matrix and vector math of the utility library, under its public names: row-major
// 4x4 matrices, row vectors multiplied on the left (v' = v * M), left-handed space,
// angles in radians. Everything is single precision; every operation writes through its
// output pointer and returns it (D3DXMatrixInverse may return null instead).
#pragma once

#include <d3d9.h>

struct D3DXVECTOR3 : public D3DVECTOR {
  D3DXVECTOR3() = default;
  D3DXVECTOR3(const D3DVECTOR &v) : D3DVECTOR(v) {}
  explicit D3DXVECTOR3(const FLOAT *pf) : D3DVECTOR{pf[0], pf[1], pf[2]} {}
  D3DXVECTOR3(FLOAT fx, FLOAT fy, FLOAT fz) : D3DVECTOR{fx, fy, fz} {}

  operator FLOAT *() { return &x; }
  operator const FLOAT *() const { return &x; }

  D3DXVECTOR3 &operator+=(const D3DXVECTOR3 &v) { x += v.x; y += v.y; z += v.z; return *this; }
  D3DXVECTOR3 &operator-=(const D3DXVECTOR3 &v) { x -= v.x; y -= v.y; z -= v.z; return *this; }
  D3DXVECTOR3 &operator*=(FLOAT f) { x *= f; y *= f; z *= f; return *this; }
  D3DXVECTOR3 &operator/=(FLOAT f) { FLOAT inv = 1.0f / f; return *this *= inv; }

  D3DXVECTOR3 operator+() const { return *this; }
  D3DXVECTOR3 operator-() const { return D3DXVECTOR3(-x, -y, -z); }
  D3DXVECTOR3 operator+(const D3DXVECTOR3 &v) const { return D3DXVECTOR3(x + v.x, y + v.y, z + v.z); }
  D3DXVECTOR3 operator-(const D3DXVECTOR3 &v) const { return D3DXVECTOR3(x - v.x, y - v.y, z - v.z); }
  D3DXVECTOR3 operator*(FLOAT f) const { return D3DXVECTOR3(x * f, y * f, z * f); }
  D3DXVECTOR3 operator/(FLOAT f) const { FLOAT inv = 1.0f / f; return *this * inv; }
  friend D3DXVECTOR3 operator*(FLOAT f, const D3DXVECTOR3 &v) { return v * f; }

  bool operator==(const D3DXVECTOR3 &v) const { return x == v.x && y == v.y && z == v.z; }
  bool operator!=(const D3DXVECTOR3 &v) const { return !(*this == v); }
};

struct D3DXMATRIX : public D3DMATRIX {
  D3DXMATRIX() = default;
  D3DXMATRIX(const D3DMATRIX &mat) : D3DMATRIX(mat) {}
  explicit D3DXMATRIX(const FLOAT *pf);
  D3DXMATRIX(FLOAT f11, FLOAT f12, FLOAT f13, FLOAT f14, FLOAT f21, FLOAT f22, FLOAT f23, FLOAT f24,
             FLOAT f31, FLOAT f32, FLOAT f33, FLOAT f34, FLOAT f41, FLOAT f42, FLOAT f43, FLOAT f44);

  FLOAT &operator()(UINT row, UINT col) { return m[row][col]; }
  FLOAT operator()(UINT row, UINT col) const { return m[row][col]; }
  operator FLOAT *() { return &_11; }
  operator const FLOAT *() const { return &_11; }

  D3DXMATRIX &operator*=(const D3DXMATRIX &mat);
  D3DXMATRIX operator*(const D3DXMATRIX &mat) const;
  bool operator==(const D3DXMATRIX &mat) const;
  bool operator!=(const D3DXMATRIX &mat) const { return !(*this == mat); }
};

typedef D3DXMATRIX *LPD3DXMATRIX;
typedef D3DXVECTOR3 *LPD3DXVECTOR3;

// Inline helpers of the library's header.
inline D3DXMATRIX *D3DXMatrixIdentity(D3DXMATRIX *pOut) {
  *pOut = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  return pOut;
}
inline FLOAT D3DXVec3Dot(const D3DXVECTOR3 *pV1, const D3DXVECTOR3 *pV2) {
  return pV1->x * pV2->x + pV1->y * pV2->y + pV1->z * pV2->z;
}
// The output may alias either input: all three components are formed before any is stored.
inline D3DXVECTOR3 *D3DXVec3Cross(D3DXVECTOR3 *pOut, const D3DXVECTOR3 *pV1, const D3DXVECTOR3 *pV2) {
  D3DXVECTOR3 v(pV1->y * pV2->z - pV1->z * pV2->y, pV1->z * pV2->x - pV1->x * pV2->z,
                pV1->x * pV2->y - pV1->y * pV2->x);
  *pOut = v;
  return pOut;
}
inline D3DXVECTOR3 *D3DXVec3Subtract(D3DXVECTOR3 *pOut, const D3DXVECTOR3 *pV1, const D3DXVECTOR3 *pV2) {
  *pOut = D3DXVECTOR3(pV1->x - pV2->x, pV1->y - pV2->y, pV1->z - pV2->z);
  return pOut;
}
FLOAT WINAPI D3DXVec3Length(const D3DXVECTOR3 *pV);

// M1 * M2 (M1 applied first); pOut may be pM1 or pM2.
D3DXMATRIX *WINAPI D3DXMatrixMultiply(D3DXMATRIX *pOut, const D3DXMATRIX *pM1, const D3DXMATRIX *pM2);
// pOut may be pM.
D3DXMATRIX *WINAPI D3DXMatrixTranspose(D3DXMATRIX *pOut, const D3DXMATRIX *pM);
// Returns null and leaves *pOut untouched when M is singular (determinant 0, or its
// reciprocal not finite). The determinant, when asked for, is stored in every case.
D3DXMATRIX *WINAPI D3DXMatrixInverse(D3DXMATRIX *pOut, FLOAT *pDeterminant, const D3DXMATRIX *pM);
D3DXMATRIX *WINAPI D3DXMatrixTranslation(D3DXMATRIX *pOut, FLOAT x, FLOAT y, FLOAT z);
D3DXMATRIX *WINAPI D3DXMatrixScaling(D3DXMATRIX *pOut, FLOAT sx, FLOAT sy, FLOAT sz);
D3DXMATRIX *WINAPI D3DXMatrixRotationX(D3DXMATRIX *pOut, FLOAT Angle);
D3DXMATRIX *WINAPI D3DXMatrixRotationY(D3DXMATRIX *pOut, FLOAT Angle);
D3DXMATRIX *WINAPI D3DXMatrixRotationZ(D3DXMATRIX *pOut, FLOAT Angle);
D3DXMATRIX *WINAPI D3DXMatrixLookAtLH(D3DXMATRIX *pOut, const D3DXVECTOR3 *pEye, const D3DXVECTOR3 *pAt,
                                      const D3DXVECTOR3 *pUp);
D3DXMATRIX *WINAPI D3DXMatrixPerspectiveFovLH(D3DXMATRIX *pOut, FLOAT fovy, FLOAT Aspect, FLOAT zn, FLOAT zf);
// Unit-length copies of v; an already-unit vector (|L - 1| <= 2^-23) is copied unchanged,
// a vector too short to normalise (or NaN) becomes (0, 0, 0). pOut may be pV.
D3DXVECTOR3 *WINAPI D3DXVec3Normalize(D3DXVECTOR3 *pOut, const D3DXVECTOR3 *pV);
