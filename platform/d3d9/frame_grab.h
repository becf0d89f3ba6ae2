// Reading a frame back: the back buffer of an OpenGL device as RGBA8 in memory, rows from
// the top, alpha 255 (the back buffer has none).
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <vector>

namespace zel::d3d9 {

// False for a device that is not an OpenGL device of this layer.
bool GrabBackBuffer(IDirect3DDevice9 *device, std::vector<uint8_t> *rgba, UINT *width, UINT *height);

}  // namespace zel::d3d9
