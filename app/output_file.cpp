#include "app/output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include <zel_crt_file_rename.h>
#include <zel_crt_interrupt.h>

namespace zel::app::output {
namespace {

namespace fs = std::filesystem;
using zel::crt::RenameOutcome;

constexpr size_t kNameBytesKept = 160;  // of the destination's name in a temporary name,
                                        // which must stay within a file name's 255 bytes
constexpr size_t kLongestExtension = 16;
constexpr int kNameAttempts = 16;       // temporary names tried before giving up

std::string RandomTag() {
  static std::random_device source;
  char tag[16];
  std::snprintf(tag, sizeof tag, "%08x", static_cast<unsigned>(source()));
  return tag;
}

// ".NAME.zel16-KIND-XXXXXXXX[.EXT]" in the destination's folder.
std::string SiblingName(const fs::path& destination, const char* kind, bool keepExtension) {
  std::string ext = keepExtension ? destination.extension().string() : "";
  if (ext.size() > kLongestExtension) ext.clear();
  std::string name = destination.filename().string();
  name.resize(name.size() - ext.size());
  if (name.size() > kNameBytesKept) name.resize(kNameBytesKept);
  return (destination.parent_path() / ("." + name + ".zel16-" + kind + "-" + RandomTag() + ext)).string();
}

std::string CannotUse(const fs::path& path, const std::error_code& code) {
  return "cannot use " + path.string() + ": " + code.message();
}

// A device, a pipe or a socket: something that stores nothing to lose.
bool IsStream(fs::file_type type) {
  return type == fs::file_type::character || type == fs::file_type::block || type == fs::file_type::fifo ||
         type == fs::file_type::socket;
}

// The type of what `path` names, following links; not_found also when a parent is missing or
// is a file. False with *error for anything that stops the look-up (no access, a loop).
bool TypeOf(const fs::path& path, fs::file_type* type, std::string* error) {
  std::error_code code;
  *type = fs::status(path, code).type();
  if (*type == fs::file_type::not_found || !code) return true;
  *error = CannotUse(path, code);
  return false;
}

// Why nothing can be written beside `destination`: a file made there and removed at once is
// the one test that knows permissions, access lists and read-only mounts alike.
std::string CheckCanWriteIn(const fs::path& destination) {
  const std::string probe = SiblingName(destination, "probe", false);
  errno = 0;
  FILE* file = std::fopen(probe.c_str(), "wbx");
  if (file == nullptr)
    return "cannot write in " + destination.parent_path().string() + ": " + std::strerror(errno ? errno : EIO);
  std::fclose(file);
  std::remove(probe.c_str());
  return {};
}

// Why no folder can be made at `path`: the nearest existing folder above it must be a folder.
std::string CheckFolderCanBeMade(const fs::path& path) {
  std::string error;
  for (fs::path above = path.parent_path(); !above.empty(); above = above.parent_path()) {
    fs::file_type type;
    if (!TypeOf(above, &type, &error)) return error;
    if (type == fs::file_type::directory) return above == path.parent_path() ? CheckCanWriteIn(path) : std::string();
    if (type != fs::file_type::not_found) return above.string() + " is a file, not a folder";
    if (above == above.root_path()) break;
  }
  return {};
}

// `text` with every `from` replaced by `to`.
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

}  // namespace

bool ResolveDestination(const std::string& path, std::string* resolved, std::string* error) {
  std::error_code code;
  fs::path absolute = path.empty() ? fs::path() : fs::absolute(path, code);
  if (code) {
    *error = CannotUse(path, code);
    return false;
  }
  absolute = absolute.lexically_normal();
  if (!absolute.has_filename()) absolute = absolute.parent_path();  // "frames/" is frames
  if (absolute.empty() || absolute == absolute.root_path() || absolute.filename() == "..") {
    *error = "'" + path + "' names no file or folder to write";
    return false;
  }
  fs::file_type type;
  if (!TypeOf(absolute, &type, error)) return false;
  if (IsStream(type)) {  // written in place: /dev/stdout must stay a way to standard output
    *resolved = absolute.string();
    return true;
  }
  const fs::path target = fs::weakly_canonical(absolute, code);
  if (code) {
    *error = CannotUse(absolute, code);
    return false;
  }
  *resolved = target.string();
  return true;
}

PendingFile::PendingFile(std::string destination) : destination_(std::move(destination)) {}

PendingFile::~PendingFile() { Discard(); }

std::string PendingFile::Check() const {
  const fs::path destination(destination_);
  std::string error;
  fs::file_type type;
  if (!TypeOf(destination, &type, &error)) return error;
  if (type == fs::file_type::directory) return destination_ + " is a folder: give a file name";
  if (type == fs::file_type::regular) return CheckCanWriteIn(destination);
  if (type != fs::file_type::not_found) return {};
  fs::file_type folder;
  if (!TypeOf(destination.parent_path(), &folder, &error)) return error;
  if (folder == fs::file_type::directory) return CheckCanWriteIn(destination);
  if (folder == fs::file_type::not_found) return "the folder " + destination.parent_path().string() + " does not exist";
  return destination.parent_path().string() + " is not a folder";
}

bool PendingFile::Create(std::string* error) {
  fs::file_type type;
  if (!TypeOf(destination_, &type, error)) return false;
  if (IsStream(type)) {
    direct_ = true;
    temp_ = destination_;
    return true;
  }
  int reason = EEXIST;
  for (int attempt = 0; attempt < kNameAttempts && reason == EEXIST; ++attempt) {
    const std::string name = SiblingName(destination_, "part", true);
    errno = 0;
    if (FILE* file = std::fopen(name.c_str(), "wbx")) {  // exclusive: never someone else's file
      std::fclose(file);
      temp_ = name;
      pending_ = true;
      zel::crt::SetFileToRemoveOnInterrupt(temp_);
      return true;
    }
    reason = errno;
  }
  *error = "cannot create a file in " + fs::path(destination_).parent_path().string() + ": " +
           std::strerror(reason);
  return false;
}

Placement PendingFile::Place(bool replaceEarlier, std::string* error) {
  if (direct_) return Placement::Placed;
  if (!pending_) {
    *error = "no file was written for " + destination_;
    return Placement::Failed;
  }
  zel::crt::InterruptCommitGuard guard;
  pending_ = false;  // from here on the file is placed, kept as the new output, or removed
  RenameOutcome outcome;
  if (replaceEarlier) {
    std::error_code code;
    fs::rename(temp_, destination_, code);  // one step: the old file until the new one is there
    outcome = code ? RenameOutcome::Failed : RenameOutcome::Done;
    if (code) *error = "cannot rename " + temp_ + " to " + destination_ + ": " + code.message();
  } else {
    outcome = zel::crt::RenameNoReplace(temp_, destination_, error);
  }
  switch (outcome) {
    case RenameOutcome::Done:
      return Placement::Placed;
    case RenameOutcome::DestinationTaken: {
      std::error_code ignored;
      fs::remove(temp_, ignored);
      return Placement::KeptEarlier;
    }
    default:
      *error += "; the new file is " + temp_;
      return Placement::Failed;
  }
}

void PendingFile::Discard() {
  if (!pending_) return;
  zel::crt::InterruptCommitGuard guard;
  std::error_code ignored;
  fs::remove(temp_, ignored);
  pending_ = false;
}

std::string PendingFile::InUserTerms(std::string message) const {
  return direct_ ? message : ReplaceAll(std::move(message), temp_, destination_);
}

PendingFolder::PendingFolder(std::string destination, std::function<bool(const std::string&)> replaceable)
    : destination_(std::move(destination)), replaceable_(std::move(replaceable)) {}

PendingFolder::~PendingFolder() { Discard(); }

std::string PendingFolder::Check() const {
  const fs::path destination(destination_);
  std::string error;
  fs::file_type type;
  if (!TypeOf(destination, &type, &error)) return error;
  if (type == fs::file_type::not_found) return CheckFolderCanBeMade(destination);
  if (type != fs::file_type::directory) return destination_ + " is a file, not a folder";
  std::error_code code;
  for (fs::directory_iterator it(destination, code), end; !code && it != end; it.increment(code)) {
    const std::string name = it->path().filename().string();
    std::error_code typeCode;
    if (it->symlink_status(typeCode).type() != fs::file_type::regular || !replaceable_(name))
      return destination_ + " holds files that are not an earlier capture (" + name +
             "): give a new or an empty folder";
  }
  return code ? CannotUse(destination, code) : CheckCanWriteIn(destination);
}

bool PendingFolder::Create(std::string* error) {
  std::error_code code;
  fs::create_directories(fs::path(destination_).parent_path(), code);
  if (code) {
    *error = "cannot make the folder " + fs::path(destination_).parent_path().string() + ": " + code.message();
    return false;
  }
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string name = SiblingName(destination_, "part", false);
    if (fs::create_directory(name, code)) {  // false, without an error, when it exists
      temp_ = name;
      pending_ = true;
      return true;
    }
    if (code) break;
  }
  *error = "cannot make a folder beside " + destination_ + (code ? ": " + code.message() : std::string());
  return false;
}

Placement PendingFolder::Place(bool replaceEarlier, std::string* error) {
  if (!pending_) {
    *error = "no folder was written for " + destination_;
    return Placement::Failed;
  }
  switch (zel::crt::RenameNoReplace(temp_, destination_, error)) {
    case RenameOutcome::Done:
      pending_ = false;
      return Placement::Placed;
    case RenameOutcome::DestinationTaken: {
      std::error_code code;
      if (replaceEarlier || fs::is_empty(destination_, code)) return Swap(error);  // empty: nothing to keep
      Discard();
      return Placement::KeptEarlier;
    }
    default:
      pending_ = false;  // the complete folder stays where it is
      *error += "; the new folder is " + temp_;
      return Placement::Failed;
  }
}

// The destination holds an earlier capture: the new folder takes its place in one step, then
// the earlier one (now under the temporary name) is removed.
Placement PendingFolder::Swap(std::string* error) {
  const std::string why = Check();  // it may have changed while the new folder was made
  if (!why.empty()) {
    pending_ = false;
    *error = why + "; the new folder is " + temp_;
    return Placement::Failed;
  }
  switch (zel::crt::ExchangePaths(temp_, destination_, error)) {
    case RenameOutcome::Done:
      Discard();
      return Placement::Placed;
    case RenameOutcome::Unsupported:
      break;
    default:
      pending_ = false;
      *error += "; the new folder is " + temp_;
      return Placement::Failed;
  }
  // A file system without the exchange: the earlier folder steps aside first.
  const std::string old = SiblingName(destination_, "old", false);
  std::error_code code;
  fs::rename(destination_, old, code);
  if (!code) {
    fs::rename(temp_, destination_, code);
    if (code) {
      std::error_code ignored;
      fs::rename(old, destination_, ignored);
    }
  }
  if (code) {
    pending_ = false;
    *error = "cannot replace " + destination_ + ": " + code.message() + "; the new folder is " + temp_;
    return Placement::Failed;
  }
  pending_ = false;
  fs::remove_all(old, code);
  return Placement::Placed;
}

std::string PendingFolder::InUserTerms(std::string message) const {
  return ReplaceAll(std::move(message), temp_, destination_);
}

void PendingFolder::Discard() {
  if (!pending_) return;
  std::error_code ignored;
  fs::remove_all(temp_, ignored);
  pending_ = false;
}

}  // namespace zel::app::output
