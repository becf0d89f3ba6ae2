// Macro table and expansion for the shader preprocessor, and the #if expression evaluator.
// Expansion does bounded work: a line expands to at most kMaxExpandedLine characters through
// at most kMaxExpansionDepth nested macros, and a whole run shares one ExpansionBudget.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace zel::shader {

inline constexpr int kMaxExpansionDepth = 64;
inline constexpr size_t kMaxExpandedLine = size_t(1) << 16;  // bytes of one expanded line

// Work macro expansion may do in one preprocessing run, counted in characters scanned and
// rescanned, plus kInvocationCost for each macro expanded (a lookup and a recursion cost
// about as much as that many characters); once spent, expansion fails.
inline constexpr size_t kInvocationCost = 32;
struct ExpansionBudget {
  size_t used = 0;
  size_t limit = SIZE_MAX;
  bool Spend(size_t characters) {
    used += characters;
    return used <= limit;
  }
  bool Spent() const { return used > limit; }
};

struct Macro {
  bool functionLike = false;
  std::vector<std::string> params;
  std::string body;
};

class MacroTable {
 public:
  // Parses "NAME body" or "NAME(a, b) body" (the text after #define). False on a bad name or list.
  bool Define(const std::string &directive, std::string *error);
  void Define(const std::string &name, const std::string &body) { macros_[name] = Macro{false, {}, body}; }
  void Undefine(const std::string &name) { macros_.erase(name); }
  bool IsDefined(const std::string &name) const { return macros_.count(name) != 0; }

  // Expands every macro in text. False (with error) on a bad invocation, a runaway expansion
  // or a spent budget (then budget->Spent()).
  bool Expand(const std::string &text, std::string *out, std::string *error, ExpansionBudget *budget) const;

 private:
  struct Expansion;
  bool ExpandInto(const std::string &text, Expansion &state, int depth, std::string *out) const;
  std::map<std::string, Macro, std::less<>> macros_;  // looked up by string_view
};

// Evaluates a #if / #elif expression (defined() already applied, macros expanded; identifiers
// left over read 0). False on a syntax error, division by zero or nesting deeper than
// kMaxExpressionDepth.
inline constexpr int kMaxExpressionDepth = 256;
bool EvaluateCondition(const std::string &expression, long long *value, std::string *error);

// Replaces "defined NAME" and "defined(NAME)" with 1 or 0.
bool ReplaceDefined(const std::string &text, const MacroTable &macros, std::string *out, std::string *error);

bool IsIdentStart(char c);
bool IsIdentChar(char c);

}  // namespace zel::shader
