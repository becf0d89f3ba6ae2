#include <zel_child_process.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace zel::crt {
namespace {

constexpr int kPollMs = 50;        // between stop requests while the program takes nothing
constexpr int kWaitStepMs = 10;    // between looks at whether the program has ended
constexpr off_t kErrorTail = 65536;  // bytes of its standard error kept for ErrorOutput

}  // namespace

std::string FindOnPath(const std::string& program) {
  if (program.empty() || program.find('/') != std::string::npos) return {};
  const char* path = std::getenv("PATH");
  if (path == nullptr) return {};
  std::string dirs = path;
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t colon = dirs.find(':', start);
    if (colon == std::string::npos) colon = dirs.size();
    std::string dir = dirs.substr(start, colon - start);
    if (dir.empty()) dir = ".";  // an empty entry is the working directory
    std::string candidate = dir + "/" + program;
    struct stat info;
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        access(candidate.c_str(), X_OK) == 0)
      return candidate;
    start = colon + 1;
  }
  return {};
}

ChildProcess::~ChildProcess() {
  Finish();
  if (errors_ >= 0) close(errors_);
}

bool ChildProcess::Start(const std::vector<std::string>& args, std::string* error) {
  if (args.empty() || pid_ != -1) {
    *error = "nothing to start";
    return false;
  }
  // A program that stops reading must give us a failed write, not a SIGPIPE that ends us.
  signal(SIGPIPE, SIG_IGN);
  int fds[2];
  if (pipe(fds) != 0) {
    *error = std::string("cannot make a pipe: ") + std::strerror(errno);
    return false;
  }
  // Our end must not leak into the child: its copy would keep the pipe open forever.
  fcntl(fds[1], F_SETFD, FD_CLOEXEC);
  // Its messages go to a file of their own, so that they never cut into a line of ours.
  if (errors_ < 0) errors_ = memfd_create("zel16-child-errors", MFD_CLOEXEC);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid < 0) {
    *error = std::string("cannot start ") + args[0] + ": " + std::strerror(errno);
    close(fds[0]);
    close(fds[1]);
    return false;
  }
  if (pid == 0) {
    // A process group of its own: the terminal's Ctrl-C goes to our group only, so the
    // program is not killed mid-file; it ends when we close its input.
    setpgid(0, 0);
    dup2(fds[0], STDIN_FILENO);
    close(fds[0]);
    if (errors_ >= 0) dup2(errors_, STDERR_FILENO);
    execv(argv[0], argv.data());
    _exit(127);  // only async-signal-safe calls after fork
  }
  setpgid(pid, pid);  // also here, so that no signal can reach it before the child runs
  close(fds[0]);
  // Non-blocking, so that a program that stops reading cannot hold a write for ever.
  fcntl(fds[1], F_SETFL, fcntl(fds[1], F_GETFL) | O_NONBLOCK);
  pid_ = pid;
  input_ = fds[1];
  return true;
}

bool ChildProcess::Write(const void* data, size_t bytes, const StopRequest& stop) {
  const char* p = static_cast<const char*>(data);
  while (bytes > 0 && input_ >= 0) {
    const ssize_t n = write(input_, p, bytes);
    if (n > 0) {
      p += n;
      bytes -= static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
    pollfd ready{input_, POLLOUT, 0};
    if (poll(&ready, 1, kPollMs) == 0 && stop && stop()) return false;
  }
  return bytes == 0;
}

int ChildProcess::Finish(const StopRequest& stop) {
  if (input_ >= 0) close(input_);
  input_ = -1;
  if (pid_ < 0) return -1;
  int status = 0;
  int graceLeftMs = -1;  // counting down once a stop was asked for
  for (;;) {
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) break;
    if (done < 0 && errno != EINTR) {
      pid_ = -1;
      return -1;
    }
    if (graceLeftMs < 0 && stop && stop()) graceLeftMs = kStopGraceMs;
    if (graceLeftMs == 0) {
      kill(-pid_, SIGKILL);  // its whole group: a script's children too
      while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
      }
      pid_ = -1;
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kWaitStepMs));
    if (graceLeftMs > 0) graceLeftMs = std::max(0, graceLeftMs - kWaitStepMs);
  }
  pid_ = -1;
  if (!WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

std::string ChildProcess::ErrorOutput() const {
  struct stat info;
  if (errors_ < 0 || fstat(errors_, &info) != 0 || info.st_size <= 0) return {};
  const off_t from = std::max<off_t>(0, info.st_size - kErrorTail);
  std::string text(static_cast<size_t>(info.st_size - from), '\0');
  const ssize_t got = pread(errors_, text.data(), text.size(), from);
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

}  // namespace zel::crt
