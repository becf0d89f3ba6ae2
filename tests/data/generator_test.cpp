// The generator's own pieces: polygon triangulation, the .3ds writer's layout, and that two
// runs write the same bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "data/generate.h"
#include "data/mesh.h"
#include "data/triangulate.h"

namespace zel::data {
namespace {

double TriangleArea(const std::vector<Point2> &pts, const std::array<int, 3> &t) {
  const Point2 &a = pts[t[0]], &b = pts[t[1]], &c = pts[t[2]];
  return 0.5 * ((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x));
}

std::vector<Point2> AllPoints(const Region &r) {
  std::vector<Point2> pts = r.outer;
  for (const Contour &h : r.holes) pts.insert(pts.end(), h.begin(), h.end());
  return pts;
}

TEST(Triangulate, SquareWithHoleCoversExactlyTheRing) {
  Region ring;
  ring.outer = {{0, 0}, {0, 10}, {10, 10}, {10, 0}};  // clockwise, as TrueType stores outers
  ring.holes.push_back({{3, 3}, {7, 3}, {7, 7}, {3, 7}});
  const auto tris = TriangulateRegion(ring);
  const std::vector<Point2> pts = AllPoints(ring);
  double area = 0;
  for (const auto &t : tris) {
    const double a = TriangleArea(pts, t);
    EXPECT_GT(a, 0.0);  // counter-clockwise, none degenerate
    area += a;
  }
  EXPECT_NEAR(area, 100.0 - 16.0, 1e-9);
  EXPECT_EQ(tris.size(), 8u);  // n + 2h - 2 for 8 points and one hole
}

TEST(Triangulate, ConcaveOutlineAndCollinearRuns) {
  Region l;  // an L with extra points along its straight edges
  l.outer = {{0, 0}, {2, 0}, {4, 0}, {4, 1}, {1, 1}, {1, 3}, {1, 5}, {0, 5}, {0, 2.5}};
  const auto tris = TriangulateRegion(l);
  double area = 0;
  for (const auto &t : tris) area += TriangleArea(l.outer, t);
  EXPECT_NEAR(area, 4.0 + 4.0, 1e-9);
}

TEST(Triangulate, GroupsHolesWithTheirOuters) {
  const std::vector<Contour> contours = {
      {{0, 0}, {0, 10}, {10, 10}, {10, 0}},        // outer (clockwise)
      {{2, 2}, {4, 2}, {4, 4}, {2, 4}},            // hole of the first
      {{20, 0}, {20, 5}, {25, 5}, {25, 0}},        // a second outer
  };
  const auto regions = GroupRegions(contours);
  ASSERT_EQ(regions.size(), 2u);
  EXPECT_EQ(regions[0].holes.size(), 1u);
  EXPECT_EQ(regions[1].holes.size(), 0u);
}

uint16_t U16(const std::vector<uint8_t> &b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }
uint32_t U32(const std::vector<uint8_t> &b, size_t at) { return U16(b, at) | static_cast<uint32_t>(U16(b, at + 2)) << 16; }

TEST(Writer3ds, UsualLayoutAndAxisExchange) {
  Mesh mesh;
  mesh.name = "tri";
  const int a = mesh.AddVertex({1, 2, 3}, 0.25f, 0.5f);
  const int b = mesh.AddVertex({4, 5, 6}, 0, 0);
  const int c = mesh.AddVertex({7, 8, 10}, 1, 1);
  mesh.faces.push_back({static_cast<uint16_t>(a), static_cast<uint16_t>(b), static_cast<uint16_t>(c)});
  const std::vector<uint8_t> f = Encode3ds(mesh, {"m", {1, 2, 3}, ""});
  ASSERT_GT(f.size(), 40u);
  EXPECT_EQ(U16(f, 0), 0x4D4D);
  EXPECT_EQ(U32(f, 2), f.size());
  EXPECT_EQ(U16(f, 6), 0x0002);
  EXPECT_EQ(U32(f, 12), 3u);
  EXPECT_EQ(U16(f, 16), 0x3D3D);
  EXPECT_EQ(U16(f, 22), 0x3D3E);
  EXPECT_EQ(f[28], 3);  // the byte the reader takes as the version
  // Vertex list: positions stored as (x, z, y).
  size_t at = 0;
  for (size_t i = 0; i + 1 < f.size(); ++i)
    if (U16(f, i) == 0x4110 && U32(f, i + 2) == 6 + 2 + 3 * 12) at = i;
  ASSERT_NE(at, 0u);
  float first[3];
  std::memcpy(first, &f[at + 8], 12);
  EXPECT_EQ(first[0], 1.0f);
  EXPECT_EQ(first[1], 3.0f);
  EXPECT_EQ(first[2], 2.0f);
}

TEST(Writer3ds, TrianglesFaceTheRequestedWay) {
  Mesh mesh;
  const int a = mesh.AddVertex({0, 0, 0}, 0, 0), b = mesh.AddVertex({1, 0, 0}, 0, 0), c = mesh.AddVertex({0, 1, 0}, 0, 0);
  mesh.AddTriangle(a, b, c, {0, 0, -1});
  const auto &f = mesh.faces[0];
  const Vec3 n = Cross(mesh.positions[f[1]] - mesh.positions[f[0]], mesh.positions[f[2]] - mesh.positions[f[0]]);
  EXPECT_LT(n.z, 0.0);
}

std::vector<uint8_t> Read(const std::filesystem::path &p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Two runs into two folders (the soundtrack shortened) give identical files.
TEST(Generator, TwoRunsWriteTheSameBytes) {
  const std::filesystem::path base = std::filesystem::temp_directory_path() / ("zel16_datagen_" + std::to_string(::getpid()));
  std::vector<std::filesystem::path> dirs = {base / "a", base / "b"};
  for (const auto &d : dirs) {
    Options options;
    options.outDir = d.string();
    options.headerPath = (d / "generated" / "bitmap115.h").string();
    options.musicSeconds = 3.0;
    ASSERT_TRUE(GenerateAll(options));
  }
  int files = 0;
  for (const auto &entry : std::filesystem::recursive_directory_iterator(dirs[0])) {
    if (!entry.is_regular_file()) continue;
    const auto rel = std::filesystem::relative(entry.path(), dirs[0]);
    SCOPED_TRACE(rel.string());
    EXPECT_EQ(Read(entry.path()), Read(dirs[1] / rel));
    ++files;
  }
  EXPECT_GE(files, 40);
  std::filesystem::remove_all(base);
}

}  // namespace
}  // namespace zel::data
