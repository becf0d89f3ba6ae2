// The C-style preprocessor in front of the shader assembler: comments (//, ;, /* */), line
// continuations, #define (with and without arguments), #undef, #ifdef, #ifndef, #if/#elif with
// integer expressions and defined(), #else, #endif, #include, #error. Output is one logical
// line per source line that survives, each tagged with its file and line for diagnostics.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace zel::gfxutil {

struct SourceLine {
  std::string text;  // macro-expanded, comments removed
  int file = 0;      // index into PreprocessOutput::files
  int line = 0;      // 1-based
};

struct PreprocessOutput {
  std::vector<SourceLine> lines;
  std::vector<std::string> files;   // [0] is the main file
  std::vector<std::string> errors;  // "file(line): message"
};

// Opens an #include: name as written, whether it was <...>, and the including file's name.
// Returns false when the file cannot be had; else its text and the name to report it under.
using IncludeOpener = std::function<bool(const std::string &name, bool system, const std::string &includer,
                                         std::string *text, std::string *resolvedName)>;

// Predefined macros are (name, definition) pairs. Returns true when no error was reported.
bool Preprocess(const std::string &text, const std::string &fileName,
                const std::vector<std::pair<std::string, std::string>> &defines, const IncludeOpener &opener,
                PreprocessOutput *out);

// The directory part of a path, with its trailing '/', or "" (for relative includes).
std::string DirectoryOf(const std::string &path);

}  // namespace zel::gfxutil
