// JPEG through libjpeg's memory destination; BMP written field by field; PNG through
// libpng's simplified writer, which stores no time stamp (see image_writers.h).
#include "data/image_writers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <jpeglib.h>
#include <png.h>

namespace zel::data {

std::vector<uint8_t> EncodeJpeg(const Image &image, int quality, bool grey) {
  const std::vector<uint8_t> bytes = grey ? ToBytesGrey(image) : ToBytesRgb(image);
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char *buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(image.width);
  cinfo.image_height = static_cast<JDIMENSION>(image.height);
  cinfo.input_components = grey ? 1 : 3;
  cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  // Full-resolution chroma: the art is mostly thin light strokes on black, which 4:2:0
  // subsampling smears into coloured fringes.
  if (!grey)
    for (int c = 0; c < 3; ++c) cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
  jpeg_start_compress(&cinfo, TRUE);
  const int stride = image.width * (grey ? 1 : 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(bytes.data() + static_cast<size_t>(cinfo.next_scanline) * stride);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<uint8_t> out(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return out;
}

namespace {

void Put16(std::vector<uint8_t> &out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t> &out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

}  // namespace

std::vector<uint8_t> EncodeBmp24(const Image &image) {
  const std::vector<uint8_t> rgb = ToBytesRgb(image);
  const uint32_t rowBytes = (static_cast<uint32_t>(image.width) * 3 + 3) & ~3u;
  const uint32_t pixelBytes = rowBytes * static_cast<uint32_t>(image.height);
  const uint32_t headerBytes = 14 + 40;
  std::vector<uint8_t> out;
  out.reserve(headerBytes + pixelBytes);
  out.push_back('B');
  out.push_back('M');
  Put32(out, headerBytes + pixelBytes);  // bfSize
  Put32(out, 0);                         // bfReserved1, bfReserved2
  Put32(out, headerBytes);               // bfOffBits
  Put32(out, 40);                        // biSize
  Put32(out, static_cast<uint32_t>(image.width));
  Put32(out, static_cast<uint32_t>(image.height));  // positive: bottom-up
  Put16(out, 1);                                    // biPlanes
  Put16(out, 24);                                   // biBitCount
  Put32(out, 0);                                    // biCompression = BI_RGB
  Put32(out, pixelBytes);                           // biSizeImage
  Put32(out, 2835);                                 // 72 dpi, in pixels per metre
  Put32(out, 2835);
  Put32(out, 0);  // biClrUsed
  Put32(out, 0);  // biClrImportant
  for (int y = image.height - 1; y >= 0; --y) {
    const uint8_t *row = rgb.data() + static_cast<size_t>(y) * image.width * 3;
    for (int x = 0; x < image.width; ++x) {
      out.push_back(row[x * 3 + 2]);
      out.push_back(row[x * 3 + 1]);
      out.push_back(row[x * 3 + 0]);
    }
    for (uint32_t pad = static_cast<uint32_t>(image.width) * 3; pad < rowBytes; ++pad) out.push_back(0);
  }
  return out;
}

std::vector<uint8_t> EncodePngRgba(const Image &image, const Mask &alpha) {
  const std::vector<uint8_t> rgb = ToBytesRgb(image);
  std::vector<uint8_t> rgba(rgb.size() / 3 * 4);
  for (size_t i = 0; i < rgb.size() / 3; ++i) {
    rgba[i * 4 + 0] = rgb[i * 3 + 0];
    rgba[i * 4 + 1] = rgb[i * 3 + 1];
    rgba[i * 4 + 2] = rgb[i * 3 + 2];
    rgba[i * 4 + 3] = static_cast<uint8_t>(std::lround(std::clamp(alpha.values[i], 0.0f, 1.0f) * 255.0f));
  }
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&png, nullptr, &size, 0, rgba.data(), 0, nullptr)) return {};
  std::vector<uint8_t> out(size);
  if (!png_image_write_to_memory(&png, out.data(), &size, 0, rgba.data(), 0, nullptr)) return {};
  out.resize(size);
  return out;
}

bool WriteFileBytes(const std::string &path, const std::vector<uint8_t> &bytes) {
  std::error_code ec;
  const std::filesystem::path p(path);
  if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
  FILE *f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::fprintf(stderr, "zel16-datagen: cannot write %s\n", path.c_str());
    return false;
  }
  const size_t written = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), f);
  const bool ok = (std::fclose(f) == 0) && written == bytes.size();
  if (!ok) std::fprintf(stderr, "zel16-datagen: short write to %s\n", path.c_str());
  return ok;
}

}  // namespace zel::data
