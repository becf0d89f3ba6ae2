// The desktop icons: a tile with soft edges and transparent corners at every size, bright
// letters on it, and PNG files that decode back to exactly the painted pixels.
#include <gtest/gtest.h>
#include <png.h>

#include <cmath>

#include "data/icons.h"
#include "data/image_writers.h"

namespace zel::data {
namespace {

TEST(Icons, EverySizeIsATileWithSoftEdgesAndTransparentCorners) {
  const Fonts fonts;
  ASSERT_TRUE(fonts.ok());
  for (int size : IconSizes()) {
    SCOPED_TRACE(size);
    const IconPicture icon = PaintIcon(fonts, size);
    ASSERT_EQ(icon.colour.width, size);
    ASSERT_EQ(icon.colour.height, size);
    ASSERT_EQ(icon.alpha.width, size);
    EXPECT_EQ(icon.alpha.At(0, 0), 0.0f);
    EXPECT_EQ(icon.alpha.At(size - 1, size - 1), 0.0f);
    EXPECT_FLOAT_EQ(icon.alpha.At(size / 2, size / 2), 1.0f);
    int partial = 0, bright = 0, opaque = 0;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        const float a = icon.alpha.At(x, y);
        partial += a > 0.05f && a < 0.95f;
        opaque += a >= 0.95f;
        const Rgb &c = icon.colour.At(x, y);
        bright += a >= 0.95f && 0.299f * c.r + 0.587f * c.g + 0.114f * c.b > 0.7f;
      }
    EXPECT_GE(partial, size / 2) << "the rounded corners are anti-aliased";
    // The letters cover a readable share of the tile: neither lost nor a blown-out blob.
    EXPECT_GT(bright, opaque / 20);
    EXPECT_LT(bright, opaque / 2);
  }
}

TEST(Icons, PngKeepsColourAndStraightAlpha) {
  Image image(3, 2, {1.0f, 0.5f, 0.0f});
  image.At(2, 1) = {0.0f, 0.0f, 1.0f};
  Mask alpha(3, 2);
  alpha.At(0, 0) = 1.0f;
  alpha.At(1, 0) = 0.5f;
  alpha.At(2, 1) = 2.0f;  // clamped
  const std::vector<uint8_t> png = EncodePngRgba(image, alpha);
  ASSERT_FALSE(png.empty());
  png_image read{};
  read.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_memory(&read, png.data(), png.size()));
  EXPECT_EQ(read.width, 3u);
  EXPECT_EQ(read.height, 2u);
  EXPECT_TRUE(read.format & PNG_FORMAT_FLAG_ALPHA);
  read.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(read));
  ASSERT_TRUE(png_image_finish_read(&read, nullptr, pixels.data(), 0, nullptr));
  const std::vector<uint8_t> expected = {255, 128, 0, 255, 255, 128, 0, 128, 255, 128, 0, 0,
                                         255, 128, 0, 0,   255, 128, 0, 0,   0,   0,   255, 255};
  EXPECT_EQ(pixels, expected);
}

}  // namespace
}  // namespace zel::data
