// A floating-point RGB picture (0 = black, 1 = full intensity per channel) with the few
// painting operations the generated art needs: additive light, blur, masks, gradients.
// Values may exceed 1 while painting; the writers clamp when they quantise to bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zel::data {

struct Rgb {
  float r = 0, g = 0, b = 0;
};

inline Rgb operator*(Rgb c, float s) { return {c.r * s, c.g * s, c.b * s}; }
inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Rgb Mix(Rgb a, Rgb b, float t);

// Single-channel coverage or intensity map (text masks, glows).
struct Mask {
  int width = 0, height = 0;
  std::vector<float> values;  // row-major, top row first
  Mask() = default;
  Mask(int w, int h) : width(w), height(h), values(static_cast<size_t>(w) * h, 0.0f) {}
  float &At(int x, int y) { return values[static_cast<size_t>(y) * width + x]; }
  float At(int x, int y) const { return values[static_cast<size_t>(y) * width + x]; }
  float Sample(float x, float y) const;  // bilinear, zero outside
};

struct Image {
  int width = 0, height = 0;
  std::vector<Rgb> pixels;  // row-major, top row first
  Image() = default;
  Image(int w, int h, Rgb fill = {}) : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}
  Rgb &At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
  const Rgb &At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }

  // Adds colour * mask (mask placed with its top-left corner at (ox, oy)).
  void AddMask(const Mask &mask, int ox, int oy, Rgb colour);
  // Multiplies every pixel by s.
  void Scale(float s);
};

// Separable Gaussian blur; sigma in pixels. Edges read as zero (light fades out).
Mask Blur(const Mask &in, float sigma);
// A mask grown by `radius` pixels (maximum over a disc): a heavier stroke of the same text.
Mask Dilate(const Mask &in, int radius);
// Resamples to a new size (bilinear), used to stretch a rendered line into a box.
Mask Resized(const Mask &in, int w, int h);

// 8-bit RGB bytes, top row first, clamped and rounded.
std::vector<uint8_t> ToBytesRgb(const Image &image);
// 8-bit luminance, top row first.
std::vector<uint8_t> ToBytesGrey(const Image &image);

}  // namespace zel::data
