// Mesh building helpers and the .3ds chunk writer (see mesh.h).
#include "data/mesh.h"

#include <cassert>
#include <cmath>
#include <cstring>

namespace zel::data {

Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Normalised(Vec3 v) {
  const double len = std::sqrt(Dot(v, v));
  return len > 0 ? v * (1.0 / len) : v;
}

int Mesh::AddVertex(Vec3 p, float u, float v) {
  positions.push_back(p);
  texCoords.push_back({u, v});
  return static_cast<int>(positions.size()) - 1;
}

void Mesh::AddTriangle(int a, int b, int c, Vec3 outward) {
  const Vec3 n = Cross(positions[b] - positions[a], positions[c] - positions[a]);
  if (Dot(n, outward) < 0) std::swap(b, c);
  faces.push_back({static_cast<uint16_t>(a), static_cast<uint16_t>(b), static_cast<uint16_t>(c)});
}

void Mesh::AddQuad(int a, int b, int c, int d, Vec3 outward) {
  AddTriangle(a, b, c, outward);
  AddTriangle(a, c, d, outward);
}

void Mesh::Bounds(Vec3 &lo, Vec3 &hi) const {
  lo = hi = positions.empty() ? Vec3{} : positions[0];
  for (const Vec3 &p : positions) {
    lo = {std::fmin(lo.x, p.x), std::fmin(lo.y, p.y), std::fmin(lo.z, p.z)};
    hi = {std::fmax(hi.x, p.x), std::fmax(hi.y, p.y), std::fmax(hi.z, p.z)};
  }
}

namespace {

// Little-endian chunk builder: Begin writes a header with a placeholder length that End
// fills in once the chunk's body is complete.
class ChunkWriter {
 public:
  void Begin(uint16_t id) {
    open_.push_back(bytes_.size());
    U16(id);
    U32(0);
  }
  void End() {
    const size_t start = open_.back();
    open_.pop_back();
    const uint32_t length = static_cast<uint32_t>(bytes_.size() - start);
    for (int i = 0; i < 4; ++i) bytes_[start + 2 + i] = static_cast<uint8_t>(length >> (8 * i));
  }
  void U8(uint8_t v) { bytes_.push_back(v); }
  void U16(uint16_t v) {
    U8(static_cast<uint8_t>(v));
    U8(static_cast<uint8_t>(v >> 8));
  }
  void U32(uint32_t v) {
    U16(static_cast<uint16_t>(v));
    U16(static_cast<uint16_t>(v >> 16));
  }
  void F32(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    U32(bits);
  }
  void Text(const std::string &s) {
    for (char c : s) U8(static_cast<uint8_t>(c));
    U8(0);
  }
  std::vector<uint8_t> Take() {
    assert(open_.empty());
    return std::move(bytes_);
  }

 private:
  std::vector<uint8_t> bytes_;
  std::vector<size_t> open_;
};

void WriteMaterial(ChunkWriter &w, const Material3ds &m) {
  w.Begin(0xAFFF);
  w.Begin(0xA000);  // material name
  w.Text(m.name);
  w.End();
  for (uint16_t id : {uint16_t(0xA010), uint16_t(0xA020), uint16_t(0xA030)}) {  // ambient, diffuse, specular
    w.Begin(id);
    w.Begin(0x0011);  // 24-bit colour
    for (int c = 0; c < 3; ++c)  // ambient a quarter of the diffuse colour, specular near white
      w.U8(id == 0xA030 ? 0xE6 : id == 0xA010 ? static_cast<uint8_t>(m.diffuse[c] / 4) : m.diffuse[c]);
    w.End();
    w.End();
  }
  if (!m.textureFile.empty()) {
    w.Begin(0xA200);  // texture map 1
    w.Begin(0x0030);  // percentage, as an integer
    w.U16(100);
    w.End();
    w.Begin(0xA300);  // map file name
    w.Text(m.textureFile);
    w.End();
    w.End();
  }
  w.End();
}

void WriteMesh(ChunkWriter &w, const Mesh &mesh, const std::string &materialName) {
  w.Begin(0x4100);
  w.Begin(0x4110);  // vertex list, file axes (x, z, y)
  w.U16(static_cast<uint16_t>(mesh.positions.size()));
  for (const Vec3 &p : mesh.positions) {
    w.F32(static_cast<float>(p.x));
    w.F32(static_cast<float>(p.z));
    w.F32(static_cast<float>(p.y));
  }
  w.End();
  w.Begin(0x4140);  // mapping list
  w.U16(static_cast<uint16_t>(mesh.texCoords.size()));
  for (const auto &uv : mesh.texCoords) {
    w.F32(uv[0]);
    w.F32(uv[1]);
  }
  w.End();
  w.Begin(0x4160);  // local coordinate system: identity axes, origin at 0
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 3; ++c) w.F32(r == c ? 1.0f : 0.0f);
  w.End();
  w.Begin(0x4120);  // face list, file winding (a, c, b)
  w.U16(static_cast<uint16_t>(mesh.faces.size()));
  for (const auto &f : mesh.faces) {
    w.U16(f[0]);
    w.U16(f[2]);
    w.U16(f[1]);
    w.U16(0x0007);  // edges AB, BC and CA visible
  }
  w.Begin(0x4130);  // every face uses the one material
  w.Text(materialName);
  w.U16(static_cast<uint16_t>(mesh.faces.size()));
  for (size_t i = 0; i < mesh.faces.size(); ++i) w.U16(static_cast<uint16_t>(i));
  w.End();
  w.End();
  w.End();
}

}  // namespace

std::vector<uint8_t> Encode3ds(const Mesh &mesh, const Material3ds &material) {
  assert(mesh.positions.size() <= 65535 && mesh.faces.size() <= 65535);
  ChunkWriter w;
  w.Begin(0x4D4D);
  w.Begin(0x0002);  // file version
  w.U32(3);
  w.End();
  w.Begin(0x3D3D);
  w.Begin(0x3D3E);  // mesh version: its first byte lands at file offset 28
  w.U32(3);
  w.End();
  WriteMaterial(w, material);
  w.Begin(0x4000);
  w.Text(mesh.name);
  WriteMesh(w, mesh, material.name);
  w.End();
  w.End();
  w.End();
  return w.Take();
}

}  // namespace zel::data
