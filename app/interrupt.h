// Ctrl-C (SIGINT) and termination requests (SIGTERM) in the offline runs, --capture and
// --frame: the one place where zel16 handles signals itself. The live show leaves them to
// its video layer, which turns them into a close request for the demo window, so the show
// ends through its teardown as when the window is closed. zel16-tool keeps the default
// action: it ends at once, and it writes nothing that a sudden end could damage.
#pragma once

#include <string>

namespace interrupt {

enum class Response {
  StopAtNextFrame,  // note the request; the run stops at its next safe point (a capture)
  EndNow,           // remove the registered temporary file, say so, exit with status 130
};

// Takes SIGINT and SIGTERM. A signal ignored when the program started (a background job's
// SIGINT) stays ignored. Call before the video system starts: it then leaves the two
// signals alone.
void CatchInterrupts(Response response);

// True once a request came (safe to ask from any thread).
bool Requested();

// With EndNow: the temporary file to remove when the process ends on a request.
void SetFileToRemove(const std::string& path);

// Held while a finished temporary file is renamed into place; on leaving, no file is
// registered any more. An EndNow request waits for it, so it never removes a file that has
// just become the output.
class CommitGuard {
 public:
  CommitGuard();
  ~CommitGuard();
  CommitGuard(const CommitGuard&) = delete;
  CommitGuard& operator=(const CommitGuard&) = delete;
};

}  // namespace interrupt
