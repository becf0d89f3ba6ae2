// Shared painting recipes for the generated pictures: text fitted into a box, glows,
// star fields, gradients. Each is deterministic (seeded) and works on data/image.h types.
#pragma once

#include <cstdint>
#include <string>

#include "data/font.h"
#include "data/image.h"

namespace zel::data {

// The fonts the pictures use, opened once.
struct Fonts {
  Font bold{FontPath("DejaVuSans-Bold.ttf")};
  Font regular{FontPath("DejaVuSans.ttf")};
  Font light{FontPath("DejaVuSans-ExtraLight.ttf")};
  Font serif{FontPath("DejaVuSerif-BoldItalic.ttf")};
  bool ok() const { return bold.ok() && regular.ok() && light.ok() && serif.ok(); }
};

// A width x height mask holding `text`, scaled (keeping its aspect) to fit a box of
// boxW x boxH pixels centred on (cx, cy). embolden is in pixels of the final size.
Mask TextInBox(const Font &font, const std::string &text, int width, int height, float boxW, float boxH, float cx,
               float cy, float embolden = 0.0f);

// Adds a soft round light: intensity peak * exp(-(d / radius)^2) around (cx, cy).
void AddGlow(Image &image, float cx, float cy, float radius, Rgb colour);

// Adds `count` stars of random brightness (each a small blurred point), seeded.
void AddStars(Image &image, int count, float maxBrightness, uint32_t seed);

// Vertical gradient through `stops` colours at evenly spaced heights.
void FillVertical(Image &image, const Rgb *stops, int stopCount);

// Multiplies by a vignette that falls to `edge` at the corners.
void Vignette(Image &image, float edge);

// Adds mask * colour and a blurred halo of it (sigma in pixels) * haloColour.
void AddGlowingText(Image &image, const Mask &mask, Rgb colour, float sigma, Rgb haloColour);

}  // namespace zel::data
