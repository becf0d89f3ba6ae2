// Finding the end of a shader token stream that comes as a bare pointer.
#include "shader/program.h"
#include "platform/d3d9/shader_translate.h"

namespace zel::d3d9 {

UINT VertexShaderTokenCount(const DWORD *tokens) {
  return static_cast<UINT>(shader::ShaderTokenLength(tokens, kMaxShaderTokens));
}

}  // namespace zel::d3d9
