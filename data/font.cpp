// FreeType text rendering and outline flattening (see font.h).
#include "data/font.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#ifndef ZEL16_FONT_DIR
#define ZEL16_FONT_DIR "/usr/share/fonts/truetype/dejavu"
#endif

namespace zel::data {

struct Font::Impl {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
};

std::string FontPath(const std::string &fileName) { return std::string(ZEL16_FONT_DIR) + "/" + fileName; }

Font::Font(const std::string &path) : impl_(std::make_unique<Impl>()) {
  if (FT_Init_FreeType(&impl_->library) != 0) {
    std::fprintf(stderr, "zel16-datagen: FreeType did not initialise\n");
    return;
  }
  if (FT_New_Face(impl_->library, path.c_str(), 0, &impl_->face) != 0) {
    std::fprintf(stderr, "zel16-datagen: cannot open font %s\n", path.c_str());
    impl_->face = nullptr;
  }
}

Font::~Font() {
  if (impl_->face) FT_Done_Face(impl_->face);
  if (impl_->library) FT_Done_FreeType(impl_->library);
}

bool Font::ok() const { return impl_->face != nullptr; }

namespace {

struct Blit {
  int left, top;  // pixel position of the bitmap's top-left corner, y down from the baseline
  int width, rows;
  std::vector<float> coverage;
};

}  // namespace

Mask Font::RenderLine(const std::string &text, int pixelHeight, float embolden, int padding) const {
  if (!ok() || text.empty()) return Mask(1 + 2 * padding, 1 + 2 * padding);
  FT_Face face = impl_->face;
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelHeight));
  std::vector<Blit> blits;
  long penX = 0;  // 26.6 fixed point
  FT_UInt previous = 0;
  for (unsigned char ch : text) {
    const FT_UInt index = FT_Get_Char_Index(face, ch);
    if (previous && index && FT_HAS_KERNING(face)) {
      FT_Vector kern;
      FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &kern);
      penX += kern.x;
    }
    if (FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING) != 0) continue;
    if (embolden > 0.0f && face->glyph->format == FT_GLYPH_FORMAT_OUTLINE)
      FT_Outline_Embolden(&face->glyph->outline, static_cast<FT_Pos>(embolden * 64.0f));
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) continue;
    const FT_Bitmap &bm = face->glyph->bitmap;
    Blit b{static_cast<int>((penX >> 6) + face->glyph->bitmap_left), -face->glyph->bitmap_top,
           static_cast<int>(bm.width), static_cast<int>(bm.rows), {}};
    b.coverage.resize(static_cast<size_t>(b.width) * b.rows);
    for (int y = 0; y < b.rows; ++y)
      for (int x = 0; x < b.width; ++x)
        b.coverage[static_cast<size_t>(y) * b.width + x] = bm.buffer[y * bm.pitch + x] / 255.0f;
    blits.push_back(std::move(b));
    penX += face->glyph->advance.x + static_cast<long>(embolden * 64.0f);
    previous = index;
  }
  int minX = INT_MAX, minY = INT_MAX, maxX = INT_MIN, maxY = INT_MIN;
  for (const Blit &b : blits) {
    if (b.width == 0 || b.rows == 0) continue;
    minX = std::min(minX, b.left);
    minY = std::min(minY, b.top);
    maxX = std::max(maxX, b.left + b.width);
    maxY = std::max(maxY, b.top + b.rows);
  }
  if (minX > maxX) return Mask(1 + 2 * padding, 1 + 2 * padding);
  Mask out(maxX - minX + 2 * padding, maxY - minY + 2 * padding);
  for (const Blit &b : blits)
    for (int y = 0; y < b.rows; ++y)
      for (int x = 0; x < b.width; ++x) {
        float &dst = out.At(b.left - minX + padding + x, b.top - minY + padding + y);
        dst = std::min(1.0f, dst + b.coverage[static_cast<size_t>(y) * b.width + x]);
      }
  return out;
}

namespace {

struct Flattener {
  std::vector<Contour> *contours;
  double scale;  // font units to output units
  double offsetX;
  int steps;
  Point2 last;

  Point2 Map(const FT_Vector *v) const { return {v->x * scale + offsetX, v->y * scale}; }
};

int MoveTo(const FT_Vector *to, void *user) {
  auto *f = static_cast<Flattener *>(user);
  f->contours->emplace_back();
  f->last = f->Map(to);
  f->contours->back().push_back(f->last);
  return 0;
}

int LineTo(const FT_Vector *to, void *user) {
  auto *f = static_cast<Flattener *>(user);
  f->last = f->Map(to);
  f->contours->back().push_back(f->last);
  return 0;
}

int ConicTo(const FT_Vector *control, const FT_Vector *to, void *user) {
  auto *f = static_cast<Flattener *>(user);
  const Point2 p0 = f->last, p1 = f->Map(control), p2 = f->Map(to);
  for (int i = 1; i <= f->steps; ++i) {
    const double t = static_cast<double>(i) / f->steps, s = 1.0 - t;
    f->contours->back().push_back({s * s * p0.x + 2 * s * t * p1.x + t * t * p2.x,
                                   s * s * p0.y + 2 * s * t * p1.y + t * t * p2.y});
  }
  f->last = p2;
  return 0;
}

int CubicTo(const FT_Vector *c1, const FT_Vector *c2, const FT_Vector *to, void *user) {
  auto *f = static_cast<Flattener *>(user);
  const Point2 p0 = f->last, p1 = f->Map(c1), p2 = f->Map(c2), p3 = f->Map(to);
  for (int i = 1; i <= f->steps; ++i) {
    const double t = static_cast<double>(i) / f->steps, s = 1.0 - t;
    const double a = s * s * s, b = 3 * s * s * t, c = 3 * s * t * t, d = t * t * t;
    f->contours->back().push_back({a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y});
  }
  f->last = p3;
  return 0;
}

// Drops the closing point when a contour returns to its start, and repeated points.
void Tidy(Contour &c) {
  Contour out;
  for (const Point2 &p : c)
    if (out.empty() || std::abs(out.back().x - p.x) > 1e-9 || std::abs(out.back().y - p.y) > 1e-9) out.push_back(p);
  while (out.size() > 1 && std::abs(out.front().x - out.back().x) < 1e-9 && std::abs(out.front().y - out.back().y) < 1e-9)
    out.pop_back();
  c.swap(out);
}

}  // namespace

std::vector<Contour> Font::Outlines(const std::string &text, double emHeight, int curveSteps) const {
  std::vector<Contour> contours;
  if (!ok()) return contours;
  FT_Face face = impl_->face;
  const double scale = emHeight / face->units_per_EM;
  FT_Outline_Funcs funcs{};
  funcs.move_to = MoveTo;
  funcs.line_to = LineTo;
  funcs.conic_to = ConicTo;
  funcs.cubic_to = CubicTo;
  long penX = 0;  // font units
  FT_UInt previous = 0;
  for (unsigned char ch : text) {
    const FT_UInt index = FT_Get_Char_Index(face, ch);
    if (previous && index && FT_HAS_KERNING(face)) {
      FT_Vector kern;
      FT_Get_Kerning(face, previous, index, FT_KERNING_UNSCALED, &kern);
      penX += kern.x;
    }
    if (FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE) != 0) continue;
    Flattener flattener{&contours, scale, penX * scale, curveSteps, {}};
    const size_t before = contours.size();
    FT_Outline_Decompose(&face->glyph->outline, &funcs, &flattener);
    for (size_t i = before; i < contours.size(); ++i) Tidy(contours[i]);
    penX += face->glyph->advance.x;
    previous = index;
  }
  contours.erase(std::remove_if(contours.begin(), contours.end(), [](const Contour &c) { return c.size() < 3; }),
                 contours.end());
  return contours;
}

}  // namespace zel::data
