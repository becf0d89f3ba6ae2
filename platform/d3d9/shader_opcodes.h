// The one vertex shader instruction table: mnemonic, opcode, argument pattern and the shader
// versions that allow it. The assembler (gfxutil), the bytecode validator, the disassembler
// and the GLSL translator all read it; nothing else lists instructions. No OpenGL here.
#pragma once

#include <cstdint>
#include <string>

#include "platform/d3d9/shader_format.h"

namespace zel::d3d9::shader {

enum class Profile : uint8_t { Vs11 = 0, Vs20 = 1, Vs2x = 2, Vs30 = 3 };
inline constexpr uint8_t kVs11 = 1, kVs20 = 2, kVs2x = 4, kVs30 = 8;
inline constexpr uint8_t kVsAll = kVs11 | kVs20 | kVs2x | kVs30;
inline constexpr uint8_t kVs2Up = kVs20 | kVs2x | kVs30;
inline constexpr uint8_t kVs2xUp = kVs2x | kVs30;
constexpr uint8_t ProfileBit(Profile p) { return uint8_t(1u << uint8_t(p)); }

bool ProfileFromVersion(uint32_t versionToken, Profile *profile);  // vertex shader versions only
uint32_t VersionToken(Profile profile);
const char *ProfileName(Profile profile);  // "vs_1_1", "vs_2_0", "vs_2_x", "vs_3_0"
constexpr bool HasLengthField(Profile p) { return p != Profile::Vs11; }

enum Opcode : uint16_t {
  kOpNop = 0, kOpMov = 1, kOpAdd = 2, kOpSub = 3, kOpMad = 4, kOpMul = 5, kOpRcp = 6, kOpRsq = 7,
  kOpDp3 = 8, kOpDp4 = 9, kOpMin = 10, kOpMax = 11, kOpSlt = 12, kOpSge = 13, kOpExp = 14, kOpLog = 15,
  kOpLit = 16, kOpDst = 17, kOpLrp = 18, kOpFrc = 19, kOpM4x4 = 20, kOpM4x3 = 21, kOpM3x4 = 22,
  kOpM3x3 = 23, kOpM3x2 = 24, kOpCall = 25, kOpCallNz = 26, kOpLoop = 27, kOpRet = 28, kOpEndLoop = 29,
  kOpLabel = 30, kOpDcl = 31, kOpPow = 32, kOpCrs = 33, kOpSgn = 34, kOpAbs = 35, kOpNrm = 36,
  kOpSinCos = 37, kOpRep = 38, kOpEndRep = 39, kOpIf = 40, kOpIfC = 41, kOpElse = 42, kOpEndIf = 43,
  kOpBreak = 44, kOpBreakC = 45, kOpMova = 46, kOpDefB = 47, kOpDefI = 48, kOpExpp = 78, kOpLogp = 79,
  kOpDef = 81, kOpSetP = 94, kOpTexLdl = 95, kOpBreakP = 96
};

// Argument pattern letters, one per operand in token order (the predicate of a predicated
// instruction is not part of the pattern; it sits between destination and sources).
//   d  destination: r, oPos/oFog/oPts, oD, oT, o (and a0 for mov in vs_1_1)
//   A  address register destination a0        P  predicate destination p0
//   s  float source: r, v, c, a0 (vs_1_1 mov only)
//   L  label l#    q  boolean b# or predicate p0 component    p  predicate p0 component
//   I  integer constant i#    O  loop counter aL    S  sampler s#
//   F  def: c# then four floats    N  defi: i# then four integers    B  defb: b# then one boolean
//   U  dcl: usage token then the declared register
struct OpcodeInfo {
  const char *mnemonic;  // base name; "if"/"break"/"setp" take a comparison suffix when comparison
  uint16_t opcode;
  const char *args;
  uint8_t profiles;      // kVs11 | kVs20 | ...
  bool comparison;       // control bits hold a Comparison (ifc, breakc, setp)
  uint8_t defaultMask;   // write mask when the text gives none (the components the macro writes)
};

// The row for an opcode in a profile, or nullptr when the profile does not allow it.
const OpcodeInfo *FindOpcode(uint16_t opcode, Profile profile);
// The row for a mnemonic (lower case, no suffixes) in a profile, or nullptr.
const OpcodeInfo *FindMnemonic(const std::string &mnemonic, bool comparison, Profile profile);
// True when some profile knows the mnemonic (for "not allowed in this version" messages).
bool IsKnownMnemonic(const std::string &mnemonic);

// Number of operand tokens the pattern takes when nothing is relatively addressed.
uint32_t PatternTokenCount(const char *args);

// Registers: how many of a type the profile has (0 = none of that type).
uint32_t RegisterCount(Profile profile, uint32_t type);
// Text name of a register as the assembler reads it ("r3", "oPos", "oT1", "aL"); empty if none.
std::string RegisterName(Profile profile, uint32_t type, uint32_t number);

// Instruction slots the profile allows (the minimum every device of that version has).
uint32_t MaxInstructionSlots(Profile profile);

}  // namespace zel::d3d9::shader
