#include <zel_crt_interrupt.h>

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace zel::crt {
namespace {

constexpr size_t kPathBytes = 4096;    // with the terminating zero
constexpr size_t kMessageBytes = 256;  // with the terminating zero

// The handler touches only lock-free atomics and buffers that no one writes while it may
// read them: a new path goes into the buffer the active index does not name.
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free);
std::atomic<bool> requested{false};
std::atomic<bool> endProcess{false};
std::atomic<bool> committing{false};
std::atomic<int> activePath{-1};  // which of `paths` holds the registered file; -1: none
char paths[2][kPathBytes];
char message[kMessageBytes];
int exitStatus = 0;

void OnSignal(int) {
  requested.store(true);
  if (!endProcess.load() || committing.load()) return;
  const int active = activePath.load();
  if (active >= 0) unlink(paths[active]);
  [[maybe_unused]] ssize_t written = write(STDERR_FILENO, message, std::strlen(message));
  _exit(exitStatus);
}

void Take(int signal) {
  struct sigaction current {};
  if (sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) return;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(signal, &action, nullptr);
}

}  // namespace

void CatchInterrupts(InterruptResponse response, int status, const char* text) {
  exitStatus = status;
  std::strncpy(message, text != nullptr ? text : "", kMessageBytes - 1);
  endProcess.store(response == InterruptResponse::EndProcess);
  Take(SIGINT);
  Take(SIGTERM);
}

bool InterruptRequested() { return requested.load(); }

void SetFileToRemoveOnInterrupt(const std::string& path) {
  if (path.empty() || path.size() >= kPathBytes) {
    activePath.store(-1);
    return;
  }
  const int next = activePath.load() == 0 ? 1 : 0;
  std::memcpy(paths[next], path.c_str(), path.size() + 1);
  activePath.store(next);
}

InterruptCommitGuard::InterruptCommitGuard() { committing.store(true); }

InterruptCommitGuard::~InterruptCommitGuard() {
  activePath.store(-1);
  committing.store(false);
}

}  // namespace zel::crt
