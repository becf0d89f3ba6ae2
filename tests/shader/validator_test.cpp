// The bytecode validator: what CreateVertexShader must refuse, that the golden files cover
// the instruction table, and that no corruption of a good stream makes it read out of bounds.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "shader/glsl_writer.h"
#include "shader/program.h"
#include "tests/shader/shader_testing.h"

namespace zel::shader {

namespace {


std::string Check(const std::vector<uint32_t> &tokens) {
  ShaderProgram program;
  ShaderError error;
  if (ValidateVertexShader(tokens.data(), tokens.size(), &program, &error)) return "ok";
  return error.message + " @" + std::to_string(error.tokenOffset);
}

TEST(ShaderValidator, GoldenStreamsPass) {
  for (const std::string &name : zel::shader::test::GoldenShaderNames()) {
    const std::vector<uint32_t> tokens = zel::shader::test::ReadGoldenTokens(name);
    EXPECT_EQ(Check(tokens), "ok") << name;
    EXPECT_EQ(ShaderTokenLength(tokens.data(), tokens.size()), tokens.size()) << name;
  }
}

// Every row of the instruction table appears, in every version that has it, in that version's
// golden file: a row added without a hand-derived golden fails here.
TEST(ShaderValidator, GoldenFilesHoldEveryTableRowInEveryVersionThatHasIt) {
  const std::pair<Profile, const char *> files[] = {
      {Profile::Vs11, "vs11_all"}, {Profile::Vs20, "vs20_all"}, {Profile::Vs2x, "vs2x_all"}, {Profile::Vs30, "vs30_all"}};
  size_t rows = 0;
  const InstructionInfo *table = InstructionTable(&rows);
  for (const auto &[profile, name] : files) {
    SCOPED_TRACE(name);
    const std::vector<uint32_t> tokens = zel::shader::test::ReadGoldenTokens(name);
    ShaderProgram program;
    ShaderError error;
    ASSERT_TRUE(ValidateVertexShader(tokens.data(), tokens.size(), &program, &error)) << error.message;
    ASSERT_EQ(program.profile, profile);
    std::set<const InstructionInfo *> seen;
    for (const Instruction &ins : program.instructions) seen.insert(ins.info);
    for (size_t i = 0; i < rows; ++i) {
      if (!table[i].Pattern(profile)) continue;
      EXPECT_TRUE(seen.count(&table[i])) << "no " << table[i].mnemonic << (table[i].comparison ? "_comp" : "");
    }
  }
}

TEST(ShaderValidator, RefusesBadStreamsWithTheOffendingToken) {
  const uint32_t v11 = 0xFFFE0101, v20 = 0xFFFE0200, end = 0xFFFF;
  const uint32_t movR0C0[] = {0x02000001, 0x800F0000, 0xA0E40000};
  const struct {
    std::vector<uint32_t> tokens;
    const char *expected;
  } cases[] = {
      {{}, "empty token stream @0"},
      {{0xFFFF0200, end}, "unsupported shader version 0xFFFF0200 @0"},  // a pixel shader
      {{0xFFFE0400, end}, "unsupported shader version 0xFFFE0400 @0"},
      {{v20, movR0C0[0], movR0C0[1], movR0C0[2]}, "missing end token @3"},
      {{v20, 0x00000077, end}, "opcode 119 is not a vs_2_0 instruction @1"},
      {{v11, 0x00000023, 0x800F0000, 0x80E40001, end}, "opcode 35 is not a vs_1_1 instruction @1"},  // abs
      {{v20, 0x03000001, 0x800F0000, 0xA0E40000, end}, "instruction length 3 but its operands take 2 @1"},
      {{v20, 0x02000001, 0x800F000C, 0xA0E40000, end}, "register r12 out of range @2"},
      {{v20, 0x02000001, 0x800F0000, 0xA0E40100, end}, "register c256 out of range @3"},
      {{v20, 0x02000001, 0x800F0000, 0x00E40000, end}, "source token 0x00E40000 lacks its parameter bit @3"},
      {{v20, 0x02000001, 0x80000000, 0xA0E40000, end}, "empty write mask @2"},
      {{v20, 0x02000001, 0x900F0000, 0xA0E40000, end}, "register type 1 cannot be written here @2"},
      {{v20, 0x02000001, 0x800F0000, 0xA0E42000, end}, "relative address token lacks its parameter bit @3"},
      {{v20, 0x03000001, 0x800F0000, 0xA0E42000, 0x80E40000, end}, "relative addressing uses a0 or aL only @4"},
      {{v20, 0x0000002B, end}, "endif without if @1"},
      {{v20, MakeComment(5), 1, 2, end}, "comment runs past the end of the stream @1"},
      {{v20, 0x02000001, 0x800F0000}, "instruction runs past the end of the stream @3"},
      {{v20, 0x42000001, 0x800F0000, 0xA0E40000, end}, "co-issue and reserved bits must be clear @1"},
      {{v20, 0x12000001, 0x800F0000, 0xA0E40000, end}, "predication needs vs_2_x or vs_3_0 @1"},
  };
  for (const auto &c : cases) EXPECT_EQ(Check(c.tokens), c.expected);
}

TEST(ShaderValidator, CommentsAnywhereAreSkipped) {
  const std::vector<uint32_t> tokens = {0xFFFE0200, MakeComment(2), 0x12345678, 0xFFFF, 0x02000001, 0x800F0000,
                                        0xA0E40000, MakeComment(0), 0xFFFF};
  EXPECT_EQ(Check(tokens), "ok");
  EXPECT_EQ(ShaderTokenLength(tokens.data(), tokens.size()), tokens.size());
  EXPECT_EQ(ShaderTokenLength(tokens.data(), tokens.size() - 1), 0u);
}

// Immediate values that look like an end token (65535) or a comment (-2) are data, not structure.
TEST(ShaderValidator, ImmediatesThatLookLikeEndOrCommentTokens) {
  const std::vector<uint32_t> tokens = {0xFFFE0200, 0x05000030, 0xF00F0000, 0x0000FFFF, 0xFFFFFFFE, 0xFFFE, 0,
                                        0x05000051, 0xA00F0000, 0x0000FFFF, 0, 0, 0, 0x0000FFFF};
  EXPECT_EQ(ShaderTokenLength(tokens.data(), tokens.size()), tokens.size());
  EXPECT_EQ(Check(tokens), "ok");
  const std::vector<uint32_t> v11 = {0xFFFE0101, 0x00000051, 0xA00F0000, 0x0000FFFF, 0xFFFFFFFE, 0, 0, 0x0000FFFF};
  EXPECT_EQ(ShaderTokenLength(v11.data(), v11.size()), v11.size());
  EXPECT_EQ(Check(v11), "ok");
}

// With only a pointer (a generous limit), a wrong length field stops the scan at the
// instruction's last operand instead of sending it past the stream.
TEST(ShaderValidator, LengthScanStopsAtTheFirstMalformedInstruction) {
  const std::vector<uint32_t> badLength = {0xFFFE0200, 0x03000001, 0x800F0000, 0xA0E40000};
  EXPECT_EQ(ShaderTokenLength(badLength.data(), 1u << 16), 0u);
  const std::vector<uint32_t> unknown = {0xFFFE0101, 0x00000077};
  EXPECT_EQ(ShaderTokenLength(unknown.data(), 1u << 16), 0u);
}

// Tokens placed so that they end where a page the process may not read begins: a read past
// the stream stops the test there and then, in any build (the sanitizer build watches too).
class GuardedTokens {
 public:
  explicit GuardedTokens(size_t maxTokens) {
    page_ = size_t(sysconf(_SC_PAGESIZE));
    bytes_ = (maxTokens * sizeof(uint32_t) + page_ - 1) / page_ * page_;
    base_ = static_cast<char *>(mmap(nullptr, bytes_ + page_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    guarded_ = base_ != MAP_FAILED && mprotect(base_ + bytes_, page_, PROT_NONE) == 0;
  }
  ~GuardedTokens() {
    if (base_ != MAP_FAILED) munmap(base_, bytes_ + page_);
  }
  bool Guarded() const { return guarded_; }
  const uint32_t *Place(const std::vector<uint32_t> &tokens) {
    uint32_t *end = reinterpret_cast<uint32_t *>(base_ + bytes_);
    std::copy(tokens.begin(), tokens.end(), end - tokens.size());
    return end - tokens.size();
  }

 private:
  size_t page_ = 0, bytes_ = 0;
  char *base_ = nullptr;
  bool guarded_ = false;
};

// Every single-token corruption and every truncation of the golden streams is accepted or
// refused without a read past its end. A refusal names a token inside the stream; an
// accepted stream ends inside it, is measured the same by ShaderTokenLength and translates.
// A changed version token and a lost end token are always refused.
TEST(ShaderValidator, CorruptedStreamsNeverCrash) {
  std::mt19937 random(1234);
  const uint32_t interesting[] = {0, 0xFFFFFFFF, 0xFFFF, 0xFFFE, 0x7FFFFFFE, 0x80000000, 0x0F000000, 0x10000000};
  GuardedTokens guard(4096);
  ASSERT_TRUE(guard.Guarded());
  size_t accepted = 0, refused = 0;
  auto validate = [&](const std::vector<uint32_t> &tokens) {
    const uint32_t *placed = guard.Place(tokens);
    ShaderProgram program;
    ShaderError error;
    const bool ok = ValidateVertexShader(placed, tokens.size(), &program, &error);
    if (ok) {
      ++accepted;
      EXPECT_LE(program.tokenCount, tokens.size());
      EXPECT_EQ(ShaderTokenLength(placed, tokens.size()), program.tokenCount);
      EXPECT_NE(WriteVertexGlsl(program).find("void main()"), std::string::npos);
    } else {
      ++refused;
      EXPECT_FALSE(error.message.empty());
      EXPECT_LE(error.tokenOffset, tokens.size());
    }
    return ok;
  };
  for (const std::string &name : zel::shader::test::GoldenShaderNames()) {
    SCOPED_TRACE(name);
    const std::vector<uint32_t> golden = zel::shader::test::ReadGoldenTokens(name);
    ASSERT_LE(golden.size(), 4096u);
    for (size_t length = 0; length < golden.size(); ++length)
      EXPECT_FALSE(validate(std::vector<uint32_t>(golden.begin(), golden.begin() + long(length)))) << length;
    for (size_t i = 0; i < golden.size(); ++i) {
      for (int trial = 0; trial < 24; ++trial) {
        std::vector<uint32_t> bad = golden;
        bad[i] = trial < 8 ? interesting[trial] : (trial < 16 ? bad[i] ^ (1u << random() % 32) : uint32_t(random()));
        Profile profile;
        const bool versionBroken = i == 0 && !ProfileFromVersion(bad[0], &profile);
        const bool endLost = i + 1 == golden.size() && bad[i] != kEndToken;
        if (validate(bad) && (versionBroken || endLost)) ADD_FAILURE() << "accepted a corrupted token " << i;
      }
    }
  }
  // Both answers come up: corruption is caught, and harmless changes (an immediate value, a
  // swizzle) are let through.
  EXPECT_GT(accepted, 0u);
  EXPECT_GT(refused, accepted);
}

}  // namespace

}  // namespace zel::shader
