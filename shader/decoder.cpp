// Token stream -> ShaderProgram, checking every token against the instruction table and the
// register files of the shader's version, and each instruction against its row's operand
// rules. Structure (blocks, subroutines, declarations) and the output writes of the whole
// program are checked afterwards (structure.cpp, operand_rules.cpp).
#include <cstdio>

#include "shader/program.h"

namespace zel::shader {

bool CheckStructure(ShaderProgram *program, ShaderError *error);         // structure.cpp
bool CheckOutputWrites(const ShaderProgram &program, ShaderError *error);  // operand_rules.cpp

namespace {

std::string Hex(uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", v);
  return text;
}

class Decoder {
 public:
  Decoder(const uint32_t *tokens, size_t count, ShaderProgram *program, ShaderError *error)
      : tokens_(tokens), count_(count), program_(program), error_(error) {}

  bool Run() {
    if (count_ == 0 || !tokens_) return Fail(0, "empty token stream");
    if (!ProfileFromVersion(tokens_[0], &program_->profile))
      return Fail(0, "unsupported shader version " + Hex(tokens_[0]));
    pos_ = 1;
    while (true) {
      if (pos_ >= count_) return Fail(uint32_t(count_ ? count_ - 1 : 0), "missing end token");
      const uint32_t token = tokens_[pos_];
      if (token == kEndToken) break;
      if (IsComment(token)) {
        const size_t length = CommentLength(token);
        if (length >= count_ - pos_) return Fail(pos_, "comment runs past the end of the stream");
        pos_ += 1 + length;
        continue;
      }
      if (!ReadInstruction()) return false;
    }
    program_->tokenCount = pos_ + 1;
    return true;
  }

 private:
  bool Fail(size_t offset, const std::string &message) {
    error_->message = message;
    error_->tokenOffset = uint32_t(offset);
    error_->instruction = int(program_->instructions.size());
    return false;
  }

  bool Next(uint32_t *token) {
    if (pos_ >= count_) return Fail(pos_, "instruction runs past the end of the stream");
    *token = tokens_[pos_++];
    return true;
  }

  bool ReadInstruction() {
    const size_t start = pos_;
    const uint32_t token = tokens_[pos_++];
    Instruction ins;
    ins.tokenOffset = uint32_t(start);
    const Profile profile = program_->profile;
    if (token & kParamBit) return Fail(start, "parameter token " + Hex(token) + " where an instruction was expected");
    ins.info = FindOpcode(uint16_t(token & kOpcodeMask), profile);
    if (!ins.info)
      return Fail(start, "opcode " + std::to_string(token & kOpcodeMask) + " is not a " + ProfileName(profile) +
                             " instruction");
    if (token & (kCoissueBit | (1u << 29))) return Fail(start, "co-issue and reserved bits must be clear");
    const uint32_t control = (token & kControlMask) >> kControlShift;
    if (ins.info->comparison) {
      if (control < kCmpGt || control > kCmpLe) return Fail(start, "bad comparison " + std::to_string(control));
      ins.comparison = uint8_t(control);
    } else if (control) {
      return Fail(start, "instruction controls must be zero for " + std::string(ins.info->mnemonic));
    }
    if (token & kPredicatedBit) {
      if (!RegisterCount(profile, kRegPredicate)) return Fail(start, "predication needs vs_2_x or vs_3_0");
      if (!ins.info->predicable) return Fail(start, std::string(ins.info->mnemonic) + " cannot be predicated");
      ins.predicated = true;
    }
    if (!ReadOperands(&ins)) return false;
    const uint32_t length = (token & kLengthMask) >> kLengthShift;
    const size_t used = pos_ - start - 1;
    if (HasLengthField(profile) ? length != used : (length != 0 && length != used))
      return Fail(start, "instruction length " + std::to_string(length) + " but its operands take " +
                             std::to_string(used));
    const std::string fault = OperandRuleFault(ins, profile);
    if (!fault.empty()) return Fail(start, fault);
    program_->instructions.push_back(ins);
    return true;
  }

  bool ReadOperands(Instruction *ins) {
    bool first = true;
    for (const char *p = ins->info->Pattern(program_->profile); *p; ++p, first = false) {
      const char kind = *p;
      switch (kind) {
        case 'd': case 'a': case 'A': case 'P':
          if (!ReadDest(kind, ins)) return false;
          break;
        case 'F': case 'N': case 'B':
          if (!ReadDefinition(kind, ins)) return false;
          break;
        case 'U':
          if (!ReadDeclaration(ins)) return false;
          break;
        default:
          if (ins->sourceCount >= 3) return Fail(pos_, "too many sources");
          if (!ReadSource(kind, &ins->sources[ins->sourceCount++])) return false;
          break;
      }
      // The predicate sits after the destination (or first, when there is none).
      if (ins->predicated && (first && ins->hasDest)) {
        if (!ReadSource('p', &ins->predicate)) return false;
      }
    }
    if (ins->predicated && !ins->hasDest) return Fail(pos_, "predicated instruction without a destination");
    return true;
  }

  bool ReadDest(char kind, Instruction *ins) {
    const size_t at = pos_;
    uint32_t token;
    if (!Next(&token)) return false;
    if (!(token & kParamBit)) return Fail(at, "destination token " + Hex(token) + " lacks its parameter bit");
    DestParam &d = ins->dest;
    ins->hasDest = true;
    d.type = uint8_t(TokenRegisterType(token));
    d.number = uint16_t(token & kRegNumberMask);
    d.mask = uint8_t((token >> kWriteMaskShift) & 0xF);
    d.resultModifier = uint8_t((token >> kResultModShift) & 0xF);
    const Profile profile = program_->profile;
    if ((token >> kShiftScaleShift) & 0xF) return Fail(at, "vertex shaders have no result shift");
    if (d.resultModifier & ~kResultSaturate) return Fail(at, "result modifier not allowed in a vertex shader");
    if (d.resultModifier && profile != Profile::Vs30) return Fail(at, "_sat needs vs_3_0");
    if (d.mask == 0) return Fail(at, "empty write mask");
    bool typeOk = false;
    switch (kind) {
      case 'A': typeOk = d.type == kRegAddr; break;
      case 'P': typeOk = d.type == kRegPredicate; break;
      default:
        typeOk = d.type == kRegTemp || d.type == kRegRastOut || d.type == kRegAttrOut || d.type == kRegTexCrdOut ||
                 (kind == 'a' && d.type == kRegAddr);
        break;
    }
    if (!typeOk) return Fail(at, "register type " + std::to_string(d.type) + " cannot be written here");
    if (!CheckNumber(at, d.type, d.number)) return false;
    if (d.type == kRegAddr && profile == Profile::Vs11 && d.mask != 1) return Fail(at, "a0 has only .x in vs_1_1");
    // oFog and oPts hold one value: "no explicit write mask allowed on a scalar register"
    // (DirectX 9.0) and "must use only one mask" (later pages). Both read as: .x alone, which
    // is what the assembler writes for "oFog" and "oFog.x".
    if (d.type == kRegRastOut && d.number != kRastPosition && d.mask != 0x1) {
      const std::string name = RegisterName(profile, d.type, d.number);
      return Fail(at, name + " is a scalar: write it as " + name + " or " + name + ".x");
    }
    if (token & kRelativeBit) {
      if (profile != Profile::Vs30 || d.type != kRegOutput)
        return Fail(at, "relative addressing of a destination needs a vs_3_0 output register");
      SourceParam rel;
      if (!ReadRelative(at, &rel)) return false;
      if (rel.relType != kRegLoop) return Fail(at, "output registers are indexed by aL only");
      d.relative = true;
    }
    return true;
  }

  bool CheckNumber(size_t at, uint32_t type, uint32_t number) {
    const uint32_t count = RegisterCount(program_->profile, type);
    if (count == 0)
      return Fail(at, "register type " + std::to_string(type) + " does not exist in " + ProfileName(program_->profile));
    if (number >= count) return Fail(at, "register " + RegisterName(program_->profile, type, number) + " out of range");
    return true;
  }

  // Shader model 2.0 on: a second token names the index register (a0 component or aL).
  // vs_1_1: the index is always a0.x and takes no token.
  bool ReadRelative(size_t at, SourceParam *src) {
    src->relative = true;
    if (!HasLengthField(program_->profile)) {
      src->relType = kRegAddr;
      src->relComponent = 0;
      return true;
    }
    uint32_t token;
    if (!Next(&token)) return false;
    if (!(token & kParamBit)) return Fail(at, "relative address token lacks its parameter bit");
    const uint32_t type = TokenRegisterType(token);
    if ((type != kRegAddr && type != kRegLoop) || (token & kRegNumberMask) != 0 || (token & kRelativeBit))
      return Fail(pos_ - 1, "relative addressing uses a0 or aL only");
    if (type == kRegLoop && !RegisterCount(program_->profile, kRegLoop)) return Fail(pos_ - 1, "no aL register");
    src->relType = uint8_t(type);
    src->relComponent = uint8_t(SwizzleComponent(uint8_t(token >> kSwizzleShift), 0));
    return true;
  }

  bool ReadSource(char kind, SourceParam *s) {
    const size_t at = pos_;
    uint32_t token;
    if (!Next(&token)) return false;
    if (!(token & kParamBit)) return Fail(at, "source token " + Hex(token) + " lacks its parameter bit");
    s->type = uint8_t(TokenRegisterType(token));
    s->number = uint16_t(token & kRegNumberMask);
    s->swizzle = uint8_t(token >> kSwizzleShift);
    s->modifier = uint8_t((token >> kSourceModShift) & 0xF);
    if (token & ((1u << 14) | (1u << 15))) return Fail(at, "reserved source bits set");
    const Profile profile = program_->profile;
    bool typeOk = false;
    bool modOk = s->modifier == kSrcNone;
    switch (kind) {
      case 't': typeOk = s->type == kRegTemp; break;
      case 'k': typeOk = s->type == kRegConst; break;
      case 's':
        typeOk = s->type == kRegTemp || s->type == kRegInput || s->type == kRegConst;
        modOk = s->modifier == kSrcNone || s->modifier == kSrcNeg ||
                (profile == Profile::Vs30 && (s->modifier == kSrcAbs || s->modifier == kSrcAbsNeg));
        break;
      case 'L': typeOk = s->type == kRegLabel; break;
      case 'q':
        typeOk = s->type == kRegConstBool || s->type == kRegPredicate;
        modOk = modOk || (s->type == kRegPredicate && s->modifier == kSrcNot);
        break;
      case 'p':
        typeOk = s->type == kRegPredicate;
        modOk = modOk || s->modifier == kSrcNot;
        break;
      case 'I': typeOk = s->type == kRegConstInt; break;
      case 'O': typeOk = s->type == kRegLoop; break;
      case 'S': typeOk = s->type == kRegSampler; break;
    }
    if (!typeOk) return Fail(at, "register type " + std::to_string(s->type) + " cannot be read here");
    if (!modOk) return Fail(at, "source modifier " + std::to_string(s->modifier) + " not allowed here");
    if (!CheckNumber(at, s->type, s->number)) return false;
    if (token & kRelativeBit) {
      const bool constRel = s->type == kRegConst;
      const bool inputRel = s->type == kRegInput && profile == Profile::Vs30;
      if (kind != 's' || (!constRel && !inputRel)) return Fail(at, "this register cannot be relatively addressed");
      if (!ReadRelative(at, s)) return false;
    }
    return true;
  }

  bool ReadDefinition(char kind, Instruction *ins) {
    const size_t at = pos_;
    uint32_t token;
    if (!Next(&token)) return false;
    const uint32_t wanted = kind == 'F' ? kRegConst : kind == 'N' ? kRegConstInt : kRegConstBool;
    if (!(token & kParamBit) || TokenRegisterType(token) != wanted || (token & kRelativeBit))
      return Fail(at, std::string(ins->info->mnemonic) + " defines the wrong register type");
    ins->hasDest = true;
    ins->dest.type = uint8_t(wanted);
    ins->dest.number = uint16_t(token & kRegNumberMask);
    ins->dest.mask = uint8_t((token >> kWriteMaskShift) & 0xF);
    if (!CheckNumber(at, wanted, ins->dest.number)) return false;
    const int values = kind == 'B' ? 1 : 4;
    for (int i = 0; i < values; ++i)
      if (!Next(&ins->immediate[i])) return false;
    return true;
  }

  bool ReadDeclaration(Instruction *ins) {
    const size_t at = pos_;
    uint32_t usage;
    if (!Next(&usage)) return false;
    if (!(usage & kParamBit)) return Fail(at, "dcl token lacks its parameter bit");
    const size_t regAt = pos_;
    uint32_t token;
    if (!Next(&token)) return false;
    if (!(token & kParamBit) || (token & kRelativeBit)) return Fail(regAt, "bad dcl register token");
    DestParam &d = ins->dest;
    ins->hasDest = true;
    d.type = uint8_t(TokenRegisterType(token));
    d.number = uint16_t(token & kRegNumberMask);
    d.mask = uint8_t((token >> kWriteMaskShift) & 0xF);
    if (!CheckNumber(regAt, d.type, d.number)) return false;
    if (d.type == kRegSampler) {
      ins->samplerType = uint8_t((usage >> 27) & 0xF);
      if (!SamplerTypeName(ins->samplerType)) return Fail(at, "bad sampler type");
      return true;
    }
    if (d.type != kRegInput && !(d.type == kRegOutput && program_->profile == Profile::Vs30))
      return Fail(regAt, "dcl declares inputs (and vs_3_0 outputs and samplers) only");
    ins->usage = uint8_t(usage & 0x1F);
    ins->usageIndex = uint8_t((usage >> 16) & 0xF);
    if (!UsageName(ins->usage)) return Fail(at, "bad declaration usage " + std::to_string(ins->usage));
    if (d.mask == 0) return Fail(regAt, "empty dcl write mask");
    return true;
  }

  const uint32_t *tokens_;
  size_t count_;
  size_t pos_ = 0;
  ShaderProgram *program_;
  ShaderError *error_;
};

}  // namespace

// Reads exactly as the validator does (token by token, each checked before the next is
// read), so a caller holding a bare pointer stops at the first malformed token rather than
// following a bad length field, and immediates that look like an end token stay data.
size_t ShaderTokenLength(const uint32_t *tokens, size_t maxTokens) {
  ShaderProgram program;
  ShaderError error;
  Decoder decoder(tokens, maxTokens, &program, &error);
  return decoder.Run() ? program.tokenCount : 0;
}

bool ValidateVertexShader(const uint32_t *tokens, size_t maxTokens, ShaderProgram *program, ShaderError *error) {
  *program = ShaderProgram();
  Decoder decoder(tokens, maxTokens, program, error);
  if (!decoder.Run()) return false;
  return CheckStructure(program, error) && CheckOutputWrites(*program, error);
}

}  // namespace zel::shader
