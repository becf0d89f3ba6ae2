// The vertex shader assembler: one statement per line, "(p0.x) op_mod dst, src, ..." with
// registers, relative addressing, swizzles, masks and modifiers as Direct3D 9 writes them.
#include "shader/assembler.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "shader/macros.h"
#include "shader/program.h"
#include "shader/source_files.h"

namespace zel::shader {

namespace {

enum class TokKind { Ident, Number, Punct, End };
struct Tok {
  TokKind kind;
  std::string text;
};

std::string Lower(std::string s) {
  for (char &c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool Lex(const std::string &s, std::vector<Tok> *out, std::string *error) {
  size_t i = 0;
  while (i < s.size()) {
    const char c = s[i];
    if (std::isspace(static_cast<unsigned char>(c))) {
      ++i;
    } else if (IsIdentStart(c)) {
      size_t e = i;
      while (e < s.size() && IsIdentChar(s[e])) ++e;
      out->push_back({TokKind::Ident, s.substr(i, e - i)});
      i = e;
    } else if (std::isdigit(static_cast<unsigned char>(c)) ||
               (c == '.' && i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
      size_t e = i + 1;
      while (e < s.size() && (IsIdentChar(s[e]) || s[e] == '.' ||
                              ((s[e] == '+' || s[e] == '-') && (s[e - 1] == 'e' || s[e - 1] == 'E'))))
        ++e;
      out->push_back({TokKind::Number, s.substr(i, e - i)});
      i = e;
    } else if (std::strchr(",.[]+-()!", c)) {
      out->push_back({TokKind::Punct, std::string(1, c)});
      ++i;
    } else {
      *error = std::string("unexpected character '") + c + "'";
      return false;
    }
  }
  out->push_back({TokKind::End, ""});
  return true;
}

struct RegRef {
  uint32_t type = 0, number = 0;
  bool relative = false;
  uint32_t relType = kRegAddr, relComponent = 0;
  std::string components;  // text after '.', if any
  bool abs = false;
};

int ComponentIndex(char c) {
  switch (c) {
    case 'x': case 'r': return 0;
    case 'y': case 'g': return 1;
    case 'z': case 'b': return 2;
    case 'w': case 'a': return 3;
    default: return -1;
  }
}

class StatementParser {
 public:
  StatementParser(const std::vector<Tok> &toks, Profile profile) : t_(toks), profile_(profile) {}

  bool Parse(std::vector<uint32_t> *out, std::string *error) {
    error_ = error;
    uint32_t instruction = 0;
    uint32_t predicateToken = 0;
    if (IsPunct("(")) {
      ++i_;
      if (!ParsePredicate(&predicateToken)) return false;
      instruction |= kPredicatedBit;
    }
    if (t_[i_].kind != TokKind::Ident) return Fail("expected an instruction");
    const std::string mnemonic = Lower(t_[i_++].text);
    const InstructionInfo *info = nullptr;
    if (!ParseMnemonic(mnemonic, &info)) return false;
    instruction |= info->opcode | (uint32_t(comparison_) << kControlShift);
    out->push_back(instruction);
    const char *pattern = info->Pattern(profile_);
    for (const char *p = pattern; *p; ++p) {
      if (p != pattern && !ExpectPunct(",")) return false;
      if (!ParseOperand(*p, info, out)) return false;
      if (p == pattern && (instruction & kPredicatedBit)) out->push_back(predicateToken);
    }
    if ((instruction & kPredicatedBit) && !*pattern) out->push_back(predicateToken);
    if (t_[i_].kind != TokKind::End) return Fail("unexpected '" + t_[i_].text + "'");
    if (HasLengthField(profile_)) {
      if (out->size() - 1 > 15) return Fail("instruction too long");
      (*out)[0] |= uint32_t(out->size() - 1) << kLengthShift;
    }
    return true;
  }

 private:
  bool Fail(const std::string &message) {
    *error_ = message;
    return false;
  }
  bool IsPunct(const char *p) const { return t_[i_].kind == TokKind::Punct && t_[i_].text == p; }
  bool ExpectPunct(const char *p) {
    if (!IsPunct(p)) return Fail(std::string("expected '") + p + "'" + (t_[i_].text.empty() ? "" : " before '" + t_[i_].text + "'"));
    ++i_;
    return true;
  }

  bool ParseMnemonic(const std::string &text, const InstructionInfo **info) {
    std::string base = text;
    if (text.rfind("dcl_", 0) == 0) {
      base = "dcl";
      if (!ParseUsage(text.substr(4))) return false;
    } else {
      const size_t underscore = text.find('_');
      if (underscore != std::string::npos) {
        base = text.substr(0, underscore);
        size_t start = underscore + 1;
        while (start <= text.size()) {
          const size_t next = text.find('_', start);
          const std::string suffix = text.substr(start, next == std::string::npos ? std::string::npos : next - start);
          if (!ApplySuffix(suffix)) return false;
          if (next == std::string::npos) break;
          start = next + 1;
        }
      } else if (text == "dcl") {
        return Fail("dcl needs a usage (dcl_position, dcl_texcoord0, ...)");
      }
    }
    *info = FindMnemonic(base, comparison_ != 0, profile_);
    if (*info) return true;
    if (FindMnemonic(base, comparison_ == 0, profile_))
      return Fail(comparison_ ? "'" + base + "' takes no comparison" : "'" + base + "' needs a comparison (_gt, _lt, ...)");
    if (IsKnownMnemonic(base)) return Fail("'" + base + "' is not allowed in " + ProfileName(profile_));
    return Fail("unknown instruction '" + base + "'");
  }

  bool ApplySuffix(const std::string &suffix) {
    if (suffix == "sat") {
      saturate_ = true;
      return true;
    }
    for (uint32_t c = kCmpGt; c <= kCmpLe; ++c)
      if (suffix == ComparisonName(c)) {
        comparison_ = uint8_t(c);
        return true;
      }
    if (suffix == "pp") return Fail("_pp is for pixel shaders");
    return Fail("unknown instruction modifier '_" + suffix + "'");
  }

  bool ParseUsage(const std::string &text) {
    for (uint32_t type : {kSampler2D, kSamplerCube, kSamplerVolume})
      if (text == SamplerTypeName(type)) {
        dclToken_ = MakeSamplerDclToken(type);
        return true;
      }
    int best = -1;
    size_t bestLength = 0;
    for (uint32_t u = 0; u < kUsageCount; ++u) {
      const std::string name = UsageName(u);
      if (text.compare(0, name.size(), name) != 0 || name.size() <= bestLength) continue;
      const std::string rest = text.substr(name.size());
      if (rest.find_first_not_of("0123456789") != std::string::npos) continue;
      best = int(u);
      bestLength = name.size();
    }
    if (best < 0) return Fail("unknown dcl usage '" + text + "'");
    const std::string digits = text.substr(bestLength);
    const long index = digits.empty() ? 0 : std::strtol(digits.c_str(), nullptr, 10);
    if (digits.size() > 2 || index > 15) return Fail("usage index out of range (0-15)");
    dclToken_ = MakeDclToken(uint32_t(best), uint32_t(index));
    return true;
  }

  bool ParsePredicate(uint32_t *token) {
    const bool negate = IsPunct("!");
    if (negate) ++i_;
    RegRef r;
    if (!ParseRegister(false, &r)) return false;
    if (r.type != kRegPredicate) return Fail("instructions are predicated by p0");
    uint8_t swizzle;
    if (!Swizzle(r.components, &swizzle)) return false;
    *token = MakeSourceToken(kRegPredicate, r.number, swizzle, negate ? kSrcNot : kSrcNone);
    return ExpectPunct(")");
  }

  bool ParseRegisterName(const std::string &text, RegRef *r) {
    struct Prefix {
      const char *name;
      uint8_t type;
      int fixed;  // >= 0: the whole name is the register, with this number
    };
    static constexpr Prefix kPrefixes[] = {
        {"opos", kRegRastOut, kRastPosition}, {"ofog", kRegRastOut, kRastFog}, {"opts", kRegRastOut, kRastPointSize},
        {"al", kRegLoop, 0}, {"od", kRegAttrOut, -1}, {"ot", kRegTexCrdOut, -1}, {"o", kRegOutput, -1},
        {"r", kRegTemp, -1}, {"v", kRegInput, -1}, {"c", kRegConst, -1}, {"a", kRegAddr, -1},
        {"i", kRegConstInt, -1}, {"b", kRegConstBool, -1}, {"p", kRegPredicate, -1}, {"s", kRegSampler, -1},
        {"l", kRegLabel, -1}};
    const std::string lower = Lower(text);
    for (const Prefix &p : kPrefixes) {
      if (p.fixed >= 0) {
        if (lower != p.name) continue;
        r->type = p.type;
        r->number = uint32_t(p.fixed);
        return true;
      }
      const size_t n = std::strlen(p.name);
      if (lower.compare(0, n, p.name) != 0) continue;
      const std::string digits = lower.substr(n);
      if (digits.find_first_not_of("0123456789") != std::string::npos) continue;
      if (digits.empty() && !IsPunct("[")) return Fail("register '" + text + "' needs a number");
      if (digits.size() > 4 || std::strtol(digits.c_str(), nullptr, 10) > 2047)
        return Fail("register number out of range in '" + text + "'");
      r->type = p.type;
      r->number = digits.empty() ? 0 : uint32_t(std::strtol(digits.c_str(), nullptr, 10));
      if (p.type == kRegTexCrdOut && profile_ == Profile::Vs30 && std::strcmp(p.name, "ot") == 0)
        return Fail("vs_3_0 writes outputs to o registers, not oT");
      if (p.type == kRegOutput && profile_ != Profile::Vs30 && std::strcmp(p.name, "o") == 0)
        return Fail("o registers need vs_3_0");
      return true;
    }
    return Fail("unknown register '" + text + "'");
  }

  bool ParseRegister(bool allowAbs, RegRef *r) {
    if (t_[i_].kind != TokKind::Ident) return Fail("expected a register" + (t_[i_].text.empty() ? "" : " at '" + t_[i_].text + "'"));
    std::string name = t_[i_++].text;
    const std::string lower = Lower(name);
    if (allowAbs && lower.size() > 4 && lower.compare(lower.size() - 4, 4, "_abs") == 0) {
      r->abs = true;
      name.resize(name.size() - 4);
    }
    if (!ParseRegisterName(name, r)) return false;
    if (IsPunct("[")) {
      ++i_;
      if (!ParseRelative(r)) return false;
    }
    if (IsPunct(".")) {
      ++i_;
      if (t_[i_].kind != TokKind::Ident) return Fail("expected components after '.'");
      r->components = Lower(t_[i_++].text);
    }
    return true;
  }

  // "[a0.x + 5]", "[5 + a0.x]", "[aL]", "[aL + 2]"; the offset adds to the register number.
  bool ParseRelative(RegRef *r) {
    bool haveRegister = false;
    while (true) {
      if (t_[i_].kind == TokKind::Number) {
        char *end = nullptr;
        const long offset = std::strtol(t_[i_].text.c_str(), &end, 10);
        if (*end || offset > 2047) return Fail("bad offset '" + t_[i_].text + "'");
        r->number += uint32_t(offset);
        ++i_;
      } else if (t_[i_].kind == TokKind::Ident && !haveRegister) {
        RegRef index;
        if (!ParseRegisterName(t_[i_++].text, &index)) return false;
        if (index.type != kRegAddr && index.type != kRegLoop) return Fail("registers are indexed by a0 or aL");
        if (index.number != 0) return Fail("there is only a0");
        r->relType = index.type;
        if (IsPunct(".")) {
          ++i_;
          if (t_[i_].kind != TokKind::Ident || t_[i_].text.size() != 1 || ComponentIndex(char(std::tolower(t_[i_].text[0]))) < 0)
            return Fail("the index register takes one component");
          r->relComponent = uint32_t(ComponentIndex(char(std::tolower(t_[i_++].text[0]))));
        }
        haveRegister = true;
      } else {
        return Fail("bad relative address");
      }
      if (IsPunct("]")) break;
      if (!ExpectPunct("+")) return false;
    }
    ++i_;
    if (!haveRegister) return Fail("relative address without a0 or aL");
    if (r->number > 2047) return Fail("register number out of range");
    if (profile_ == Profile::Vs11 && (r->relType != kRegAddr || r->relComponent != 0))
      return Fail("vs_1_1 indexes by a0.x only");
    r->relative = true;
    return true;
  }

  bool Mask(const std::string &text, uint32_t defaultMask, uint32_t *mask) {
    if (text.empty()) {
      *mask = defaultMask;
      return true;
    }
    *mask = 0;
    int last = -1;
    for (char c : text) {
      const int index = ComponentIndex(c);
      if (index <= last) return Fail("bad write mask '." + text + "'");
      *mask |= 1u << index;
      last = index;
    }
    return true;
  }

  bool Swizzle(const std::string &text, uint8_t *swizzle) {
    if (text.empty()) {
      *swizzle = kSwizzleIdentity;
      return true;
    }
    if (text.size() > 4) return Fail("bad swizzle '." + text + "'");
    *swizzle = 0;
    int component = 0;
    for (size_t i = 0; i < 4; ++i) {
      if (i < text.size()) {
        component = ComponentIndex(text[i]);
        if (component < 0) return Fail("bad swizzle '." + text + "'");
      }
      *swizzle |= uint8_t(component << (2 * i));  // a short swizzle repeats its last component
    }
    return true;
  }

  void EmitRelative(const RegRef &r, std::vector<uint32_t> *out) {
    if (!r.relative || !HasLengthField(profile_)) return;
    if (r.relType == kRegLoop) out->push_back(MakeSourceToken(kRegLoop, 0));
    else out->push_back(MakeSourceToken(kRegAddr, 0, uint8_t(r.relComponent * 0x55)));
  }

  // The mask a destination written without one gets: the instruction's own (a matrix macro
  // writes .xyz or .xy), or .x for the scalar registers oFog and oPts.
  static uint32_t DefaultMask(char kind, const InstructionInfo *info, const RegRef &r) {
    if (r.type == kRegRastOut && r.number != kRastPosition) return 0x1;
    return kind == 'd' || kind == 'a' ? info->defaultMask : 0xF;
  }

  bool ParseOperand(char kind, const InstructionInfo *info, std::vector<uint32_t> *out) {
    switch (kind) {
      case 'd': case 'a': case 'A': case 'P': case 'U': {
        RegRef r;
        if (!ParseRegister(false, &r)) return false;
        uint32_t mask;
        if (!Mask(r.components, DefaultMask(kind, info, r), &mask)) return false;
        if (kind == 'U') out->push_back(dclToken_);
        out->push_back(MakeDestToken(r.type, r.number, mask, saturate_ ? kResultSaturate : 0) |
                       (r.relative ? kRelativeBit : 0));
        EmitRelative(r, out);
        return true;
      }
      case 'F': case 'N': case 'B':
        return ParseDefinition(kind, out);
      default:
        return ParseSource(out);
    }
  }

  bool ParseSource(std::vector<uint32_t> *out) {
    bool negate = false, invert = false;
    if (IsPunct("-")) {
      negate = true;
      ++i_;
    } else if (IsPunct("!")) {
      invert = true;
      ++i_;
    }
    RegRef r;
    if (!ParseRegister(true, &r)) return false;
    uint8_t swizzle;
    if (!Swizzle(r.components, &swizzle)) return false;
    uint32_t modifier = kSrcNone;
    if (invert) modifier = r.abs ? 0xFF : kSrcNot;
    else if (r.abs) modifier = negate ? kSrcAbsNeg : kSrcAbs;
    else if (negate) modifier = kSrcNeg;
    if (modifier == 0xFF) return Fail("'!' and _abs do not combine");
    out->push_back(MakeSourceToken(r.type, r.number, swizzle, modifier) | (r.relative ? kRelativeBit : 0));
    EmitRelative(r, out);
    return true;
  }

  bool ParseNumber(bool integer, uint32_t *bits) {
    bool negative = false;
    if (IsPunct("-") || IsPunct("+")) negative = t_[i_++].text == "-";
    if (t_[i_].kind != TokKind::Number) return Fail("expected a number");
    std::string text = t_[i_++].text;
    char *end = nullptr;
    if (integer) {
      const long long value = std::strtoll(text.c_str(), &end, 0);
      if (*end || value > INT32_MAX) return Fail("bad integer '" + text + "'");
      const int32_t v = int32_t(negative ? -value : value);
      std::memcpy(bits, &v, 4);
    } else {
      if (!text.empty() && (text.back() == 'f' || text.back() == 'F') && text.find('x') == std::string::npos)
        text.pop_back();
      float value = std::strtof(text.c_str(), &end);
      if (*end || !std::isfinite(value)) return Fail("bad number '" + text + "'");
      if (negative) value = -value;
      std::memcpy(bits, &value, 4);
    }
    return true;
  }

  bool ParseDefinition(char kind, std::vector<uint32_t> *out) {
    RegRef r;
    if (!ParseRegister(false, &r)) return false;
    if (r.relative || !r.components.empty()) return Fail("def names a whole register");
    out->push_back(MakeDestToken(r.type, r.number, 0xF));
    if (kind == 'B') {
      if (!ExpectPunct(",")) return false;
      const std::string word = t_[i_].kind == TokKind::Ident ? Lower(t_[i_].text) : "";
      if (word != "true" && word != "false") return Fail("defb takes true or false");
      ++i_;
      out->push_back(word == "true" ? 1u : 0u);
      return true;
    }
    for (int i = 0; i < 4; ++i) {
      uint32_t bits;
      if (!ExpectPunct(",") || !ParseNumber(kind == 'N', &bits)) return false;
      out->push_back(bits);
    }
    return true;
  }

  const std::vector<Tok> &t_;
  Profile profile_;
  size_t i_ = 0;
  std::string *error_ = nullptr;
  uint8_t comparison_ = 0;
  bool saturate_ = false;
  uint32_t dclToken_ = 0;
};

bool ParseVersion(const std::vector<Tok> &toks, Profile *profile, std::string *error) {
  std::string text;
  for (const Tok &t : toks) text += t.text;
  const std::string lower = Lower(text);
  static constexpr struct {
    const char *name, *dotted;
    Profile profile;
  } kVersions[] = {{"vs_1_1", "vs.1.1", Profile::Vs11}, {"vs_2_0", "vs.2.0", Profile::Vs20},
                   {"vs_2_x", "vs.2.x", Profile::Vs2x}, {"vs_3_0", "vs.3.0", Profile::Vs30}};
  for (const auto &v : kVersions)
    if (lower == v.name || lower == v.dotted) {
      *profile = v.profile;
      return true;
    }
  if (lower.rfind("ps", 0) == 0) *error = "pixel shaders are not supported: '" + text + "'";
  else if (lower.rfind("vs", 0) == 0) *error = "unsupported vertex shader version '" + text + "'";
  else *error = "expected a shader version (vs_1_1, vs_2_0, vs_2_x or vs_3_0) before '" + text + "'";
  return false;
}

struct Placed {
  size_t offset;  // in the stream without the debug comment
  int file, line;
};

std::vector<uint32_t> DebugComment(const PreprocessOutput &source, const std::vector<Placed> &placed) {
  std::vector<uint32_t> names;
  for (const std::string &file : source.files) {
    std::vector<char> bytes(file.begin(), file.end());
    bytes.push_back('\0');
    while (bytes.size() % 4) bytes.push_back('\0');
    for (size_t i = 0; i < bytes.size(); i += 4) {
      uint32_t word;
      std::memcpy(&word, &bytes[i], 4);
      names.push_back(word);
    }
  }
  const size_t length = 3 + 3 * placed.size() + names.size();
  std::vector<uint32_t> comment{MakeComment(uint32_t(length)), kDebugFourCC, uint32_t(source.files.size()),
                                uint32_t(placed.size())};
  for (const Placed &p : placed) {  // offsets are final: the comment sits before every instruction
    comment.push_back(uint32_t(p.offset + 1 + length));
    comment.push_back(uint32_t(p.file));
    comment.push_back(uint32_t(p.line));
  }
  comment.insert(comment.end(), names.begin(), names.end());
  return comment;
}

}  // namespace

bool AssembleShaderText(const PreprocessOutput &source, const AssembleOptions &options,
                        std::vector<uint32_t> *tokens, std::vector<std::string> *errors) {
  tokens->clear();
  auto where = [&](const SourceLine &l) { return source.files[l.file] + "(" + std::to_string(l.line) + "): "; };
  if (source.lines.empty()) {
    errors->push_back((source.files.empty() ? std::string("memory") : source.files[0]) +
                      "(1): missing shader version");
    return false;
  }
  Profile profile = Profile::Vs11;
  std::vector<uint32_t> body;
  std::vector<Placed> placed;
  const size_t errorsBefore = errors->size();
  auto tooMany = [&]() { return errors->size() - errorsBefore >= kMaxErrors; };
  for (size_t n = 0; n < source.lines.size() && !tooMany(); ++n) {
    const SourceLine &line = source.lines[n];
    if (n > kMaxStatements) {
      errors->push_back(where(line) + "more than " + std::to_string(kMaxStatements) +
                        " statements: no vertex shader has room for them");
      break;
    }
    std::vector<Tok> toks;
    std::string error;
    if (!Lex(line.text, &toks, &error)) {
      errors->push_back(where(line) + error);
      continue;
    }
    toks.pop_back();  // End
    if (n == 0) {
      if (!ParseVersion(toks, &profile, &error)) {
        errors->push_back(where(line) + error);
        return false;
      }
      continue;
    }
    toks.push_back({TokKind::End, ""});
    std::vector<uint32_t> instruction;
    if (!StatementParser(toks, profile).Parse(&instruction, &error)) {
      errors->push_back(where(line) + error);
      continue;
    }
    placed.push_back({1 + body.size(), line.file, line.line});
    body.insert(body.end(), instruction.begin(), instruction.end());
  }
  if (errors->size() != errorsBefore) return false;

  tokens->push_back(VersionToken(profile));
  if (options.debugInfo) {
    const std::vector<uint32_t> comment = DebugComment(source, placed);
    if (comment.size() - 1 > kCommentMaxDwords) {
      errors->push_back(where(source.lines[0]) + "too much debug information for one comment");
      return false;
    }
    tokens->insert(tokens->end(), comment.begin(), comment.end());
  }
  tokens->insert(tokens->end(), body.begin(), body.end());
  tokens->push_back(kEndToken);

  ShaderProgram program;
  ShaderError error;
  if (!ValidateVertexShader(tokens->data(), tokens->size(), &program, &error)) {
    const size_t index = error.instruction >= 0 && size_t(error.instruction) < placed.size() ? size_t(error.instruction)
                                                                                             : placed.size();
    const SourceLine fallback{"", source.lines.back().file, source.lines.back().line};
    const SourceLine at = index < placed.size() ? SourceLine{"", placed[index].file, placed[index].line} : fallback;
    errors->push_back(where(at) + error.message);
    tokens->clear();
    return false;
  }
  return true;
}

bool AssembleSource(const std::string &text, const std::string &name,
                    const std::vector<std::pair<std::string, std::string>> &defines, const IncludeOpener &includes,
                    const AssembleOptions &options, std::vector<uint32_t> *tokens, std::vector<std::string> *errors) {
  tokens->clear();
  PreprocessOutput source;
  if (!Preprocess(text, name, defines, includes, &source)) {
    errors->insert(errors->end(), source.errors.begin(), source.errors.end());
    return false;
  }
  return AssembleShaderText(source, options, tokens, errors);
}

bool AssembleFile(const std::string &path, const AssembleOptions &options, std::vector<uint32_t> *tokens,
                  std::vector<std::string> *errors) {
  std::string text, error;
  if (!ReadSourceFile(path, kMaxSourceFileBytes, &text, &error)) {
    tokens->clear();
    errors->push_back(path + "(0): " + error);
    return false;
  }
  return AssembleSource(text, path, {}, FileSystemIncludes(), options, tokens, errors);
}

}  // namespace zel::shader
