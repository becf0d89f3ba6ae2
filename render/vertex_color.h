// Turning a 0-255 float channel into the byte of a D3DCOLOR the way the show always has:
// scale by the single-precision 1/255 (0x3B808081), by 255 again, truncate toward zero to
// a 32-bit integer and keep the low 8 bits. For 0..255 that is the integer part.
#pragma once

#include <d3d9.h>

#include <cmath>
#include <cstdint>

namespace zel::render::vertex_color {

constexpr float kInv255 = 0.003921569f;  // bit pattern 0x3B808081, slightly above 1/255

// Truncation toward zero as the processor's float-to-int conversion does it: a value that
// does not fit (or NaN) gives the "integer indefinite" 0x80000000 instead of undefined behaviour.
inline int32_t TruncToInt32(double v) {
  if (!(v > -2147483649.0 && v < 2147483648.0)) return INT32_MIN;
  return static_cast<int32_t>(v);
}

inline DWORD ChannelByte(float c) {
  // Products in double precision, as the original's floating-point unit worked them.
  double scaled = static_cast<double>(c) * static_cast<double>(kInv255) * 255.0;
  return static_cast<DWORD>(TruncToInt32(scaled)) & 0xFFu;
}

}  // namespace zel::render::vertex_color
