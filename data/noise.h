// Deterministic pseudo-random numbers and tileable fractal noise for the generated art.
// Everything here is a pure function of its seed and arguments, so every build of the
// data writes the same bytes; nothing reads the clock or the C library's rand.
#pragma once

#include <cstdint>

namespace zel::data {

// Small, fast generator (SplitMix64); good enough for art and audio noise.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next();
  double Uniform();                      // [0, 1)
  double Range(double lo, double hi);    // [lo, hi)

 private:
  uint64_t state_;
};

// Hash of integer lattice coordinates to [0, 1).
double Hash01(int32_t x, int32_t y, uint32_t seed);

// Value noise on a lattice of period (px, py) cells: tiles seamlessly when the sampled
// coordinates span exactly px by py. Smooth (quintic) interpolation, result in [0, 1].
double TileNoise(double x, double y, int px, int py, uint32_t seed);

// Fractal sum of TileNoise octaves (each doubling the period), normalised to [0, 1].
double TileFbm(double x, double y, int px, int py, int octaves, uint32_t seed);

// Cellular (Worley) noise with one feature point per cell on a period x period lattice,
// tiling over [0, period)^2. Returns the nearest and second-nearest distances in cells.
void TileWorley(double x, double y, int period, uint32_t seed, double *f1, double *f2);

}  // namespace zel::data
