#include "app/interrupt.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "app/exit_status.h"

namespace interrupt {
namespace {

// The handler only stores a lock-free atomic, the one thing a signal handler may safely do;
// everything else happens on an ordinary thread.
static_assert(std::atomic<bool>::is_always_lock_free);
std::atomic<bool> requested{false};

constexpr auto kWatchInterval = std::chrono::milliseconds(20);  // EndNow's reaction time

std::mutex& FileMutex() {
  static std::mutex mutex;
  return mutex;
}
std::string& FileToRemove() {
  static std::string path;
  return path;
}

extern "C" void OnSignal(int signal) {
  requested.store(true);
  std::signal(signal, OnSignal);  // some C runtimes reset the handler before calling it
}

void Take(int signal) {
  if (std::signal(signal, OnSignal) == SIG_IGN) std::signal(signal, SIG_IGN);
}

// EndNow: a thread that waits for a request, then removes the temporary file and ends the
// process wherever the main thread is (it may be deep in a draw that takes a minute).
void Watch() {
  while (!requested.load()) std::this_thread::sleep_for(kWatchInterval);
  std::lock_guard<std::mutex> lock(FileMutex());
  if (!FileToRemove().empty()) std::remove(FileToRemove().c_str());
  std::fputs("zel16: interrupted\n", stderr);
  std::fflush(stderr);
  std::_Exit(StatusCode(ExitStatus::Interrupted));
}

}  // namespace

void CatchInterrupts(Response response) {
  Take(SIGINT);
  Take(SIGTERM);
  if (response == Response::EndNow) std::thread(Watch).detach();
}

bool Requested() { return requested.load(); }

void SetFileToRemove(const std::string& path) {
  std::lock_guard<std::mutex> lock(FileMutex());
  FileToRemove() = path;
}

CommitGuard::CommitGuard() { FileMutex().lock(); }
CommitGuard::~CommitGuard() {
  FileToRemove().clear();
  FileMutex().unlock();
}

}  // namespace interrupt
