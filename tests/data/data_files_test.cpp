// Checks the Data/ folder the build generated: every file the show loads is there and
// readable, pictures decode at their listed sizes, and the models load through the show's
// own .3ds reader with the sizes and placement the scenes expect.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "data/textures.h"
#include "model3ds/loader3ds.h"

namespace zel::data {

namespace {

const std::string kBuild = ZEL16_BINARY_DIR;

std::vector<uint8_t> ReadAll(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct Decoded {
  bool ok = false;
  int width = 0, height = 0, components = 0;
  std::vector<uint8_t> pixels;
};

Decoded DecodeJpeg(const std::vector<uint8_t> &bytes) {
  Decoded d;
  if (bytes.size() < 4) return d;
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  if (jpeg_read_header(&cinfo, TRUE) == JPEG_HEADER_OK) {
    jpeg_start_decompress(&cinfo);
    d.width = static_cast<int>(cinfo.output_width);
    d.height = static_cast<int>(cinfo.output_height);
    d.components = cinfo.output_components;
    d.pixels.resize(static_cast<size_t>(d.width) * d.height * d.components);
    while (cinfo.output_scanline < cinfo.output_height) {
      JSAMPROW row = d.pixels.data() + static_cast<size_t>(cinfo.output_scanline) * d.width * d.components;
      jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    d.ok = true;
  }
  jpeg_destroy_decompress(&cinfo);
  return d;
}

uint32_t Le32(const std::vector<uint8_t> &b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

double MeanOfCorners(const Decoded &d) {
  double sum = 0;
  const int n = d.components;
  for (int y : {0, d.height - 1})
    for (int x : {0, d.width - 1})
      for (int c = 0; c < n; ++c) sum += d.pixels[(static_cast<size_t>(y) * d.width + x) * n + c];
  return sum / (4 * n);
}

TEST(DataFiles, EveryPictureDecodesAtItsListedSize) {
  using zel::data::PictureFormat;
  int bmpCount = 0, greyCount = 0, oddSizes = 0;
  for (const auto &file : zel::data::PictureFiles()) {
    SCOPED_TRACE(file.path);
    const std::vector<uint8_t> bytes = ReadAll(kBuild + "/" + file.path);
    ASSERT_FALSE(bytes.empty());
    const bool pow2 = (file.width & (file.width - 1)) == 0 && (file.height & (file.height - 1)) == 0;
    oddSizes += pow2 ? 0 : 1;
    if (file.format == PictureFormat::kBmp24) {
      ++bmpCount;
      ASSERT_GE(bytes.size(), 54u);
      EXPECT_EQ(bytes[0], 'B');
      EXPECT_EQ(bytes[1], 'M');
      EXPECT_EQ(Le32(bytes, 2), bytes.size());
      EXPECT_EQ(Le32(bytes, 18), static_cast<uint32_t>(file.width));
      EXPECT_EQ(Le32(bytes, 22), static_cast<uint32_t>(file.height));
      EXPECT_EQ(bytes[28], 24);  // bits per pixel
      EXPECT_EQ(Le32(bytes, 30), 0u);  // BI_RGB
      continue;
    }
    const Decoded d = DecodeJpeg(bytes);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.width, file.width);
    EXPECT_EQ(d.height, file.height);
    EXPECT_EQ(d.components, file.format == PictureFormat::kJpegGrey ? 1 : 3);
    greyCount += d.components == 1 ? 1 : 0;
  }
  EXPECT_EQ(bmpCount, 1);
  EXPECT_GE(greyCount, 1);
  EXPECT_GE(oddSizes, 2);  // the loader's scaling gets used
}

// Pictures that the show adds onto the scene must be black where they are empty.
TEST(DataFiles, AddedPicturesHaveBlackCorners) {
  for (const char *name : {"Data/Textures/flare22i.jpg", "Data/Textures/end.jpg", "Data/Textures/buuu2.jpg",
                           "Data/Textures/txt/ng1.jpg", "Data/Textures/txt/um3.jpg", "Data/Textures/buuu.jpg",
                           "Data/Textures/wypier.jpg"}) {
    SCOPED_TRACE(name);
    const Decoded d = DecodeJpeg(ReadAll(kBuild + "/" + name));
    ASSERT_TRUE(d.ok);
    EXPECT_LT(MeanOfCorners(d), 2.0);
  }
}

TEST(DataFiles, SkyIsDarkAndWhiteIsWhite) {
  const Decoded sky = DecodeJpeg(ReadAll(kBuild + "/Data/Textures/skyneg2m.jpg"));
  ASSERT_TRUE(sky.ok);
  double sum = 0;
  uint8_t brightest = 0;
  for (uint8_t v : sky.pixels) {
    sum += v;
    brightest = std::max(brightest, v);
  }
  const double mean = sum / sky.pixels.size() / 255.0;
  EXPECT_GT(mean, 0.02);  // ten copies add up: around a tenth or less each
  EXPECT_LT(mean, 0.12);
  EXPECT_GT(brightest / 255.0, 4.0 * mean);  // with brighter streaks
  const Decoded white = DecodeJpeg(ReadAll(kBuild + "/Data/Textures/white.jpg"));
  ASSERT_TRUE(white.ok);
  for (uint8_t v : white.pixels) ASSERT_GE(v, 254);
}

TEST(DataFiles, ShaderTextIsThere) {
  const std::vector<uint8_t> text = ReadAll(kBuild + "/Data/Other/ref.vsh");
  const std::string s(text.begin(), text.end());
  EXPECT_EQ(s.rfind("vs_1_1", 0), 0u);
  for (const char *input : {"dcl_position", "dcl_normal", "dcl_color", "dcl_texcoord0", "dcl_texcoord1"})
    EXPECT_NE(s.find(input), std::string::npos) << input;
}

TEST(DataFiles, DialogPictureHeaderMatchesItsBitmap) {
  const std::vector<uint8_t> bmp = ReadAll(kBuild + "/generated/bitmap115.bmp");
  ASSERT_EQ(bmp.size(), 54u + 304u * 176u * 3u);
  EXPECT_EQ(Le32(bmp, 18), 304u);
  EXPECT_EQ(Le32(bmp, 22), 176u);
  EXPECT_EQ(bmp[28], 24);
  const std::vector<uint8_t> header = ReadAll(kBuild + "/generated/bitmap115.h");
  const std::string text(header.begin(), header.end());
  EXPECT_NE(text.find("kBitmap115Size = " + std::to_string(bmp.size()) + ";"), std::string::npos);
}

// ---- models through the show's reader --------------------------------------------------

struct Loaded {
  std::unique_ptr<model3ds::Loader3ds> loader = std::make_unique<model3ds::Loader3ds>();
  float lo[3] = {1e30f, 1e30f, 1e30f}, hi[3] = {-1e30f, -1e30f, -1e30f};
  explicit Loaded(const std::string &rel) {
    loader->messageBox = nullptr;
    loader->Read((kBuild + "/" + rel).c_str());
    if (loader->objectCount < 1) return;
    const model3ds::Object3ds &o = loader->objects[0];
    for (int i = 0; i < o.vertexCount; ++i)
      for (int a = 0; a < 3; ++a) {
        lo[a] = std::min(lo[a], o.positions[i][a]);
        hi[a] = std::max(hi[a], o.positions[i][a]);
      }
  }
  const model3ds::Object3ds &object() const { return loader->objects[0]; }
};

TEST(DataFiles, TitleModelStandsAtTheOrbitCentre) {
  const Loaded m("Data/3DFiles/zel2.3ds");
  ASSERT_EQ(m.loader->objectCount, 1);
  EXPECT_EQ(m.loader->messageCount, 0);
  const model3ds::Object3ds &o = m.object();
  EXPECT_GE(o.vertexCount, 4000);
  EXPECT_LE(o.vertexCount, 20000);
  const float width = m.hi[0] - m.lo[0], height = m.hi[1] - m.lo[1], depth = m.hi[2] - m.lo[2];
  EXPECT_GE(width, 150.0f);
  EXPECT_LE(width, 250.0f);
  EXPECT_GT(height, depth);  // upright, thin along the depth axis
  EXPECT_NEAR(0.5f * (m.lo[0] + m.hi[0]), 0.0f, 5.0f);
  EXPECT_NEAR(0.5f * (m.lo[1] + m.hi[1]), -20.0f, 5.0f);
  EXPECT_NEAR(0.5f * (m.lo[2] + m.hi[2]), 0.0f, 5.0f);
  // Faces wind so that the reader's normals point out of the letters: on the front cap
  // (largest z, facing the viewer at +z) they point towards +z.
  int front = 0, outward = 0;
  for (int i = 0; i < o.vertexCount; ++i)
    if (o.positions[i][2] > m.hi[2] - 0.01f) {
      ++front;
      outward += o.normals[i][2] > 0.5f ? 1 : 0;
    }
  EXPECT_GT(front, 50);
  EXPECT_EQ(outward, front);
  for (int i = 0; i < o.faceCount; ++i)
    for (int k = 0; k < 3; ++k) ASSERT_LT(o.faces[i][k], o.vertexCount);
}

TEST(DataFiles, JumperModelIsSmallAndTextured) {
  const Loaded m("Data/3DFiles/smc.3ds");
  ASSERT_EQ(m.loader->objectCount, 1);
  EXPECT_EQ(m.loader->messageCount, 0);
  EXPECT_GE(m.object().vertexCount, 100);
  EXPECT_LE(m.object().vertexCount, 2000);
  const float across = std::max(m.hi[0] - m.lo[0], m.hi[1] - m.lo[1]);
  EXPECT_GE(across, 3.0f);
  EXPECT_LE(across, 6.0f);
  for (int i = 0; i < m.object().vertexCount; ++i) {
    EXPECT_GE(m.object().texCoords[i][0], 0.0f);
    EXPECT_LE(m.object().texCoords[i][0], 1.0f);
  }
}

// Ten copies at z = 0..45 seen from z = 90 with a 60-degree view: the bowl's rim must lie
// outside the view even for the nearest copy, and v must run from the rim inwards.
TEST(DataFiles, SkyBowlFillsTheViewAndRunsVAlongIt) {
  const Loaded m("Data/3DFiles/hem.3ds");
  ASSERT_EQ(m.loader->objectCount, 1);
  EXPECT_EQ(m.loader->messageCount, 0);
  const model3ds::Object3ds &o = m.object();
  const double halfDiagonalAt45 = 45.0 * std::tan(30.0 * 3.14159265 / 180.0) * std::hypot(1.0, 4.0 / 3.0);
  EXPECT_GT(m.hi[0], halfDiagonalAt45);
  EXPECT_LE(m.hi[2], 0.001f);  // nothing reaches towards the camera past the rim
  for (int i = 0; i < o.vertexCount; ++i) {
    const float r = std::hypot(o.positions[i][0], o.positions[i][1]);
    for (int j = 0; j < o.vertexCount; j += 97)
      if (std::hypot(o.positions[j][0], o.positions[j][1]) < r - 1.0f) {
        ASSERT_GT(o.texCoords[j][1], o.texCoords[i][1]) << i << " " << j;  // deeper = larger v
      }
  }
}

}  // namespace

}  // namespace zel::data
