// The vertex shader instruction table and the register files of each vertex shader version.
#include "platform/d3d9/shader_opcodes.h"

#include <cstring>
#include <iterator>

namespace zel::d3d9::shader {
namespace {

constexpr uint8_t kVs20And2x = kVs20 | kVs2x;

// Order does not matter; an opcode whose operands changed between versions has one row per form.
constexpr OpcodeInfo kOpcodes[] = {
    {"nop", kOpNop, "", kVsAll, false, 0xF},
    {"mov", kOpMov, "ds", kVsAll, false, 0xF},
    {"add", kOpAdd, "dss", kVsAll, false, 0xF},
    {"sub", kOpSub, "dss", kVsAll, false, 0xF},
    {"mad", kOpMad, "dsss", kVsAll, false, 0xF},
    {"mul", kOpMul, "dss", kVsAll, false, 0xF},
    {"rcp", kOpRcp, "ds", kVsAll, false, 0xF},
    {"rsq", kOpRsq, "ds", kVsAll, false, 0xF},
    {"dp3", kOpDp3, "dss", kVsAll, false, 0xF},
    {"dp4", kOpDp4, "dss", kVsAll, false, 0xF},
    {"min", kOpMin, "dss", kVsAll, false, 0xF},
    {"max", kOpMax, "dss", kVsAll, false, 0xF},
    {"slt", kOpSlt, "dss", kVsAll, false, 0xF},
    {"sge", kOpSge, "dss", kVsAll, false, 0xF},
    {"exp", kOpExp, "ds", kVsAll, false, 0xF},
    {"log", kOpLog, "ds", kVsAll, false, 0xF},
    {"expp", kOpExpp, "ds", kVsAll, false, 0xF},
    {"logp", kOpLogp, "ds", kVsAll, false, 0xF},
    {"lit", kOpLit, "ds", kVsAll, false, 0xF},
    {"dst", kOpDst, "dss", kVsAll, false, 0xF},
    {"frc", kOpFrc, "ds", kVsAll, false, 0xF},
    {"m4x4", kOpM4x4, "dss", kVsAll, false, 0xF},
    {"m4x3", kOpM4x3, "dss", kVsAll, false, 0x7},
    {"m3x4", kOpM3x4, "dss", kVsAll, false, 0xF},
    {"m3x3", kOpM3x3, "dss", kVsAll, false, 0x7},
    {"m3x2", kOpM3x2, "dss", kVsAll, false, 0x3},
    {"dcl", kOpDcl, "U", kVsAll, false, 0xF},
    {"def", kOpDef, "F", kVsAll, false, 0xF},
    {"defi", kOpDefI, "N", kVs2Up, false, 0xF},
    {"defb", kOpDefB, "B", kVs2Up, false, 0x1},
    {"lrp", kOpLrp, "dsss", kVs2Up, false, 0xF},
    {"pow", kOpPow, "dss", kVs2Up, false, 0xF},
    {"crs", kOpCrs, "dss", kVs2Up, false, 0x7},
    {"sgn", kOpSgn, "dsss", kVs20And2x, false, 0xF},
    {"sgn", kOpSgn, "ds", kVs30, false, 0xF},
    {"abs", kOpAbs, "ds", kVs2Up, false, 0xF},
    {"nrm", kOpNrm, "ds", kVs2Up, false, 0xF},
    {"sincos", kOpSinCos, "dsss", kVs20And2x, false, 0x3},
    {"sincos", kOpSinCos, "ds", kVs30, false, 0x3},
    {"mova", kOpMova, "As", kVs2Up, false, 0xF},
    {"call", kOpCall, "L", kVs2Up, false, 0xF},
    {"callnz", kOpCallNz, "Lq", kVs2Up, false, 0xF},
    {"label", kOpLabel, "L", kVs2Up, false, 0xF},
    {"ret", kOpRet, "", kVs2Up, false, 0xF},
    {"loop", kOpLoop, "OI", kVs2Up, false, 0xF},
    {"endloop", kOpEndLoop, "", kVs2Up, false, 0xF},
    {"rep", kOpRep, "I", kVs2Up, false, 0xF},
    {"endrep", kOpEndRep, "", kVs2Up, false, 0xF},
    {"if", kOpIf, "q", kVs2Up, false, 0xF},
    {"if", kOpIfC, "ss", kVs2xUp, true, 0xF},
    {"else", kOpElse, "", kVs2Up, false, 0xF},
    {"endif", kOpEndIf, "", kVs2Up, false, 0xF},
    {"break", kOpBreak, "", kVs2xUp, false, 0xF},
    {"break", kOpBreakC, "ss", kVs2xUp, true, 0xF},
    {"breakp", kOpBreakP, "p", kVs2xUp, false, 0xF},
    {"setp", kOpSetP, "Pss", kVs2xUp, true, 0xF},
    {"texldl", kOpTexLdl, "dsS", kVs30, false, 0xF},
};

struct RegisterFile {
  uint8_t type;
  uint16_t count[4];  // per Profile: vs_1_1, vs_2_0, vs_2_x, vs_3_0
};
constexpr RegisterFile kRegisterFiles[] = {
    {kRegTemp, {12, 12, 32, 32}},      {kRegInput, {16, 16, 16, 16}},     {kRegConst, {256, 256, 256, 256}},
    {kRegAddr, {1, 1, 1, 1}},          {kRegRastOut, {3, 3, 3, 0}},       {kRegAttrOut, {2, 2, 2, 0}},
    {kRegTexCrdOut, {8, 8, 8, 12}},    {kRegConstInt, {0, 16, 16, 16}},   {kRegConstBool, {0, 16, 16, 16}},
    {kRegLoop, {0, 1, 1, 1}},          {kRegPredicate, {0, 0, 1, 1}},     {kRegLabel, {0, 16, 16, 2048}},
    {kRegSampler, {0, 0, 0, 4}},
};

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

const OpcodeInfo *FindOpcode(uint16_t opcode, Profile profile) {
  for (const OpcodeInfo &info : kOpcodes)
    if (info.opcode == opcode && (info.profiles & ProfileBit(profile))) return &info;
  return nullptr;
}

const OpcodeInfo *FindMnemonic(const std::string &mnemonic, bool comparison, Profile profile) {
  for (const OpcodeInfo &info : kOpcodes)
    if (info.comparison == comparison && (info.profiles & ProfileBit(profile)) && mnemonic == info.mnemonic)
      return &info;
  return nullptr;
}

bool IsKnownMnemonic(const std::string &mnemonic) {
  for (const OpcodeInfo &info : kOpcodes)
    if (mnemonic == info.mnemonic) return true;
  return false;
}

uint32_t PatternTokenCount(const char *args) {
  uint32_t count = 0;
  for (const char *p = args; *p; ++p) {
    switch (*p) {
      case 'F': case 'N': count += 5; break;  // register + four immediates
      case 'B': case 'U': count += 2; break;  // register + one immediate / usage token + register
      default: count += 1; break;
    }
  }
  return count;
}

uint32_t RegisterCount(Profile profile, uint32_t type) {
  for (const RegisterFile &file : kRegisterFiles)
    if (file.type == type) return file.count[uint8_t(profile)];
  return 0;
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

}  // namespace zel::d3d9::shader
