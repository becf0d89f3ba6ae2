#include "gfxutil/math.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

namespace zel::gfxutil {

namespace {

// v' = v * M for a row vector with w = 1.
D3DXVECTOR3 TransformPoint(const D3DXVECTOR3 &v, const D3DXMATRIX &m) {
  return D3DXVECTOR3(v.x * m._11 + v.y * m._21 + v.z * m._31 + m._41, v.x * m._12 + v.y * m._22 + v.z * m._32 + m._42,
                     v.x * m._13 + v.y * m._23 + v.z * m._33 + m._43);
}

void ExpectNear(const D3DXVECTOR3 &v, float x, float y, float z, float tol = 1e-6f) {
  EXPECT_NEAR(v.x, x, tol);
  EXPECT_NEAR(v.y, y, tol);
  EXPECT_NEAR(v.z, z, tol);
}

D3DXMATRIX Sample() {
  return D3DXMATRIX(2, 1, 0, 3, -1, 4, 2, 0, 0.5f, 0, 3, 1, 1, 2, -2, 5);
}

const float kQuarter = 1.5707964f;

TEST(MathRotation, QuarterTurnsMoveTheAxesTheLeftHandedWay) {
  D3DXMATRIX m;
  ExpectNear(TransformPoint({1, 0, 0}, *D3DXMatrixRotationY(&m, kQuarter)), 0, 0, -1);
  ExpectNear(TransformPoint({0, 1, 0}, *D3DXMatrixRotationX(&m, kQuarter)), 0, 0, 1);
  ExpectNear(TransformPoint({1, 0, 0}, *D3DXMatrixRotationZ(&m, kQuarter)), 0, 1, 0);
}

TEST(MathRotation, SineAndCosineAreRoundedOnceFromOneAngle) {
  const float angle = 2.4567f;
  const float s = static_cast<float>(std::sin(static_cast<double>(angle)));
  const float c = static_cast<float>(std::cos(static_cast<double>(angle)));
  D3DXMATRIX m;
  D3DXMatrixRotationY(&m, angle);
  EXPECT_EQ(m._11, c);
  EXPECT_EQ(m._13, -s);
  EXPECT_EQ(m._31, s);
  EXPECT_EQ(m._33, c);
  EXPECT_EQ(m._22, 1.0f);
  EXPECT_EQ(m._44, 1.0f);
  EXPECT_EQ(m._12, 0.0f);
  EXPECT_EQ(m._41, 0.0f);
}

TEST(MathTranslation, LivesInTheFourthRow) {
  D3DXMATRIX m;
  D3DXMatrixTranslation(&m, 1.5f, -2, 3);
  ExpectNear(TransformPoint({1, 1, 1}, m), 2.5f, -1, 4, 0);
  EXPECT_EQ(m._41, 1.5f);
  EXPECT_EQ(m._42, -2.0f);
  EXPECT_EQ(m._43, 3.0f);
  D3DXMATRIX identity;
  EXPECT_EQ(*D3DXMatrixTranslation(&m, 0, 0, 0), *D3DXMatrixIdentity(&identity));
}

TEST(MathMultiply, AppliesTheFirstMatrixFirstAndWorksInPlace) {
  D3DXMATRIX t, r, tr;
  D3DXMatrixTranslation(&t, 5, 0, 0);
  D3DXMatrixRotationY(&r, kQuarter);
  D3DXMatrixMultiply(&tr, &t, &r);  // translate, then rotate
  ExpectNear(TransformPoint({0, 0, 0}, tr), 0, 0, -5, 1e-5f);

  const D3DXMATRIX a = Sample();
  D3DXMATRIX b;
  D3DXMatrixRotationX(&b, 0.7f);
  b._41 = 3;
  D3DXMATRIX separate;
  EXPECT_EQ(D3DXMatrixMultiply(&separate, &a, &b), &separate);
  D3DXMATRIX outIsM1 = a;
  EXPECT_EQ(D3DXMatrixMultiply(&outIsM1, &outIsM1, &b), &outIsM1);
  EXPECT_EQ(outIsM1, separate);
  D3DXMATRIX outIsM2 = b;
  D3DXMatrixMultiply(&outIsM2, &a, &outIsM2);
  EXPECT_EQ(outIsM2, separate);
  D3DXMATRIX square = a, squareSeparate;
  D3DXMatrixMultiply(&squareSeparate, &a, &a);
  D3DXMatrixMultiply(&square, &square, &square);
  EXPECT_EQ(square, squareSeparate);
  EXPECT_EQ(a * b, separate);
}

TEST(MathTranspose, SwapsRowsAndColumnsInPlaceOrNot) {
  const D3DXMATRIX a = Sample();
  D3DXMATRIX out;
  D3DXMatrixTranspose(&out, &a);
  D3DXMATRIX inPlace = a;
  EXPECT_EQ(D3DXMatrixTranspose(&inPlace, &inPlace), &inPlace);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      EXPECT_EQ(out.m[r][c], a.m[c][r]);
      EXPECT_EQ(inPlace.m[r][c], a.m[c][r]);
    }
}

TEST(MathInverse, ProductWithTheOriginalIsTheIdentity) {
  const D3DXMATRIX a = Sample();
  D3DXMATRIX inv, product;
  float det = 0;
  ASSERT_EQ(D3DXMatrixInverse(&inv, &det, &a), &inv);
  D3DXMatrixMultiply(&product, &a, &inv);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(product.m[r][c], r == c ? 1.0f : 0.0f, 1e-5f) << r << "," << c;
  // Determinant by hand for a diagonal matrix with a translation.
  D3DXMATRIX d(2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 7, 8, 9, 1);
  ASSERT_NE(D3DXMatrixInverse(&inv, &det, &d), nullptr);
  EXPECT_EQ(det, 24.0f);
  ExpectNear(TransformPoint(TransformPoint({1, 2, 3}, d), inv), 1, 2, 3, 1e-5f);
  // The output may be the input.
  D3DXMATRIX self = a, separate;
  D3DXMatrixInverse(&separate, nullptr, &a);
  D3DXMatrixInverse(&self, nullptr, &self);
  EXPECT_EQ(self, separate);
}

TEST(MathInverse, SingularMatricesReturnNullAndLeaveTheOutput) {
  D3DXMATRIX zeroRow = Sample();
  zeroRow._31 = zeroRow._32 = zeroRow._33 = zeroRow._34 = 0;
  D3DXMATRIX out(9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9);
  const D3DXMATRIX before = out;
  float det = 123;
  EXPECT_EQ(D3DXMatrixInverse(&out, &det, &zeroRow), nullptr);
  EXPECT_EQ(det, 0.0f);  // stored even though the inverse fails
  EXPECT_EQ(out, before);

  // A determinant so small that its reciprocal overflows to infinity.
  D3DXMATRIX tiny(1e-10f, 0, 0, 0, 0, 1e-10f, 0, 0, 0, 0, 1e-10f, 0, 0, 0, 0, 1e-10f);
  EXPECT_EQ(D3DXMatrixInverse(&out, &det, &tiny), nullptr);
  EXPECT_NE(det, 0.0f);
  EXPECT_EQ(out, before);

  D3DXMATRIX nan = Sample();
  nan._11 = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(D3DXMatrixInverse(&out, nullptr, &nan), nullptr);
  EXPECT_EQ(out, before);
}

TEST(MathLookAt, LookingDownZFromMinusTwoIsAnIdentityRotation) {
  const D3DXVECTOR3 eye(0, 0, -2), at(0, 0, 0), up(0, 1, 0);
  D3DXMATRIX v;
  EXPECT_EQ(D3DXMatrixLookAtLH(&v, &eye, &at, &up), &v);
  EXPECT_EQ(v, D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 2, 1));
}

TEST(MathLookAt, MapsTheEyeToTheOriginAndTheTargetOntoPlusZ) {
  const D3DXVECTOR3 eye(3, -20, 7), at(-1, 4, 2), up(0, 1, 0);
  D3DXMATRIX v;
  D3DXMatrixLookAtLH(&v, &eye, &at, &up);
  ExpectNear(TransformPoint(eye, v), 0, 0, 0, 1e-5f);
  D3DXVECTOR3 d = at - eye;
  ExpectNear(TransformPoint(at, v), 0, 0, D3DXVec3Length(&d), 1e-4f);
  // Columns are the camera axes: orthonormal, and x stays horizontal.
  D3DXVECTOR3 x(v._11, v._21, v._31), y(v._12, v._22, v._32), z(v._13, v._23, v._33);
  EXPECT_NEAR(D3DXVec3Dot(&x, &y), 0, 1e-6f);
  EXPECT_NEAR(D3DXVec3Dot(&y, &z), 0, 1e-6f);
  EXPECT_NEAR(D3DXVec3Length(&y), 1, 1e-6f);
  EXPECT_EQ(x.y, 0.0f);
  EXPECT_GT(y.y, 0.0f);
}

TEST(MathPerspective, FollowsTheLeftHandedFovFormulas) {
  D3DXMATRIX p;
  const float fov = 0.8975979f, aspect = 1.3333334f, zn = 0.1f, zf = 150.0f;
  EXPECT_EQ(D3DXMatrixPerspectiveFovLH(&p, fov, aspect, zn, zf), &p);
  const float q = zf / (zf - zn);
  EXPECT_EQ(p._33, q);
  EXPECT_EQ(p._43, -q * zn);
  EXPECT_NEAR(q, 150.0 / 149.9, 1e-6);
  EXPECT_EQ(p._34, 1.0f);
  EXPECT_EQ(p._44, 0.0f);
  const float h = static_cast<float>(1.0 / std::tan(fov * 0.5));
  EXPECT_NEAR(p._22, h, 1e-6f);
  EXPECT_EQ(p._11, p._22 / aspect);
  EXPECT_EQ(p._12, 0.0f);
  EXPECT_EQ(p._41, 0.0f);
  D3DXMatrixPerspectiveFovLH(&p, 1.5707964f, 1.0f, 1.0f, 2.0f);
  EXPECT_NEAR(p._22, 1.0f, 1e-6f);
  EXPECT_EQ(p._33, 2.0f);
  EXPECT_EQ(p._43, -2.0f);
}

TEST(MathNormalize, ScalesToUnitLength) {
  D3DXVECTOR3 v(3, 0, -4), out;
  EXPECT_EQ(D3DXVec3Normalize(&out, &v), &out);
  ExpectNear(out, 0.6f, 0, -0.8f);
  D3DXVec3Normalize(&v, &v);
  EXPECT_EQ(v, out);
}

TEST(MathNormalize, ZeroTinyAndNanGiveZero) {
  D3DXVECTOR3 out(5, 5, 5);
  const D3DXVECTOR3 zero(0, 0, 0);
  D3DXVec3Normalize(&out, &zero);
  EXPECT_EQ(out, zero);
  out = D3DXVECTOR3(5, 5, 5);
  const D3DXVECTOR3 tiny(1e-20f, 0, 0);  // squared length below the smallest normal float
  D3DXVec3Normalize(&out, &tiny);
  EXPECT_EQ(out, zero);
  out = D3DXVECTOR3(5, 5, 5);
  const D3DXVECTOR3 nan(std::numeric_limits<float>::quiet_NaN(), 1, 0);
  D3DXVec3Normalize(&out, &nan);
  EXPECT_EQ(out, zero);
  // Just above the smallest normal: still scaled.
  const D3DXVECTOR3 small(2e-19f, 0, 0);
  D3DXVec3Normalize(&out, &small);
  EXPECT_NEAR(out.x, 1.0f, 1e-6f);
}

TEST(MathNormalize, NearlyUnitVectorsAreCopiedUnchanged) {
  // 3x^2 rounds to 1 - 2^-24; a real normalisation would move x up by one ulp.
  const float x = 0x1.279a74p-1f;
  const D3DXVECTOR3 v(x, x, x);
  ASSERT_EQ(x * x + x * x + x * x, 0x1.fffffep-1f);
  ASSERT_NE(x * (1.0f / std::sqrt(0x1.fffffep-1f)), x);
  D3DXVECTOR3 out;
  D3DXVec3Normalize(&out, &v);
  EXPECT_EQ(out, v);
}

}  // namespace

}  // namespace zel::gfxutil
