// Bounded reading of shader source files.
#include "shader/source_files.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace zel::shader {

bool ReadSourceFile(const std::string &path, size_t maxBytes, std::string *text, std::string *error) {
  // The type is checked before opening: opening a FIFO for reading waits for a writer, and a
  // device may never end.
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (status.type() == std::filesystem::file_type::not_found || ec == std::errc::no_such_file_or_directory) {
    *error = "no such file";
    return false;
  }
  if (ec) {
    *error = "cannot be opened (" + ec.message() + ")";
    return false;
  }
  if (std::filesystem::is_directory(status)) {
    *error = "is a directory";
    return false;
  }
  if (!std::filesystem::is_regular_file(status)) {
    *error = "is not a regular file";
    return false;
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    *error = "cannot be opened";
    return false;
  }
  // Read in chunks and stop once past the limit, whatever size the file claims to have.
  text->clear();
  char chunk[1 << 16];
  while (file) {
    file.read(chunk, sizeof chunk);
    text->append(chunk, size_t(file.gcount()));
    if (text->size() > maxBytes) {
      *error = "is larger than " + std::to_string(maxBytes) + " bytes";
      text->clear();
      return false;
    }
  }
  if (file.bad()) {
    *error = "cannot be read";
    return false;
  }
  return true;
}

std::string DirectoryOf(const std::string &path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

IncludeOpener FileSystemIncludes() {
  return [](const IncludeRequest &request, std::string *text, std::string *resolved, std::string *error) {
    const std::string &name = request.name;
    *resolved = (!name.empty() && name[0] == '/') ? name : DirectoryOf(request.includer) + name;
    return ReadSourceFile(*resolved, request.maxBytes, text, error);
  };
}

}  // namespace zel::shader
