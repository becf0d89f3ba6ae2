// The documented operand rules beyond register types and counts. Per instruction: what its
// table row names (destination kind, destination against sources, swizzles, modifiers,
// write masks, the scratch and helper registers of macros) and the read ports of the
// register files. Per program: texture coordinates written from oT0 up, each with a
// combined mask of .x, .xy, .xyz or .xyzw ("Destination Register Masking").
#include <string>

#include "shader/program.h"

namespace zel::shader {
namespace {

constexpr char kComponents[] = "xyzw";

std::string MaskName(uint8_t mask) {
  std::string text = ".";
  for (int i = 0; i < 4; ++i)
    if (mask & (1 << i)) text += kComponents[i];
  return text;
}

std::string AllowedMasks(uint16_t masks) {
  std::string text;
  for (uint8_t m = 1; m < 16; ++m)
    if (masks & MaskBit(m)) text += (text.empty() ? "" : ", ") + MaskName(m);
  return text;
}

bool IsReplicate(uint8_t swizzle) { return swizzle == (swizzle & 3u) * 0x55u; }

bool SameRegister(const DestParam &d, uint8_t type, uint32_t number) {
  return !d.relative && d.type == type && d.number == number;
}

std::string SourceName(int index) { return "src" + std::to_string(index); }

// Pattern letters that are operands read from a register file, helpers of macros excluded.
bool IsDataSource(char kind) { return kind == 's' || kind == 'q' || kind == 'p' || kind == 'I' || kind == 'O' || kind == 'S' || kind == 'L'; }
bool IsHelper(char kind) { return kind == 't' || kind == 'k'; }
bool IsSourceLetter(char kind) { return IsDataSource(kind) || IsHelper(kind); }

class RuleCheck {
 public:
  RuleCheck(const Instruction &ins, Profile profile)
      : ins_(ins), info_(*ins.info), profile_(profile), pattern_(info_.Pattern(profile)) {}

  std::string Fault() {
    std::string fault = DestinationFault();
    if (fault.empty()) fault = SourceFault();
    if (fault.empty()) fault = MatrixFault();
    if (fault.empty()) fault = HelperFault();
    if (fault.empty()) fault = ReadPortFault();
    return fault;
  }

 private:
  std::string Name() const { return info_.mnemonic; }
  std::string Reg(uint32_t type, uint32_t number) const { return RegisterName(profile_, type, number); }

  std::string DestinationFault() const {
    if (!ins_.hasDest || info_.flow != Flow::kValue) return "";
    const DestParam &d = ins_.dest;
    if (info_.rules.destTemporary && d.type != kRegTemp)
      return Name() + " writes a temporary register (r#), not " + Reg(d.type, d.number);
    if (!(info_.writeMasks & MaskBit(d.mask)))
      return Name() + " cannot write the mask " + MaskName(d.mask) + " (allowed: " + AllowedMasks(info_.writeMasks) + ")";
    return "";
  }

  std::string SourceFault() const {
    const OperandRules &rules = info_.rules;
    for (int i = 0; i < ins_.sourceCount; ++i) {
      const SourceParam &s = ins_.sources[i];
      const uint8_t bit = uint8_t(1u << i);
      if ((rules.notDestination & bit) && ins_.hasDest && SameRegister(ins_.dest, s.type, s.number) && !s.relative)
        return Name() + ": the destination " + Reg(s.type, s.number) + " cannot also be " + SourceName(i);
      if ((rules.replicateSwizzle & bit) && !IsReplicate(s.swizzle))
        return Name() + ": " + SourceName(i) + " needs a one-component swizzle (.x, .y, .z or .w)";
      if ((rules.defaultSwizzle & bit) && s.swizzle != kSwizzleIdentity)
        return Name() + ": " + SourceName(i) + " takes no swizzle";
      if ((rules.unmodified & bit) && s.modifier != kSrcNone)
        return Name() + ": " + SourceName(i) + " takes no source modifier";
    }
    return "";
  }

  // The destination may not be any register of the matrix (src1 and the rows after it).
  std::string MatrixFault() const {
    if (!info_.matrixRows || ins_.sourceCount < 2) return "";
    const SourceParam &matrix = ins_.sources[1];
    const DestParam &d = ins_.dest;
    if (matrix.relative || d.relative || d.type != matrix.type) return "";
    if (d.number >= matrix.number && d.number < matrix.number + info_.matrixRows)
      return Name() + ": the destination " + Reg(d.type, d.number) + " is a register of the matrix " +
             Reg(matrix.type, matrix.number) + ".." + Reg(matrix.type, matrix.number + info_.matrixRows - 1u);
    return "";
  }

  // sgn's two scratch temporaries, and sincos's two constants before vs_3_0, are different
  // registers.
  std::string HelperFault() const {
    int first = -1;
    for (int i = 0, s = 0; pattern_[i]; ++i) {
      if (!IsSourceLetter(pattern_[i])) continue;
      if (IsHelper(pattern_[i])) {
        if (first < 0) {
          first = s;
        } else if (ins_.sources[first].number == ins_.sources[s].number) {
          const char *what = pattern_[i] == 't' ? "scratch registers must be different temporaries"
                                                : "constants must be different registers";
          return Name() + ": the two " + what + " (" + Reg(ins_.sources[s].type, ins_.sources[s].number) +
                 " given twice)";
        }
      }
      ++s;
    }
    return "";
  }

  // Each register file lets one instruction read only so many different registers of it.
  std::string ReadPortFault() const {
    struct Seen {
      uint8_t type;
      uint32_t key;
    };
    Seen seen[4];
    int seenCount = 0;
    auto count = [&](const SourceParam &s) {
      const uint32_t key = s.number | (s.relative ? 0x10000u : 0u) | (uint32_t(s.relType) << 17);
      for (int j = 0; j < seenCount; ++j)
        if (seen[j].type == s.type && seen[j].key == key) return;
      seen[seenCount++] = {s.type, key};
    };
    for (int i = 0, s = 0; pattern_[i]; ++i) {
      if (!IsSourceLetter(pattern_[i])) continue;
      if (IsDataSource(pattern_[i])) count(ins_.sources[s]);
      ++s;
    }
    if (ins_.predicated) count(ins_.predicate);
    for (int i = 0; i < seenCount; ++i) {
      const uint32_t limit = ReadPorts(seen[i].type);
      uint32_t distinct = 0;
      for (int j = 0; j < seenCount; ++j) distinct += seen[j].type == seen[i].type;
      if (limit && distinct > limit)
        return Name() + " reads " + std::to_string(distinct) + " different " + RegisterNoun(seen[i].type) +
               " registers; one instruction may read " + std::to_string(limit);
    }
    return "";
  }

  const Instruction &ins_;
  const InstructionInfo &info_;
  Profile profile_;
  const char *pattern_;
};

}  // namespace

std::string OperandRuleFault(const Instruction &ins, Profile profile) { return RuleCheck(ins, profile).Fault(); }

// oT# (vs_1_1 to vs_2_x; vs_3_0's o# are declared instead): "If oTn is written, all previous
// registers (oTn-1 ~ oT0) have to be written as well", and the writes to one register
// together cover .x, .xy, .xyz or .xyzw.
bool CheckOutputWrites(const ShaderProgram &program, ShaderError *error) {
  if (program.profile == Profile::Vs30) return true;
  constexpr int kTexCoords = 8;
  uint8_t combined[kTexCoords] = {};
  int firstWrite[kTexCoords], lastWrite[kTexCoords];
  for (int n = 0; n < kTexCoords; ++n) firstWrite[n] = lastWrite[n] = -1;
  for (size_t i = 0; i < program.instructions.size(); ++i) {
    const Instruction &ins = program.instructions[i];
    if (!ins.hasDest || ins.info->flow != Flow::kValue || ins.dest.type != kRegTexCrdOut) continue;
    const int n = ins.dest.number;
    if (n >= kTexCoords) continue;
    combined[n] |= ins.dest.mask;
    if (firstWrite[n] < 0) firstWrite[n] = int(i);
    lastWrite[n] = int(i);
  }
  auto fail = [&](int index, const std::string &message) {
    error->message = message;
    error->instruction = index;
    error->tokenOffset = program.instructions[size_t(index)].tokenOffset;
    return false;
  };
  for (int n = 0; n < kTexCoords; ++n) {
    if (!combined[n]) continue;
    for (int below = 0; below < n; ++below)
      if (!combined[below])
        return fail(firstWrite[n], "oT" + std::to_string(n) + " is written but oT" + std::to_string(below) +
                                       " is not: texture coordinates are written from oT0 up");
    const uint8_t m = combined[n];
    if (m != 0x1 && m != 0x3 && m != 0x7 && m != 0xF)
      return fail(lastWrite[n], "the writes to oT" + std::to_string(n) + " cover " + MaskName(m) +
                                    "; together they must cover .x, .xy, .xyz or .xyzw");
  }
  return true;
}

}  // namespace zel::shader
