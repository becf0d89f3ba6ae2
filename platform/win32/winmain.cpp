// The entry library (zel_win32_main): main() for a program that defines WinMain, as the
// Windows loader calls it: the module's instance, no previous instance, the command line
// after the program's name, and SW_SHOWDEFAULT.
#include <windows.h>

#include <string>

namespace {

// One argument as it would stand in a Windows command line: quoted when it holds a space, a
// tab or a quote, with its quotes escaped.
std::string QuotedArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  std::string quoted = "\"";
  for (char c : argument) {
    if (c == '"') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

int main(int argc, char** argv) {
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += QuotedArgument(argv[i]);
  }
  return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWDEFAULT);
}
