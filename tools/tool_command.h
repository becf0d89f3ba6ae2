// zel16-tool's commands. Each command is one source file that registers itself:
//
//   static int Run3ds(int argc, char** argv) { ... }   // argv[0] is the command name
//   ZEL16_TOOL_COMMAND("3ds", "dump a .3ds file as text", Run3ds);
//
// and one line in tools/CMakeLists.txt adding that file to ZEL16_TOOL_SOURCES. Commands
// return the process exit status (0 success, 1 failure, 2 bad usage).
#pragma once

#include <string>
#include <vector>

namespace zel::tool {

using CommandFunction = int (*)(int argc, char** argv);

struct Command {
  const char* name;
  const char* summary;  // one line for the command list
  CommandFunction run;
};

// Registration happens during static initialisation, in no particular order.
bool RegisterCommand(const char* name, const char* summary, CommandFunction run);

// Sorted by name.
std::vector<Command> Commands();

// Why a command must not read `path`: something other than a regular file is there (a
// device, a pipe or a folder would make it wait for input or read without end), or a file of
// more than `maxBytes`. Empty when it may, and when nothing is there (the command's own open
// then reports that as it always does).
std::string InputFileProblem(const char* path, unsigned long long maxBytes);

// Runs the command named argv[1]; usage and the list for --help, no command or an unknown one.
// A failed write to standard output makes it fail (1), and so does an exception, which never
// goes further.
int Dispatch(int argc, char** argv);

}  // namespace zel::tool

#define ZEL16_TOOL_CONCAT2(a, b) a##b
#define ZEL16_TOOL_CONCAT(a, b) ZEL16_TOOL_CONCAT2(a, b)
#define ZEL16_TOOL_COMMAND(name, summary, function)                                        \
  static const bool ZEL16_TOOL_CONCAT(zel16ToolCommand_, __LINE__) [[maybe_unused]] =       \
      ::zel::tool::RegisterCommand(name, summary, function)
