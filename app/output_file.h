// Outputs that are never lost or half-written: a PNG, a video, a folder of captured frames.
// A new file is written under a temporary name in its destination's folder and renamed over
// the destination once it is complete; a folder is built beside its destination and swapped
// in whole. A failure or an interruption at any moment leaves whatever was at the destination
// before. A destination that is a device or a pipe (/dev/stdout) is written directly: there
// is nothing stored there to lose.
#pragma once

#include <functional>
#include <string>

namespace zel::app::output {

// How a finished output was placed.
enum class Placement {
  Placed,       // it is at the destination now
  KeptEarlier,  // something was at the destination and stays; the new output was removed
  Failed,       // see *error; a complete output that could not be placed stays where it is
};

// The destination as the output will be written: absolute and normalised, with symbolic
// links resolved (a link to an earlier output is replaced at its target). False with *error
// when the path cannot name an output: no name, too long, a loop of links, no access.
bool ResolveDestination(const std::string& path, std::string* resolved, std::string* error);

// Temporary files are named ".NAME.zel16-part-XXXXXXXX" followed by the destination's
// extension (an encoder that goes by the extension still knows what to write).
class PendingFile {
 public:
  explicit PendingFile(std::string destination);  // a resolved destination
  ~PendingFile();                                 // removes an unplaced temporary file
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Why the destination cannot take a file (a folder is there, its folder is missing or
  // cannot be written in, ...); empty when it can. Leaves nothing behind.
  std::string Check() const;
  // Creates the empty temporary file and registers it for removal on an interruption.
  bool Create(std::string* error);
  const std::string& TempPath() const { return temp_; }
  // Renames the complete temporary file to the destination: over what is there when
  // `replaceEarlier`, else only where nothing is.
  Placement Place(bool replaceEarlier, std::string* error);
  // Removes the temporary file.
  void Discard();
  // A message (a writer's, an encoder's) with the temporary name put back to the
  // destination's, which is the name the user knows.
  std::string InUserTerms(std::string message) const;

 private:
  std::string destination_;
  std::string temp_;
  bool direct_ = false;  // a device or a pipe: written in place
  bool pending_ = false;  // temp_ exists and is ours to remove
};

// A folder of files. `replaceable(name)` says which files a folder may hold for the new one
// to replace it whole (the files of an earlier capture); any other file protects it.
class PendingFolder {
 public:
  PendingFolder(std::string destination, std::function<bool(const std::string&)> replaceable);
  ~PendingFolder();  // removes an unplaced temporary folder and its files
  PendingFolder(const PendingFolder&) = delete;
  PendingFolder& operator=(const PendingFolder&) = delete;

  // Why the destination cannot take the folder: a file is there, a folder with other files,
  // a file where a parent folder must be made, no writing allowed; empty when it can.
  // Leaves nothing behind.
  std::string Check() const;
  // Makes the missing parent folders and the temporary folder.
  bool Create(std::string* error);
  const std::string& TempPath() const { return temp_; }
  // Swaps the complete folder in for an earlier one when `replaceEarlier` (the earlier one
  // is then removed), else places it only where nothing, or an empty folder, is.
  Placement Place(bool replaceEarlier, std::string* error);
  void Discard();
  // A message with the temporary folder's name put back to the destination's.
  std::string InUserTerms(std::string message) const;

 private:
  Placement Swap(std::string* error);

  std::string destination_;
  std::function<bool(const std::string&)> replaceable_;
  std::string temp_;
  bool pending_ = false;
};

}  // namespace zel::app::output
