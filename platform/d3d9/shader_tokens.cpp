// Finding the end of a shader token stream.
#include "platform/d3d9/shader_translate.h"

namespace zel::d3d9 {

UINT VertexShaderTokenCount(const DWORD *tokens) {
  constexpr DWORD kEndToken = 0x0000ffff;
  constexpr DWORD kCommentOpcode = 0xfffe;
  if (tokens == nullptr || (tokens[0] & 0xffff0000u) != 0xfffe0000u) return 0;
  UINT i = 1;
  while (i < kMaxShaderTokens) {
    DWORD token = tokens[i];
    if (token == kEndToken) return i + 1;
    if ((token & 0xffff) == kCommentOpcode) {
      i += 1 + ((token >> 16) & 0x7fff);  // comment length in DWORDs, bits 16-30
    } else {
      ++i;
    }
  }
  return 0;
}

}  // namespace zel::d3d9
