// Shader preprocessor: logical lines, comments, directives and conditional blocks, includes.
#include "gfxutil/shader_preprocess.h"

#include <cctype>

#include "gfxutil/shader_macros.h"

namespace zel::gfxutil {
namespace {

constexpr int kMaxIncludeDepth = 16;

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

struct LogicalLine {
  std::string text;
  int line;
};

// Joins backslash continuations and removes comments. A block comment that spans lines
// leaves the line structure intact; an unterminated one is an error at its start.
bool SplitLines(const std::string &text, std::vector<LogicalLine> *lines, int *badLine) {
  std::vector<LogicalLine> physical;
  {
    int number = 1;
    std::string current;
    int start = 1;
    for (size_t i = 0; i <= text.size(); ++i) {
      const char c = i < text.size() ? text[i] : '\n';
      if (c == '\r') continue;
      if (c != '\n') {
        current += c;
        continue;
      }
      if (!current.empty() && current.back() == '\\' && i < text.size()) {  // continuation
        current.pop_back();
        ++number;
        continue;
      }
      physical.push_back({current, start});
      current.clear();
      start = ++number;
    }
  }
  bool inBlock = false;
  int blockStart = 0;
  for (const LogicalLine &p : physical) {
    std::string out;
    bool inString = false;
    for (size_t i = 0; i < p.text.size(); ++i) {
      const char c = p.text[i];
      const char next = i + 1 < p.text.size() ? p.text[i + 1] : '\0';
      if (inBlock) {
        if (c == '*' && next == '/') {
          inBlock = false;
          ++i;
          out += ' ';
        }
        continue;
      }
      if (inString) {
        out += c;
        if (c == '"') inString = false;
        continue;
      }
      if (c == '"') {
        inString = true;
        out += c;
      } else if (c == '/' && next == '*') {
        inBlock = true;
        blockStart = p.line;
        ++i;
      } else if ((c == '/' && next == '/') || c == ';') {
        break;
      } else {
        out += c;
      }
    }
    lines->push_back({out, p.line});
  }
  if (inBlock) {
    *badLine = blockStart;
    return false;
  }
  return true;
}

class Preprocessor {
 public:
  Preprocessor(const IncludeOpener &opener, PreprocessOutput *out) : opener_(opener), out_(out) {}

  MacroTable macros;

  void ProcessFile(const std::string &text, const std::string &name, int depth) {
    const int file = int(out_->files.size());
    out_->files.push_back(name);
    std::vector<LogicalLine> lines;
    int badLine = 0;
    if (!SplitLines(text, &lines, &badLine)) Error(file, badLine, "unterminated /* comment");
    const size_t outerDepth = conditionals_.size();
    for (const LogicalLine &line : lines) {
      const std::string trimmed = Trim(line.text);
      if (!trimmed.empty() && trimmed[0] == '#') {
        Directive(trimmed.substr(1), file, line.line, depth);
      } else if (Active() && !trimmed.empty()) {
        std::string expanded, error;
        if (!macros.Expand(trimmed, &expanded, &error)) Error(file, line.line, error);
        else if (!Trim(expanded).empty()) out_->lines.push_back({Trim(expanded), file, line.line});
      }
    }
    if (conditionals_.size() > outerDepth) {
      Error(file, conditionals_[outerDepth].line, "#if without #endif");
      conditionals_.resize(outerDepth);
    }
  }

 private:
  bool Active() const { return conditionals_.empty() || conditionals_.back().active; }

  void Error(int file, int line, const std::string &message) {
    out_->errors.push_back(out_->files[file] + "(" + std::to_string(line) + "): " + message);
  }

  bool Condition(const std::string &expr, int file, int line) {
    std::string replaced, expanded, error;
    long long value = 0;
    if (!ReplaceDefined(expr, macros, &replaced, &error) || !macros.Expand(replaced, &expanded, &error) ||
        !EvaluateCondition(expanded, &value, &error)) {
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
    const std::string name = arg.substr(1, arg.size() - 2);
    std::string text, resolved;
    if (!opener_ || !opener_(name, arg.front() == '<', out_->files[file], &text, &resolved))
      return Error(file, line, "cannot open include file '" + name + "'");
    ProcessFile(text, resolved, depth + 1);
  }

  const IncludeOpener &opener_;
  PreprocessOutput *out_;
  std::vector<Conditional> conditionals_;
};

}  // namespace

std::string DirectoryOf(const std::string &path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool Preprocess(const std::string &text, const std::string &fileName,
                const std::vector<std::pair<std::string, std::string>> &defines, const IncludeOpener &opener,
                PreprocessOutput *out) {
  *out = PreprocessOutput();
  Preprocessor pp(opener, out);
  for (const auto &[name, body] : defines) pp.macros.Define(name, body);
  pp.ProcessFile(text, fileName, 0);
  return out->errors.empty();
}

}  // namespace zel::gfxutil
