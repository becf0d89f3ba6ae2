#include "app/program_folders.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace zel::app {

namespace {

constexpr const char* kDataSubfolder = "zel16";  // below a share/ folder

bool IsWritableFolder(const std::string& folder) {
  std::error_code code;
  return std::filesystem::is_directory(folder, code) && access(folder.c_str(), W_OK) == 0;
}

}  // namespace

std::vector<std::string> DataFolderCandidates(const std::string& exeFolder, const XdgEnvironment& env) {
  std::vector<std::string> candidates;
  if (!exeFolder.empty()) {
    const std::filesystem::path exe(exeFolder);
    candidates.push_back(exe.lexically_normal().string());
    // bin/../share/zel16: lexically, as an installed tree is laid out.
    candidates.push_back((exe / ".." / "share" / kDataSubfolder).lexically_normal().string());
  }
  for (const std::string& base : XdgDataFolders(env)) candidates.push_back(base + "/" + kDataSubfolder);
  return candidates;
}

std::string FirstFolderWithData(const std::vector<std::string>& candidates) {
  for (const std::string& folder : candidates) {
    std::error_code code;
    if (std::filesystem::is_directory(std::filesystem::path(folder) / "Data", code)) return folder;
  }
  return {};
}

std::string ScreenshotFolderFor(const std::string& startFolder, const XdgEnvironment& env) {
  if (IsWritableFolder(startFolder)) return startFolder;
  const std::string pictures = XdgPicturesFolder(env);
  return pictures.empty() ? startFolder : pictures;
}

}  // namespace zel::app
