// `zel16-tool asm FILE [-o OUT] [-x]`: assembles a vertex shader text file as the show does
// (without debug information) and writes the token stream to OUT (default: FILE with the
// extension .vso), or with -x prints it as hex DWORDs, one instruction a line. Errors go to
// standard error as "file(line): message".
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "shader/assembler.h"
#include "shader/program.h"
#include "tools/tool_command.h"

namespace zel::tool {

namespace {

using namespace zel::shader;

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
      const InstructionInfo *info = FindOpcode(uint16_t(token & kOpcodeMask), program.profile);
      length = 1 + PatternTokenCount(info->Pattern(program.profile)) + ((token & kPredicatedBit) ? 1 : 0);
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
  std::vector<uint32_t> tokens;
  std::vector<std::string> errors;
  if (!AssembleFile(input, AssembleOptions(), &tokens, &errors)) {
    for (const std::string &e : errors) std::fprintf(stderr, "%s\n", e.c_str());
    std::fprintf(stderr, "%s: assembly failed\n", input);
    return 1;
  }
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

}  // namespace zel::tool
