// The command table of zel16-tool and its dispatcher.
#include "tools/tool_command.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace zel::tool {
namespace {

// A function-local table, so registration from other files' static initialisers is safe.
std::vector<Command>& Table() {
  static std::vector<Command> table;
  return table;
}

void PrintUsage(FILE* to, const char* program) {
  std::fprintf(to, "usage: %s COMMAND [arguments]\n       %s COMMAND --help\ncommands:\n",
               program, program);
  for (const Command& command : Commands())
    std::fprintf(to, "  %-10s %s\n", command.name, command.summary);
}

}  // namespace

bool RegisterCommand(const char* name, const char* summary, CommandFunction run) {
  Table().push_back({name, summary, run});
  return true;
}

std::vector<Command> Commands() {
  std::vector<Command> sorted = Table();
  std::sort(sorted.begin(), sorted.end(),
            [](const Command& a, const Command& b) { return std::strcmp(a.name, b.name) < 0; });
  return sorted;
}

int Dispatch(int argc, char** argv) {
  const char* program = argc > 0 ? argv[0] : "zel16-tool";
  if (argc < 2) {
    PrintUsage(stderr, program);
    return 2;
  }
  if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    PrintUsage(stdout, program);
    return 0;
  }
  for (const Command& command : Table())
    if (std::strcmp(argv[1], command.name) == 0) return command.run(argc - 1, argv + 1);
  std::fprintf(stderr, "%s: unknown command '%s'\n", program, argv[1]);
  PrintUsage(stderr, program);
  return 2;
}

}  // namespace zel::tool
