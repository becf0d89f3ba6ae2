// Encoders for the generated pictures: baseline JPEG (colour or grey, through libjpeg),
// uncompressed 24-bit Windows bitmaps (our own writer) and RGBA PNG for the desktop icons
// (through libpng). All return the file's bytes so the caller decides where they go (a
// file under Data/, an icon folder, or a C++ header).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "data/image.h"

namespace zel::data {

// quality: libjpeg's 1..100 scale. Grey pictures are written with one component.
std::vector<uint8_t> EncodeJpeg(const Image &image, int quality, bool grey);

// A complete .bmp file: 14-byte file header, 40-byte info header (BI_RGB, 24 bits, positive
// height = bottom-up rows), then rows of B, G, R bytes padded to a multiple of 4 bytes.
std::vector<uint8_t> EncodeBmp24(const Image &image);

// An 8-bit RGBA PNG with straight (not premultiplied) alpha; alpha is the same size as the
// picture. Empty when libpng refuses.
std::vector<uint8_t> EncodePngRgba(const Image &image, const Mask &alpha);

// Writes bytes to path, creating parent folders. Returns false (with a message on stderr)
// when the file cannot be written.
bool WriteFileBytes(const std::string &path, const std::vector<uint8_t> &bytes);

}  // namespace zel::data
