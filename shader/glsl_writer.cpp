// GLSL writer for decoded vertex shaders. Registers become module-scope variables so that
// subroutines (label ... ret) can be GLSL functions; main runs the shader body, then maps the
// Direct3D outputs onto gl_Position (with the pixel-centre and depth fix-ups) and the varyings.
#include "shader/glsl_writer.h"

#include <cassert>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>

#include "shader/glsl_interface.h"

namespace zel::shader {
namespace {

constexpr char kComponents[] = "xyzw";
constexpr int kInputCount = 16;

std::string FloatLiteral(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, 4);
  char text[48];
  if (!std::isfinite(value)) std::snprintf(text, sizeof text, "uintBitsToFloat(0x%08Xu)", bits);
  else std::snprintf(text, sizeof text, "%.9e", double(value));
  return text;
}

std::string MaskSuffix(uint8_t mask) {
  std::string s = ".";
  for (int i = 0; i < 4; ++i)
    if (mask & (1 << i)) s += kComponents[i];
  return s;
}

std::string SwizzleSuffix(uint8_t swizzle) {
  if (swizzle == kSwizzleIdentity) return "";
  std::string s = ".";
  for (uint32_t i = 0; i < 4; ++i) s += kComponents[SwizzleComponent(swizzle, i)];
  return s;
}

const char *CompareOp(uint32_t comparison) {
  switch (comparison) {
    case kCmpGt: return ">";
    case kCmpEq: return "==";
    case kCmpGe: return ">=";
    case kCmpLt: return "<";
    case kCmpNe: return "!=";
    case kCmpLe: return "<=";
    default: return "==";
  }
}

const char *CompareFunction(uint32_t comparison) {
  switch (comparison) {
    case kCmpGt: return "greaterThan";
    case kCmpEq: return "equal";
    case kCmpGe: return "greaterThanEqual";
    case kCmpLt: return "lessThan";
    case kCmpNe: return "notEqual";
    case kCmpLe: return "lessThanEqual";
    default: return "equal";
  }
}

class GlslWriter {
 public:
  explicit GlslWriter(const ShaderProgram &program) : program_(program), profile_(program.profile) {}

  std::string Write() {
    Scan();
    std::string body = Body();
    return Header() + body + Main();
  }

 private:
  // ---- what the program uses ----
  void Scan() {
    for (const Instruction &ins : program_.instructions) {
      switch (ins.info->Pattern(profile_)[0]) {  // declarations and definitions
        case 'U':
          if (ins.dest.type == kRegInput) inputs_[ins.dest.number] = {ins.usage, ins.usageIndex};
          else if (ins.dest.type == kRegOutput) outputs_[ins.dest.number] = {ins.usage, ins.usageIndex};
          else if (ins.dest.type == kRegSampler) samplers_[ins.dest.number] = ins.samplerType;
          break;
        case 'F': {
          std::string v = "vec4(";
          for (int i = 0; i < 4; ++i) v += (i ? ", " : "") + FloatLiteral(ins.immediate[i]);
          floatDefs_[ins.dest.number] = v + ")";
          break;
        }
        case 'N': {
          std::string v = "ivec4(";
          for (int i = 0; i < 4; ++i) v += (i ? ", " : "") + std::to_string(int32_t(ins.immediate[i]));
          intDefs_[ins.dest.number] = v + ")";
          break;
        }
        case 'B': boolDefs_[ins.dest.number] = ins.immediate[0] ? "true" : "false"; break;
        default: break;
      }
      if (ins.hasDest && ins.dest.type == kRegTemp) temps_.insert(ins.dest.number);
      for (uint8_t i = 0; i < ins.sourceCount; ++i) {
        const SourceParam &s = ins.sources[i];
        if (s.type == kRegTemp) temps_.insert(s.number);
        if (s.type == kRegConst && s.relative) relativeConstants_ = true;
      }
      if (ins.hasDest && ins.dest.type == kRegRastOut && ins.dest.number == kRastPointSize) writesPointSize_ = true;
    }
  }

  // ---- registers ----
  std::string ConstF(uint32_t n) const {
    const auto def = floatDefs_.find(n);
    return def != floatDefs_.end() ? def->second : "zel_C[" + std::to_string(n) + "]";
  }
  std::string ConstI(uint32_t n) const {
    const auto def = intDefs_.find(n);
    return def != intDefs_.end() ? def->second : "zel_I[" + std::to_string(n) + "]";
  }
  std::string ConstB(uint32_t n) const {
    const auto def = boolDefs_.find(n);
    return def != boolDefs_.end() ? def->second : "zel_B[" + std::to_string(n) + "]";
  }
  static std::string Index(const SourceParam &s, uint32_t offset) {
    const std::string reg = s.relType == kRegLoop ? "aL" : std::string("a0.") + kComponents[s.relComponent & 3];
    return reg + " + " + std::to_string(s.number + offset);
  }

  // The register itself (no swizzle or modifier); offset selects a following register
  // (the rows of a matrix macro).
  std::string Register(const SourceParam &s, uint32_t offset = 0) const {
    const uint32_t n = s.number + offset;
    switch (s.type) {
      case kRegTemp: return "r" + std::to_string(n);
      case kRegInput:
        return s.relative ? "zel_v[clamp(" + Index(s, offset) + ", 0, 15)]" : "zel_v[" + std::to_string(n) + "]";
      case kRegConst:
        if (s.relative) return "zel_c(" + Index(s, offset) + ")";
        return n < 256 ? ConstF(n) : "vec4(0.0)";
      default: return "vec4(0.0)";
    }
  }

  std::string Source(const SourceParam &s, uint32_t offset = 0) const {
    std::string text = Register(s, offset) + SwizzleSuffix(s.swizzle);
    switch (s.modifier) {
      case kSrcNeg: return "(-" + text + ")";
      case kSrcAbs: return "abs(" + text + ")";
      case kSrcAbsNeg: return "(-abs(" + text + "))";
      default: return text;
    }
  }
  // Scalar operations read the swizzle's last component (.w with no swizzle, as Direct3D does;
  // the one component of a replicate swizzle otherwise).
  std::string Scalar(const SourceParam &s) const { return "(" + Source(s) + ").w"; }

  std::string BoolCondition(const SourceParam &s) const {
    if (s.type == kRegConstBool) return ConstB(s.number);
    const std::string p = std::string("p0.") + kComponents[SwizzleComponent(s.swizzle, 0)];
    return s.modifier == kSrcNot ? "!" + p : p;
  }

  std::string DestRegister(const DestParam &d) const {
    const std::string n = std::to_string(d.number);
    switch (d.type) {
      case kRegTemp: return "r" + n;
      case kRegAddr: return "a0";
      case kRegPredicate: return "p0";
      case kRegRastOut:
        return d.number == kRastPosition ? "zel_oPos" : d.number == kRastFog ? "zel_oFog" : "zel_oPts";
      case kRegAttrOut: return "zel_oD[" + n + "]";
      case kRegTexCrdOut:
        if (profile_ != Profile::Vs30) return "zel_oT[" + n + "]";
        return d.relative ? "zel_o[clamp(aL + " + n + ", 0, 11)]" : "zel_o[" + n + "]";
      default: return "zel_unused";
    }
  }

  // ---- instructions ----
  // Expands a template of the instruction's row (the codes are listed in opcode_table.cpp).
  std::string Expand(const char *text, const Instruction &ins) const {
    std::string out;
    for (const char *p = text; *p; ++p) {
      if (*p != '$') {
        out += *p;
        continue;
      }
      const char code = *++p;
      auto operand = [&]() -> const SourceParam & { return ins.sources[*++p - '0']; };
      switch (code) {
        case '0': case '1': case '2': out += Source(ins.sources[code - '0']); break;
        case 's': out += Scalar(operand()); break;
        case 'b': out += BoolCondition(operand()); break;
        case 'l': out += "zel_l" + std::to_string(operand().number); break;
        case 'c': out += CompareOp(ins.comparison); break;
        case 'C': out += CompareFunction(ins.comparison); break;
        case 'm': out += MatrixProduct(ins); break;
        case 't': out += Sample(ins); break;
        default: assert(!"unknown template code"); break;
      }
    }
    return out;
  }

  // One dot product per matrix row; rows the macro does not have read 0.
  std::string MatrixProduct(const Instruction &ins) const {
    const SourceParam &vector = ins.sources[0], &matrix = ins.sources[1];
    const std::string part = ins.info->matrixColumns == 4 ? "" : ".xyz";
    std::string v = "vec4(";
    for (uint32_t r = 0; r < 4; ++r) {
      if (r) v += ", ";
      v += r < ins.info->matrixRows ? "dot(" + Source(vector) + part + ", " + Source(matrix, r) + part + ")" : "0.0";
    }
    return v + ")";
  }

  std::string Sample(const Instruction &ins) const {
    const uint32_t n = ins.sources[1].number;
    const auto found = samplers_.find(n);
    const uint8_t type = found == samplers_.end() ? uint8_t(kSampler2D) : found->second;
    const std::string coord = Source(ins.sources[0]);
    const std::string where = type == kSampler2D ? coord + ".xy" : coord + ".xyz";
    return "textureLod(zel_VertexSampler" + std::to_string(n) + ", " + where + ", " + coord + ".w)";
  }

  std::string Assign(const Instruction &ins) const {
    const DestParam &d = ins.dest;
    const std::string reg = DestRegister(d);
    const std::string computed = Expand(ins.info->glsl, ins);
    std::string value;
    if (d.type == kRegAddr) {  // mova rounds to nearest; vs_1_1's mov to a0 rounds down
      value = profile_ == Profile::Vs11 ? "ivec4(floor(" + computed + "))" : "ivec4(floor(" + computed + " + 0.5))";
    } else if (d.type == kRegPredicate) {
      value = computed;
    } else {
      value = "(" + computed + ")";
      if (d.resultModifier & kResultSaturate) value = "clamp(" + value + ", 0.0, 1.0)";
    }
    const uint8_t mask = d.mask;
    if (!ins.predicated) return reg + MaskSuffix(mask) + " = " + value + MaskSuffix(mask) + ";\n";
    const SourceParam &p = ins.predicate;
    std::string q = "p0" + SwizzleSuffix(p.swizzle);
    if (p.modifier == kSrcNot) q = "not(" + q + ")";
    const char *type = d.type == kRegAddr ? "ivec4" : d.type == kRegPredicate ? "bvec4" : "vec4";
    std::string text = "{ " + std::string(type) + " t = " + value + "; bvec4 q = " + q + ";";
    for (int i = 0; i < 4; ++i)
      if (mask & (1 << i)) text += std::string(" if (q.") + kComponents[i] + ") " + reg + "." + kComponents[i] + " = t." + kComponents[i] + ";";
    return text + " }\n";
  }

  std::string Body() {
    std::string out = "void zel_main() {\n";
    int depth = 1;
    int loops = 0;
    auto line = [&](const std::string &text) { out += std::string(size_t(depth) * 2, ' ') + text; };
    for (const Instruction &ins : program_.instructions) {
      const SourceParam *s = ins.sources;
      switch (ins.info->flow) {
        case Flow::kDeclare: break;
        case Flow::kValue: line(Assign(ins)); break;
        case Flow::kStatement: case Flow::kBreak: case Flow::kCall: {
          const std::string statement = Expand(ins.info->glsl, ins);
          if (!statement.empty()) line(statement + "\n");
          break;
        }
        case Flow::kIf: line(Expand(ins.info->glsl, ins) + "\n"), ++depth; break;
        case Flow::kElse: --depth, line(Expand(ins.info->glsl, ins) + "\n"), ++depth; break;
        case Flow::kEndIf: case Flow::kEndRep: --depth, line("}\n"); break;
        case Flow::kLabel:
          out += "void zel_l" + std::to_string(s[0].number) + "() {\n";
          depth = 1;
          break;
        case Flow::kRet:
          if (depth == 1) out += "}\n", depth = 0;
          else line("return;\n");
          break;
        case Flow::kRep: {
          const std::string n = std::to_string(loops++);
          line("for (int zel_n" + n + " = 0; zel_n" + n + " < clamp(" + ConstI(s[0].number) + ".x, 0, 255); ++zel_n" + n + ") {\n");
          ++depth;
          break;
        }
        case Flow::kLoop: {  // aL starts at i.y and steps by i.z; the outer loop's aL comes back after
          const std::string n = std::to_string(loops++);
          const std::string i = ConstI(s[1].number);
          line("{ int zel_aL" + n + " = aL; aL = " + i + ".y;\n");
          line("for (int zel_n" + n + " = 0; zel_n" + n + " < clamp(" + i + ".x, 0, 255); ++zel_n" + n + ", aL += " + i + ".z) {\n");
          depth += 1;
          loopSaves_.push_back(n);
          break;
        }
        case Flow::kEndLoop:
          --depth;
          line("} aL = zel_aL" + loopSaves_.back() + "; }\n");
          loopSaves_.pop_back();
          break;
      }
    }
    if (depth > 0) out += "}\n";
    return out;
  }

  // ---- declarations and main ----
  std::string Header() const {
    std::string h = "#version 330 core\n";
    std::set<int> locations;
    for (const auto &[reg, usage] : inputs_) {
      const int location = AttributeLocationOf(usage.first, usage.second);
      if (location >= 0 && locations.insert(location).second)
        h += "layout(location = " + std::to_string(location) + ") in vec4 zel_in" + std::to_string(location) + ";\n";
    }
    h += std::string("uniform vec4 ") + kUniformConstF + "[256];\nuniform ivec4 " + kUniformConstI +
         "[16];\nuniform bool " + kUniformConstB + "[16];\nuniform vec4 " + kUniformPosFixup + ";\n";
    for (const auto &[n, type] : samplers_) {
      const char *glslType = type == kSamplerCube ? "samplerCube" : type == kSamplerVolume ? "sampler3D" : "sampler2D";
      h += std::string("uniform ") + glslType + " zel_VertexSampler" + std::to_string(n) + ";\n";
    }
    h += std::string("out vec4 ") + kVaryingDiffuse + ";\nout vec4 " + kVaryingSpecular + ";\nout vec4 " +
         kVaryingTexCoord + "[8];\nout float " + kVaryingFog + ";\n";
    h += "vec4 zel_v[16];\nivec4 a0 = ivec4(0);\nint aL = 0;\nbvec4 p0 = bvec4(false);\n";
    for (uint32_t r : temps_) h += "vec4 r" + std::to_string(r) + " = vec4(0.0);\n";
    if (profile_ == Profile::Vs30) {
      h += "vec4 zel_o[12];\n";
    } else {
      h += "vec4 zel_oPos = vec4(0.0, 0.0, 0.0, 1.0);\nvec4 zel_oD[2] = vec4[2](vec4(1.0), vec4(0.0));\n"
           "vec4 zel_oT[8];\nvec4 zel_oFog = vec4(1.0);\nvec4 zel_oPts = vec4(1.0);\n";
    }
    if (relativeConstants_) {  // out-of-range relative reads give zero
      h += "vec4 zel_c(int i) {\n";
      for (const auto &[n, value] : floatDefs_) h += "  if (i == " + std::to_string(n) + ") return " + value + ";\n";
      h += "  return (i >= 0 && i < 256) ? zel_C[i] : vec4(0.0);\n}\n";
    }
    h += kHelpers;
    h += profile_ == Profile::Vs11 ? kPartialPrecisionVs11 : kPartialPrecision;
    for (const Instruction &ins : program_.instructions)  // subroutines may call each other in any order
      if (ins.info->flow == Flow::kLabel) h += "void zel_l" + std::to_string(ins.sources[0].number) + "();\n";
    return h;
  }

  std::string Main() const {
    std::string m = "void main() {\n";
    for (int i = 0; i < kInputCount; ++i) {
      const auto found = inputs_.find(uint32_t(i));
      const int location = found == inputs_.end() ? -1 : AttributeLocationOf(found->second.first, found->second.second);
      m += "  zel_v[" + std::to_string(i) + "] = " +
           (location >= 0 ? "zel_in" + std::to_string(location) : std::string("vec4(0.0, 0.0, 0.0, 1.0)")) + ";\n";
    }
    const std::string texDefault = "vec4(0.0, 0.0, 0.0, 1.0)";
    if (profile_ == Profile::Vs30) m += "  for (int i = 0; i < 12; ++i) zel_o[i] = " + texDefault + ";\n";
    else m += "  for (int i = 0; i < 8; ++i) zel_oT[i] = " + texDefault + ";\n";
    m += "  zel_main();\n";
    std::string position = "zel_oPos", diffuse = "zel_oD[0]", specular = "zel_oD[1]", fog = "zel_oFog.x";
    std::string texcoord[8];
    for (int i = 0; i < 8; ++i) texcoord[i] = "zel_oT[" + std::to_string(i) + "]";
    std::string pointSize = writesPointSize_ ? "zel_oPts.x" : "";
    if (profile_ == Profile::Vs30) {
      position = "vec4(0.0, 0.0, 0.0, 1.0)", diffuse = "vec4(1.0)", specular = "vec4(0.0)", fog = "1.0";
      for (std::string &t : texcoord) t = texDefault;
      for (const auto &[reg, usage] : outputs_) {
        const std::string o = "zel_o[" + std::to_string(reg) + "]";
        if (usage.first == kUsagePosition && usage.second == 0) position = o;
        else if (usage.first == kUsageColor && usage.second == 0) diffuse = o;
        else if (usage.first == kUsageColor && usage.second == 1) specular = o;
        else if (usage.first == kUsageTexCoord && usage.second < 8) texcoord[usage.second] = o;
        else if (usage.first == kUsageFog) fog = o + ".x";
        else if (usage.first == kUsagePSize) pointSize = o + ".x";
      }
    }
    m += "  vec4 p = " + position + ";\n"
         "  p.xy += " + std::string(kUniformPosFixup) + ".xy * p.w;\n"
         "  if (" + kUniformPosFixup + ".z == 0.0) p.z = p.z * 2.0 - p.w;\n"
         "  gl_Position = p;\n";
    m += std::string("  ") + kVaryingDiffuse + " = clamp(" + diffuse + ", 0.0, 1.0);\n";
    m += std::string("  ") + kVaryingSpecular + " = clamp(" + specular + ", 0.0, 1.0);\n";
    for (int i = 0; i < 8; ++i) m += std::string("  ") + kVaryingTexCoord + "[" + std::to_string(i) + "] = " + texcoord[i] + ";\n";
    m += std::string("  ") + kVaryingFog + " = clamp(" + fog + ", 0.0, 1.0);\n";
    if (!pointSize.empty()) m += "  gl_PointSize = max(" + pointSize + ", 1.0);\n";
    return m + "}\n";
  }

  // Direct3D's rules for the special cases: rcp(0) and rsq(0) are +infinity, rsq and log use
  // the absolute value, log(0) is -infinity; lit clamps its power to +-128.
  static constexpr const char *kHelpers =
      "float zel_rcp(float x) { return x == 1.0 ? 1.0 : (x == 0.0 ? uintBitsToFloat(0x7F800000u) : 1.0 / x); }\n"
      "float zel_rsq(float x) { float a = abs(x); return a == 1.0 ? 1.0 : (a == 0.0 ? uintBitsToFloat(0x7F800000u) : inversesqrt(a)); }\n"
      "float zel_log(float x) { float a = abs(x); return a == 0.0 ? uintBitsToFloat(0xFF800000u) : log2(a); }\n"
      "vec4 zel_lit(vec4 s) {\n"
      "  vec4 d = vec4(1.0, 0.0, 0.0, 1.0);\n"
      "  if (s.x > 0.0) {\n"
      "    d.y = s.x;\n"
      "    if (s.y > 0.0) d.z = pow(s.y, clamp(s.w, -127.9961, 127.9961));\n"
      "  }\n"
      "  return d;\n"
      "}\n"
      "vec4 zel_nrm(vec4 s) { float f = dot(s.xyz, s.xyz); return f > 0.0 ? s * inversesqrt(f) : s; }\n";
  // expp and logp: vs_1_1 gives the exponent, mantissa and partial result in separate
  // components; from vs_2_0 on they are exp and log at partial precision.
  static constexpr const char *kPartialPrecisionVs11 =
      "vec4 zel_expp(float x) { float f = floor(x); return vec4(exp2(f), x - f, exp2(x), 1.0); }\n"
      "vec4 zel_logp(float x) {\n"
      "  float a = abs(x);\n"
      "  if (a == 0.0) return vec4(vec3(uintBitsToFloat(0xFF800000u)), 1.0);\n"
      "  float e = floor(log2(a));\n"
      "  return vec4(e, a / exp2(e), log2(a), 1.0);\n"
      "}\n";
  static constexpr const char *kPartialPrecision =
      "vec4 zel_expp(float x) { return vec4(exp2(x)); }\n"
      "vec4 zel_logp(float x) { return vec4(zel_log(x)); }\n";

  const ShaderProgram &program_;
  Profile profile_;
  std::map<uint32_t, std::pair<uint8_t, uint8_t>> inputs_, outputs_;  // register -> usage, index
  std::map<uint32_t, uint8_t> samplers_;
  std::map<uint32_t, std::string> floatDefs_, intDefs_, boolDefs_;
  std::set<uint32_t> temps_;
  std::vector<std::string> loopSaves_;
  bool relativeConstants_ = false;
  bool writesPointSize_ = false;
};

}  // namespace

int AttributeLocationOf(uint32_t usage, uint32_t usageIndex) {
  switch (usage) {
    case kUsagePosition: return usageIndex == 0 ? kAttribPosition : -1;
    case kUsagePositionT: return usageIndex == 0 ? kAttribPosition : -1;
    case kUsageBlendWeight: return usageIndex == 0 ? kAttribBlendWeight : -1;
    case kUsageBlendIndices: return usageIndex == 0 ? kAttribBlendIndices : -1;
    case kUsageNormal: return usageIndex == 0 ? kAttribNormal : -1;
    case kUsagePSize: return usageIndex == 0 ? kAttribPointSize : -1;
    case kUsageColor: return usageIndex < 2 ? kAttribColor0 + int(usageIndex) : -1;
    case kUsageTexCoord: return usageIndex < 8 ? kAttribTexCoord0 + int(usageIndex) : -1;
    default: return -1;
  }
}

std::string WriteVertexGlsl(const ShaderProgram &program) { return GlslWriter(program).Write(); }

}  // namespace zel::shader
