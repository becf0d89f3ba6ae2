// The C-style preprocessor in front of the shader assembler: comments (//, ;, /* */), line
// continuations, #define (with and without arguments), #undef, #ifdef, #ifndef, #if/#elif with
// integer expressions and defined(), #else, #endif, #include, #error. Output is one logical
// line per source line that survives, each tagged with its file and line for diagnostics.
//
// Any input costs bounded time and memory: the limits below end a run with an error (a bad
// shader like any other), whatever the text, the files it includes or its macros.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace zel::shader {

inline constexpr size_t kMaxSourceFileBytes = size_t(1) << 20;   // one file, the main one included
inline constexpr size_t kMaxSourceBytes = size_t(4) << 20;       // all files read in a run, each inclusion counted
inline constexpr int kMaxIncludes = 256;                         // #include directives followed in a run
inline constexpr int kMaxIncludeDepth = 16;                      // files open at once
inline constexpr size_t kMaxOutputBytes = size_t(4) << 20;       // text of the lines handed on
inline constexpr size_t kMaxExpansionWork = size_t(32) << 20;    // macro expansion, see ExpansionBudget
inline constexpr size_t kMaxErrors = 64;                         // reported before the run stops

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

// One #include to open: the name as written, whether it was <...>, the including file's name
// and the most bytes the file may have.
struct IncludeRequest {
  const std::string &name;
  bool system;
  const std::string &includer;
  size_t maxBytes;
};

// Fills text and the name to report the file under and returns true, or returns false with a
// message (missing, not a regular file, larger than maxBytes, ...).
using IncludeOpener = std::function<bool(const IncludeRequest &request, std::string *text, std::string *resolvedName,
                                         std::string *error)>;

// Predefined macros are (name, definition) pairs. Returns true when no error was reported.
bool Preprocess(const std::string &text, const std::string &fileName,
                const std::vector<std::pair<std::string, std::string>> &defines, const IncludeOpener &opener,
                PreprocessOutput *out);

}  // namespace zel::shader
