// A triangle mesh in the renderer's axes (x right, y up, z into the screen, left-handed)
// and its .3ds file form. The file stores positions as (x, z, y) and faces as (a, c, b);
// the demo's reader exchanges them back, so the mesh comes out as built here.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zel::data {

struct Vec3 {
  double x = 0, y = 0, z = 0;
};

inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
Vec3 Cross(Vec3 a, Vec3 b);
double Dot(Vec3 a, Vec3 b);
Vec3 Normalised(Vec3 v);

struct Mesh {
  std::string name;  // object name, at most 10 characters (the reader keeps 11 at most)
  std::vector<Vec3> positions;
  std::vector<std::array<float, 2>> texCoords;  // (u, v) per vertex
  std::vector<std::array<uint16_t, 3>> faces;   // renderer winding

  int AddVertex(Vec3 p, float u, float v);
  // Adds triangle (a, b, c), swapping b and c when needed so that the face normal the
  // demo computes, cross(pb - pa, pc - pa), points along `outward`.
  void AddTriangle(int a, int b, int c, Vec3 outward);
  // Two triangles over the quad a-b-c-d (in order around its edge), facing `outward`.
  void AddQuad(int a, int b, int c, int d, Vec3 outward);
  void Bounds(Vec3 &lo, Vec3 &hi) const;
};

// Material block written with each model (the reader walks over it; other tools show it).
struct Material3ds {
  std::string name;
  uint8_t diffuse[3];
  std::string textureFile;  // file name only, as 3D Studio stores map names
};

// The whole .3ds file: main chunk 0x4D4D with version 3, editor 0x3D3D with mesh version 3,
// a material block 0xAFFF, one object 0x4000 holding a triangle mesh 0x4100 with vertex
// list 0x4110, face list 0x4120 (with flags and a material group), mapping list 0x4140 and
// a local coordinate system 0x4160 (identity).
std::vector<uint8_t> Encode3ds(const Mesh &mesh, const Material3ds &material);

}  // namespace zel::data
