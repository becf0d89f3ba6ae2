// Shader text from the file system: one file read with a size limit, refusing what is not a
// regular file (directories, FIFOs, devices such as /dev/zero) instead of blocking on it or
// reading it forever, and the #include opener that resolves names against the including file.
#pragma once

#include <cstddef>
#include <string>

#include "shader/preprocessor.h"

namespace zel::shader {

// Reads the whole file when it is a regular file of at most maxBytes; else false and a
// message ("no such file", "is a directory", "is not a regular file", "is larger than ...").
bool ReadSourceFile(const std::string &path, size_t maxBytes, std::string *text, std::string *error);

// The directory part of a path, with its trailing '/', or "" (for relative includes).
std::string DirectoryOf(const std::string &path);

// Opens #include "name" (and <name>) from the file system: absolute names as they are,
// others relative to the including file's directory.
IncludeOpener FileSystemIncludes();

}  // namespace zel::shader
