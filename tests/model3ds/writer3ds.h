// A small .3ds writer for building test files: nested chunks with their lengths patched on
// close, plus the usual file layout around one or more meshes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace zel::model3ds::test {

class Writer3ds {
 public:
  Writer3ds &Begin(uint16_t id) {
    U16(id);
    open_.push_back(bytes.size() - 2);
    return U32(0);  // patched by End
  }
  Writer3ds &End() {
    const size_t start = open_.back();
    open_.pop_back();
    PatchU32(start + 2, static_cast<uint32_t>(bytes.size() - start));
    return *this;
  }
  Writer3ds &U8(uint8_t v) {
    bytes.push_back(v);
    return *this;
  }
  Writer3ds &U16(uint16_t v) { return U8(v & 0xFF).U8(v >> 8); }
  Writer3ds &U32(uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
  Writer3ds &F32(float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    return U32(v);
  }
  Writer3ds &Str(const std::string &s) {
    for (char c : s) U8(static_cast<uint8_t>(c));
    return U8(0);
  }
  void PatchU32(size_t at, uint32_t v) {
    for (int k = 0; k < 4; ++k) bytes[at + k] = static_cast<uint8_t>(v >> (8 * k));
  }

  std::vector<uint8_t> bytes;

 private:
  std::vector<size_t> open_;
};

struct Mesh {
  std::string name = "Box01";
  std::vector<float> vertices;     // x, y, z per vertex, file axes
  std::vector<uint16_t> faces;     // a, b, c per face, file winding
  std::vector<float> texCoords;    // u, v per vertex; empty: no mapping chunk
  bool writeFaces = true;
};

// The unit cube: 8 vertices, 12 faces, mapping (x, y).
inline Mesh Cube() {
  Mesh m;
  for (int k = 0; k < 8; ++k) {
    const float x = (k & 1) ? 1.0f : 0.0f, y = (k & 2) ? 1.0f : 0.0f, z = (k & 4) ? 1.0f : 0.0f;
    m.vertices.insert(m.vertices.end(), {x + 0.25f * k, y - 0.5f * k, z + 2.0f * k});
    m.texCoords.insert(m.texCoords.end(), {0.125f * k, 1.0f - 0.125f * k});
  }
  m.faces = {0, 2, 1, 1, 2, 3, 4, 5, 6, 5, 7, 6, 0, 1, 4, 1, 5, 4,
             2, 6, 3, 3, 6, 7, 0, 4, 2, 2, 4, 6, 1, 3, 5, 3, 7, 5};
  return m;
}

inline void WriteTriangleMesh(Writer3ds &w, const Mesh &m) {
  w.Begin(0x4100);
  w.Begin(0x4110).U16(static_cast<uint16_t>(m.vertices.size() / 3));
  for (float f : m.vertices) w.F32(f);
  w.End();
  if (m.writeFaces) {
    w.Begin(0x4120).U16(static_cast<uint16_t>(m.faces.size() / 3));
    for (size_t k = 0; k < m.faces.size(); k += 3) w.U16(m.faces[k]).U16(m.faces[k + 1]).U16(m.faces[k + 2]).U16(7);
    w.Begin(0x4130).Str("Mat01").U16(1).U16(0).End();  // material group
    w.Begin(0x4150);                                   // smoothing groups
    for (size_t k = 0; k < m.faces.size(); k += 3) w.U32(1);
    w.End();
    w.End();
  }
  if (!m.texCoords.empty()) {
    w.Begin(0x4140).U16(static_cast<uint16_t>(m.texCoords.size() / 2));
    for (float f : m.texCoords) w.F32(f);
    w.End();
  }
  w.Begin(0x4160);  // local axes: 4 x 3 floats
  for (int k = 0; k < 12; ++k) w.F32(k % 4 == 0 ? 1.0f : 0.0f);
  w.End();
  w.End();
}

inline void WriteObject(Writer3ds &w, const Mesh &m) {
  w.Begin(0x4000).Str(m.name);
  WriteTriangleMesh(w, m);
  w.End();
}

// Main chunk, version chunk and the editor's mesh-version chunk in the usual order, so the
// byte at offset 28 is the mesh version. `body` writes the editor's content.
template <typename Body>
std::vector<uint8_t> UsualFile(Body body, uint8_t version = 3) {
  Writer3ds w;
  w.Begin(0x4D4D);
  w.Begin(0x0002).U32(version).End();
  w.Begin(0x3D3D);
  w.Begin(0x3D3E).U32(version).End();
  body(w);
  w.End();
  w.End();
  return w.bytes;
}

inline std::vector<uint8_t> PlainFile(const Mesh &m) {
  return UsualFile([&](Writer3ds &w) { WriteObject(w, m); });
}

// A stdio stream holding `bytes`, rewound; closed by the caller.
inline FILE *StreamOf(const std::vector<uint8_t> &bytes) {
  FILE *f = std::tmpfile();
  if (f == nullptr) return nullptr;
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::rewind(f);
  return f;
}

}  // namespace zel::model3ds::test
