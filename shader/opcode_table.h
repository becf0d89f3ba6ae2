// The one vertex shader instruction table. Everything the library knows about an instruction
// is a field of its row: mnemonic, opcode, operands in each shader version, instruction slots,
// predication, write masks, operand rules, its part in the flow of control and what it
// computes in GLSL. The assembler, the validator, the disassembler and the GLSL writer all
// read it; nothing else lists instructions. Also the register files of each version.
#pragma once

#include <cstdint>
#include <string>

#include "shader/token_format.h"

namespace zel::shader {

enum class Profile : uint8_t { Vs11 = 0, Vs20 = 1, Vs2x = 2, Vs30 = 3 };
inline constexpr int kProfileCount = 4;

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

// Operand pattern letters, one per operand in token order (the predicate of a predicated
// instruction is not part of the pattern; it sits between destination and sources).
//   d  destination: r, oPos/oFog/oPts, oD, oT, o       a  the same, or a0 (vs_1_1's mov)
//   A  address register a0    P  predicate p0
//   s  float source: r, v, c
//   t  scratch temporary of a macro (sgn)    k  helper constant of a macro (sincos before vs_3_0)
//   L  label l#    q  boolean b# or predicate p0 component    p  predicate p0 component
//   I  integer constant i#    O  loop counter aL    S  sampler s#
//   F  def: c# then four floats    N  defi: i# then four integers    B  defb: b# then one boolean
//   U  dcl: usage token then the declared register
struct Forms {
  const char *pattern[kProfileCount];  // per Profile; nullptr where the version lacks the row
};

// What an instruction does to the flow of control. The structure check, the disassembler's
// indentation and the GLSL writer's blocks read it.
enum class Flow : uint8_t {
  kValue,      // computes the value its template gives into its destination
  kStatement,  // a statement without destination (nop)
  kDeclare,    // dcl, def, defi, defb: no code
  kIf, kElse, kEndIf, kLoop, kEndLoop, kRep, kEndRep,
  kBreak,      // break forms: only inside loop or rep
  kCall,       // call forms: the first operand names a label
  kLabel, kRet
};

// Documented operand rules of one instruction; bit i of a source set stands for source i.
struct OperandRules {
  bool destTemporary = false;     // the destination must be a temporary register (r#)
  uint8_t notDestination = 0;     // sources that must not be the destination register
  uint8_t replicateSwizzle = 0;   // sources that need a one-component swizzle (.x, .y, .z or .w)
  uint8_t defaultSwizzle = 0;     // sources that take no swizzle
  uint8_t unmodified = 0;         // sources that take no source modifier
};

inline constexpr uint16_t kAnyMask = 0xFFFE;  // bit m set: write mask m allowed (m = 1..15)
constexpr uint16_t MaskBit(uint8_t mask) { return uint16_t(1u << mask); }

struct InstructionInfo {
  const char *mnemonic;  // base name; "if"/"break"/"setp" take a comparison suffix when comparison
  uint16_t opcode;
  Forms forms;
  uint8_t slots11 = 1;          // instruction slots in vs_1_1
  uint8_t slots = 1;            // instruction slots from vs_2_0 on
  bool predicable = true;       // may carry a (p0) predicate (vs_2_x and vs_3_0)
  bool comparison = false;      // control bits hold a Comparison (if_comp, break_comp, setp_comp)
  Flow flow = Flow::kValue;
  uint8_t matrixRows = 0;       // matrix macros: registers of the matrix source
  uint8_t matrixColumns = 0;    // matrix macros: components of each dot product (3 or 4)
  uint16_t writeMasks = kAnyMask;
  uint8_t defaultMask = 0xF;    // the mask of a destination written without one
  OperandRules rules = {};
  const char *glsl = nullptr;   // GLSL template, see glsl_writer.cpp

  const char *Pattern(Profile p) const { return forms.pattern[uint8_t(p)]; }
  uint32_t Slots(Profile p) const { return p == Profile::Vs11 ? slots11 : slots; }
};

// The row for an opcode in a profile, or nullptr when the profile does not have it.
const InstructionInfo *FindOpcode(uint16_t opcode, Profile profile);
// The row for a mnemonic (lower case, no suffixes) in a profile, or nullptr.
const InstructionInfo *FindMnemonic(const std::string &mnemonic, bool comparison, Profile profile);
// True when some profile knows the mnemonic (for "not allowed in this version" messages).
bool IsKnownMnemonic(const std::string &mnemonic);
// Every row, for checks that walk the whole table.
const InstructionInfo *InstructionTable(size_t *count);

// Number of operand tokens a pattern takes when nothing is relatively addressed.
uint32_t PatternTokenCount(const char *pattern);

// Registers: how many of a type the profile has (0 = none of that type).
uint32_t RegisterCount(Profile profile, uint32_t type);
// How many different registers of a type one instruction may read (its read ports; 0: none).
uint32_t ReadPorts(uint32_t type);
const char *RegisterNoun(uint32_t type);  // "temporary", "constant", ...
// Text name of a register as the assembler reads it ("r3", "oPos", "oT1", "aL"); empty if none.
std::string RegisterName(Profile profile, uint32_t type, uint32_t number);

// Instruction slots the profile allows (the minimum every device of that version has).
uint32_t MaxInstructionSlots(Profile profile);

}  // namespace zel::shader
