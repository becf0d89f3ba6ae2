// Reading a frame back: the back buffer of an OpenGL device as RGBA8 in memory, rows from
// the top, alpha 255 (the back buffer has none).
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zel::d3d9 {

// False for a device that is not an OpenGL device of this layer.
bool GrabBackBuffer(IDirect3DDevice9 *device, std::vector<uint8_t> *rgba, UINT *width, UINT *height);

// Writes top-down RGBA8 rows as an 8-bit RGB PNG file. False with a message in *error when
// the file cannot be written (or the buffer is smaller than width * height * 4).
bool WritePng(const std::string &path, const std::vector<uint8_t> &rgba, UINT width, UINT height, std::string *error);

}  // namespace zel::d3d9
