// Vertex shader translation. Until the bytecode translator is written, every shader is
// refused the way a device without vertex shader support refuses it.
#include "platform/d3d9/shader_translate.h"

namespace zel::d3d9 {

HRESULT TranslateVertexShader(const DWORD *tokens, UINT tokenCount, VertexShaderTranslation *out,
                              std::string *error) {
  if (error != nullptr) *error = "vertex shaders are not supported yet";
  return D3DERR_INVALIDCALL;
}

}  // namespace zel::d3d9
