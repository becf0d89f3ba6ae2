// Vertex shader translation for CreateVertexShader: validate the bytecode, then write its GLSL.
#include "platform/d3d9/shader_translate.h"

#include "shader/glsl_writer.h"
#include "shader/program.h"

namespace zel::d3d9 {

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
