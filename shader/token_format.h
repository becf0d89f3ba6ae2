// The Direct3D 9 vertex shader token format: version, instruction, parameter, dcl and comment
// tokens, register types and declaration usages. Pure data and bit helpers.
#pragma once

#include <cstdint>

namespace zel::shader {

// ---- version, end and comment tokens ----
inline constexpr uint32_t kVertexVersionPrefix = 0xFFFE0000u;  // high word of a vs version token
inline constexpr uint32_t kPixelVersionPrefix = 0xFFFF0000u;
inline constexpr uint32_t kEndToken = 0x0000FFFFu;
inline constexpr uint32_t kCommentOpcode = 0xFFFEu;
inline constexpr uint32_t kCommentMaxDwords = 0x7FFFu;  // bits 16-30 of a comment token

constexpr uint32_t MakeComment(uint32_t dwords) { return (dwords << 16) | kCommentOpcode; }
constexpr uint32_t CommentLength(uint32_t token) { return (token >> 16) & kCommentMaxDwords; }
constexpr bool IsComment(uint32_t token) { return (token & 0xFFFFu) == kCommentOpcode; }

// ---- instruction token ----
// bits 0-15 opcode, 16-23 controls (comparison), 24-27 length of the rest of the instruction in
// DWORDs (shader model 2.0 on; zero before), 28 predicated, 30 co-issue (pixel shaders only).
inline constexpr uint32_t kOpcodeMask = 0x0000FFFFu;
inline constexpr uint32_t kControlShift = 16;
inline constexpr uint32_t kControlMask = 0x00FF0000u;
inline constexpr uint32_t kLengthShift = 24;
inline constexpr uint32_t kLengthMask = 0x0F000000u;
inline constexpr uint32_t kPredicatedBit = 1u << 28;
inline constexpr uint32_t kCoissueBit = 1u << 30;

// Comparisons of ifc, breakc and setp (instruction token bits 16-18).
enum Comparison : uint8_t { kCmpGt = 1, kCmpEq = 2, kCmpGe = 3, kCmpLt = 4, kCmpNe = 5, kCmpLe = 6 };

// ---- parameter tokens ----
// bits 0-10 register number, 11-12 register type bits 3-4, 13 relative addressing,
// 16-19 write mask (destination) or 16-23 swizzle (source), 20-23 result modifier,
// 24-27 shift scale (destination) or source modifier, 28-30 register type bits 0-2, 31 set.
inline constexpr uint32_t kParamBit = 0x80000000u;
inline constexpr uint32_t kRegNumberMask = 0x000007FFu;
inline constexpr uint32_t kRelativeBit = 1u << 13;
inline constexpr uint32_t kWriteMaskShift = 16;
inline constexpr uint32_t kSwizzleShift = 16;
inline constexpr uint32_t kResultModShift = 20;
inline constexpr uint32_t kSourceModShift = 24;
inline constexpr uint32_t kShiftScaleShift = 24;
inline constexpr uint32_t kResultSaturate = 1;         // result modifier bits
inline constexpr uint32_t kResultPartialPrecision = 2;
inline constexpr uint32_t kResultCentroid = 4;
inline constexpr uint8_t kSwizzleIdentity = 0xE4;     // .xyzw: component i selects i

enum RegisterType : uint8_t {
  kRegTemp = 0,
  kRegInput = 1,
  kRegConst = 2,
  kRegAddr = 3,        // a0 in vertex shaders
  kRegRastOut = 4,     // oPos (0), oFog (1), oPts (2)
  kRegAttrOut = 5,     // oD0, oD1
  kRegTexCrdOut = 6,   // oT0..oT7; the o registers of vs_3_0 share this number
  kRegConstInt = 7,
  kRegColorOut = 8,
  kRegDepthOut = 9,
  kRegSampler = 10,
  kRegConst2 = 11,
  kRegConst3 = 12,
  kRegConst4 = 13,
  kRegConstBool = 14,
  kRegLoop = 15,       // aL
  kRegTempFloat16 = 16,
  kRegMiscType = 17,
  kRegLabel = 18,
  kRegPredicate = 19,
  kRegTypeCount = 20
};
inline constexpr uint8_t kRegOutput = kRegTexCrdOut;
inline constexpr uint32_t kRastPosition = 0, kRastFog = 1, kRastPointSize = 2;

enum SourceModifier : uint8_t {
  kSrcNone = 0,
  kSrcNeg = 1,
  kSrcBias = 2,
  kSrcBiasNeg = 3,
  kSrcSign = 4,
  kSrcSignNeg = 5,
  kSrcComp = 6,
  kSrcX2 = 7,
  kSrcX2Neg = 8,
  kSrcDz = 9,
  kSrcDw = 10,
  kSrcAbs = 11,
  kSrcAbsNeg = 12,
  kSrcNot = 13
};

constexpr uint32_t RegisterTypeBits(uint32_t type) {
  return ((type & 7u) << 28) | ((type & 0x18u) << 8);
}
constexpr uint32_t TokenRegisterType(uint32_t token) {
  return ((token >> 28) & 7u) | ((token >> 8) & 0x18u);
}
constexpr uint32_t MakeDestToken(uint32_t type, uint32_t number, uint32_t mask, uint32_t resultMod = 0) {
  return kParamBit | RegisterTypeBits(type) | (number & kRegNumberMask) | ((mask & 0xFu) << kWriteMaskShift) |
         ((resultMod & 0xFu) << kResultModShift);
}
constexpr uint32_t MakeSourceToken(uint32_t type, uint32_t number, uint32_t swizzle = kSwizzleIdentity,
                                   uint32_t modifier = kSrcNone) {
  return kParamBit | RegisterTypeBits(type) | (number & kRegNumberMask) | ((swizzle & 0xFFu) << kSwizzleShift) |
         ((modifier & 0xFu) << kSourceModShift);
}

// ---- dcl token ----
// bits 0-4 usage, 16-19 usage index, 27-30 sampler texture type, 31 set.
enum DeclUsage : uint8_t {
  kUsagePosition = 0,
  kUsageBlendWeight = 1,
  kUsageBlendIndices = 2,
  kUsageNormal = 3,
  kUsagePSize = 4,
  kUsageTexCoord = 5,
  kUsageTangent = 6,
  kUsageBinormal = 7,
  kUsageTessFactor = 8,
  kUsagePositionT = 9,
  kUsageColor = 10,
  kUsageFog = 11,
  kUsageDepth = 12,
  kUsageSample = 13,
  kUsageCount = 14
};
enum SamplerType : uint8_t { kSampler2D = 2, kSamplerCube = 3, kSamplerVolume = 4 };

constexpr uint32_t MakeDclToken(uint32_t usage, uint32_t index) {
  return kParamBit | (usage & 0x1Fu) | ((index & 0xFu) << 16);
}
constexpr uint32_t MakeSamplerDclToken(uint32_t samplerType) { return kParamBit | ((samplerType & 0xFu) << 27); }

// Names shared by the assembler and the disassembler.
const char *UsageName(uint32_t usage);              // "position", ... or nullptr
const char *SamplerTypeName(uint32_t samplerType);  // "2d", "cube", "volume" or nullptr
const char *ComparisonName(uint32_t comparison);    // "gt", ... or nullptr

}  // namespace zel::shader
