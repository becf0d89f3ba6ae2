// Another program run with its standard input fed from ours, like the C runtime's
// _popen(command, "wb") but with an argument list instead of a shell command line, so that
// paths with spaces or quotes reach the program unchanged.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zel::crt {

// The full path of `program` found in the directories of the PATH environment variable;
// empty when it is in none of them (or PATH is unset).
std::string FindOnPath(const std::string& program);

class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();  // closes the pipe and waits for the program

  // Starts args[0] (a path) with args[1..] as its arguments; its standard output and error
  // are ours. It runs in a process group of its own, so a Ctrl-C at the terminal reaches
  // only us: the program ends when Finish closes its input. False with *error when it
  // cannot be started.
  bool Start(const std::vector<std::string>& args, std::string* error);
  // Writes all bytes to the program's standard input; false once it has stopped reading.
  bool Write(const void* data, size_t bytes);
  // Closes its standard input and waits: the program's exit status, or -1 when it was
  // killed by a signal (or never started).
  int Finish();

 private:
  int pid_ = -1;
  int input_ = -1;  // our end of the pipe to its standard input
};

}  // namespace zel::crt
