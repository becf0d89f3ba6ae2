// `zel16-tool disasm FILE`: validates a vertex shader token stream as CreateVertexShader does
// and prints it as assembly text that assembles back to the same tokens (comment tokens such
// as debug information are left out).
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "shader/disassembler.h"
#include "shader/source_files.h"
#include "tools/tool_command.h"

namespace zel::tool {

namespace {

using namespace zel::shader;

int RunDisasm(int argc, char **argv) {
  if (argc != 2 || argv[1][0] == '-') {
    std::fprintf(stderr, "usage: zel16-tool disasm FILE\n");
    return 2;
  }
  std::string bytes, readError;
  if (!ReadSourceFile(argv[1], kMaxSourceFileBytes, &bytes, &readError)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], readError.c_str());
    return 1;
  }
  if (bytes.size() % 4 != 0) {
    std::fprintf(stderr, "%s: %zu bytes is not a whole number of DWORDs\n", argv[1], bytes.size());
    return 1;
  }
  std::vector<uint32_t> tokens(bytes.size() / 4);
  if (!bytes.empty()) std::memcpy(tokens.data(), bytes.data(), bytes.size());
  ShaderProgram program;
  ShaderError error;
  if (!ValidateVertexShader(tokens.data(), tokens.size(), &program, &error)) {
    std::fprintf(stderr, "%s: %s (token %u)\n", argv[1], error.message.c_str(), error.tokenOffset);
    return 1;
  }
  std::fputs(DisassembleShader(program).c_str(), stdout);
  return 0;
}

}  // namespace

ZEL16_TOOL_COMMAND("disasm", "print a vertex shader token file as assembly text", RunDisasm);

}  // namespace zel::tool
