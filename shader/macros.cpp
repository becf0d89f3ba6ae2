// Macro expansion (object-like and function-like, no # or ##) and #if arithmetic.
#include "shader/macros.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>

namespace zel::shader {
namespace {

std::string Trim(const std::string &s) {
  size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return s.substr(b, e - b);
}

// Skips a pp-number ("1.5e+3", "0x1F") starting at i.
size_t SkipNumber(const std::string &s, size_t i) {
  while (i < s.size()) {
    const char c = s[i];
    if (IsIdentChar(c) || c == '.') {
      ++i;
    } else if ((c == '+' || c == '-') && (s[i - 1] == 'e' || s[i - 1] == 'E')) {
      ++i;
    } else {
      break;
    }
  }
  return i;
}

// Splits "(a, (b, c), d)" starting at the '(' at i; returns the index after ')' or npos.
size_t ParseArguments(const std::string &s, size_t i, std::vector<std::string> *args) {
  int depth = 0;
  std::string current;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '(') {
      if (depth++ > 0) current += c;
    } else if (c == ')') {
      if (--depth == 0) {
        args->push_back(Trim(current));
        return i + 1;
      }
      current += c;
    } else if (c == ',' && depth == 1) {
      args->push_back(Trim(current));
      current.clear();
    } else {
      current += c;
    }
  }
  return std::string::npos;
}

// The body of a function-like macro with each parameter replaced by its (expanded) argument.
std::string Substitute(const Macro &macro, const std::vector<std::string> &args) {
  std::string replacement;
  for (size_t j = 0; j < macro.body.size();) {
    if (!IsIdentStart(macro.body[j])) {
      replacement += macro.body[j++];
      continue;
    }
    size_t k = j;
    while (k < macro.body.size() && IsIdentChar(macro.body[k])) ++k;
    const std::string word = macro.body.substr(j, k - j);
    size_t p = 0;
    while (p < macro.params.size() && macro.params[p] != word) ++p;
    replacement += p < macro.params.size() ? args[p] : word;
    j = k;
  }
  return replacement;
}

}  // namespace

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

bool MacroTable::Define(const std::string &directive, std::string *error) {
  size_t i = 0;
  const std::string text = Trim(directive);
  if (text.empty() || !IsIdentStart(text[0])) {
    *error = "#define needs a macro name";
    return false;
  }
  while (i < text.size() && IsIdentChar(text[i])) ++i;
  const std::string name = text.substr(0, i);
  Macro macro;
  if (i < text.size() && text[i] == '(') {  // no space before '(' makes it function-like
    macro.functionLike = true;
    const size_t close = text.find(')', i);
    if (close == std::string::npos) {
      *error = "missing ')' in the parameter list of " + name;
      return false;
    }
    std::string list = text.substr(i + 1, close - i - 1);
    size_t start = 0;
    while (!Trim(list).empty()) {
      const size_t comma = list.find(',', start);
      const std::string param = Trim(list.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
      if (param.empty() || !IsIdentStart(param[0])) {
        *error = "bad parameter list of " + name;
        return false;
      }
      for (char c : param)
        if (!IsIdentChar(c)) {
          *error = "bad parameter list of " + name;
          return false;
        }
      macro.params.push_back(param);
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    i = close + 1;
  }
  macro.body = Trim(text.substr(i));
  macros_[name] = macro;
  return true;
}

// What one Expand call carries through its recursion: the macros being expanded (a macro
// does not expand inside itself; at most kMaxExpansionDepth of them), the run's budget and
// the first error.
struct MacroTable::Expansion {
  std::vector<const Macro *> active;
  ExpansionBudget *budget;
  std::string *error;
  bool Fail(const std::string &message) {
    if (error->empty()) *error = message;
    return false;
  }
  bool IsActive(const Macro *macro) const { return std::find(active.begin(), active.end(), macro) != active.end(); }
};

namespace {
constexpr const char *kTooMuchWork = "macro expansion needs more work than a shader may take";
constexpr const char *kTooLong = "line longer than 64 KiB once its macros are expanded";
}  // namespace

bool MacroTable::Expand(const std::string &text, std::string *out, std::string *error, ExpansionBudget *budget) const {
  Expansion state{{}, budget, error};
  out->clear();
  error->clear();
  return ExpandInto(text, state, 0, out);
}

bool MacroTable::ExpandInto(const std::string &text, Expansion &state, int depth, std::string *out) const {
  if (depth > kMaxExpansionDepth) return state.Fail("macros nested too deeply");
  if (!state.budget->Spend(text.size())) return state.Fail(kTooMuchWork);
  size_t i = 0;
  while (i < text.size()) {
    if (out->size() > kMaxExpandedLine) return state.Fail(kTooLong);
    const char c = text[i];
    if (std::isdigit(static_cast<unsigned char>(c)) ||
        (c == '.' && i + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 1])))) {
      const size_t end = SkipNumber(text, i + 1);
      out->append(text, i, end - i);
      i = end;
      continue;
    }
    if (!IsIdentStart(c)) {
      *out += c;
      ++i;
      continue;
    }
    size_t end = i;
    while (end < text.size() && IsIdentChar(text[end])) ++end;
    const std::string_view name(text.data() + i, end - i);
    const auto found = macros_.find(name);
    if (found == macros_.end() || state.IsActive(&found->second)) {
      out->append(name);
      i = end;
      continue;
    }
    const Macro &macro = found->second;
    if (!state.budget->Spend(kInvocationCost)) return state.Fail(kTooMuchWork);
    std::string substituted;
    if (macro.functionLike) {
      size_t open = end;
      while (open < text.size() && std::isspace(static_cast<unsigned char>(text[open]))) ++open;
      if (open >= text.size() || text[open] != '(') {  // a function-like name alone is left as it is
        out->append(name);
        i = end;
        continue;
      }
      std::vector<std::string> args;
      end = ParseArguments(text, open, &args);
      if (end == std::string::npos) return state.Fail("unterminated argument list of " + found->first);
      if (!state.budget->Spend(end - open)) return state.Fail(kTooMuchWork);
      if (args.size() == 1 && args[0].empty() && macro.params.empty()) args.clear();
      if (args.size() != macro.params.size())
        return state.Fail(found->first + " takes " + std::to_string(macro.params.size()) + " arguments, given " +
                          std::to_string(args.size()));
      for (std::string &arg : args) {  // arguments are expanded before substitution
        std::string expanded;
        if (!ExpandInto(arg, state, depth + 1, &expanded)) return false;
        arg = std::move(expanded);
      }
      substituted = Substitute(macro, args);
      if (substituted.size() > kMaxExpandedLine) return state.Fail(kTooLong);
    }
    state.active.push_back(&macro);
    const bool ok = ExpandInto(macro.functionLike ? substituted : macro.body, state, depth + 1, out);
    state.active.pop_back();
    if (!ok) return false;
    i = end;
  }
  return true;
}

bool ReplaceDefined(const std::string &text, const MacroTable &macros, std::string *out, std::string *error) {
  out->clear();
  size_t i = 0;
  while (i < text.size()) {
    if (!IsIdentStart(text[i])) {
      *out += text[i++];
      continue;
    }
    size_t end = i;
    while (end < text.size() && IsIdentChar(text[end])) ++end;
    const std::string word = text.substr(i, end - i);
    if (word != "defined") {
      *out += word;
      i = end;
      continue;
    }
    size_t j = end;
    while (j < text.size() && std::isspace(static_cast<unsigned char>(text[j]))) ++j;
    const bool paren = j < text.size() && text[j] == '(';
    if (paren) ++j;
    while (j < text.size() && std::isspace(static_cast<unsigned char>(text[j]))) ++j;
    size_t k = j;
    while (k < text.size() && IsIdentChar(text[k])) ++k;
    if (k == j) {
      *error = "defined needs a macro name";
      return false;
    }
    const std::string name = text.substr(j, k - j);
    if (paren) {
      while (k < text.size() && std::isspace(static_cast<unsigned char>(text[k]))) ++k;
      if (k >= text.size() || text[k] != ')') {
        *error = "missing ')' after defined(" + name;
        return false;
      }
      ++k;
    }
    *out += macros.IsDefined(name) ? " 1 " : " 0 ";
    i = k;
  }
  return true;
}

namespace {

// Precedence-climbing evaluator over C's integer operators.
class ExpressionParser {
 public:
  explicit ExpressionParser(const std::string &text) : s_(text) {}

  bool Parse(long long *value, std::string *error) {
    if (!Ternary(value)) {
      *error = error_.empty() ? "bad #if expression" : error_;
      return false;
    }
    Skip();
    if (i_ != s_.size()) {
      *error = "unexpected '" + s_.substr(i_, 1) + "' in #if expression";
      return false;
    }
    return true;
  }

 private:
  void Skip() {
    while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_]))) ++i_;
  }
  bool Accept(const char *op) {
    Skip();
    const size_t n = std::char_traits<char>::length(op);
    if (s_.compare(i_, n, op) != 0) return false;
    // Do not take '<' from "<<" or '<=', '&' from "&&", '|' from "||", '=' alone.
    if (n == 1 && i_ + 1 < s_.size()) {
      const char next = s_[i_ + 1];
      if ((op[0] == '<' || op[0] == '>') && (next == op[0] || next == '=')) return false;
      if ((op[0] == '&' || op[0] == '|') && next == op[0]) return false;
      if (op[0] == '!' && next == '=') return false;
    }
    i_ += n;
    return true;
  }

  // Parentheses, ?: and unary operators nest by recursion: past kMaxExpressionDepth the
  // expression is refused instead of running the stack out.
  struct Nesting {
    explicit Nesting(ExpressionParser *p) : parser(p) { ++parser->depth_; }
    ~Nesting() { --parser->depth_; }
    bool Ok() const {
      if (parser->depth_ <= kMaxExpressionDepth) return true;
      parser->error_ = "#if expression nested too deeply";
      return false;
    }
    ExpressionParser *parser;
  };

  bool Ternary(long long *v) {
    const Nesting nesting(this);
    if (!nesting.Ok() || !Binary(0, v)) return false;
    if (Accept("?")) {
      long long a, b;
      if (!Ternary(&a) || !Accept(":") || !Ternary(&b)) return false;
      *v = *v ? a : b;
    }
    return true;
  }

  // Levels: 0 ||, 1 &&, 2 |, 3 ^, 4 &, 5 == !=, 6 < > <= >=, 7 << >>, 8 + -, 9 * / %.
  bool Binary(int level, long long *v) {
    if (level > 9) return Unary(v);
    if (!Binary(level + 1, v)) return false;
    static const char *const kOps[10][4] = {{"||"}, {"&&"}, {"|"}, {"^"}, {"&"}, {"==", "!="},
                                            {"<=", ">=", "<", ">"}, {"<<", ">>"}, {"+", "-"}, {"*", "/", "%"}};
    while (true) {
      const char *op = nullptr;
      for (const char *candidate : kOps[level])
        if (candidate && Accept(candidate)) {
          op = candidate;
          break;
        }
      if (!op) return true;
      long long r;
      if (!Binary(level + 1, &r)) return false;
      const std::string o = op;
      if ((o == "/" || o == "%") && r == 0) {
        error_ = "division by zero in #if expression";
        return false;
      }
      if (o == "||") *v = *v || r;
      else if (o == "&&") *v = *v && r;
      else if (o == "|") *v |= r;
      else if (o == "^") *v ^= r;
      else if (o == "&") *v &= r;
      else if (o == "==") *v = *v == r;
      else if (o == "!=") *v = *v != r;
      else if (o == "<=") *v = *v <= r;
      else if (o == ">=") *v = *v >= r;
      else if (o == "<") *v = *v < r;
      else if (o == ">") *v = *v > r;
      else if (o == "<<") *v = (r < 0 || r > 62) ? 0 : (long long)((unsigned long long)*v << r);
      else if (o == ">>") *v = (r < 0 || r > 62) ? 0 : *v >> r;
      else if (o == "+") *v = (long long)((unsigned long long)*v + (unsigned long long)r);
      else if (o == "-") *v = (long long)((unsigned long long)*v - (unsigned long long)r);
      else if (o == "*") *v = (long long)((unsigned long long)*v * (unsigned long long)r);
      else if (o == "/") *v = (*v == INT64_MIN && r == -1) ? *v : *v / r;
      else if (o == "%") *v = (*v == INT64_MIN && r == -1) ? 0 : *v % r;
    }
  }

  bool Unary(long long *v) {
    const Nesting nesting(this);
    if (!nesting.Ok()) return false;
    if (Accept("!")) {
      if (!Unary(v)) return false;
      *v = !*v;
      return true;
    }
    if (Accept("~")) {
      if (!Unary(v)) return false;
      *v = ~*v;
      return true;
    }
    if (Accept("-")) {
      if (!Unary(v)) return false;
      *v = (long long)(0ull - (unsigned long long)*v);
      return true;
    }
    if (Accept("+")) return Unary(v);
    return Primary(v);
  }

  bool Primary(long long *v) {
    Skip();
    if (Accept("(")) return Ternary(v) && Accept(")");
    if (i_ >= s_.size()) return false;
    if (std::isdigit(static_cast<unsigned char>(s_[i_]))) {
      char *end = nullptr;
      *v = (long long)std::strtoull(s_.c_str() + i_, &end, 0);
      i_ = size_t(end - s_.c_str());
      while (i_ < s_.size() && (s_[i_] == 'u' || s_[i_] == 'U' || s_[i_] == 'l' || s_[i_] == 'L')) ++i_;
      return true;
    }
    if (IsIdentStart(s_[i_])) {  // identifiers left after expansion read 0
      while (i_ < s_.size() && IsIdentChar(s_[i_])) ++i_;
      *v = 0;
      return true;
    }
    return false;
  }

  const std::string &s_;
  size_t i_ = 0;
  int depth_ = 0;
  std::string error_;
};

}  // namespace

bool EvaluateCondition(const std::string &expression, long long *value, std::string *error) {
  return ExpressionParser(expression).Parse(value, error);
}

}  // namespace zel::shader
