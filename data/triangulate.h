// Triangulation of planar polygons with holes (the caps of the extruded title letters):
// holes are bridged into their outer contour, then ears are clipped. Meant for the few
// hundred points of a glyph, not for large inputs (quadratic to cubic time).
#pragma once

#include <array>
#include <vector>

#include "data/font.h"

namespace zel::data {

// Signed area, positive for counter-clockwise contours (y up).
double SignedArea(const Contour &c);
bool PointInContour(const Point2 &p, const Contour &c);

// One solid region: an outer contour and the holes inside it, all as given by the font.
struct Region {
  Contour outer;
  std::vector<Contour> holes;
};

// Groups a glyph run's contours into regions: contours wound like the largest one are
// outers; every other contour becomes a hole of the smallest outer that contains it.
std::vector<Region> GroupRegions(const std::vector<Contour> &contours);

// Triangles over the region's points, indexed into outer followed by each hole in order.
// Every triangle is counter-clockwise (y up). Returns no triangles for degenerate input.
std::vector<std::array<int, 3>> TriangulateRegion(const Region &region);

}  // namespace zel::data
