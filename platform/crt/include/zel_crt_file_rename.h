// Renames beyond the C runtime's rename, for outputs that are never lost: one that never
// replaces what is at its destination, and one that exchanges two paths (folders included) in
// a single step, so that a folder is swapped for its replacement with no moment at which
// neither is in place. Linux system calls, with a fallback where a file system lacks them.
#pragma once

#include <string>

namespace zel::crt {

enum class RenameOutcome {
  Done,
  DestinationTaken,  // something is at the destination; nothing was renamed
  Unsupported,       // the file system cannot do it (exchange only)
  Failed,            // with the reason in *error
};

// Renames `from` to `to` unless something (even a dangling link) is at `to`.
RenameOutcome RenameNoReplace(const std::string& from, const std::string& to, std::string* error);

// Exchanges what `a` and `b` name; both must exist.
RenameOutcome ExchangePaths(const std::string& a, const std::string& b, std::string* error);

}  // namespace zel::crt
