// Ctrl-C (SIGINT) and termination requests (SIGTERM) taken by the program itself, like the C
// runtime's signal() with the handler already written, doing only what a handler safely can:
// note the request, or remove one temporary file, say so and end the process at once. A
// program that leaves the two signals to another library (SDL turns them into a quit event)
// does not call this.
#pragma once

#include <string>

namespace zel::crt {

enum class InterruptResponse {
  Note,        // the program asks InterruptRequested() at its safe points and stops there
  EndProcess,  // remove the registered file, write the message, exit with the status
};

// Takes SIGINT and SIGTERM; a signal ignored when the program started (a background job's
// SIGINT) stays ignored. Interrupted system calls restart. Call before another library looks
// at the two signals: SDL, for one, then leaves them alone. `message` is written as given
// (with its newline), at most 255 bytes.
void CatchInterrupts(InterruptResponse response, int status, const char* message);

// True once a request came; safe to ask from any thread.
bool InterruptRequested();

// With EndProcess: the temporary file a request removes (empty: none). At most 4095 bytes;
// a longer path is not registered.
void SetFileToRemoveOnInterrupt(const std::string& path);

// Held while a finished temporary file is renamed into place (or removed): a request that
// comes meanwhile is only noted, so it never removes a file that has just become the output,
// and the run goes on to its end. On leaving, no file is registered.
class InterruptCommitGuard {
 public:
  InterruptCommitGuard();
  ~InterruptCommitGuard();
  InterruptCommitGuard(const InterruptCommitGuard&) = delete;
  InterruptCommitGuard& operator=(const InterruptCommitGuard&) = delete;
};

}  // namespace zel::crt
