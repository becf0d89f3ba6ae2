// The three vector operations that vertex normals need, on plain float triples.
// Every result is stored as single-precision floats before it is used again.
#pragma once

namespace zel::model3ds {

class VectorTool {
 public:
  virtual ~VectorTool() = default;

  // out = to - from, then Normalize(out).
  void EdgeDirection(const float from[3], const float to[3], float out[3]) const;
  // out = a x b (left-handed axes, so the usual formula).
  void Cross(const float a[3], const float b[3], float out[3]) const;
  // Scales v to unit length; a zero vector stays zero (its length is taken as 1).
  void Normalize(float v[3]) const;
};

}  // namespace zel::model3ds
