// zel16-tool: inspection tools for the demo's files. The commands live in their own files.
// They never wait for a person: any message box the libraries raise is a line on standard
// error.
#include <zel_win32_ext.h>

#include "tools/tool_command.h"

int main(int argc, char** argv) {
  zel::win32::SetBatchMode(true);
  return zel::tool::Dispatch(argc, argv);
}
