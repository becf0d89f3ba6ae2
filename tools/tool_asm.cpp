// `zel16-tool asm FILE [-o OUT] [-x]`: assembles a vertex shader text file as the show does
// (without debug information) and writes the token stream to OUT (default: FILE with the
// extension .vso), or with -x prints it as hex DWORDs, one instruction a line. Errors go to
// standard error as "file(line): message".
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "gfxutil/shader.h"
#include "platform/d3d9/shader_program.h"
#include "tools/tool_command.h"

namespace {

using namespace zel::d3d9::shader;

constexpr unsigned long long kMaxShaderFileBytes = 1ull << 20;  // shader text is a few KiB

// Lines of "XXXXXXXX XXXXXXXX ...": the version, each comment, each instruction, the end.
void PrintHex(const std::vector<uint32_t> &tokens) {
  ShaderProgram program;
  ShaderError error;
  if (!ValidateVertexShader(tokens.data(), tokens.size(), &program, &error)) return;
  auto line = [&tokens](size_t from, size_t count) {
    for (size_t i = 0; i < count; ++i) std::printf(i ? " %08X" : "%08X", tokens[from + i]);
    std::printf("\n");
  };
  line(0, 1);
  size_t pos = 1;
  while (pos < tokens.size() && tokens[pos] != kEndToken) {
    const uint32_t token = tokens[pos];
    size_t length;
    if (IsComment(token)) {
      length = 1 + CommentLength(token);
    } else if (HasLengthField(program.profile)) {
      length = 1 + ((token & kLengthMask) >> kLengthShift);
    } else {  // vs_1_1 has no length field and no relative-address tokens
      const OpcodeInfo *info = FindOpcode(uint16_t(token & kOpcodeMask), program.profile);
      length = 1 + PatternTokenCount(info->args) + ((token & kPredicatedBit) ? 1 : 0);
    }
    line(pos, length);
    pos += length;
  }
  line(pos, 1);
}

int RunAsm(int argc, char **argv) {
  const char *input = nullptr;
  std::string output;
  bool hex = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-x") == 0) {
      hex = true;
    } else if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc) {
      output = argv[++i];
    } else if (argv[i][0] != '-' && !input) {
      input = argv[i];
    } else {
      std::fprintf(stderr, "usage: zel16-tool asm FILE [-o OUT] [-x]\n");
      return 2;
    }
  }
  if (!input) {
    std::fprintf(stderr, "usage: zel16-tool asm FILE [-o OUT] [-x]\n");
    return 2;
  }
  if (const std::string problem = zel::tool::InputFileProblem(input, kMaxShaderFileBytes); !problem.empty()) {
    std::fprintf(stderr, "%s: %s\n", input, problem.c_str());
    return 1;
  }
  LPD3DXBUFFER code = nullptr, errors = nullptr;
  const HRESULT hr = D3DXAssembleShaderFromFileA(input, nullptr, nullptr, 0, &code, &errors);
  if (errors) {
    std::fputs(static_cast<const char *>(errors->GetBufferPointer()), stderr);
    errors->Release();
  }
  if (FAILED(hr)) {
    std::fprintf(stderr, "%s: assembly failed (0x%08X)\n", input, unsigned(hr));
    return 1;
  }
  const uint32_t *p = static_cast<const uint32_t *>(code->GetBufferPointer());
  const std::vector<uint32_t> tokens(p, p + code->GetBufferSize() / 4);
  code->Release();
  if (hex && output.empty()) {
    PrintHex(tokens);
    return 0;
  }
  if (output.empty()) {
    output = input;
    const size_t dot = output.find_last_of('.');
    const size_t slash = output.find_last_of('/');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) output.resize(dot);
    output += ".vso";
  }
  FILE *file = std::fopen(output.c_str(), "wb");
  const bool written = file && std::fwrite(tokens.data(), 4, tokens.size(), file) == tokens.size();
  if (file && std::fclose(file) != 0) file = nullptr;
  if (!written || !file) {
    std::fprintf(stderr, "%s: cannot write the shader\n", output.c_str());
    return 1;
  }
  if (hex) PrintHex(tokens);
  return 0;
}

}  // namespace

ZEL16_TOOL_COMMAND("asm", "assemble a vertex shader text file (-o OUT, -x hex)", RunAsm);
