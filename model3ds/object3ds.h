// The mesh record and camera that the .3ds reader fills, in the renderer's axes
// (file (x, y, z) becomes (x, z, y); file faces (a, b, c) become (a, c, b)).
// Fixed-capacity plain data: nothing here allocates, nothing grows.
#pragma once

#include <cstdint>

namespace zel::model3ds {

constexpr int MaxObjects3ds = 1;        // mesh records per loader and per model
constexpr int MaxMeshVertices = 22000;  // vertices, and texture coordinate pairs, per mesh
constexpr int MaxMeshFaces = 22000;     // triangles per mesh
constexpr int ObjectNameLength = 30;    // bytes of a name buffer, NUL included

struct Object3ds {
  char name[ObjectNameLength];                 // NUL-terminated; bytes after the NUL are left over
  int32_t vertexCount;                         // valid entries in positions, normals, texCoords
  int32_t faceCount;                           // valid entries in faces
  float positions[MaxMeshVertices][3];         // renderer axes (file x, file z, file y)
  float normals[MaxMeshVertices][3];           // mean of unit face normals, not renormalised
  uint16_t faces[MaxMeshFaces][3];             // renderer winding (file a, file c, file b)
  float texCoords[MaxMeshVertices][2];         // (u, v) as stored in the file
};

struct Camera3ds {
  float position[3];  // renderer axes (file x, file z, file y)
  float target[3];    // renderer axes
  float bank;         // degrees, as stored
  float lens;         // millimetres, as stored
};

}  // namespace zel::model3ds
