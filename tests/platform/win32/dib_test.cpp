#include "platform/win32/dib.h"

#include <gtest/gtest.h>

#include <vector>

namespace zel::win32 {

namespace {

using zel::win32::DecodeDib;
using zel::win32::RgbImage;

void Put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(x >> (8 * i) & 0xFF);
}

// A 3x2 24-bit bitmap: rows of 9 bytes padded to 12, bottom row first.
std::vector<uint8_t> SmallDib(int32_t height = 2) {
  std::vector<uint8_t> v;
  Put32(v, 40);
  Put32(v, 3);
  Put32(v, static_cast<uint32_t>(height));
  Put32(v, 1 | 24 << 16);
  for (int i = 0; i < 6; ++i) Put32(v, 0);
  const uint8_t bottom[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0};  // B,G,R triples
  const uint8_t top[12] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 0, 0, 0};
  v.insert(v.end(), bottom, bottom + 12);
  v.insert(v.end(), top, top + 12);
  return v;
}

TEST(Dib, BottomUpRowsAndBgrOrder) {
  std::vector<uint8_t> dib = SmallDib();
  RgbImage image;
  std::string error;
  ASSERT_TRUE(DecodeDib(dib.data(), dib.size(), image, error)) << error;
  EXPECT_EQ(image.width, 3);
  EXPECT_EQ(image.height, 2);
  EXPECT_EQ(image.rgb[0], 30);  // top-left pixel, red first
  EXPECT_EQ(image.rgb[2], 10);
  EXPECT_EQ(image.rgb[9], 3);   // bottom-left
}

TEST(Dib, FileHeaderAndTopDownRows) {
  std::vector<uint8_t> file = {'B', 'M'};
  Put32(file, 0);
  Put32(file, 0);
  Put32(file, 54);
  std::vector<uint8_t> dib = SmallDib(-2);  // top-down: first stored row is the top
  file.insert(file.end(), dib.begin(), dib.end());
  RgbImage image;
  std::string error;
  ASSERT_TRUE(DecodeDib(file.data(), file.size(), image, error)) << error;
  EXPECT_EQ(image.rgb[0], 3);
}

TEST(Dib, BadInputIsRefusedWithoutOverreading) {
  std::vector<uint8_t> dib = SmallDib();
  RgbImage image;
  std::string error;
  for (size_t n = 0; n < dib.size(); ++n) {
    std::vector<uint8_t> cut(dib.begin(), dib.begin() + n);
    EXPECT_FALSE(DecodeDib(cut.data(), cut.size(), image, error)) << n;
  }
  std::vector<uint8_t> rle = dib;
  rle[16] = 1;  // BI_RLE8
  EXPECT_FALSE(DecodeDib(rle.data(), rle.size(), image, error));
  std::vector<uint8_t> huge = dib;
  huge[7] = 0x7F;  // width 2^31 - ...
  EXPECT_FALSE(DecodeDib(huge.data(), huge.size(), image, error));
  std::vector<uint8_t> eight = dib;
  eight[14] = 8;
  EXPECT_FALSE(DecodeDib(eight.data(), eight.size(), image, error));
}

}  // namespace

}  // namespace zel::win32
