// How the recording device writes a call's arguments into its log.
#include "platform/d3d9/recording/call_args.h"

#include <cstdio>

namespace zel::d3d9 {

std::string NumArg(uint64_t v) { return std::to_string(v); }

std::string HexArg(DWORD v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08x", v);
  return buf;
}

std::string FloatArg(float f) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%g", f);
  return buf;
}

std::string FloatsArg(const float *f, UINT count) {
  if (f == nullptr) return "NULL";
  std::string s = "[";
  for (UINT i = 0; i < count; ++i) s += (i ? " " : "") + FloatArg(f[i]);
  return s + "]";
}

}  // namespace zel::d3d9
