// Geometry of the three models (see models.h).
#include "data/models.h"

#include <algorithm>
#include <cmath>

#include "data/triangulate.h"

namespace zel::data {

namespace {

constexpr double kPi = 3.14159265358979323846;

// ---- title ----------------------------------------------------------------------------

constexpr double kMaxEdge = 2.4;         // units: longest side-wall edge along a contour
constexpr int kSideSteps = 4;            // side wall rows between the bevels
constexpr double kSharpCos = 0.87;       // corners sharper than ~30 degrees get split normals
constexpr double kTexelsPerUnit = 1.0 / 48.0;  // skin texture repeat

Point2 Sub(Point2 a, Point2 b) { return {a.x - b.x, a.y - b.y}; }
Point2 Unit(Point2 v) {
  const double l = std::hypot(v.x, v.y);
  return l > 0 ? Point2{v.x / l, v.y / l} : v;
}
Point2 LeftNormal(Point2 d) { return {-d.y, d.x}; }

// Splits long edges so the side walls have enough vertices for smooth per-vertex light.
Contour Subdivide(const Contour &c) {
  Contour out;
  for (size_t i = 0; i < c.size(); ++i) {
    const Point2 a = c[i], b = c[(i + 1) % c.size()];
    const int pieces = std::max(1, static_cast<int>(std::ceil(std::hypot(b.x - a.x, b.y - a.y) / kMaxEdge)));
    for (int k = 0; k < pieces; ++k) out.push_back({a.x + (b.x - a.x) * k / pieces, a.y + (b.y - a.y) * k / pieces});
  }
  return out;
}

// Moves every point `distance` into the solid, which lies left of the direction of travel.
Contour Inset(const Contour &c, double distance) {
  Contour out(c.size());
  const size_t n = c.size();
  for (size_t i = 0; i < n; ++i) {
    const Point2 n1 = LeftNormal(Unit(Sub(c[i], c[(i + n - 1) % n])));
    const Point2 n2 = LeftNormal(Unit(Sub(c[(i + 1) % n], c[i])));
    const Point2 m = Unit({n1.x + n2.x, n1.y + n2.y});
    const double cosHalf = std::max(0.4, m.x * n1.x + m.y * n1.y);  // clamp long miters
    out[i] = {c[i].x + m.x * distance / cosHalf, c[i].y + m.y * distance / cosHalf};
  }
  return out;
}

// Drops points that lie on the line through their neighbours (caps need no more).
Contour DropStraightRuns(const Contour &c) {
  Contour out;
  const size_t n = c.size();
  for (size_t i = 0; i < n; ++i) {
    const Point2 a = c[(i + n - 1) % n], b = c[i], d = c[(i + 1) % n];
    const double cross = (b.x - a.x) * (d.y - b.y) - (b.y - a.y) * (d.x - b.x);
    const double scale = std::hypot(b.x - a.x, b.y - a.y) * std::hypot(d.x - b.x, d.y - b.y);
    if (std::abs(cross) > 1e-6 * scale) out.push_back(b);
  }
  return out;
}

bool SharpCorner(const Contour &c, size_t i) {
  const size_t n = c.size();
  const Point2 d1 = Unit(Sub(c[i], c[(i + n - 1) % n])), d2 = Unit(Sub(c[(i + 1) % n], c[i]));
  return d1.x * d2.x + d1.y * d2.y < kSharpCos;
}

// The glyph run placed in the renderer's xy plane: x mirrored so the text reads left to
// right for a viewer on the +z side, width kTitleWidth, centred on (0, kTitleCentreY).
std::vector<Contour> PlaceTitle(std::vector<Contour> contours) {
  double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
  for (const Contour &c : contours)
    for (const Point2 &p : c) {
      minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
      minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    }
  const double s = kTitleWidth / (maxX - minX), cx = 0.5 * (minX + maxX), cy = 0.5 * (minY + maxY);
  for (Contour &c : contours)
    for (Point2 &p : c) p = {-(p.x - cx) * s, (p.y - cy) * s + kTitleCentreY};
  return contours;
}

// One ring of side-wall vertices around a contour at depth z. A sharp corner gets two
// vertices (one per adjoining edge) so its edges shade hard; `first[i]` serves the edge
// arriving at point i, `second[i]` the edge leaving it.
struct Ring {
  std::vector<int> arrive, leave;
};

Ring AddRing(Mesh &mesh, const Contour &shape, const std::vector<bool> &sharp, const std::vector<double> &arc,
             double z, float v) {
  Ring ring;
  for (size_t i = 0; i < shape.size(); ++i) {
    const Vec3 p{shape[i].x, shape[i].y, z};
    const float u = static_cast<float>(arc[i] * kTexelsPerUnit);
    const int a = mesh.AddVertex(p, u, v);
    ring.arrive.push_back(a);
    ring.leave.push_back(sharp[i] ? mesh.AddVertex(p, u, v) : a);
  }
  return ring;
}

void AddStrip(Mesh &mesh, const Contour &outline, const Ring &near, const Ring &far, double zBias) {
  const size_t n = outline.size();
  for (size_t i = 0; i < n; ++i) {
    const size_t j = (i + 1) % n;
    const Point2 d = Unit(Sub(outline[j], outline[i]));
    const Vec3 outward = Normalised({d.y, -d.x, zBias});  // right of travel = out of the solid
    mesh.AddQuad(near.leave[i], near.arrive[j], far.arrive[j], far.leave[i], outward);
  }
}

void AddCap(Mesh &mesh, const Region &region, double z, double facing) {
  std::vector<int> ids;
  auto add = [&](const Contour &c) {
    for (const Point2 &p : c)
      ids.push_back(mesh.AddVertex({p.x, p.y, z}, static_cast<float>(p.x * kTexelsPerUnit),
                                   static_cast<float>(-p.y * kTexelsPerUnit)));
  };
  add(region.outer);
  for (const Contour &h : region.holes) add(h);
  for (const auto &t : TriangulateRegion(region)) mesh.AddTriangle(ids[t[0]], ids[t[1]], ids[t[2]], {0, 0, facing});
}

void AddExtrudedRegion(Mesh &mesh, const Region &region) {
  const double front = 0.5 * kTitleDepth, back = -0.5 * kTitleDepth;
  Region capShape;
  std::vector<Contour> sides;
  sides.push_back(Subdivide(region.outer));
  for (const Contour &h : region.holes) sides.push_back(Subdivide(h));
  for (size_t k = 0; k < sides.size(); ++k) {
    const Contour &side = sides[k];
    const Contour inset = Inset(side, kTitleBevel);
    std::vector<bool> sharp(side.size());
    std::vector<double> arc(side.size(), 0.0);
    for (size_t i = 0; i < side.size(); ++i) {
      sharp[i] = SharpCorner(side, i);
      if (i > 0) arc[i] = arc[i - 1] + std::hypot(side[i].x - side[i - 1].x, side[i].y - side[i - 1].y);
    }
    // Front bevel, side wall rows, back bevel: each strip has its own rings (hard edges
    // between them), rows within the side wall share theirs.
    const Ring frontInner = AddRing(mesh, inset, sharp, arc, front, 0.0f);
    const Ring frontOuter = AddRing(mesh, side, sharp, arc, front - kTitleBevel, 0.06f);
    AddStrip(mesh, side, frontInner, frontOuter, 1.0);
    std::vector<Ring> rows;
    for (int r = 0; r <= kSideSteps; ++r) {
      const double t = static_cast<double>(r) / kSideSteps;
      const double z = (front - kTitleBevel) + t * ((back + kTitleBevel) - (front - kTitleBevel));
      rows.push_back(AddRing(mesh, side, sharp, arc, z, static_cast<float>(0.06 + 0.44 * t)));
    }
    for (int r = 0; r < kSideSteps; ++r) AddStrip(mesh, side, rows[r], rows[r + 1], 0.0);
    const Ring backOuter = AddRing(mesh, side, sharp, arc, back + kTitleBevel, 0.5f);
    const Ring backInner = AddRing(mesh, inset, sharp, arc, back, 0.56f);
    AddStrip(mesh, side, backOuter, backInner, -1.0);
    (k == 0 ? capShape.outer : capShape.holes.emplace_back()) = DropStraightRuns(inset);
  }
  AddCap(mesh, capShape, front, 1.0);
  AddCap(mesh, capShape, back, -1.0);
}

// Outer contours counter-clockwise and holes clockwise (y up): the solid then lies left
// of the direction of travel on every contour.
void Orient(Region &r) {
  if (SignedArea(r.outer) < 0) std::reverse(r.outer.begin(), r.outer.end());
  for (Contour &h : r.holes)
    if (SignedArea(h) > 0) std::reverse(h.begin(), h.end());
}

}  // namespace

Mesh BuildTitleModel(const Font &boldFont) {
  Mesh mesh;
  mesh.name = "zel16title";
  std::vector<Region> regions = GroupRegions(PlaceTitle(boldFont.Outlines("ZEL 16", 100.0, 10)));
  for (Region &r : regions) {
    Orient(r);
    AddExtrudedRegion(mesh, r);
  }
  return mesh;
}

// ---- jumper star ----------------------------------------------------------------------

namespace {

constexpr int kStarPoints = 5;
constexpr double kStarOuter = 2.4, kStarInner = 1.05, kStarApex = 0.9;  // units
constexpr int kFacetSteps = 3;  // each facet is cut into kFacetSteps^2 triangles

// Shading baked into u: the texture runs from dark (u = 0) to bright (u = 1), so a facet
// turned towards this light samples the bright end.
const Vec3 kBakedLight = Normalised({-0.4, 0.7, -0.6});

void AddFacet(Mesh &mesh, Vec3 a, Vec3 b, Vec3 c, double facetShade) {
  const Vec3 n = Normalised(Cross(b - a, c - a));
  const double light = 0.18 + 0.8 * std::max(0.0, std::abs(Dot(n, kBakedLight)));
  std::vector<std::vector<int>> grid(kFacetSteps + 1);
  for (int i = 0; i <= kFacetSteps; ++i)
    for (int j = 0; j <= kFacetSteps - i; ++j) {
      const double s = static_cast<double>(i) / kFacetSteps, t = static_cast<double>(j) / kFacetSteps;
      const Vec3 p = a + (b - a) * s + (c - a) * t;
      // v follows the distance from the facet's base edge, giving a streak of sheen.
      grid[i].push_back(mesh.AddVertex(p, static_cast<float>(light * facetShade), static_cast<float>(0.1 + 0.8 * (s + t))));
    }
  for (int i = 0; i < kFacetSteps; ++i)
    for (int j = 0; j < kFacetSteps - i; ++j) {
      mesh.AddTriangle(grid[i][j], grid[i + 1][j], grid[i][j + 1], n);
      if (j + 1 < kFacetSteps - i) mesh.AddTriangle(grid[i + 1][j], grid[i + 1][j + 1], grid[i][j + 1], n);
    }
}

}  // namespace

Mesh BuildJumperModel() {
  Mesh mesh;
  mesh.name = "jumpstar";
  std::vector<Vec3> rim;
  for (int k = 0; k < 2 * kStarPoints; ++k) {
    const double angle = kPi / 2 + k * kPi / kStarPoints;
    const double r = (k % 2 == 0) ? kStarOuter : kStarInner;
    rim.push_back({r * std::cos(angle), r * std::sin(angle), 0.0});
  }
  const Vec3 apexFront{0, 0, -kStarApex}, apexBack{0, 0, kStarApex};
  for (size_t k = 0; k < rim.size(); ++k) {
    const Vec3 a = rim[k], b = rim[(k + 1) % rim.size()];
    const double shade = (k % 2 == 0) ? 1.0 : 0.92;
    AddFacet(mesh, apexFront, b, a, shade);
    AddFacet(mesh, apexBack, a, b, shade);
  }
  return mesh;
}

// ---- sky bowl -------------------------------------------------------------------------

namespace {

constexpr double kBowlRadius = 140.0;    // units at the rim (z = 0)
constexpr double kBowlDepth = 260.0;     // units from rim to the pole's plane
constexpr double kBowlOpenDeg = 84.0;    // the bowl stops short of its pole: a dark centre
constexpr int kBowlRings = 28, kBowlSegments = 48;
constexpr double kRepeatsAround = 4.0;   // texture repeats around the rim (u)
constexpr double kRepeatsAlong = 3.0;    // texture repeats from rim to opening (v)

}  // namespace

Mesh BuildSkyModel() {
  Mesh mesh;
  mesh.name = "skybowl";
  const double phiMax = kBowlOpenDeg * kPi / 180.0;
  std::vector<std::vector<int>> grid(kBowlRings + 1);
  for (int j = 0; j <= kBowlRings; ++j) {
    const double phi = phiMax * j / kBowlRings;
    const double r = kBowlRadius * std::cos(phi), z = -kBowlDepth * std::sin(phi);
    for (int i = 0; i <= kBowlSegments; ++i) {  // the seam column repeats with u = repeats
      const double theta = 2.0 * kPi * i / kBowlSegments;
      grid[j].push_back(mesh.AddVertex({r * std::cos(theta), r * std::sin(theta), z},
                                       static_cast<float>(kRepeatsAround * i / kBowlSegments),
                                       static_cast<float>(kRepeatsAlong * j / kBowlRings)));
    }
  }
  for (int j = 0; j < kBowlRings; ++j)
    for (int i = 0; i < kBowlSegments; ++i) {
      // The inside of the bowl faces the camera at +z.
      const Vec3 p = mesh.positions[grid[j][i]];
      const Vec3 inward = Normalised({-p.x, -p.y, kBowlDepth});
      mesh.AddQuad(grid[j][i], grid[j][i + 1], grid[j + 1][i + 1], grid[j + 1][i], inward);
    }
  return mesh;
}

}  // namespace zel::data
