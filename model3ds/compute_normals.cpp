#include "model3ds/compute_normals.h"

#include <algorithm>

#include "model3ds/vector_tool.h"

namespace zel::model3ds {

namespace {

// Counts outside the arrays are clipped so a hand-made record can't make us overrun them.
int ClampCount(int32_t count, int capacity) { return std::clamp<int32_t>(count, 0, capacity); }

}  // namespace

int ComputeNormals(Object3ds &object) {
  const int vertexCount = ClampCount(object.vertexCount, MaxMeshVertices);
  const int faceCount = ClampCount(object.faceCount, MaxMeshFaces);
  int32_t useCounts[MaxMeshVertices];  // faces per vertex, this run only (88 KB of stack)
  VectorTool tool;

  for (int k = 0; k < vertexCount; ++k) {
    object.normals[k][0] = object.normals[k][1] = object.normals[k][2] = 0.0f;
    useCounts[k] = 0;
  }

  for (int f = 0; f < faceCount; ++f) {
    const uint16_t *face = object.faces[f];
    if (face[0] >= vertexCount || face[1] >= vertexCount || face[2] >= vertexCount) continue;
    const float *p0 = object.positions[face[0]];
    const float *p1 = object.positions[face[1]];
    const float *p2 = object.positions[face[2]];
    float e1[3], e2[3], n[3];
    tool.EdgeDirection(p0, p1, e1);
    tool.EdgeDirection(p0, p2, e2);
    tool.Cross(e1, e2, n);
    tool.Normalize(n);
    for (int corner = 0; corner < 3; ++corner) {
      const int k = face[corner];
      ++useCounts[k];
      object.normals[k][0] += n[0];
      object.normals[k][1] += n[1];
      object.normals[k][2] += n[2];
    }
  }

  for (int k = 0; k < vertexCount; ++k) {
    if (useCounts[k] <= 0) continue;
    const float scale = 1.0f / static_cast<float>(useCounts[k]);
    object.normals[k][0] *= scale;
    object.normals[k][1] *= scale;
    object.normals[k][2] *= scale;
  }
  return 0;
}

}  // namespace zel::model3ds
