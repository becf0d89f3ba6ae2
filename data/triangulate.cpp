// Hole bridging and ear clipping (see triangulate.h).
#include "data/triangulate.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zel::data {

double SignedArea(const Contour &c) {
  double a = 0;
  for (size_t i = 0; i < c.size(); ++i) {
    const Point2 &p = c[i], &q = c[(i + 1) % c.size()];
    a += p.x * q.y - q.x * p.y;
  }
  return 0.5 * a;
}

bool PointInContour(const Point2 &p, const Contour &c) {
  bool inside = false;
  for (size_t i = 0, j = c.size() - 1; i < c.size(); j = i++) {
    const Point2 &a = c[i], &b = c[j];
    if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) inside = !inside;
  }
  return inside;
}

std::vector<Region> GroupRegions(const std::vector<Contour> &contours) {
  std::vector<Region> regions;
  if (contours.empty()) return regions;
  // The largest contour is certainly an outer one; it tells the font's winding for outers.
  size_t largest = 0;
  for (size_t i = 1; i < contours.size(); ++i)
    if (std::abs(SignedArea(contours[i])) > std::abs(SignedArea(contours[largest]))) largest = i;
  const bool outerPositive = SignedArea(contours[largest]) > 0;
  std::vector<const Contour *> holes;
  for (const Contour &c : contours) {
    if ((SignedArea(c) > 0) == outerPositive)
      regions.push_back({c, {}});
    else
      holes.push_back(&c);
  }
  for (const Contour *h : holes) {
    Region *best = nullptr;
    double bestArea = std::numeric_limits<double>::max();
    for (Region &r : regions) {
      const double area = std::abs(SignedArea(r.outer));
      if (area < bestArea && PointInContour((*h)[0], r.outer)) {
        best = &r;
        bestArea = area;
      }
    }
    if (best) best->holes.push_back(*h);
  }
  return regions;
}

namespace {

double Cross(const Point2 &o, const Point2 &a, const Point2 &b) {
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

bool SegmentsCross(const Point2 &a, const Point2 &b, const Point2 &c, const Point2 &d) {
  const double d1 = Cross(c, d, a), d2 = Cross(c, d, b), d3 = Cross(a, b, c), d4 = Cross(a, b, d);
  return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

bool Same(const Point2 &a, const Point2 &b) { return a.x == b.x && a.y == b.y; }

// A polygon as a cycle of indices into the shared point list.
using Ring = std::vector<int>;

bool SegmentClear(const std::vector<Point2> &pts, const std::vector<Ring> &rings, int from, int to) {
  const Point2 &a = pts[from], &b = pts[to];
  for (const Ring &r : rings)
    for (size_t i = 0; i < r.size(); ++i) {
      const Point2 &c = pts[r[i]], &d = pts[r[(i + 1) % r.size()]];
      if (Same(c, a) || Same(c, b) || Same(d, a) || Same(d, b)) continue;
      if (SegmentsCross(a, b, c, d)) return false;
    }
  return true;
}

// Splices hole ring `h` into `outer` through the shortest unobstructed bridge from the
// hole's rightmost point.
void Bridge(const std::vector<Point2> &pts, Ring &outer, const Ring &hole, const std::vector<Ring> &others) {
  size_t m = 0;
  for (size_t i = 1; i < hole.size(); ++i)
    if (pts[hole[i]].x > pts[hole[m]].x) m = i;
  std::vector<Ring> blockers = others;
  blockers.push_back(outer);
  blockers.push_back(hole);
  size_t best = outer.size();
  double bestDist = std::numeric_limits<double>::max();
  for (size_t i = 0; i < outer.size(); ++i) {
    const double dx = pts[outer[i]].x - pts[hole[m]].x, dy = pts[outer[i]].y - pts[hole[m]].y;
    const double dist = dx * dx + dy * dy;
    if (dist < bestDist && SegmentClear(pts, blockers, hole[m], outer[i])) {
      best = i;
      bestDist = dist;
    }
  }
  if (best == outer.size()) return;  // no clear bridge: leave the hole unfilled-over
  Ring merged(outer.begin(), outer.begin() + static_cast<long>(best) + 1);
  for (size_t k = 0; k <= hole.size(); ++k) merged.push_back(hole[(m + k) % hole.size()]);
  merged.insert(merged.end(), outer.begin() + static_cast<long>(best), outer.end());
  outer.swap(merged);
}

bool InsideTriangle(const Point2 &p, const Point2 &a, const Point2 &b, const Point2 &c) {
  return Cross(a, b, p) > 0 && Cross(b, c, p) > 0 && Cross(c, a, p) > 0;
}

bool IsEar(const std::vector<Point2> &pts, const Ring &ring, size_t i) {
  const size_t n = ring.size();
  const Point2 &a = pts[ring[(i + n - 1) % n]], &b = pts[ring[i]], &c = pts[ring[(i + 1) % n]];
  if (Cross(a, b, c) <= 0) return false;
  for (size_t k = 0; k < n; ++k) {
    const Point2 &p = pts[ring[k]];
    if (Same(p, a) || Same(p, b) || Same(p, c)) continue;
    if (InsideTriangle(p, a, b, c)) return false;
  }
  return true;
}

}  // namespace

std::vector<std::array<int, 3>> TriangulateRegion(const Region &region) {
  std::vector<std::array<int, 3>> triangles;
  std::vector<Point2> pts(region.outer);
  Ring outer;
  for (size_t i = 0; i < region.outer.size(); ++i) outer.push_back(static_cast<int>(i));
  if (SignedArea(region.outer) < 0) std::reverse(outer.begin(), outer.end());
  std::vector<Ring> holes;
  for (const Contour &h : region.holes) {
    Ring r;
    for (const Point2 &p : h) {
      r.push_back(static_cast<int>(pts.size()));
      pts.push_back(p);
    }
    if (SignedArea(h) > 0) std::reverse(r.begin(), r.end());  // holes run clockwise
    holes.push_back(r);
  }
  // Bridge the holes right to left so that later bridges see the earlier ones.
  std::sort(holes.begin(), holes.end(), [&](const Ring &a, const Ring &b) {
    double ax = -1e300, bx = -1e300;
    for (int i : a) ax = std::max(ax, pts[i].x);
    for (int i : b) bx = std::max(bx, pts[i].x);
    return ax > bx;
  });
  for (size_t h = 0; h < holes.size(); ++h) {
    std::vector<Ring> rest(holes.begin() + static_cast<long>(h) + 1, holes.end());
    Bridge(pts, outer, holes[h], rest);
  }
  Ring ring = outer;
  while (ring.size() > 3) {
    bool clipped = false;
    for (size_t i = 0; i < ring.size(); ++i) {
      if (!IsEar(pts, ring, i)) continue;
      const size_t n = ring.size();
      triangles.push_back({ring[(i + n - 1) % n], ring[i], ring[(i + 1) % n]});
      ring.erase(ring.begin() + static_cast<long>(i));
      clipped = true;
      break;
    }
    if (!clipped) {
      // Only flat or reflex corners are left (rounding on nearly straight runs): drop the
      // flattest corner without a triangle; it lies on the line of its neighbours.
      size_t flattest = 0;
      double smallest = std::numeric_limits<double>::max();
      for (size_t i = 0; i < ring.size(); ++i) {
        const size_t n = ring.size();
        const double c = std::abs(Cross(pts[ring[(i + n - 1) % n]], pts[ring[i]], pts[ring[(i + 1) % n]]));
        if (c < smallest) {
          smallest = c;
          flattest = i;
        }
      }
      ring.erase(ring.begin() + static_cast<long>(flattest));
    }
  }
  if (ring.size() == 3 && Cross(pts[ring[0]], pts[ring[1]], pts[ring[2]]) > 0)
    triangles.push_back({ring[0], ring[1], ring[2]});
  return triangles;
}

}  // namespace zel::data
