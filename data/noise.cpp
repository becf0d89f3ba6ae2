// Deterministic random numbers and tileable value noise (see noise.h).
#include "data/noise.h"

#include <cmath>

namespace zel::data {

uint64_t Random::Next() {
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

double Random::Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }

double Random::Range(double lo, double hi) { return lo + (hi - lo) * Uniform(); }

double Hash01(int32_t x, int32_t y, uint32_t seed) {
  uint32_t h = static_cast<uint32_t>(x) * 0x8DA6B343u ^ static_cast<uint32_t>(y) * 0xD8163841u ^
               seed * 0xCB1AB31Fu;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return static_cast<double>(h) * (1.0 / 4294967296.0);
}

namespace {

double Fade(double t) { return t * t * t * (t * (t * 6.0 - 15.0) + 10.0); }

int Wrap(int v, int period) {
  int m = v % period;
  return m < 0 ? m + period : m;
}

}  // namespace

double TileNoise(double x, double y, int px, int py, uint32_t seed) {
  const double fx = std::floor(x);
  const double fy = std::floor(y);
  const int ix = static_cast<int>(fx);
  const int iy = static_cast<int>(fy);
  const double tx = Fade(x - fx);
  const double ty = Fade(y - fy);
  const int x0 = Wrap(ix, px), x1 = Wrap(ix + 1, px);
  const int y0 = Wrap(iy, py), y1 = Wrap(iy + 1, py);
  const double a = Hash01(x0, y0, seed), b = Hash01(x1, y0, seed);
  const double c = Hash01(x0, y1, seed), d = Hash01(x1, y1, seed);
  const double top = a + (b - a) * tx;
  const double bottom = c + (d - c) * tx;
  return top + (bottom - top) * ty;
}

double TileFbm(double x, double y, int px, int py, int octaves, uint32_t seed) {
  double sum = 0.0, amplitude = 1.0, total = 0.0;
  for (int o = 0; o < octaves; ++o) {
    sum += amplitude * TileNoise(x, y, px, py, seed + 101u * static_cast<uint32_t>(o));
    total += amplitude;
    amplitude *= 0.5;
    x *= 2.0;
    y *= 2.0;
    px *= 2;
    py *= 2;
  }
  return sum / total;
}

void TileWorley(double x, double y, int period, uint32_t seed, double *f1, double *f2) {
  const int cx = static_cast<int>(std::floor(x)), cy = static_cast<int>(std::floor(y));
  double best = 1e9, second = 1e9;
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      const int gx = cx + dx, gy = cy + dy;
      const int wx = Wrap(gx, period), wy = Wrap(gy, period);
      const double px = gx + Hash01(wx, wy, seed), py = gy + Hash01(wx, wy, seed + 7u);
      const double d = std::hypot(px - x, py - y);
      if (d < best) {
        second = best;
        best = d;
      } else if (d < second) {
        second = d;
      }
    }
  *f1 = best;
  *f2 = second;
}

}  // namespace zel::data
