// Vertex shader bytecode for CreateVertexShader: its length, then its validation and GLSL.
#include "platform/d3d9/shader_translate.h"

#include <cstring>

#include "shader/glsl_writer.h"
#include "shader/program.h"

namespace zel::d3d9 {

UINT VertexShaderTokenCount(const DWORD *tokens) {
  return static_cast<UINT>(shader::ShaderTokenLength(tokens, kMaxShaderTokens));
}

HRESULT CopyShaderFunction(const std::vector<DWORD> &tokens, void *data, UINT *size) {
  if (size == nullptr) return D3DERR_INVALIDCALL;
  const UINT bytes = static_cast<UINT>(tokens.size() * sizeof(DWORD));
  if (data != nullptr) {
    if (*size < bytes) return D3DERR_INVALIDCALL;
    std::memcpy(data, tokens.data(), bytes);
  }
  *size = bytes;
  return D3D_OK;
}

HRESULT TranslateVertexShader(const DWORD *tokens, UINT tokenCount, VertexShaderTranslation *out,
                              std::string *error) {
  if (tokens == nullptr || out == nullptr) return D3DERR_INVALIDCALL;
  shader::ShaderProgram program;
  shader::ShaderError fault;
  if (!shader::ValidateVertexShader(tokens, tokenCount, &program, &fault)) {
    if (error != nullptr) *error = fault.message + " (token " + std::to_string(fault.tokenOffset) + ")";
    return D3DERR_INVALIDCALL;
  }
  out->glsl = shader::WriteVertexGlsl(program);
  return D3D_OK;
}

}  // namespace zel::d3d9
