// Painting and sound building blocks whose faults would show or be heard: seams in the
// scrolling sky, bitmap row padding, glyph holes, filter and oscillator ranges, note timing.
#include <gtest/gtest.h>

#include <cmath>

#include "data/art_tools.h"
#include "data/image_writers.h"
#include "data/noise.h"
#include "data/paint.h"
#include "data/synth.h"
#include "data/triangulate.h"

namespace zel::data {
namespace {

float Luma(const Rgb &c) { return 0.299f * c.r + 0.587f * c.g + 0.114f * c.b; }

// The sky wraps in u and scrolls in v: its opposite edges must continue into each other
// as smoothly as neighbouring columns do.
TEST(Art, SkyTilesWithoutSeams) {
  const Fonts fonts;
  const Image sky = PaintSky(fonts);
  double across = 0, inside = 0, down = 0, insideV = 0;
  for (int y = 0; y < sky.height; ++y) {
    across += std::abs(Luma(sky.At(0, y)) - Luma(sky.At(sky.width - 1, y)));
    inside += std::abs(Luma(sky.At(100, y)) - Luma(sky.At(101, y)));
  }
  for (int x = 0; x < sky.width; ++x) {
    down += std::abs(Luma(sky.At(x, 0)) - Luma(sky.At(x, sky.height - 1)));
    insideV += std::abs(Luma(sky.At(x, 200)) - Luma(sky.At(x, 201)));
  }
  EXPECT_LT(across, 2.0 * inside + 1e-3);
  EXPECT_LT(down, 2.0 * insideV + 1e-3);
}

TEST(Art, TileNoiseRepeatsWithItsPeriod) {
  for (double x : {0.1, 1.7, 3.3})
    for (double y : {0.2, 2.9}) {
      EXPECT_DOUBLE_EQ(TileNoise(x, y, 4, 3, 9u), TileNoise(x + 4, y, 4, 3, 9u));
      EXPECT_DOUBLE_EQ(TileNoise(x, y, 4, 3, 9u), TileNoise(x, y - 3, 4, 3, 9u));
    }
}

TEST(Art, BitmapRowsArePaddedToFourBytes) {
  Image img(3, 2, {1, 0, 0});  // 9 bytes of pixels per row, padded to 12
  img.At(0, 1) = {0, 0, 1};    // bottom-left pixel blue: it is the first one stored
  const std::vector<uint8_t> bmp = EncodeBmp24(img);
  ASSERT_EQ(bmp.size(), 54u + 2 * 12u);
  EXPECT_EQ(bmp[54], 255);  // blue byte first
  EXPECT_EQ(bmp[56], 0);
  EXPECT_EQ(bmp[54 + 12 + 2], 255);  // top row: red
}

TEST(Art, GlyphWithAHoleBecomesOneRegionWithOneHole) {
  const Font font(FontPath("DejaVuSans-Bold.ttf"));
  ASSERT_TRUE(font.ok());
  const auto regions = GroupRegions(font.Outlines("O", 100.0, 8));
  ASSERT_EQ(regions.size(), 1u);
  EXPECT_EQ(regions[0].holes.size(), 1u);
  const auto none = font.Outlines(" ", 100.0, 8);
  EXPECT_TRUE(none.empty());
}

TEST(Art, MissingFontIsReportedNotFatal) {
  const Font font("/nonexistent/font.ttf");
  EXPECT_FALSE(font.ok());
  EXPECT_TRUE(font.Outlines("ZEL", 100.0, 8).empty());
  EXPECT_EQ(font.RenderLine("ZEL", 20).width, 1);
}

TEST(Synth, SawStaysInRangeAndFilterRemovesHighs) {
  double phase = 0;
  Svf filter;
  double in = 0, out = 0;
  for (int i = 0; i < kSampleRate; ++i) {
    const float s = SawStep(&phase, 5000.0 / kSampleRate);
    ASSERT_LE(std::abs(s), 1.3f);
    float lo, band, hi;
    filter.Process(s, 500.0f, 0.7f, &lo, &band, &hi);
    in += s * s;
    out += lo * lo;
  }
  EXPECT_LT(out, 0.01 * in);  // 5 kHz through a 500 Hz low-pass: over 20 dB down
}

TEST(Synth, KickStartsOnItsSample) {
  StereoBuffer buffer(kSampleRate);
  const double at = 0.441;  // the second beat
  AddKick(buffer, at, 1.0f, 0.0f);
  const size_t start = static_cast<size_t>(std::round(at * kSampleRate));
  for (size_t i = 0; i < start; ++i) ASSERT_EQ(buffer.left[i], 0.0f);
  float early = 0;
  for (size_t i = start; i < start + 441; ++i) early = std::max(early, std::abs(buffer.left[i]));
  EXPECT_GT(early, 0.3f);  // loud within its first 10 ms
}

}  // namespace
}  // namespace zel::data
