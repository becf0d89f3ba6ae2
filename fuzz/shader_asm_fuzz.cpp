// Feeds arbitrary text to the shader assembler (with its preprocessor). Whatever it accepts must
// pass the device's validator, translate to GLSL, and disassemble into text that assembles
// back to the same tokens.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "gfxutil/shader.h"
#include "shader/disassembler.h"
#include "shader/glsl_writer.h"

namespace {

std::vector<uint32_t> Assemble(const std::string &text, HRESULT *hr) {
  LPD3DXBUFFER code = nullptr, errors = nullptr;
  *hr = D3DXAssembleShader(text.data(), UINT(text.size()), nullptr, nullptr, 0, &code, &errors);
  if (errors) errors->Release();
  std::vector<uint32_t> tokens;
  if (code) {
    const uint32_t *p = static_cast<const uint32_t *>(code->GetBufferPointer());
    tokens.assign(p, p + code->GetBufferSize() / 4);
    code->Release();
  }
  return tokens;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  using namespace zel::shader;
  HRESULT hr;
  const std::vector<uint32_t> tokens = Assemble(std::string(reinterpret_cast<const char *>(data), size), &hr);
  if (FAILED(hr)) {
    if (!tokens.empty()) std::abort();  // a failure hands out no buffer
    return 0;
  }
  ShaderProgram program;
  ShaderError error;
  if (!ValidateVertexShader(tokens.data(), tokens.size(), &program, &error)) std::abort();
  if (WriteVertexGlsl(program).empty()) std::abort();
  const std::vector<uint32_t> again = Assemble(DisassembleShader(program), &hr);
  if (FAILED(hr) || again != tokens) std::abort();
  return 0;
}
