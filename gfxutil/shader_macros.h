// Macro table and expansion for the shader preprocessor, and the #if expression evaluator.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace zel::gfxutil {

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

  // Expands every macro in text. False (with error) on a bad invocation or runaway expansion.
  bool Expand(const std::string &text, std::string *out, std::string *error) const;

 private:
  bool ExpandInto(const std::string &text, std::set<std::string> &disabled, int depth, std::string *out,
                  std::string *error) const;
  std::map<std::string, Macro> macros_;
};

// Evaluates a #if / #elif expression (defined() already applied, macros expanded; identifiers
// left over read 0). False on a syntax error or division by zero.
bool EvaluateCondition(const std::string &expression, long long *value, std::string *error);

// Replaces "defined NAME" and "defined(NAME)" with 1 or 0.
bool ReplaceDefined(const std::string &text, const MacroTable &macros, std::string *out, std::string *error);

bool IsIdentStart(char c);
bool IsIdentChar(char c);

}  // namespace zel::gfxutil
