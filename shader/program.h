// A vertex shader token stream decoded into instructions, and the validator that produces it.
// The validator accepts only what the instruction table and the version's register files
// allow, never reads past the tokens it is given, and reports the first fault with its token
// offset. The translator and the disassembler work on the decoded form only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "shader/opcode_table.h"

namespace zel::shader {

struct SourceParam {
  uint8_t type = 0;          // RegisterType
  uint16_t number = 0;
  uint8_t swizzle = kSwizzleIdentity;  // 2 bits per component, component 0 lowest
  uint8_t modifier = kSrcNone;         // SourceModifier
  bool relative = false;     // indexed by relType (a0 or aL) component relComponent
  uint8_t relType = kRegAddr;
  uint8_t relComponent = 0;  // 0..3 = x..w
};

struct DestParam {
  uint8_t type = 0;
  uint16_t number = 0;
  uint8_t mask = 0xF;        // bit i = component i written
  uint8_t resultModifier = 0;
  bool relative = false;     // vs_3_0 outputs indexed by aL
};

struct Instruction {
  const InstructionInfo *info = nullptr;
  uint8_t comparison = 0;    // Comparison for ifc/breakc/setp, else 0
  bool predicated = false;
  SourceParam predicate;     // valid when predicated
  bool hasDest = false;
  DestParam dest;            // also the register of dcl, def, defi, defb
  uint8_t sourceCount = 0;
  SourceParam sources[3];    // in pattern order, scratch and helper operands of macros included
  uint32_t immediate[4] = {0, 0, 0, 0};  // def/defi/defb values, raw bits
  uint8_t usage = 0, usageIndex = 0, samplerType = 0;  // dcl
  uint32_t tokenOffset = 0;  // index of the instruction token in the stream

  uint16_t opcode() const { return info->opcode; }
};

struct ShaderProgram {
  Profile profile = Profile::Vs11;
  std::vector<Instruction> instructions;
  size_t tokenCount = 0;     // tokens up to and including the end token
};

struct ShaderError {
  std::string message;
  uint32_t tokenOffset = 0;  // offending token
  int instruction = -1;      // index into the instructions decoded so far, -1 if none
};

// Decodes and validates at most maxTokens tokens. On failure returns false with the first fault.
bool ValidateVertexShader(const uint32_t *tokens, size_t maxTokens, ShaderProgram *program, ShaderError *error);

// Tokens from the start up to and including the end token, read as the validator reads them
// (so reading stops at the first malformed token); 0 when the tokens up to there are not a
// well-formed stream or no end token lies within maxTokens. For callers holding only a pointer.
size_t ShaderTokenLength(const uint32_t *tokens, size_t maxTokens);

// Instruction slots an instruction takes in a profile: its row's count, plus one for a
// predicate on an instruction that computes a value (flow control takes its predicate free).
uint32_t InstructionSlots(const Instruction &ins, Profile profile);

// The documented operand rules of one decoded instruction (operand_rules.cpp): an empty
// string when it keeps them, else what it breaks.
std::string OperandRuleFault(const Instruction &ins, Profile profile);

// Component index selected by swizzle for component i.
constexpr uint32_t SwizzleComponent(uint8_t swizzle, uint32_t i) { return (swizzle >> (2 * i)) & 3u; }

}  // namespace zel::shader
