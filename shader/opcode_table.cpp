// The vertex shader instruction table and the register files of each vertex shader version.
// Facts come from the Direct3D 9 assembly reference: each instruction's own page, the
// "Instructions - vs_N" tables (slots), "Registers - vs_N" (counts and read ports) and
// "Destination Register Masking". Where a page and the masking page disagree, the
// instruction's own page is followed; each such row says so.
#include "shader/opcode_table.h"

#include <iterator>

namespace zel::shader {
namespace {

constexpr Forms AllVersions(const char *p) { return {{p, p, p, p}}; }
constexpr Forms From20(const char *p) { return {{nullptr, p, p, p}}; }
constexpr Forms From2x(const char *p) { return {{nullptr, nullptr, p, p}}; }
constexpr Forms Only30(const char *p) { return {{nullptr, nullptr, nullptr, p}}; }

constexpr uint8_t kSrc0 = 1, kSrc1 = 2;

// The matrix macros. Their pages: "Negate and swizzle modifiers are allowed for src0 but not
// for src1" (m4x4's page also says the opposite of src0 in its next sentence; the first
// sentence, which every matrix page shares, is followed). The destination may not be src0
// (m4x4, m3x2) nor any register of the matrix (m3x2); both are applied to all five, as the
// expansion into dot products needs them. Required masks: .xyzw for m4x4 and m3x4 (their
// pages; the masking page also allows .xyz), .xyz for m4x3 and m3x3, .xy for m3x2.
constexpr OperandRules kMatrixRules = {.notDestination = kSrc0, .defaultSwizzle = kSrc1, .unmodified = kSrc1};

constexpr InstructionInfo Matrix(const char *name, uint16_t opcode, uint8_t rows, uint8_t columns, uint8_t mask) {
  return {.mnemonic = name, .opcode = opcode, .forms = AllVersions("dss"), .slots11 = rows, .slots = rows,
          .matrixRows = rows, .matrixColumns = columns, .writeMasks = MaskBit(mask), .defaultMask = mask,
          .rules = kMatrixRules, .glsl = "$m"};
}

constexpr InstructionInfo Control(const char *name, uint16_t opcode, Forms forms, uint8_t slots, Flow flow,
                                  const char *glsl = nullptr, bool comparison = false) {
  return {.mnemonic = name, .opcode = opcode, .forms = forms, .slots11 = slots, .slots = slots,
          .predicable = false, .comparison = comparison, .flow = flow, .glsl = glsl};
}

constexpr InstructionInfo Declaration(const char *name, uint16_t opcode, Forms forms) {
  return {.mnemonic = name, .opcode = opcode, .forms = forms, .slots11 = 0, .slots = 0, .predicable = false,
          .flow = Flow::kDeclare};
}

// Order does not matter. GLSL templates: $0..$2 a source, $s0 a source's scalar, $m the
// matrix product, $t the texture sample, $c / $C the comparison as operator / function,
// $b0 a boolean condition, $l0 a label's function (glsl_writer.cpp expands them).
constexpr InstructionInfo kInstructions[] = {
    Control("nop", kOpNop, AllVersions(""), 1, Flow::kStatement, ""),
    {.mnemonic = "mov", .opcode = kOpMov, .forms = {{"as", "ds", "ds", "ds"}}, .glsl = "$0"},
    {.mnemonic = "add", .opcode = kOpAdd, .forms = AllVersions("dss"), .glsl = "$0 + $1"},
    {.mnemonic = "sub", .opcode = kOpSub, .forms = AllVersions("dss"), .glsl = "$0 - $1"},
    {.mnemonic = "mad", .opcode = kOpMad, .forms = AllVersions("dsss"), .glsl = "$0 * $1 + $2"},
    {.mnemonic = "mul", .opcode = kOpMul, .forms = AllVersions("dss"), .glsl = "$0 * $1"},
    {.mnemonic = "rcp", .opcode = kOpRcp, .forms = AllVersions("ds"), .glsl = "vec4(zel_rcp($s0))"},
    {.mnemonic = "rsq", .opcode = kOpRsq, .forms = AllVersions("ds"), .glsl = "vec4(zel_rsq($s0))"},
    {.mnemonic = "dp3", .opcode = kOpDp3, .forms = AllVersions("dss"), .glsl = "vec4(dot($0.xyz, $1.xyz))"},
    {.mnemonic = "dp4", .opcode = kOpDp4, .forms = AllVersions("dss"), .glsl = "vec4(dot($0, $1))"},
    {.mnemonic = "min", .opcode = kOpMin, .forms = AllVersions("dss"), .glsl = "min($0, $1)"},
    {.mnemonic = "max", .opcode = kOpMax, .forms = AllVersions("dss"), .glsl = "max($0, $1)"},
    {.mnemonic = "slt", .opcode = kOpSlt, .forms = AllVersions("dss"), .glsl = "vec4(lessThan($0, $1))"},
    {.mnemonic = "sge", .opcode = kOpSge, .forms = AllVersions("dss"), .glsl = "vec4(greaterThanEqual($0, $1))"},
    {.mnemonic = "exp", .opcode = kOpExp, .forms = AllVersions("ds"), .slots11 = 10, .glsl = "vec4(exp2($s0))"},
    {.mnemonic = "log", .opcode = kOpLog, .forms = AllVersions("ds"), .slots11 = 10, .glsl = "vec4(zel_log($s0))"},
    {.mnemonic = "expp", .opcode = kOpExpp, .forms = AllVersions("ds"), .glsl = "zel_expp($s0)"},
    {.mnemonic = "logp", .opcode = kOpLogp, .forms = AllVersions("ds"), .glsl = "zel_logp($s0)"},
    {.mnemonic = "lit", .opcode = kOpLit, .forms = AllVersions("ds"), .slots11 = 1, .slots = 3, .glsl = "zel_lit($0)"},
    {.mnemonic = "dst", .opcode = kOpDst, .forms = AllVersions("dss"), .glsl = "vec4(1.0, $0.y * $1.y, $0.z, $1.w)"},
    {.mnemonic = "frc", .opcode = kOpFrc, .forms = AllVersions("ds"), .slots11 = 3, .glsl = "fract($0)"},
    Matrix("m4x4", kOpM4x4, 4, 4, 0xF),
    Matrix("m4x3", kOpM4x3, 3, 4, 0x7),
    Matrix("m3x4", kOpM3x4, 4, 3, 0xF),
    Matrix("m3x3", kOpM3x3, 3, 3, 0x7),
    Matrix("m3x2", kOpM3x2, 2, 3, 0x3),
    Declaration("dcl", kOpDcl, AllVersions("U")),
    Declaration("def", kOpDef, AllVersions("F")),
    Declaration("defi", kOpDefI, From20("N")),
    Declaration("defb", kOpDefB, From20("B")),
    {.mnemonic = "lrp", .opcode = kOpLrp, .forms = From20("dsss"), .slots = 2, .glsl = "mix($2, $1, $0)"},
    // "The dest register should be a temporary register, and should not be the same register
    // as src1"; both sources need a replicate swizzle.
    {.mnemonic = "pow", .opcode = kOpPow, .forms = From20("dss"), .slots = 3,
     .rules = {.destTemporary = true, .notDestination = kSrc1, .replicateSwizzle = kSrc0 | kSrc1},
     .glsl = "vec4(pow(abs($s0), $s1))"},
    {.mnemonic = "crs", .opcode = kOpCrs, .forms = From20("dss"), .slots = 2,
     .writeMasks = MaskBit(0x1) | MaskBit(0x2) | MaskBit(0x4) | MaskBit(0x3) | MaskBit(0x5) | MaskBit(0x6) | MaskBit(0x7),
     .defaultMask = 0x7,
     .rules = {.destTemporary = true, .notDestination = kSrc0 | kSrc1, .defaultSwizzle = kSrc0 | kSrc1},
     .glsl = "vec4(cross($0.xyz, $1.xyz), 0.0)"},
    // sgn takes two scratch temporaries in every version that has it (vs_3_0 included).
    {.mnemonic = "sgn", .opcode = kOpSgn, .forms = From20("dstt"), .slots = 3, .glsl = "sign($0)"},
    {.mnemonic = "abs", .opcode = kOpAbs, .forms = From20("ds"), .glsl = "abs($0)"},
    {.mnemonic = "nrm", .opcode = kOpNrm, .forms = From20("ds"), .slots = 3,
     .rules = {.destTemporary = true, .notDestination = kSrc0}, .glsl = "zel_nrm($0)"},
    // Masks .x, .y or .xy (the sincos page; the masking page says .xyz, a slip for .xy).
    {.mnemonic = "sincos", .opcode = kOpSinCos, .forms = {{nullptr, "dskk", "dskk", "ds"}}, .slots = 8,
     .writeMasks = MaskBit(0x1) | MaskBit(0x2) | MaskBit(0x3), .defaultMask = 0x3,
     .rules = {.destTemporary = true, .replicateSwizzle = kSrc0},
     .glsl = "vec4(cos($s0), sin($s0), 0.0, 0.0)"},
    {.mnemonic = "mova", .opcode = kOpMova, .forms = From20("As"), .glsl = "$0"},
    Control("call", kOpCall, From20("L"), 2, Flow::kCall, "$l0();"),
    Control("callnz", kOpCallNz, From20("Lq"), 3, Flow::kCall, "if ($b1) $l0();"),
    Control("label", kOpLabel, From20("L"), 0, Flow::kLabel),
    Control("ret", kOpRet, From20(""), 1, Flow::kRet),
    Control("loop", kOpLoop, From20("OI"), 3, Flow::kLoop),
    Control("endloop", kOpEndLoop, From20(""), 2, Flow::kEndLoop),
    Control("rep", kOpRep, From20("I"), 3, Flow::kRep),  // as loop: the table row was not readable
    Control("endrep", kOpEndRep, From20(""), 2, Flow::kEndRep),
    Control("if", kOpIf, From20("q"), 3, Flow::kIf, "if ($b0) {"),
    Control("if", kOpIfC, From2x("ss"), 3, Flow::kIf, "if (($0).x $c ($1).x) {", true),
    Control("else", kOpElse, From20(""), 1, Flow::kElse, "} else {"),
    Control("endif", kOpEndIf, From20(""), 1, Flow::kEndIf, "}"),
    Control("break", kOpBreak, From2x(""), 1, Flow::kBreak, "break;"),
    Control("break", kOpBreakC, From2x("ss"), 3, Flow::kBreak, "if (($0).x $c ($1).x) break;", true),
    Control("breakp", kOpBreakP, From2x("p"), 3, Flow::kBreak, "if ($b0) break;"),
    {.mnemonic = "setp", .opcode = kOpSetP, .forms = From2x("Pss"), .comparison = true, .glsl = "$C($0, $1)"},
    {.mnemonic = "texldl", .opcode = kOpTexLdl, .forms = Only30("dsS"), .rules = {.destTemporary = true},
     .glsl = "$t"},
};

// Read ports: how many different registers of the type one instruction may read, from the
// "# Read ports" column of the register pages (0: never read). The DirectX 9.0 vs_2_x page
// shows an example reading two constants in one instruction; the read-port column, which
// says one, is followed.
struct RegisterFile {
  uint8_t type;
  uint16_t count[kProfileCount];  // per Profile: vs_1_1, vs_2_0, vs_2_x, vs_3_0
  uint8_t readPorts;
  const char *noun;               // for messages
};
constexpr RegisterFile kRegisterFiles[] = {
    {kRegTemp, {12, 12, 32, 32}, 3, "temporary"},
    {kRegInput, {16, 16, 16, 16}, 1, "input"},
    {kRegConst, {256, 256, 256, 256}, 1, "constant"},
    {kRegAddr, {1, 1, 1, 1}, 1, "address"},
    {kRegRastOut, {3, 3, 3, 0}, 0, "rasterizer output"},
    {kRegAttrOut, {2, 2, 2, 0}, 0, "colour output"},
    {kRegTexCrdOut, {8, 8, 8, 12}, 0, "output"},
    {kRegConstInt, {0, 16, 16, 16}, 1, "integer constant"},
    {kRegConstBool, {0, 16, 16, 16}, 1, "boolean constant"},
    {kRegLoop, {0, 1, 1, 1}, 1, "loop counter"},
    {kRegPredicate, {0, 0, 1, 1}, 1, "predicate"},
    {kRegLabel, {0, 16, 16, 2048}, 1, "label"},
    {kRegSampler, {0, 0, 0, 4}, 1, "sampler"},
};

const RegisterFile *FindRegisterFile(uint32_t type) {
  for (const RegisterFile &file : kRegisterFiles)
    if (file.type == type) return &file;
  return nullptr;
}

}  // namespace

bool ProfileFromVersion(uint32_t versionToken, Profile *profile) {
  switch (versionToken) {
    case kVertexVersionPrefix | 0x0101: *profile = Profile::Vs11; return true;
    case kVertexVersionPrefix | 0x0200: *profile = Profile::Vs20; return true;
    case kVertexVersionPrefix | 0x0201: *profile = Profile::Vs2x; return true;
    case kVertexVersionPrefix | 0x0300: *profile = Profile::Vs30; return true;
    default: return false;
  }
}

uint32_t VersionToken(Profile profile) {
  switch (profile) {
    case Profile::Vs11: return kVertexVersionPrefix | 0x0101;
    case Profile::Vs20: return kVertexVersionPrefix | 0x0200;
    case Profile::Vs2x: return kVertexVersionPrefix | 0x0201;
    case Profile::Vs30: return kVertexVersionPrefix | 0x0300;
  }
  return 0;
}

const char *ProfileName(Profile profile) {
  switch (profile) {
    case Profile::Vs11: return "vs_1_1";
    case Profile::Vs20: return "vs_2_0";
    case Profile::Vs2x: return "vs_2_x";
    case Profile::Vs30: return "vs_3_0";
  }
  return "?";
}

const InstructionInfo *FindOpcode(uint16_t opcode, Profile profile) {
  for (const InstructionInfo &info : kInstructions)
    if (info.opcode == opcode && info.Pattern(profile)) return &info;
  return nullptr;
}

const InstructionInfo *FindMnemonic(const std::string &mnemonic, bool comparison, Profile profile) {
  for (const InstructionInfo &info : kInstructions)
    if (info.comparison == comparison && info.Pattern(profile) && mnemonic == info.mnemonic) return &info;
  return nullptr;
}

bool IsKnownMnemonic(const std::string &mnemonic) {
  for (const InstructionInfo &info : kInstructions)
    if (mnemonic == info.mnemonic) return true;
  return false;
}

const InstructionInfo *InstructionTable(size_t *count) {
  *count = std::size(kInstructions);
  return kInstructions;
}

uint32_t PatternTokenCount(const char *pattern) {
  uint32_t count = 0;
  for (const char *p = pattern; *p; ++p) {
    switch (*p) {
      case 'F': case 'N': count += 5; break;  // register + four immediates
      case 'B': case 'U': count += 2; break;  // register + one immediate / usage token + register
      default: count += 1; break;
    }
  }
  return count;
}

uint32_t RegisterCount(Profile profile, uint32_t type) {
  const RegisterFile *file = FindRegisterFile(type);
  return file ? file->count[uint8_t(profile)] : 0;
}

uint32_t ReadPorts(uint32_t type) {
  const RegisterFile *file = FindRegisterFile(type);
  return file ? file->readPorts : 0;
}

const char *RegisterNoun(uint32_t type) {
  const RegisterFile *file = FindRegisterFile(type);
  return file ? file->noun : "unknown";
}

std::string RegisterName(Profile profile, uint32_t type, uint32_t number) {
  const std::string n = std::to_string(number);
  switch (type) {
    case kRegTemp: return "r" + n;
    case kRegInput: return "v" + n;
    case kRegConst: return "c" + n;
    case kRegAddr: return "a" + n;
    case kRegRastOut:
      return number == kRastPosition ? "oPos" : number == kRastFog ? "oFog" : number == kRastPointSize ? "oPts" : "";
    case kRegAttrOut: return "oD" + n;
    case kRegTexCrdOut: return (profile == Profile::Vs30 ? "o" : "oT") + n;
    case kRegConstInt: return "i" + n;
    case kRegConstBool: return "b" + n;
    case kRegLoop: return "aL";
    case kRegPredicate: return "p" + n;
    case kRegLabel: return "l" + n;
    case kRegSampler: return "s" + n;
    default: return "";
  }
}

uint32_t MaxInstructionSlots(Profile profile) {
  switch (profile) {
    case Profile::Vs11: return 128;
    case Profile::Vs20: case Profile::Vs2x: return 256;
    case Profile::Vs30: return 512;
  }
  return 0;
}

const char *UsageName(uint32_t usage) {
  static constexpr const char *kNames[kUsageCount] = {
      "position", "blendweight", "blendindices", "normal", "psize", "texcoord", "tangent",
      "binormal", "tessfactor", "positiont", "color", "fog", "depth", "sample"};
  return usage < kUsageCount ? kNames[usage] : nullptr;
}

const char *SamplerTypeName(uint32_t samplerType) {
  switch (samplerType) {
    case kSampler2D: return "2d";
    case kSamplerCube: return "cube";
    case kSamplerVolume: return "volume";
    default: return nullptr;
  }
}

const char *ComparisonName(uint32_t comparison) {
  static constexpr const char *kNames[] = {nullptr, "gt", "eq", "ge", "lt", "ne", "le"};
  return comparison < std::size(kNames) ? kNames[comparison] : nullptr;
}

}  // namespace zel::shader
