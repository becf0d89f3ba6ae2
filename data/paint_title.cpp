// Pictures of the title scene: the model's skin and environment, the background, the
// flare and glow sprites, the leaping stars' colour ramp, the banner and an unused ring.
#include "data/paint.h"

#include <algorithm>
#include <cmath>

#include "data/noise.h"

namespace zel::data {

namespace {

constexpr float kPi = 3.14159265f;

// Fades a sprite picture to pure black towards its border, so the quad's edge never shows.
float EdgeWindow(float x, float y, int w, int h) {
  const float dx = (x + 0.5f) / w * 2 - 1, dy = (y + 0.5f) / h * 2 - 1;
  const float r = std::sqrt(dx * dx + dy * dy);
  const float t = std::clamp(1.0f - r, 0.0f, 1.0f);
  return t * t * (3 - 2 * t);
}

}  // namespace

Image PaintSkin(const Fonts &) {
  // Dark scales with lighter seams; added on top of the chrome, so it stays dark.
  Image img(256, 256);
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) {
      double f1, f2;
      TileWorley(x / 32.0, y / 32.0, 8, 31u, &f1, &f2);
      const float seam = static_cast<float>(std::exp(-(f2 - f1) * 9.0));
      const float grain = static_cast<float>(TileFbm(x / 32.0, y / 32.0, 8, 8, 4, 5u));
      const float body = 0.35f + 0.65f * static_cast<float>(f1);
      img.At(x, y) = Rgb{0.02f, 0.07f, 0.10f} * (body * (0.7f + 0.6f * grain)) + Rgb{0.10f, 0.20f, 0.24f} * seam;
    }
  return img;
}

Image PaintEnvironment(const Fonts &) {
  // Chrome environment: sky at the top, a hot horizon in the middle, dark ground below.
  // u wraps around the vertical axis, so everything tiles horizontally.
  Image img(512, 256);
  const Rgb stops[] = {{0.03f, 0.05f, 0.25f}, {0.20f, 0.35f, 0.80f}, {0.65f, 0.80f, 1.00f},
                       {1.00f, 0.95f, 0.85f}, {0.55f, 0.25f, 0.12f}, {0.10f, 0.05f, 0.08f}, {0.02f, 0.01f, 0.03f}};
  const float stopV[] = {0.0f, 0.30f, 0.46f, 0.50f, 0.54f, 0.75f, 1.0f};
  for (int y = 0; y < img.height; ++y) {
    const float v = (y + 0.5f) / img.height;
    int i = 0;
    while (i < 5 && v > stopV[i + 1]) ++i;
    const Rgb base = Mix(stops[i], stops[i + 1], (v - stopV[i]) / (stopV[i + 1] - stopV[i]));
    for (int x = 0; x < img.width; ++x) {
      const double u = static_cast<double>(x) / img.width;
      Rgb c = base;
      if (v < 0.5f) {  // clouds
        const float cloud = static_cast<float>(TileFbm(u * 6.0, v * 6.0, 6, 64, 5, 11u));
        const float k = std::clamp((cloud - 0.45f) * 2.5f, 0.0f, 1.0f) * (v / 0.5f);
        c = Mix(c, Rgb{0.95f, 0.93f, 1.0f}, 0.55f * k);
      } else {  // skyline silhouettes and their lit windows below the horizon
        const float column = static_cast<float>(TileNoise(u * 48.0, 0.5, 48, 1, 23u));
        const float top = 0.5f + 0.06f * column;
        if (v < top + 0.02f) c = c * (0.35f + 0.65f * std::clamp((v - top) / 0.02f, 0.0f, 1.0f));
        const float lit = static_cast<float>(Hash01(x / 3, y / 3, 41u));
        if (v > 0.52f && v < top + 0.2f && lit > 0.93f) c = c + Rgb{0.5f, 0.4f, 0.2f};
      }
      img.At(x, y) = c;
    }
  }
  AddGlow(img, 150, 88, 18, {1.0f, 0.9f, 0.7f});  // the sun, high on the left
  AddGlow(img, 150, 88, 60, {0.35f, 0.25f, 0.15f});
  return img;
}

Image PaintTitleBackground(const Fonts &) {
  // Dark violet space with a glowing horizon and a perspective grid floor; dark enough
  // that the chrome title and the flares stand out in front of it.
  Image img(640, 480);
  const Rgb stops[] = {{0.0f, 0.0f, 0.02f}, {0.05f, 0.02f, 0.12f}, {0.22f, 0.06f, 0.25f}, {0.04f, 0.0f, 0.06f}};
  FillVertical(img, stops, 4);
  AddStars(img, 500, 0.9f, 77u);
  const float horizon = 300.0f;
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) {
      Rgb &p = img.At(x, y);
      const float dy = (y - horizon) / 480.0f;
      p = p + Rgb{0.45f, 0.12f, 0.35f} * std::exp(-dy * dy * 300.0f);  // horizon glow
      if (y > horizon) {
        p = p * 0.25f;  // the floor hides the stars
        // A unit grid on the floor in perspective: depth z = 360 / (rows below the horizon),
        // lines drawn 1.2 pixels wide whatever their distance, fading out near the horizon.
        const float below = y - horizon + 1.0f;
        const float z = 360.0f / below;
        const float unitsPerRow = 360.0f / (below * below);
        const float unitsPerColumn = z / 180.0f;
        const float worldX = (x - 320.0f) * unitsPerColumn;
        const float rowPixels = std::abs(z - std::round(z)) / unitsPerRow;
        const float columnPixels = std::abs(worldX - std::round(worldX)) / unitsPerColumn;
        const float grid = std::max(std::exp(-rowPixels * rowPixels / 0.7f), std::exp(-columnPixels * columnPixels / 0.7f));
        p = p + Rgb{0.55f, 0.15f, 0.6f} * (grid * std::min(1.0f, below / 70.0f));
      }
    }
  Vignette(img, 0.35f);
  return img;
}

Image PaintFlare(const Fonts &) {
  // A small hot core, a soft halo and four thin rays, fading to pure black at the border.
  Image img(128, 128);
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) {
      const float dx = (x + 0.5f - 64) / 64.0f, dy = (y + 0.5f - 64) / 64.0f;
      const float r2 = dx * dx + dy * dy;
      // The sprite is only 10 to 20 pixels wide on screen: a broad core, a strong halo.
      const float core = std::exp(-r2 * 28.0f), halo = std::exp(-r2 * 6.0f);
      const float rays = std::exp(-std::abs(dx) * 3.0f) * std::exp(-dy * dy * 900.0f) +
                         std::exp(-std::abs(dy) * 3.0f) * std::exp(-dx * dx * 900.0f);
      Rgb c = Rgb{1.0f, 1.0f, 1.0f} * core + Rgb{0.5f, 0.6f, 1.0f} * (0.6f * halo) +
              Rgb{0.8f, 0.85f, 1.0f} * (0.7f * rays);
      img.At(x, y) = c * EdgeWindow(static_cast<float>(x), static_cast<float>(y), 128, 128);
    }
  return img;
}

Image PaintGlow(const Fonts &) {
  // Drawn 300 units wide through the title, several at once: faint and coloured.
  Image img(256, 256);
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) {
      const float dx = (x + 0.5f - 128) / 128.0f, dy = (y + 0.5f - 128) / 128.0f;
      const float r2 = dx * dx + dy * dy;
      const float k = 0.8f * std::exp(-r2 * 6.0f) + 0.2f * std::exp(-r2 * 40.0f);
      img.At(x, y) = Rgb{0.10f, 0.05f, 0.16f} * (k * EdgeWindow(static_cast<float>(x), static_cast<float>(y), 256, 256));
    }
  return img;
}

Image PaintJumperRamp(const Fonts &) {
  // The leaping stars are drawn unlit: u picks the shade (dark amber to white gold), set per
  // facet by the model; v gives a streak of sheen across each facet.
  Image img(256, 64);
  const Rgb ramp[] = {{0.22f, 0.06f, 0.02f}, {0.85f, 0.42f, 0.06f}, {1.0f, 0.82f, 0.25f}, {1.0f, 1.0f, 0.85f}};
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) {
      const float u = (x + 0.5f) / img.width * 3.0f;
      const int i = std::min(2, static_cast<int>(u));
      const float v = (y + 0.5f) / img.height;
      const float sheen = 0.85f + 0.25f * std::exp(-(v - 0.45f) * (v - 0.45f) * 60.0f);
      img.At(x, y) = Mix(ramp[i], ramp[i + 1], u - i) * sheen;
    }
  return img;
}

Image PaintRing(const Fonts &) {
  Image img(128, 128);
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x) {
      const float r = std::hypot(x + 0.5f - 64, y + 0.5f - 64);
      const float k = std::exp(-(r - 44) * (r - 44) / 12.0f) + 0.3f * std::exp(-(r - 44) * (r - 44) / 120.0f);
      img.At(x, y) = Rgb{1, 1, 1} * k;
    }
  return img;
}

Image PaintBanner(const Fonts &fonts) {
  // The scene shows only the left three quarters of the banner (its quad runs off the right
  // edge of the view), so the lettering sits left of centre. Light on black: it is added.
  Image img(512, 256);
  const Mask word = TextInBox(fonts.serif, "realtime!", 512, 256, 360, 120, 200, 110);
  AddGlowingText(img, word, {1.0f, 0.85f, 0.45f}, 7.0f, {0.9f, 0.35f, 0.05f});
  const Mask line = TextInBox(fonts.regular, "136 beats per minute", 512, 256, 300, 30, 200, 190);
  AddGlowingText(img, line, {0.75f, 0.8f, 1.0f}, 3.0f, {0.1f, 0.2f, 0.5f});
  for (int x = 40; x < 360; ++x) {  // underline fading towards both ends
    const float k = std::sin((x - 40) / 320.0f * kPi);
    img.At(x, 166) = img.At(x, 166) + Rgb{0.9f, 0.5f, 0.1f} * k;
  }
  return img;
}

}  // namespace zel::data
