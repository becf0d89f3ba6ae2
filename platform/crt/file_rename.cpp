#include <zel_crt_file_rename.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zel::crt {
namespace {

RenameOutcome Failure(const std::string& from, const std::string& to, int code, std::string* error) {
  *error = "cannot rename " + from + " to " + to + ": " + std::strerror(code);
  return RenameOutcome::Failed;
}

bool Exists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

}  // namespace

RenameOutcome RenameNoReplace(const std::string& from, const std::string& to, std::string* error) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
    return RenameOutcome::Done;
  if (errno == EEXIST) return RenameOutcome::DestinationTaken;
  if (errno != EINVAL && errno != ENOSYS) return Failure(from, to, errno, error);
  // A file system without the flag: a hard link claims the name of a file as exclusively.
  if (link(from.c_str(), to.c_str()) == 0) {
    unlink(from.c_str());
    return RenameOutcome::Done;
  }
  if (errno == EEXIST) return RenameOutcome::DestinationTaken;
  // A folder (no hard links) or no links at all: check, then rename.
  if (Exists(to)) return RenameOutcome::DestinationTaken;
  if (std::rename(from.c_str(), to.c_str()) == 0) return RenameOutcome::Done;
  return Failure(from, to, errno, error);
}

RenameOutcome ExchangePaths(const std::string& a, const std::string& b, std::string* error) {
  if (renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0) return RenameOutcome::Done;
  if (errno == EINVAL || errno == ENOSYS) return RenameOutcome::Unsupported;
  return Failure(a, b, errno, error);
}

}  // namespace zel::crt
