// Painting recipes (see art_tools.h).
#include "data/art_tools.h"

#include <algorithm>
#include <cmath>

#include "data/noise.h"

namespace zel::data {

Mask TextInBox(const Font &font, const std::string &text, int width, int height, float boxW, float boxH, float cx,
               float cy, float embolden) {
  // Render large, then scale down: smoother edges than rendering at the final size.
  const int renderHeight = std::max(32, static_cast<int>(boxH * 2.0f));
  Mask line = font.RenderLine(text, renderHeight, 0.0f, 2);
  const float scale = std::min(boxW / line.width, boxH / line.height);
  const int w = std::max(1, static_cast<int>(std::lround(line.width * scale)));
  const int h = std::max(1, static_cast<int>(std::lround(line.height * scale)));
  Mask small = Resized(line, w, h);
  if (embolden > 0.0f) {
    Mask grown = Dilate(small, static_cast<int>(std::ceil(embolden)));
    small = Blur(grown, 0.6f);
  }
  Mask out(width, height);
  const int ox = static_cast<int>(std::lround(cx - w * 0.5f)), oy = static_cast<int>(std::lround(cy - h * 0.5f));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int px = ox + x, py = oy + y;
      if (px >= 0 && py >= 0 && px < width && py < height) out.At(px, py) = std::min(1.0f, small.At(x, y));
    }
  return out;
}

void AddGlow(Image &image, float cx, float cy, float radius, Rgb colour) {
  const float reach = radius * 3.2f;
  const int x0 = std::max(0, static_cast<int>(cx - reach)), x1 = std::min(image.width - 1, static_cast<int>(cx + reach));
  const int y0 = std::max(0, static_cast<int>(cy - reach)), y1 = std::min(image.height - 1, static_cast<int>(cy + reach));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      const float dx = (x + 0.5f - cx) / radius, dy = (y + 0.5f - cy) / radius;
      const float k = std::exp(-(dx * dx + dy * dy));
      image.At(x, y) = image.At(x, y) + colour * k;
    }
}

void AddStars(Image &image, int count, float maxBrightness, uint32_t seed) {
  Random rng(seed);
  for (int i = 0; i < count; ++i) {
    const float x = static_cast<float>(rng.Range(0, image.width)), y = static_cast<float>(rng.Range(0, image.height));
    const double b = rng.Uniform();
    const float brightness = static_cast<float>(maxBrightness * b * b * b);  // mostly faint stars
    const float tint = static_cast<float>(rng.Range(-0.15, 0.15));
    AddGlow(image, x, y, 0.7f + 1.1f * static_cast<float>(b), {brightness * (1 + tint), brightness, brightness * (1 - tint)});
  }
}

void FillVertical(Image &image, const Rgb *stops, int stopCount) {
  for (int y = 0; y < image.height; ++y) {
    const float t = static_cast<float>(y) / std::max(1, image.height - 1) * (stopCount - 1);
    const int i = std::min(stopCount - 2, static_cast<int>(t));
    const Rgb c = Mix(stops[i], stops[i + 1], t - i);
    for (int x = 0; x < image.width; ++x) image.At(x, y) = c;
  }
}

void Vignette(Image &image, float edge) {
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const float dx = (x + 0.5f) / image.width * 2 - 1, dy = (y + 0.5f) / image.height * 2 - 1;
      const float d = std::min(1.0f, (dx * dx + dy * dy) * 0.5f);
      image.At(x, y) = image.At(x, y) * (1.0f - (1.0f - edge) * d);
    }
}

void AddGlowingText(Image &image, const Mask &mask, Rgb colour, float sigma, Rgb haloColour) {
  image.AddMask(Blur(mask, sigma), 0, 0, haloColour);
  image.AddMask(mask, 0, 0, colour);
}

}  // namespace zel::data
