// Shader preprocessor: logical lines, comments, directives and conditional blocks, includes,
// under one budget per run (preprocessor.h lists the limits).
#include "shader/preprocessor.h"

#include <cctype>
#include <utility>

#include "shader/macros.h"

namespace zel::shader {
namespace {

struct Conditional {
  bool active;      // lines in this branch are kept
  bool taken;       // some branch of this #if was taken
  bool elseSeen;
  bool parentActive;
  int line;         // of the #if, for an unterminated block
};

std::string Trim(const std::string &s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

std::string MiB(size_t bytes) { return std::to_string(bytes >> 20) + " MiB"; }

// A file's text one logical line at a time: backslash continuations joined, comments
// removed. A block comment that spans lines leaves the line structure intact. Lines are made
// as they are asked for, so memory follows the longest line, not the file.
class LineReader {
 public:
  explicit LineReader(const std::string &text) : text_(text) {}

  // The next logical line and the number of its first physical line; false at the end.
  bool Next(std::string *line, int *number) {
    std::string physical;
    if (!NextPhysical(&physical, number)) return false;
    StripComments(physical, *number, line);
    return true;
  }
  // After the last line: the line an unterminated /* comment started on, or 0.
  int OpenCommentLine() const { return inBlock_ ? blockStart_ : 0; }

 private:
  bool NextPhysical(std::string *out, int *start) {
    if (pos_ > text_.size()) return false;
    out->clear();
    *start = lineNumber_;
    for (; pos_ <= text_.size(); ++pos_) {
      const char c = pos_ < text_.size() ? text_[pos_] : '\n';  // the text ends with a line
      if (c == '\r') continue;
      if (c != '\n') {
        *out += c;
        continue;
      }
      ++lineNumber_;
      if (!out->empty() && out->back() == '\\' && pos_ < text_.size()) {  // continuation
        out->pop_back();
        continue;
      }
      ++pos_;
      return true;
    }
    return false;
  }

  void StripComments(const std::string &physical, int number, std::string *out) {
    out->clear();
    bool inString = false;
    for (size_t i = 0; i < physical.size(); ++i) {
      const char c = physical[i];
      const char next = i + 1 < physical.size() ? physical[i + 1] : '\0';
      if (inBlock_) {
        if (c == '*' && next == '/') {
          inBlock_ = false;
          ++i;
          *out += ' ';
        }
        continue;
      }
      if (inString) {
        *out += c;
        if (c == '"') inString = false;
        continue;
      }
      if (c == '"') {
        inString = true;
        *out += c;
      } else if (c == '/' && next == '*') {
        inBlock_ = true;
        blockStart_ = number;
        ++i;
      } else if ((c == '/' && next == '/') || c == ';') {
        break;
      } else {
        *out += c;
      }
    }
  }

  const std::string &text_;
  size_t pos_ = 0;
  int lineNumber_ = 1;
  bool inBlock_ = false;
  int blockStart_ = 0;
};

class Preprocessor {
 public:
  Preprocessor(const IncludeOpener &opener, PreprocessOutput *out) : opener_(opener), out_(out) {}

  MacroTable macros;

  void ProcessFile(const std::string &text, const std::string &name, int depth) {
    const int file = int(out_->files.size());
    out_->files.push_back(name);
    if (!SpendSource(text.size(), file, 1)) return;
    LineReader reader(text);
    const size_t outerDepth = conditionals_.size();
    std::string line;
    int number = 0;
    while (!stopped_ && reader.Next(&line, &number)) {
      const std::string trimmed = Trim(line);
      if (!trimmed.empty() && trimmed[0] == '#') {
        Directive(trimmed.substr(1), file, number, depth);
      } else if (Active() && !trimmed.empty()) {
        std::string expanded;
        if (Expand(trimmed, file, number, &expanded) && !expanded.empty()) Emit(std::move(expanded), file, number);
      }
    }
    if (stopped_) return;
    if (reader.OpenCommentLine()) Error(file, reader.OpenCommentLine(), "unterminated /* comment");
    if (conditionals_.size() > outerDepth) {
      Error(file, conditionals_[outerDepth].line, "#if without #endif");
      conditionals_.resize(outerDepth);
    }
  }

 private:
  bool Active() const { return conditionals_.empty() || conditionals_.back().active; }

  void Error(int file, int line, const std::string &message) {
    if (stopped_) return;
    out_->errors.push_back(out_->files[file] + "(" + std::to_string(line) + "): " + message);
    if (out_->errors.size() >= kMaxErrors) Stop(file, line, "too many errors; preprocessing stopped");
  }
  // A spent budget ends the whole run: going on would spend more of it.
  void Stop(int file, int line, const std::string &message) {
    if (stopped_) return;
    out_->errors.push_back(out_->files[file] + "(" + std::to_string(line) + "): " + message);
    stopped_ = true;
  }

  bool SpendSource(size_t bytes, int file, int line) {
    if (bytes > kMaxSourceFileBytes) {
      Stop(file, line, "the file is larger than " + MiB(kMaxSourceFileBytes));
      return false;
    }
    sourceBytes_ += bytes;
    if (sourceBytes_ > kMaxSourceBytes) {
      Stop(file, line, "the shader's files come to more than " + MiB(kMaxSourceBytes) + ", each #include counted");
      return false;
    }
    return true;
  }

  bool Expand(const std::string &text, int file, int line, std::string *expanded) {
    std::string error;
    if (macros.Expand(text, expanded, &error, &expansion_)) {
      *expanded = Trim(*expanded);
      return true;
    }
    if (expansion_.Spent()) Stop(file, line, error);
    else Error(file, line, error);
    return false;
  }

  void Emit(std::string text, int file, int line) {
    outputBytes_ += text.size();
    if (outputBytes_ > kMaxOutputBytes)
      return Stop(file, line, "the shader's text comes to more than " + MiB(kMaxOutputBytes) + " once expanded");
    out_->lines.push_back({std::move(text), file, line});
  }

  bool Condition(const std::string &expr, int file, int line) {
    std::string replaced, expanded, error;
    long long value = 0;
    if (!ReplaceDefined(expr, macros, &replaced, &error)) {
      Error(file, line, error);
      return false;
    }
    if (!Expand(replaced, file, line, &expanded)) return false;
    if (!EvaluateCondition(expanded, &value, &error)) {
      Error(file, line, error);
      return false;
    }
    return value != 0;
  }

  void Directive(const std::string &rest, int file, int line, int depth) {
    size_t i = 0;
    while (i < rest.size() && std::isspace(static_cast<unsigned char>(rest[i]))) ++i;
    size_t end = i;
    while (end < rest.size() && IsIdentChar(rest[end])) ++end;
    const std::string name = rest.substr(i, end - i);
    const std::string arg = Trim(rest.substr(end));
    if (name.empty()) return;  // a lone '#' is a null directive
    if (name == "if" || name == "ifdef" || name == "ifndef") {
      bool value = false;
      if (Active()) {
        if (name == "if") value = Condition(arg, file, line);
        else if (!ValidName(arg, file, line, name)) value = false;
        else value = macros.IsDefined(arg) == (name == "ifdef");
      }
      conditionals_.push_back({Active() && value, value, false, Active(), line});
      return;
    }
    if (name == "elif" || name == "else" || name == "endif") {
      if (conditionals_.empty()) return Error(file, line, "#" + name + " without #if");
      Conditional &c = conditionals_.back();
      if (name == "endif") return conditionals_.pop_back();
      if (c.elseSeen) return Error(file, line, "#" + name + " after #else");
      if (name == "else") {
        c.elseSeen = true;
        c.active = c.parentActive && !c.taken;
        c.taken = true;
        return;
      }
      const bool value = c.parentActive && !c.taken && Condition(arg, file, line);
      c.active = value;
      c.taken = c.taken || value;
      return;
    }
    if (!Active()) return;  // other directives in skipped blocks are ignored
    if (name == "define") {
      std::string error;
      if (!macros.Define(arg, &error)) Error(file, line, error);
    } else if (name == "undef") {
      if (ValidName(arg, file, line, name)) macros.Undefine(arg);
    } else if (name == "include") {
      Include(arg, file, line, depth);
    } else if (name == "error") {
      Error(file, line, "#error " + arg);
    } else if (name != "pragma") {
      Error(file, line, "unknown directive #" + name);
    }
  }

  bool ValidName(const std::string &arg, int file, int line, const std::string &directive) {
    bool ok = !arg.empty() && IsIdentStart(arg[0]);
    for (char c : arg) ok = ok && IsIdentChar(c);
    if (!ok) Error(file, line, "#" + directive + " needs one macro name");
    return ok;
  }

  void Include(const std::string &arg, int file, int line, int depth) {
    if (arg.size() < 2 || !((arg.front() == '"' && arg.back() == '"') || (arg.front() == '<' && arg.back() == '>')))
      return Error(file, line, "#include needs \"file\" or <file>");
    if (depth + 1 >= kMaxIncludeDepth) return Error(file, line, "#include nested too deeply");
    if (++includes_ > kMaxIncludes)
      return Stop(file, line, "more than " + std::to_string(kMaxIncludes) + " #include directives");
    const std::string name = arg.substr(1, arg.size() - 2);
    std::string text, resolved, error;
    const IncludeRequest request{name, arg.front() == '<', out_->files[file], kMaxSourceFileBytes};
    if (!opener_ || !opener_(request, &text, &resolved, &error))
      return Error(file, line, "cannot open include file '" + name + "'" + (error.empty() ? "" : ": " + error));
    ProcessFile(text, resolved, depth + 1);
  }

  const IncludeOpener &opener_;
  PreprocessOutput *out_;
  std::vector<Conditional> conditionals_;
  ExpansionBudget expansion_{0, kMaxExpansionWork};
  size_t sourceBytes_ = 0;
  size_t outputBytes_ = 0;
  int includes_ = 0;
  bool stopped_ = false;
};

}  // namespace

bool Preprocess(const std::string &text, const std::string &fileName,
                const std::vector<std::pair<std::string, std::string>> &defines, const IncludeOpener &opener,
                PreprocessOutput *out) {
  *out = PreprocessOutput();
  Preprocessor pp(opener, out);
  for (const auto &[name, body] : defines) pp.macros.Define(name, body);
  pp.ProcessFile(text, fileName, 0);
  return out->errors.empty();
}

}  // namespace zel::shader
