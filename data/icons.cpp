// The application icon (see icons.h). Each size is painted at a multiple of its size and
// averaged down, so the tile's edge and the letters are smooth at every size; detail that
// would be mud at small sizes (stars, tunnel rings, the "16") is left out there.
#include "data/icons.h"

#include <algorithm>
#include <cmath>

#include "data/noise.h"

namespace zel::data {

namespace {

constexpr int kMaxPaintSide = 512;  // pixels: painting side cap for the largest sizes

// Signed distance (pixels, negative inside) from (x, y) to a square tile of side `side`
// inset by `margin`, with corners rounded to `radius`.
float RoundedTileDistance(float x, float y, float side, float margin, float radius) {
  const float half = side * 0.5f - margin;
  const float qx = std::abs(x - side * 0.5f) - (half - radius);
  const float qy = std::abs(y - side * 0.5f) - (half - radius);
  const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
  return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

// The night sky of the show behind the letters: a violet-blue gradient and, from 48 pixels
// up, the sky tunnel's rings seen end-on and a few stars.
void PaintBackground(Image &img, int iconSize) {
  const float side = static_cast<float>(img.width);
  const Rgb stops[] = {{0.03f, 0.03f, 0.14f}, {0.10f, 0.06f, 0.30f}, {0.32f, 0.09f, 0.34f}, {0.05f, 0.01f, 0.10f}};
  FillVertical(img, stops, 4);
  if (iconSize < 48) return;
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) {
      const float dx = (x + 0.5f) / side - 0.5f, dy = (y + 0.5f) / side - 0.5f;
      const float r = std::hypot(dx, dy);
      const double angle = std::atan2(dy, dx) / 6.2831853 * 8 + 8;
      const float swirl = static_cast<float>(TileFbm(angle, 1.7 / (r + 0.07), 8, 64, 4, 5u));
      img.At(x, y) = img.At(x, y) + Rgb{0.2f, 0.35f, 0.9f} * (0.55f * std::pow(swirl, 3.0f) * std::min(1.0f, r * 4));
    }
  AddStars(img, iconSize / 4, 0.9f, 7u);
}

// The letters: a large glowing "Z", and "16" under it where there is room to read it.
void PaintLetters(Image &img, const Fonts &fonts, int iconSize) {
  const float side = static_cast<float>(img.width);
  const bool withNumber = iconSize >= 32;
  const float zHeight = side * (withNumber ? 0.46f : 0.66f);
  const float zCentre = side * (withNumber ? 0.38f : 0.5f);
  const Mask z = TextInBox(fonts.bold, "Z", img.width, img.height, side * 0.7f, zHeight, side * 0.5f, zCentre);
  AddGlowingText(img, z, {1.0f, 1.0f, 1.0f}, side / 28.0f, {0.35f, 0.5f, 1.0f});
  if (!withNumber) return;
  const Mask number = TextInBox(fonts.bold, "16", img.width, img.height, side * 0.5f, side * 0.19f, side * 0.5f,
                                side * 0.785f);
  AddGlowingText(img, number, {1.0f, 0.85f, 0.55f}, side / 40.0f, {0.9f, 0.35f, 0.2f});
}

// The tile's coverage and, from 32 pixels up, a faint light rim that keeps the dark tile
// apart from a dark panel.
Mask PaintTile(Image &img, int iconSize) {
  const float side = static_cast<float>(img.width);
  const float scale = side / iconSize;  // painted pixels per icon pixel
  const float margin = std::max(0.0f, std::round(iconSize / 32.0f)) * scale;
  const float radius = side * 0.18f;
  Mask alpha(img.width, img.height);
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) {
      const float d = RoundedTileDistance(x + 0.5f, y + 0.5f, side, margin, radius);
      alpha.At(x, y) = std::clamp(0.5f - d, 0.0f, 1.0f);
      if (iconSize >= 32) {
        const float rim = std::clamp(1.0f - std::abs(d + scale) / scale, 0.0f, 1.0f);
        img.At(x, y) = img.At(x, y) + Rgb{0.35f, 0.4f, 0.7f} * rim;
      }
    }
  return alpha;
}

// Averages factor x factor blocks, colour weighted by coverage so that the transparent
// outside does not darken the edge.
IconPicture Shrunk(const Image &colour, const Mask &alpha, int factor) {
  const int side = colour.width / factor;
  IconPicture out{Image(side, side), Mask(side, side)};
  const float count = static_cast<float>(factor * factor);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      Rgb sum;
      float coverage = 0;
      for (int j = 0; j < factor; ++j)
        for (int i = 0; i < factor; ++i) {
          const Rgb c = colour.At(x * factor + i, y * factor + j);
          const float a = std::clamp(alpha.At(x * factor + i, y * factor + j), 0.0f, 1.0f);
          sum = sum + Rgb{std::clamp(c.r, 0.0f, 1.0f), std::clamp(c.g, 0.0f, 1.0f), std::clamp(c.b, 0.0f, 1.0f)} * a;
          coverage += a;
        }
      out.alpha.At(x, y) = coverage / count;
      out.colour.At(x, y) = coverage > 0 ? sum * (1.0f / coverage) : Rgb{};
    }
  return out;
}

}  // namespace

const std::vector<int> &IconSizes() {
  static const std::vector<int> sizes = {16, 22, 24, 32, 48, 64, 128, 256};
  return sizes;
}

IconPicture PaintIcon(const Fonts &fonts, int size) {
  const int factor = std::clamp(kMaxPaintSide / size, 1, 4);
  Image colour(size * factor, size * factor);
  PaintBackground(colour, size);
  PaintLetters(colour, fonts, size);
  const Mask alpha = PaintTile(colour, size);
  return Shrunk(colour, alpha, factor);
}

}  // namespace zel::data
