#include "tests/gfxutil/image_fixtures.h"

#include <cstdio>

#include <gtest/gtest.h>
#include <jpeglib.h>

namespace zel::gfxutil::test {

void Put16(std::vector<BYTE> *out, uint16_t v) {
  out->push_back(static_cast<BYTE>(v));
  out->push_back(static_cast<BYTE>(v >> 8));
}

void Put32(std::vector<BYTE> *out, uint32_t v) {
  Put16(out, static_cast<uint16_t>(v));
  Put16(out, static_cast<uint16_t>(v >> 16));
}

std::vector<BYTE> EncodeJpeg(const std::vector<BYTE> &samples, unsigned width, unsigned height, int components,
                             int quality, bool progressive) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char *buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = width;
  cinfo.image_height = height;
  cinfo.input_components = components;
  cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  if (progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  const size_t rowBytes = static_cast<size_t>(width) * components;
  while (cinfo.next_scanline < height) {
    JSAMPROW row = const_cast<BYTE *>(&samples[cinfo.next_scanline * rowBytes]);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<BYTE> bytes(buffer, buffer + size);
  free(buffer);
  return bytes;
}

std::vector<BYTE> MakeJpeg(unsigned width, unsigned height, int components, bool progressive, BYTE r, BYTE g, BYTE b) {
  const BYTE colour[4] = {r, g, b, 30};
  std::vector<BYTE> samples(static_cast<size_t>(width) * height * components);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = colour[i % components];
  return EncodeJpeg(samples, width, height, components, 95, progressive);
}

std::vector<BYTE> MakeBmp(const BmpFormat &bmpFormat, int32_t width, int32_t height,
                          const std::vector<std::vector<BYTE>> &rows, const std::vector<BYTE> &rle) {
  std::vector<BYTE> header;
  const bool core = bmpFormat.headerBytes == 12;
  Put32(&header, bmpFormat.headerBytes);
  if (core) {
    Put16(&header, static_cast<uint16_t>(width));
    Put16(&header, static_cast<uint16_t>(height));
    Put16(&header, 1);
    Put16(&header, bmpFormat.bpp);
  } else {
    Put32(&header, static_cast<uint32_t>(width));
    Put32(&header, static_cast<uint32_t>(bmpFormat.topDown ? -height : height));
    Put16(&header, 1);
    Put16(&header, bmpFormat.bpp);
    Put32(&header, bmpFormat.compression);
    Put32(&header, 0);  // image size: may be 0 for BI_RGB
    Put32(&header, 2835);
    Put32(&header, 2835);
    Put32(&header, static_cast<uint32_t>(bmpFormat.palette.size()));
    Put32(&header, 0);
    const bool masked = bmpFormat.compression == 3 || bmpFormat.compression == 6;
    if (bmpFormat.headerBytes > 40) {
      for (int i = 0; i < (bmpFormat.headerBytes >= 56 ? 4 : 3); ++i) Put32(&header, masked ? bmpFormat.masks[i] : 0);
    } else if (masked) {
      for (int i = 0; i < (bmpFormat.compression == 6 ? 4 : 3); ++i) Put32(&header, bmpFormat.masks[i]);
    }
    while (header.size() < bmpFormat.headerBytes) header.push_back(0);  // colour space fields
  }
  for (uint32_t entry : bmpFormat.palette) {
    header.push_back(static_cast<BYTE>(entry));
    header.push_back(static_cast<BYTE>(entry >> 8));
    header.push_back(static_cast<BYTE>(entry >> 16));
    if (!core) header.push_back(0);
  }

  std::vector<BYTE> pixels;
  if (bmpFormat.compression == 1 || bmpFormat.compression == 2) {
    pixels = rle;
  } else {
    const size_t stride = ((static_cast<size_t>(width) * bmpFormat.bpp + 31) / 32) * 4;
    for (size_t i = 0; i < rows.size(); ++i) {
      std::vector<BYTE> row = rows[bmpFormat.topDown ? i : rows.size() - 1 - i];
      row.resize(stride, 0);
      pixels.insert(pixels.end(), row.begin(), row.end());
    }
  }

  std::vector<BYTE> file = {'B', 'M'};
  Put32(&file, static_cast<uint32_t>(14 + header.size() + pixels.size()));
  Put32(&file, 0);
  Put32(&file, static_cast<uint32_t>(14 + header.size()));
  file.insert(file.end(), header.begin(), header.end());
  file.insert(file.end(), pixels.begin(), pixels.end());
  return file;
}

std::string WriteTempFile(const std::string &name, const std::vector<BYTE> &bytes) {
  const std::string path = testing::TempDir() + "zel_gfxutil_" + name;
  FILE *f = std::fopen(path.c_str(), "wb");
  if (f) {
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  return path;
}

}  // namespace zel::gfxutil::test
