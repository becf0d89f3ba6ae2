// The opening card, the three pictures every model loads (and never draws), and the setup
// dialog's picture.
#include "data/paint.h"

#include <algorithm>
#include <cmath>

#include "data/noise.h"

namespace zel::data {

Image PaintLoadingCard(const Fonts &fonts) {
  // Shown alone on black for five seconds before the music starts.
  Image img(640, 480);
  const Rgb stops[] = {{0.0f, 0.0f, 0.02f}, {0.02f, 0.03f, 0.10f}, {0.06f, 0.02f, 0.12f}, {0.0f, 0.0f, 0.02f}};
  FillVertical(img, stops, 4);
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) {
      const float n = static_cast<float>(TileFbm(x / 160.0, y / 160.0, 4, 3, 5, 51u));
      const float k = std::pow(std::clamp((n - 0.45f) * 2.2f, 0.0f, 1.0f), 2.0f);
      img.At(x, y) = img.At(x, y) + Rgb{0.10f, 0.05f, 0.22f} * k;
    }
  AddStars(img, 700, 1.0f, 13u);
  const Mask presents = TextInBox(fonts.regular, "the Zel 16 team presents", 640, 480, 340, 28, 320, 140);
  img.AddMask(presents, 0, 0, {0.7f, 0.75f, 0.9f});
  const Mask title = TextInBox(fonts.bold, "ZEL 16", 640, 480, 440, 130, 320, 240);
  AddGlowingText(img, title, {0.95f, 0.97f, 1.0f}, 10.0f, {0.25f, 0.35f, 1.0f});
  const Mask loading = TextInBox(fonts.light, "loading", 640, 480, 140, 30, 320, 370, 0.5f);
  img.AddMask(loading, 0, 0, {0.55f, 0.6f, 0.75f});
  Vignette(img, 0.5f);
  return img;
}

Image PaintCrystal(const Fonts &) {
  // Grey: the model loads it as a one-channel picture.
  Image img(128, 128);
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) {
      double f1, f2;
      TileWorley(x / 16.0, y / 16.0, 8, 71u, &f1, &f2);
      const float facet = static_cast<float>(Hash01(static_cast<int>(f2 * 40), static_cast<int>(f1 * 40), 3u));
      const float edge = static_cast<float>(std::exp(-(f2 - f1) * 12.0));
      img.At(x, y) = Rgb{1, 1, 1} * (0.25f + 0.45f * facet + 0.3f * edge);
    }
  return img;
}

Image PaintRust(const Fonts &) {
  Image img(200, 100);  // not a power of two: the loader stretches it
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) {
      const float n = static_cast<float>(TileFbm(x / 25.0, y / 25.0, 8, 4, 5, 19u));
      const float spots = static_cast<float>(TileFbm(x / 12.5, y / 12.5, 16, 8, 3, 29u));
      img.At(x, y) = Mix(Rgb{0.35f, 0.14f, 0.05f}, Rgb{0.75f, 0.38f, 0.12f}, n) * (0.7f + 0.5f * spots);
    }
  return img;
}

Image PaintSkyBright(const Fonts &) {
  Image img(256, 256);
  const Rgb stops[] = {{0.1f, 0.2f, 0.55f}, {0.45f, 0.65f, 0.95f}, {0.85f, 0.9f, 1.0f}};
  FillVertical(img, stops, 3);
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) {
      const float c = static_cast<float>(TileFbm(x / 64.0, y / 64.0, 4, 4, 5, 61u));
      img.At(x, y) = Mix(img.At(x, y), Rgb{1, 1, 1}, std::clamp((c - 0.5f) * 2.0f, 0.0f, 0.8f));
    }
  return img;
}

Image PaintDialogPicture(const Fonts &fonts) {
  // The picture at the top of the setup dialog (304 x 176).
  Image img(304, 176);
  const Rgb stops[] = {{0.01f, 0.01f, 0.06f}, {0.07f, 0.04f, 0.20f}, {0.30f, 0.08f, 0.30f}, {0.02f, 0.0f, 0.05f}};
  FillVertical(img, stops, 4);
  for (int y = 0; y < img.height; ++y)  // rings of the sky tunnel, seen end-on
    for (int x = 0; x < img.width; ++x) {
      const float dx = x + 0.5f - 152, dy = y + 0.5f - 88;
      const float r = std::hypot(dx, dy);
      const float angle = std::atan2(dy, dx);
      const float swirl = static_cast<float>(TileFbm(angle / 6.2831853 * 8 + 8, 300.0 / (r + 12.0), 8, 64, 4, 5u));
      img.At(x, y) = img.At(x, y) + Rgb{0.2f, 0.35f, 0.9f} * (0.5f * std::pow(swirl, 3.0f) * std::min(1.0f, r / 60));
    }
  AddStars(img, 160, 0.9f, 3u);
  const Mask title = TextInBox(fonts.bold, "ZEL 16", 304, 176, 220, 70, 152, 80);
  AddGlowingText(img, title, {1.0f, 1.0f, 1.0f}, 6.0f, {0.3f, 0.45f, 1.0f});
  const Mask line = TextInBox(fonts.regular, "a real-time demo", 304, 176, 150, 18, 152, 136);
  img.AddMask(line, 0, 0, {0.8f, 0.8f, 0.95f});
  Vignette(img, 0.6f);
  return img;
}

}  // namespace zel::data
