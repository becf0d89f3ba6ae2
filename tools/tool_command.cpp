// The command table of zel16-tool and its dispatcher.
#include "tools/tool_command.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <new>
#include <system_error>

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

std::string InputFileProblem(const char* path, unsigned long long maxBytes) {
  std::error_code code;
  const std::filesystem::file_status status = std::filesystem::status(path, code);
  if (status.type() == std::filesystem::file_type::not_found) return {};
  if (code) return code.message();
  if (status.type() != std::filesystem::file_type::regular) return "not a regular file";
  if (std::filesystem::file_size(path, code) > maxBytes || code) return "larger than " + std::to_string(maxBytes) + " bytes";
  return {};
}

namespace {

int RunCommand(int argc, char** argv) {
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

// A command that ran but whose output did not reach standard output (a full disk, a closed
// pipe) failed: the flush is where a lost write shows.
int CheckStdout(int status) {
  errno = 0;
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return status;
  std::fprintf(stderr, "zel16-tool: cannot write to standard output: %s\n", std::strerror(errno ? errno : EIO));
  return 1;
}

}  // namespace

int Dispatch(int argc, char** argv) {
  try {
    return CheckStdout(RunCommand(argc, argv));
  } catch (const std::bad_alloc&) {
    std::fputs("zel16-tool: out of memory\n", stderr);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "zel16-tool: internal error: %s\n", error.what());
  } catch (...) {
    std::fputs("zel16-tool: internal error\n", stderr);
  }
  return 1;
}

}  // namespace zel::tool
