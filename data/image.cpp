// Painting operations on floating-point pictures (see image.h).
#include "data/image.h"

#include <algorithm>
#include <cmath>

namespace zel::data {

Rgb Mix(Rgb a, Rgb b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

float Mask::Sample(float x, float y) const {
  const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
  const float tx = x - x0, ty = y - y0;
  auto get = [&](int xi, int yi) -> float {
    if (xi < 0 || yi < 0 || xi >= width || yi >= height) return 0.0f;
    return At(xi, yi);
  };
  const float top = get(x0, y0) * (1 - tx) + get(x0 + 1, y0) * tx;
  const float bottom = get(x0, y0 + 1) * (1 - tx) + get(x0 + 1, y0 + 1) * tx;
  return top * (1 - ty) + bottom * ty;
}

void Image::AddMask(const Mask &mask, int ox, int oy, Rgb colour) {
  for (int y = 0; y < mask.height; ++y) {
    const int py = oy + y;
    if (py < 0 || py >= height) continue;
    for (int x = 0; x < mask.width; ++x) {
      const int px = ox + x;
      if (px < 0 || px >= width) continue;
      const float m = mask.At(x, y);
      if (m != 0.0f) At(px, py) = At(px, py) + colour * m;
    }
  }
}

void Image::Scale(float s) {
  for (Rgb &p : pixels) p = p * s;
}

namespace {

std::vector<float> GaussianKernel(float sigma) {
  const int radius = std::max(1, static_cast<int>(std::ceil(sigma * 3.0f)));
  std::vector<float> k(2 * radius + 1);
  float sum = 0;
  for (int i = -radius; i <= radius; ++i) {
    k[i + radius] = std::exp(-0.5f * i * i / (sigma * sigma));
    sum += k[i + radius];
  }
  for (float &v : k) v /= sum;
  return k;
}

}  // namespace

Mask Blur(const Mask &in, float sigma) {
  if (sigma <= 0.0f) return in;
  const std::vector<float> k = GaussianKernel(sigma);
  const int radius = static_cast<int>(k.size() / 2);
  Mask tmp(in.width, in.height), out(in.width, in.height);
  for (int y = 0; y < in.height; ++y)
    for (int x = 0; x < in.width; ++x) {
      float s = 0;
      for (int i = -radius; i <= radius; ++i) {
        const int xi = x + i;
        if (xi >= 0 && xi < in.width) s += k[i + radius] * in.At(xi, y);
      }
      tmp.At(x, y) = s;
    }
  for (int y = 0; y < in.height; ++y)
    for (int x = 0; x < in.width; ++x) {
      float s = 0;
      for (int i = -radius; i <= radius; ++i) {
        const int yi = y + i;
        if (yi >= 0 && yi < in.height) s += k[i + radius] * tmp.At(x, yi);
      }
      out.At(x, y) = s;
    }
  return out;
}

Mask Dilate(const Mask &in, int radius) {
  Mask out(in.width, in.height);
  for (int y = 0; y < in.height; ++y)
    for (int x = 0; x < in.width; ++x) {
      float best = 0;
      for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
          if (dx * dx + dy * dy > radius * radius) continue;
          const int xi = x + dx, yi = y + dy;
          if (xi < 0 || yi < 0 || xi >= in.width || yi >= in.height) continue;
          best = std::max(best, in.At(xi, yi));
        }
      out.At(x, y) = best;
    }
  return out;
}

Mask Resized(const Mask &in, int w, int h) {
  Mask out(w, h);
  const float sx = static_cast<float>(in.width) / w, sy = static_cast<float>(in.height) / h;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) out.At(x, y) = in.Sample((x + 0.5f) * sx - 0.5f, (y + 0.5f) * sy - 0.5f);
  return out;
}

namespace {

uint8_t Quantise(float v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); }

}  // namespace

std::vector<uint8_t> ToBytesRgb(const Image &image) {
  std::vector<uint8_t> out;
  out.reserve(image.pixels.size() * 3);
  for (const Rgb &p : image.pixels) {
    out.push_back(Quantise(p.r));
    out.push_back(Quantise(p.g));
    out.push_back(Quantise(p.b));
  }
  return out;
}

std::vector<uint8_t> ToBytesGrey(const Image &image) {
  std::vector<uint8_t> out;
  out.reserve(image.pixels.size());
  for (const Rgb &p : image.pixels) out.push_back(Quantise(0.299f * p.r + 0.587f * p.g + 0.114f * p.b));
  return out;
}

}  // namespace zel::data
