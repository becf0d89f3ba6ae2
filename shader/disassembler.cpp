// The disassembler: one line per instruction, in the syntax the assembler reads.
#include "shader/disassembler.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace zel::shader {
namespace {

constexpr char kComponents[] = "xyzw";

std::string MaskText(uint8_t mask, bool always) {
  if (mask == 0xF && !always) return "";
  std::string s = ".";
  for (int i = 0; i < 4; ++i)
    if (mask & (1 << i)) s += kComponents[i];
  return s;
}

std::string SwizzleText(uint8_t swizzle) {
  if (swizzle == kSwizzleIdentity) return "";
  std::string s = ".";
  const bool replicate = swizzle == (swizzle & 3) * 0x55;
  for (int i = 0; i < (replicate ? 1 : 4); ++i) s += kComponents[SwizzleComponent(swizzle, uint32_t(i))];
  return s;
}

// "c[a0.x + 5]", "v[aL]"; the register's own letters without its number.
std::string RelativeText(Profile profile, uint32_t type, uint32_t number, uint8_t relType, uint8_t relComponent) {
  std::string name = RegisterName(profile, type, 0);
  name.resize(name.size() - 1);  // drop the "0"
  std::string index = relType == kRegLoop ? "aL" : std::string("a0.") + kComponents[relComponent & 3];
  if (number) index += " + " + std::to_string(number);
  return name + "[" + index + "]";
}

std::string SourceText(Profile profile, const SourceParam &s) {
  std::string text;
  if (s.modifier == kSrcNeg || s.modifier == kSrcAbsNeg) text += "-";
  if (s.modifier == kSrcNot) text += "!";
  text += s.relative ? RelativeText(profile, s.type, s.number, s.relType, s.relComponent)
                     : RegisterName(profile, s.type, s.number);
  if (s.modifier == kSrcAbs || s.modifier == kSrcAbsNeg) text += "_abs";
  return text + SwizzleText(s.swizzle);
}

// Macros whose text default is not .xyzw always show their mask, so the text gives back the token.
std::string DestText(Profile profile, const DestParam &d, bool alwaysMask) {
  const std::string reg = d.relative ? RelativeText(profile, d.type, d.number, kRegLoop, 0)
                                     : RegisterName(profile, d.type, d.number);
  return reg + MaskText(d.mask, alwaysMask);
}

std::string FloatText(uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, 4);
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", double(value));  // nine digits give back the same float
  return text;
}

std::string MnemonicText(Profile profile, const Instruction &ins) {
  std::string text = ins.info->mnemonic;
  if (ins.info->Pattern(profile)[0] == 'U') {
    if (ins.dest.type == kRegSampler) return text + "_" + SamplerTypeName(ins.samplerType);
    text += std::string("_") + UsageName(ins.usage);
    if (ins.usageIndex) text += std::to_string(ins.usageIndex);
    return text;
  }
  if (ins.comparison) text += std::string("_") + ComparisonName(ins.comparison);
  if (ins.hasDest && (ins.dest.resultModifier & kResultSaturate)) text += "_sat";
  return text;
}

std::string OperandsText(Profile profile, const Instruction &ins) {
  std::string text;
  auto add = [&text](const std::string &operand) { text += (text.empty() ? " " : ", ") + operand; };
  switch (ins.info->Pattern(profile)[0]) {  // the definitions: a register, then its values
    case 'F':
      add(RegisterName(profile, ins.dest.type, ins.dest.number));
      for (uint32_t v : ins.immediate) add(FloatText(v));
      return text;
    case 'N':
      add(RegisterName(profile, ins.dest.type, ins.dest.number));
      for (uint32_t v : ins.immediate) add(std::to_string(int32_t(v)));
      return text;
    case 'B':
      add(RegisterName(profile, ins.dest.type, ins.dest.number));
      add(ins.immediate[0] ? "true" : "false");
      return text;
    default: break;
  }
  if (ins.hasDest) add(DestText(profile, ins.dest, ins.info->defaultMask != 0xF));
  for (uint8_t i = 0; i < ins.sourceCount; ++i) add(SourceText(profile, ins.sources[i]));
  return text;
}

}  // namespace

std::string DisassembleShader(const ShaderProgram &program) {
  std::string text = std::string(ProfileName(program.profile)) + "\n";
  int depth = 0;
  for (const Instruction &ins : program.instructions) {
    const Flow flow = ins.info->flow;
    if (flow == Flow::kElse || flow == Flow::kEndIf || flow == Flow::kEndLoop || flow == Flow::kEndRep) --depth;
    text += std::string(size_t(depth > 0 ? depth * 2 : 0), ' ');
    if (ins.predicated) text += "(" + SourceText(program.profile, ins.predicate) + ") ";
    text += MnemonicText(program.profile, ins) + OperandsText(program.profile, ins) + "\n";
    if (flow == Flow::kIf || flow == Flow::kElse || flow == Flow::kLoop || flow == Flow::kRep) ++depth;
  }
  return text;
}

}  // namespace zel::shader
