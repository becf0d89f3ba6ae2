// `zel16-tool disasm FILE`: validates a vertex shader token stream as CreateVertexShader does
// and prints it as assembly text that assembles back to the same tokens (comment tokens such
// as debug information are left out).
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/d3d9/shader_disasm.h"
#include "tools/tool_command.h"

namespace {

using namespace zel::d3d9::shader;

constexpr unsigned long long kMaxTokenFileBytes = 16ull << 20;  // far beyond any vertex shader

int RunDisasm(int argc, char **argv) {
  if (argc != 2 || argv[1][0] == '-') {
    std::fprintf(stderr, "usage: zel16-tool disasm FILE\n");
    return 2;
  }
  if (const std::string problem = zel::tool::InputFileProblem(argv[1], kMaxTokenFileBytes); !problem.empty()) {
    std::fprintf(stderr, "%s: %s\n", argv[1], problem.c_str());
    return 1;
  }
  std::ifstream file(argv[1], std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "%s: cannot open the file\n", argv[1]);
    return 1;
  }
  const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
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
