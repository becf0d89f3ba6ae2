#include <zel_child_process.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace zel::crt {

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

ChildProcess::~ChildProcess() { Finish(); }

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
    execv(argv[0], argv.data());
    _exit(127);  // only async-signal-safe calls after fork
  }
  setpgid(pid, pid);  // also here, so that no signal can reach it before the child runs
  close(fds[0]);
  pid_ = pid;
  input_ = fds[1];
  return true;
}

bool ChildProcess::Write(const void* data, size_t bytes) {
  const char* p = static_cast<const char*>(data);
  while (bytes > 0 && input_ >= 0) {
    const ssize_t n = write(input_, p, bytes);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    bytes -= static_cast<size_t>(n);
  }
  return bytes == 0;
}

int ChildProcess::Finish() {
  if (input_ >= 0) close(input_);
  input_ = -1;
  if (pid_ < 0) return -1;
  int status = 0;
  pid_t done;
  do {
    done = waitpid(pid_, &status, 0);
  } while (done < 0 && errno == EINTR);
  pid_ = -1;
  if (done < 0 || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace zel::crt
