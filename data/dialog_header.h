// The setup dialog's picture as C++ source: the program has no resource compiler, so the
// bitmap is built into it from a generated header.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zel::data {

// Header text holding `bmpFile` (a complete 24-bit .bmp file of width x height) as
// kBitmap115[], with its layout described in the header's opening comment.
std::string DialogBitmapHeader(const std::vector<uint8_t> &bmpFile, int width, int height);

}  // namespace zel::data
