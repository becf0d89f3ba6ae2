// Glyphs from the DejaVu TrueType fonts through FreeType: anti-aliased text masks for the
// pictures, and flattened glyph outlines for the extruded title model.
// Text is plain ASCII; a glyph the font lacks renders as the font's missing-glyph box.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/image.h"

namespace zel::data {

struct Point2 {
  double x = 0, y = 0;
};

// One closed contour, without the closing point repeated. Orientation as the font stores it
// (TrueType: outer contours clockwise, holes counter-clockwise, y up).
using Contour = std::vector<Point2>;

class Font {
 public:
  // Opens a font file; ok() tells whether it loaded. A missing file is reported on stderr.
  explicit Font(const std::string &path);
  ~Font();
  Font(const Font &) = delete;
  Font &operator=(const Font &) = delete;
  bool ok() const;

  // The text set on one line at the given pixel height (em size), cropped to its ink plus
  // `padding` pixels on every side. embolden widens every stroke by that many pixels.
  Mask RenderLine(const std::string &text, int pixelHeight, float embolden = 0.0f, int padding = 0) const;

  // The text's outlines in font units scaled to `emHeight` units per em, laid out along +x
  // with kerning, y up, each curve flattened into `curveSteps` segments.
  std::vector<Contour> Outlines(const std::string &text, double emHeight, int curveSteps) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Path of a DejaVu font file by its file name ("DejaVuSans-Bold.ttf").
std::string FontPath(const std::string &fileName);

}  // namespace zel::data
