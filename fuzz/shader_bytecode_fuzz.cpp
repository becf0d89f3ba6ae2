// Feeds arbitrary DWORDs to CreateVertexShader's validator. It must stay inside the tokens it
// is given; whatever it accepts must translate to GLSL and disassemble.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "shader/disassembler.h"
#include "shader/glsl_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  using namespace zel::shader;
  std::vector<uint32_t> tokens(size / 4);  // exactly the input: reads past it are caught
  if (!tokens.empty()) std::memcpy(tokens.data(), data, tokens.size() * 4);
  ShaderProgram program;
  ShaderError error;
  const size_t length = ShaderTokenLength(tokens.data(), tokens.size());
  if (!ValidateVertexShader(tokens.data(), tokens.size(), &program, &error)) return 0;
  if (program.tokenCount != length || program.tokenCount > tokens.size()) std::abort();
  if (WriteVertexGlsl(program).empty() || DisassembleShader(program).empty()) std::abort();
  return 0;
}
