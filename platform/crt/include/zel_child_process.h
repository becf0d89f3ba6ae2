// Another program run with its standard input fed from ours, like the C runtime's
// _popen(command, "wb") but with an argument list instead of a shell command line, so that
// paths with spaces or quotes reach the program unchanged. Nothing waits on the program for
// ever: every wait can be cut short by the caller's stop request.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace zel::crt {

// The full path of `program` found in the directories of the PATH environment variable;
// empty when it is in none of them (or PATH is unset).
std::string FindOnPath(const std::string& program);

// Asked now and then while a write or a wait is held up: true to give up.
using StopRequest = std::function<bool()>;

class ChildProcess {
 public:
  static constexpr int kStopGraceMs = 500;  // how long a stopped program may take to finish

  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();  // closes the pipe and waits for the program

  // Starts args[0] (a path) with args[1..] as its arguments; its standard output is ours,
  // its standard error is kept for ErrorOutput. It runs in a process group of its own, so a
  // Ctrl-C at the terminal reaches only us: the program ends when Finish closes its input.
  // False with *error when it cannot be started.
  bool Start(const std::vector<std::string>& args, std::string* error);
  // Writes all bytes to the program's standard input; false once it has stopped reading, or
  // when `stop` says so while the program is not taking more.
  bool Write(const void* data, size_t bytes, const StopRequest& stop = {});
  // Closes its standard input and waits: the program's exit status, or -1 when it was
  // killed by a signal (or never started). Once `stop` says so, the program has
  // kStopGraceMs to finish before it is killed.
  int Finish(const StopRequest& stop = {});
  // What the program wrote to its standard error (the last 64 KiB at most).
  std::string ErrorOutput() const;

 private:
  int pid_ = -1;
  int input_ = -1;  // our end of the pipe to its standard input
  int errors_ = -1;  // an unnamed file that holds its standard error
};

}  // namespace zel::crt
