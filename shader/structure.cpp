// Whole-program checks of a decoded vertex shader: balanced if/loop/rep blocks, breaks inside
// loops, aL only inside loop, subroutines (label ... ret) after main, defined and non-recursive
// call targets, declared inputs (and vs_3_0 outputs), and the version's instruction slots.
#include <functional>
#include <map>
#include <set>

#include "shader/program.h"

namespace zel::shader {
namespace {

enum class Block { If, Else, Loop, Rep };
constexpr size_t kMaxLoopNesting = 4;   // loop/rep depth every vs_2_0+ device supports
constexpr size_t kMaxBlockNesting = 64;

class StructureChecker {
 public:
  StructureChecker(ShaderProgram *program, ShaderError *error) : program_(program), error_(error) {}

  bool Run() {
    CollectDeclarations();
    for (size_t i = 0; i < program_->instructions.size(); ++i)
      if (!Check(i, program_->instructions[i])) return false;
    if (!blocks_.empty()) return Fail(program_->instructions.size() - 1, "block not closed at the end");
    if (slots_ > MaxInstructionSlots(program_->profile))
      return Fail(program_->instructions.size() - 1, "too many instructions (" + std::to_string(slots_) + " slots)");
    return CheckCalls();
  }

 private:
  bool Fail(size_t index, const std::string &message) {
    error_->message = message;
    error_->instruction = int(index);
    error_->tokenOffset = index < program_->instructions.size() ? program_->instructions[index].tokenOffset : 0;
    return false;
  }

  void CollectDeclarations() {
    for (const Instruction &ins : program_->instructions)
      if (IsDcl(ins)) declared_.insert({ins.dest.type, ins.dest.number});
  }
  bool IsDcl(const Instruction &ins) const { return ins.info->Pattern(program_->profile)[0] == 'U'; }

  // aL belongs to the innermost loop; a subroutine may be called from inside one.
  bool InLoop() const {
    if (current_ != -1) return true;
    for (Block b : blocks_)
      if (b == Block::Loop) return true;
    return false;
  }
  size_t LoopDepth() const {
    size_t depth = 0;
    for (Block b : blocks_) depth += (b == Block::Loop || b == Block::Rep);
    return depth;
  }

  bool CheckOperands(size_t i, const Instruction &ins) {
    const bool mustDeclareOutputs = program_->profile == Profile::Vs30;
    for (uint8_t s = 0; s < ins.sourceCount; ++s) {
      const SourceParam &src = ins.sources[s];
      if (src.relative && src.relType == kRegLoop && !InLoop()) return Fail(i, "aL used outside a loop");
      if (src.type == kRegInput && !src.relative && !declared_.count({kRegInput, src.number}))
        return Fail(i, "input v" + std::to_string(src.number) + " read without a dcl");
      if (src.type == kRegSampler && !declared_.count({kRegSampler, src.number}))
        return Fail(i, "sampler s" + std::to_string(src.number) + " used without a dcl");
    }
    if (ins.hasDest && !IsDcl(ins) && ins.dest.relative && !InLoop()) return Fail(i, "aL used outside a loop");
    if (mustDeclareOutputs && ins.hasDest && !IsDcl(ins) && ins.dest.type == kRegOutput &&
        !ins.dest.relative && !declared_.count({kRegOutput, ins.dest.number}))
      return Fail(i, "output o" + std::to_string(ins.dest.number) + " written without a dcl");
    return true;
  }

  bool CheckBlocks(size_t i, const Instruction &ins) {
    switch (ins.info->flow) {
      case Flow::kIf: blocks_.push_back(Block::If); break;
      case Flow::kLoop: blocks_.push_back(Block::Loop); break;
      case Flow::kRep: blocks_.push_back(Block::Rep); break;
      case Flow::kElse:
        if (blocks_.empty() || blocks_.back() != Block::If) return Fail(i, "else without if");
        blocks_.back() = Block::Else;
        break;
      case Flow::kEndIf:
        if (blocks_.empty() || (blocks_.back() != Block::If && blocks_.back() != Block::Else))
          return Fail(i, "endif without if");
        blocks_.pop_back();
        break;
      case Flow::kEndLoop:
        if (blocks_.empty() || blocks_.back() != Block::Loop) return Fail(i, "endloop without loop");
        blocks_.pop_back();
        break;
      case Flow::kEndRep:
        if (blocks_.empty() || blocks_.back() != Block::Rep) return Fail(i, "endrep without rep");
        blocks_.pop_back();
        break;
      case Flow::kBreak:
        if (!LoopDepth()) return Fail(i, "break outside a loop");
        break;
      default: break;
    }
    if (blocks_.size() > kMaxBlockNesting) return Fail(i, "blocks nested too deeply");
    if (LoopDepth() > kMaxLoopNesting) return Fail(i, "loops nested too deeply");
    return true;
  }

  bool Check(size_t i, const Instruction &ins) {
    const Flow flow = ins.info->flow;
    if (flow == Flow::kLabel) {
      if (!blocks_.empty()) return Fail(i, "label inside a block");
      if (functionOpen_) return Fail(i, "label before the previous function's ret");
      const uint32_t label = ins.sources[0].number;
      if (!labels_.insert(label).second) return Fail(i, "label l" + std::to_string(label) + " defined twice");
      functionOpen_ = true;
      current_ = int(label);
      return true;
    }
    if (!functionOpen_) return Fail(i, "instruction after ret outside any subroutine");
    slots_ += InstructionSlots(ins, program_->profile);
    if (flow == Flow::kRet && blocks_.empty()) {
      functionOpen_ = false;
      return true;
    }
    if (flow == Flow::kCall) calls_[current_].insert(ins.sources[0].number);
    return CheckOperands(i, ins) && CheckBlocks(i, ins);
  }

  bool CheckCalls() {
    for (const auto &[from, targets] : calls_)
      for (uint32_t to : targets)
        if (!labels_.count(to)) return Fail(program_->instructions.size() - 1, "call to undefined l" + std::to_string(to));
    // GLSL has no recursion, and Direct3D forbids it as well.
    std::map<int, int> state;  // 1 = on the current path, 2 = done
    std::function<bool(int)> visit = [&](int f) {
      state[f] = 1;
      for (uint32_t to : calls_[f]) {
        const int s = state[int(to)];
        if (s == 1 || (s == 0 && !visit(int(to)))) return false;
      }
      state[f] = 2;
      return true;
    };
    for (const auto &entry : std::map<int, std::set<uint32_t>>(calls_))
      if (state[entry.first] == 0 && !visit(entry.first))
        return Fail(program_->instructions.size() - 1, "recursive subroutine call");
    return true;
  }

  ShaderProgram *program_;
  ShaderError *error_;
  std::vector<Block> blocks_;
  std::set<std::pair<uint32_t, uint32_t>> declared_;
  std::set<uint32_t> labels_;
  std::map<int, std::set<uint32_t>> calls_;  // caller (-1 = main) -> labels
  bool functionOpen_ = true;                 // main is open from the start
  int current_ = -1;
  uint32_t slots_ = 0;
};

}  // namespace

uint32_t InstructionSlots(const Instruction &ins, Profile profile) {
  return ins.info->Slots(profile) + (ins.predicated && ins.info->flow == Flow::kValue ? 1u : 0u);
}

bool CheckStructure(ShaderProgram *program, ShaderError *error) {
  return StructureChecker(program, error).Run();
}

}  // namespace zel::shader
