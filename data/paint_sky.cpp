// Pictures of the sky scene: the sky itself, the word layers, the end card with its two
// swaying companions, and the white flash sheet.
#include "data/paint.h"

#include <algorithm>
#include <cmath>

#include "data/noise.h"

namespace zel::data {

namespace {

// Mean brightness the sky aims at: ten copies are added on top of each other.
constexpr float kSkyMeanLuma = 0.028f;

float Luma(Rgb c) { return 0.299f * c.r + 0.587f * c.g + 0.114f * c.b; }

}  // namespace

Image PaintSky(const Fonts &) {
  // Tiling clouds (the texture wraps both ways and scrolls in v) in deep blue and violet,
  // with thin bright filaments. Scaled so its mean brightness is kSkyMeanLuma.
  Image img(512, 512);
  double sum = 0;
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) {
      const double u = x / 128.0, v = y / 128.0;  // 4 x 4 base cells
      const float cloud = static_cast<float>(TileFbm(u, v, 4, 4, 6, 3u));
      const float warp = static_cast<float>(TileFbm(u + 0.37, v + 0.11, 4, 4, 4, 9u));
      const float ridge = 1.0f - std::abs(2.0f * static_cast<float>(TileFbm(u + warp, v * 1.0, 4, 4, 5, 17u)) - 1.0f);
      const float filament = std::pow(ridge, 22.0f);
      const float body = std::pow(std::clamp((cloud - 0.3f) * 1.8f, 0.0f, 1.0f), 2.2f);
      Rgb c = Mix(Rgb{0.15f, 0.25f, 1.0f}, Rgb{0.7f, 0.25f, 1.0f}, warp) * body + Rgb{0.55f, 0.75f, 1.0f} * (0.9f * filament);
      img.At(x, y) = c;
      sum += Luma(c);
    }
  img.Scale(kSkyMeanLuma / static_cast<float>(sum / (img.width * img.height)));
  return img;
}

Image PaintWordLayer(const Fonts &fonts, const std::string &word, int layer) {
  // The three layers shiver by different amounts on top of each other: a wide soft glow, a
  // bold coloured body and a thin white core, all grown from the same letter shapes so they
  // line up. 2:1 like the sprite they are drawn on.
  Image img(256, 128);
  const Mask letters = TextInBox(fonts.regular, word, 256, 128, 196, 80, 128, 64);
  switch (layer) {
    case 1:
      img.AddMask(Blur(Dilate(letters, 6), 7.0f), 0, 0, {0.25f, 0.55f, 1.2f});
      break;
    case 2:
      img.AddMask(Blur(Dilate(letters, 3), 1.0f), 0, 0, {0.85f, 0.30f, 0.65f});
      break;
    default:
      img.AddMask(letters, 0, 0, {1.0f, 1.0f, 1.0f});
      break;
  }
  return img;
}

Image PaintEndCard(const Fonts &fonts) {
  // Drawn 12 x 12 units, a little taller than the view, with two smaller pictures swaying
  // over its top-left and bottom-right corners: the credits keep to the middle.
  Image img(512, 512);
  const Mask title = TextInBox(fonts.bold, "Zel 16", 512, 512, 330, 110, 256, 200);
  AddGlowingText(img, title, {1.0f, 1.0f, 1.0f}, 9.0f, {0.15f, 0.45f, 1.0f});
  const Mask year = TextInBox(fonts.light, "2026", 512, 512, 150, 44, 256, 284, 0.5f);
  AddGlowingText(img, year, {0.85f, 0.9f, 1.0f}, 3.0f, {0.2f, 0.3f, 0.7f});
  const Mask team = TextInBox(fonts.regular, "the Zel 16 team", 512, 512, 280, 36, 256, 336);
  AddGlowingText(img, team, {1.0f, 0.85f, 0.6f}, 3.0f, {0.5f, 0.25f, 0.05f});
  for (int x = 136; x < 376; ++x) {  // a thin rule between title and year
    const float k = std::sin((x - 136) / 240.0f * 3.14159265f);
    img.At(x, 252) = img.At(x, 252) + Rgb{0.4f, 0.6f, 1.0f} * (0.8f * k);
  }
  return img;
}

Image PaintWhite(const Fonts &) { return Image(32, 32, {1, 1, 1}); }

Image PaintGhost(const Fonts &fonts) {
  // A friendly ghost saying "buuu!": pale glowing outline on black.
  Image img(300, 185);
  Mask body(300, 185);
  const float cx = 85, top = 30, r = 45, bottom = 160;
  for (int y = 0; y < body.height; ++y)
    for (int x = 0; x < body.width; ++x) {
      const float dx = x + 0.5f - cx, yy = y + 0.5f;
      bool inside = false;
      if (yy < top + r) inside = dx * dx + (yy - top - r) * (yy - top - r) < r * r;
      else if (std::abs(dx) < r) inside = yy < bottom - 10.0f * std::cos(dx / r * 3.14159265f * 2.5f);
      const bool eye = std::hypot(dx + 16, yy - 70) < 8 || std::hypot(dx - 16, yy - 70) < 8;
      const bool mouth = std::hypot((dx) / 1.3f, yy - 100) < 9;
      body.At(x, y) = inside && !eye && !mouth ? 1.0f : 0.0f;
    }
  const Mask soft = Blur(body, 1.0f);
  img.AddMask(Blur(soft, 8.0f), 0, 0, {0.2f, 0.5f, 0.9f});
  img.AddMask(soft, 0, 0, {0.75f, 0.85f, 1.0f});
  const Mask word = TextInBox(fonts.serif, "buuu!", 300, 185, 130, 56, 215, 70);
  AddGlowingText(img, word, {1.0f, 1.0f, 1.0f}, 4.0f, {0.3f, 0.6f, 1.0f});
  return img;
}

Image PaintGreetings(const Fonts &fonts) {
  // Drawn 7 x 4.2 units low on the right, so its right third and bottom third run out of
  // the view: the lettering keeps to the top left.
  Image img(350, 210);
  const Mask head = TextInBox(fonts.bold, "greetings", 350, 210, 200, 52, 118, 42);
  AddGlowingText(img, head, {1.0f, 0.9f, 0.7f}, 5.0f, {0.8f, 0.3f, 0.05f});
  const Mask l1 = TextInBox(fonts.regular, "to every scener out there", 350, 210, 200, 20, 118, 86);
  img.AddMask(l1, 0, 0, {0.85f, 0.85f, 0.95f});
  const Mask l2 = TextInBox(fonts.regular, "keep it real-time", 350, 210, 140, 18, 118, 112);
  img.AddMask(l2, 0, 0, {0.55f, 0.75f, 1.0f});
  return img;
}

}  // namespace zel::data
