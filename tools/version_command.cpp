// `zel16-tool version`: the tool's version, also a minimal example of a command file.
#include <cstdio>

#include "tools/tool_command.h"

namespace zel::tool {

static int RunVersion(int argc, char** argv) {
  if (argc != 1) {
    std::fprintf(stderr, "usage: zel16-tool version\n");
    return 2;
  }
  std::printf("zel16-tool 1.0.0\n");
  return 0;
}

ZEL16_TOOL_COMMAND("version", "print the tool's version", RunVersion);

}  // namespace zel::tool
