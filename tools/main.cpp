// zel16-tool: inspection tools for the demo's files. The commands live in their own files.
#include "tools/tool_command.h"

int main(int argc, char** argv) { return zel::tool::Dispatch(argc, argv); }
