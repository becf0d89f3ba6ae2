#include "model3ds/vector_tool.h"

#include <cmath>

namespace zel::model3ds {

void VectorTool::EdgeDirection(const float from[3], const float to[3], float out[3]) const {
  out[0] = to[0] - from[0];
  out[1] = to[1] - from[1];
  out[2] = to[2] - from[2];
  Normalize(out);
}

void VectorTool::Cross(const float a[3], const float b[3], float out[3]) const {
  const float x = a[1] * b[2] - a[2] * b[1];
  const float y = a[2] * b[0] - a[0] * b[2];
  const float z = a[0] * b[1] - a[1] * b[0];
  out[0] = x;  // written after all three are formed, so out may alias a or b
  out[1] = y;
  out[2] = z;
}

void VectorTool::Normalize(float v[3]) const {
  float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (length == 0.0f) length = 1.0f;
  const float scale = 1.0f / length;
  v[0] *= scale;
  v[1] *= scale;
  v[2] *= scale;
}

}  // namespace zel::model3ds
