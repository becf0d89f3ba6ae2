// Vertex normals: the mean of unit face normals, not renormalised.
#include "model3ds/compute_normals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <memory>

#include "model3ds/vector_tool.h"

namespace zel::model3ds {

namespace {

std::unique_ptr<Object3ds> Record(std::initializer_list<float> positions,
                                  std::initializer_list<uint16_t> faces) {
  auto o = std::make_unique<Object3ds>();
  o->vertexCount = static_cast<int32_t>(positions.size() / 3);
  o->faceCount = static_cast<int32_t>(faces.size() / 3);
  int k = 0;
  for (float p : positions) o->positions[k / 3][k % 3] = p, ++k;
  k = 0;
  for (uint16_t f : faces) o->faces[k / 3][k % 3] = f, ++k;
  for (auto &n : o->normals) n[0] = n[1] = n[2] = 7.0f;  // stale values must not survive
  return o;
}

void ExpectNormal(const Object3ds &o, int k, float x, float y, float z) {
  EXPECT_FLOAT_EQ(o.normals[k][0], x) << "vertex " << k;
  EXPECT_FLOAT_EQ(o.normals[k][1], y) << "vertex " << k;
  EXPECT_FLOAT_EQ(o.normals[k][2], z) << "vertex " << k;
}

TEST(ComputeNormals, SingleTriangle) {
  auto o = Record({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2});
  EXPECT_EQ(ComputeNormals(*o), 0);
  for (int k = 0; k < 3; ++k) ExpectNormal(*o, k, 0, 0, 1);
}

TEST(ComputeNormals, SharedEdgeGivesAShortMean) {
  // Shared edge v0-v1 along y; one face in z = 0 (normal +z), one in x = 0 (normal +x).
  auto o = Record({0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 1}, {0, 2, 1, 0, 1, 3});
  ComputeNormals(*o);
  ExpectNormal(*o, 0, 0.5f, 0, 0.5f);
  ExpectNormal(*o, 1, 0.5f, 0, 0.5f);
  ExpectNormal(*o, 2, 0, 0, 1);
  ExpectNormal(*o, 3, 1, 0, 0);
  EXPECT_NEAR(std::hypot(o->normals[0][0], o->normals[0][2]), 0.7071f, 1e-4f);
}

TEST(ComputeNormals, UnusedAndDegenerateVertices) {
  // Vertex 3 is used by no face; face (0, 0, 0) adds a zero normal three times to vertex 0.
  auto o = Record({0, 0, 0, 1, 0, 0, 0, 1, 0, 5, 5, 5}, {0, 1, 2, 0, 0, 0});
  ComputeNormals(*o);
  ExpectNormal(*o, 0, 0, 0, 0.25f);
  ExpectNormal(*o, 1, 0, 0, 1);
  ExpectNormal(*o, 3, 0, 0, 0);
}

TEST(ComputeNormals, EmptyListsLeaveZeros) {
  auto noFaces = Record({0, 0, 0, 1, 0, 0, 0, 1, 0}, {});
  ComputeNormals(*noFaces);
  for (int k = 0; k < 3; ++k) ExpectNormal(*noFaces, k, 0, 0, 0);
  auto noVertices = Record({}, {0, 1, 2});
  EXPECT_EQ(ComputeNormals(*noVertices), 0);
  EXPECT_EQ(noVertices->normals[0][0], 7.0f);  // nothing below vertexCount 0 is touched
}

TEST(ComputeNormals, FacesOutsideTheVertexListAndCountsOutsideCapacityAreSafe) {
  auto o = Record({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2, 0, 1, 60000});
  ComputeNormals(*o);
  for (int k = 0; k < 3; ++k) ExpectNormal(*o, k, 0, 0, 1);
  o->vertexCount = 1 << 30;
  o->faceCount = -5;
  EXPECT_EQ(ComputeNormals(*o), 0);
  ExpectNormal(*o, 0, 0, 0, 0);
}

TEST(VectorTool, ZeroStaysZeroAndCrossIsLeftHandedFormula) {
  VectorTool tool;
  float v[3] = {0, 0, 0};
  tool.Normalize(v);
  EXPECT_EQ(v[0], 0.0f);
  EXPECT_EQ(v[2], 0.0f);
  const float from[3] = {1, 1, 1}, to[3] = {1, 4, 5};
  float e[3];
  tool.EdgeDirection(from, to, e);
  EXPECT_FLOAT_EQ(e[1], 0.6f);
  EXPECT_FLOAT_EQ(e[2], 0.8f);
  const float x[3] = {1, 0, 0}, y[3] = {0, 1, 0};
  float z[3];
  tool.Cross(y, x, z);
  EXPECT_EQ(z[2], -1.0f);
}

}  // namespace

}  // namespace zel::model3ds
