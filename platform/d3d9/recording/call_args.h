// How the recording device writes a call's arguments into its log.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <string>

namespace zel::d3d9 {

std::string NumArg(uint64_t v);                   // "42"
std::string HexArg(DWORD v);                      // "0x0000002a"
std::string FloatArg(float f);                    // "0.5"
std::string FloatsArg(const float *f, UINT count);  // "[1 0 0.5]", "NULL" for none

}  // namespace zel::d3d9
