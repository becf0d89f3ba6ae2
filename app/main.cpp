// zel16's entry point: reads the options, then runs the show.
#include <cstdio>
#include <string>

#include "app/command_line.h"

int main(int argc, char** argv) {
  CommandLine options;
  std::string out, err;
  switch (ParseCommandLine(argc, argv, options, out, err)) {
    case ParseOutcome::Exit:
      std::fputs(out.c_str(), stdout);
      return 0;
    case ParseOutcome::Error:
      std::fputs(err.c_str(), stderr);
      return 2;
    case ParseOutcome::Run:
      break;
  }
  return 0;
}
