// Assembler: golden token streams, and the faults it must refuse with file and line.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "shader/assembler.h"
#include "tests/shader/shader_testing.h"

namespace zel::shader {

namespace {

using zel::shader::test::Assembled;
using zel::shader::test::AssembleText;

std::string Hex(const std::vector<uint32_t> &tokens) {
  std::string s;
  char word[12];
  for (uint32_t t : tokens) {
    std::snprintf(word, sizeof word, "%08X ", t);
    s += word;
  }
  return s;
}

TEST(ShaderAssembler, GoldenFilesAssembleToTheirHandWrittenTokens) {
  for (const std::string &name : zel::shader::test::GoldenShaderNames()) {
    SCOPED_TRACE(name);
    const Assembled a = AssembleText(zel::shader::test::ReadText(zel::shader::test::GoldenPath(name, ".vsh")));
    ASSERT_TRUE(a.ok) << a.errors;
    EXPECT_EQ(Hex(a.tokens), Hex(zel::shader::test::ReadGoldenTokens(name)));
  }
}

TEST(ShaderAssembler, AcceptsSpellingVariants) {
  // Upper-case registers, rgba components, dotted version, short swizzles repeat the last letter.
  const Assembled a = AssembleText("VS.1.1\ndcl_position0 v0\nMOV oPos, V0.xy\nmov oD0.rgba, c1.b\n");
  ASSERT_TRUE(a.ok) << a.errors;
  const std::vector<uint32_t> expected = {0xFFFE0101, 0x1F, 0x80000000, 0x900F0000, 0x1, 0xC00F0000,
                                          0x90540000, 0x1, 0xD00F0000, 0xA0AA0001, 0xFFFF};
  EXPECT_EQ(Hex(a.tokens), Hex(expected));
}

struct Rejection {
  const char *text;
  const char *message;  // expected inside the error text, with its line
};

TEST(ShaderAssembler, RejectsWhatTheProfileDoesNotAllow) {
  const Rejection cases[] = {
      {"vs_1_1\nfoo r0, r1\n", "memory(2): unknown instruction 'foo'"},
      {"vs_1_1\nmov r0, r1\nmova a0.x, r0.x\n", "memory(3): 'mova' is not allowed in vs_1_1"},
      {"vs_1_1\nmov r12, c0\n", "memory(2): register r12 out of range"},
      {"vs_2_x\nmov r32, c0\n", "memory(2): register r32 out of range"},
      {"vs_1_1\nmov r0, c256\n", "memory(2): register c256 out of range"},
      {"vs_1_1\nmov r0, v0\n", "memory(2): input v0 read without a dcl"},
      {"vs_1_1\nadd r0, r1\n", "memory(2): expected ','"},
      {"vs_1_1\nadd r0, r1, r2, r3\n", "memory(2): unexpected ','"},
      {"vs_1_1\nmov r0, r1_abs\n", "memory(2): source modifier 11 not allowed here"},
      {"vs_2_0\nmov_sat r0, r1\n", "memory(2): _sat needs vs_3_0"},
      {"vs_2_0\nmov r0.yx, r1\n", "memory(2): bad write mask '.yx'"},
      {"vs_2_0\nmov r0, r1.xyzwx\n", "memory(2): bad swizzle"},
      {"vs_1_1\nmov r0, c[a0.y]\n", "memory(2): vs_1_1 indexes by a0.x only"},
      {"vs_2_0\nmov r0, r1[a0.x]\n", "memory(2): this register cannot be relatively addressed"},
      {"vs_2_0\nsetp_gt p0, r0, r1\n", "memory(2): 'setp' is not allowed in vs_2_0"},
      {"vs_2_0\nif b0\nmov r0, c0\n", "block not closed"},
      {"vs_2_0\nendif\n", "memory(2): endif without if"},
      {"vs_2_x\nbreak\n", "memory(2): break outside a loop"},
      {"vs_2_0\ncall l3\nret\n", "call to undefined l3"},
      {"vs_2_0\ncall l0\nret\nlabel l0\ncall l0\nret\n", "recursive subroutine call"},
      {"vs_2_0\nadd r0, r0, c[aL]\n", "memory(2): aL used outside a loop"},
      {"vs_3_0\nmov oT0, r0\n", "memory(2): vs_3_0 writes outputs to o registers"},
      {"vs_3_0\nmov o0, r0\n", "memory(2): output o0 written without a dcl"},
      {"vs_1_1\nmov o0, r0\n", "memory(2): o registers need vs_3_0"},
      {"vs_1_1\ndef c0, 1.0, 2.0, 3.0\n", "memory(2): expected ','"},
      {"vs_1_1\ndef c0, 1.0, x, 3.0, 4.0\n", "memory(2): expected a number"},
      {"vs_2_0\nif_gt r0.x, r1.x\nendif\n", "'if' takes no comparison"},
      {"ps_2_0\nmov r0, r1\n", "memory(1): pixel shaders are not supported"},
      {"mov r0, r1\n", "memory(1): expected a shader version"},
      {"", "memory(1): missing shader version"},
      {"vs_1_1\nmov r0, c0 $\n", "memory(2): unexpected character '$'"},
      {"vs_1_1\ndcl_foo v0\n", "memory(2): unknown dcl usage 'foo'"},
      {"vs_1_1\nmad r0, c0, c0, c1\n", "memory(2): mad reads 2 different constant registers"},
      {"vs_2_0\ndcl_position v0\ndcl_normal v1\nadd r0, v0, v1\n", "memory(4): add reads 2 different input"},
  };
  for (const Rejection &c : cases) {
    SCOPED_TRACE(c.text);
    const Assembled a = AssembleText(c.text);
    EXPECT_FALSE(a.ok);
    EXPECT_TRUE(a.tokens.empty());
    EXPECT_NE(a.errors.find(c.message), std::string::npos) << a.errors;
  }
}

TEST(ShaderAssembler, ReportsEveryBadLineNotOnlyTheFirst) {
  const Assembled a = AssembleText("vs_1_1\nfoo r0\nmov r0, c0\nbar r1\n");
  EXPECT_FALSE(a.ok);
  EXPECT_NE(a.errors.find("memory(2): unknown instruction 'foo'\n"), std::string::npos);
  EXPECT_NE(a.errors.find("memory(4): unknown instruction 'bar'\n"), std::string::npos);
}

// Slots per instruction are the documented ones: exp takes 10 in vs_1_1, sincos 8 from
// vs_2_0 on, and a predicate adds one to the instruction it guards.
TEST(ShaderAssembler, InstructionSlotsFollowTheDocumentedCounts) {
  auto repeat = [](const std::string &line, int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += line;
    return text;
  };
  const std::string vs11 = "vs_1_1\n" + repeat("exp r0.x, c0.x\n", 12) + repeat("mov r1, c0\n", 8);  // 128
  EXPECT_TRUE(AssembleText(vs11).ok);
  EXPECT_FALSE(AssembleText(vs11 + "nop\n").ok);
  const std::string vs20 = "vs_2_0\n" + repeat("sincos r0.xy, c0.x, c1, c2\n", 32);  // 256
  EXPECT_TRUE(AssembleText(vs20).ok);
  EXPECT_NE(AssembleText(vs20 + "nop\n").errors.find("too many instructions (257 slots)"), std::string::npos);
  const std::string vs2x = "vs_2_x\nsetp_gt p0, r0, c0\n" + repeat("(p0) mov r1, c0\n", 127) + "nop\n";  // 256
  EXPECT_TRUE(AssembleText(vs2x).ok);
  EXPECT_FALSE(AssembleText(vs2x + "nop\n").ok);
}

TEST(ShaderAssembler, InstructionSlotLimitOfTheProfile) {
  std::string text = "vs_1_1\n";
  for (int i = 0; i < 128; ++i) text += "mov r0, c0\n";
  EXPECT_TRUE(AssembleText(text).ok);
  EXPECT_FALSE(AssembleText(text + "mov r0, c0\n").ok);
}

}  // namespace

}  // namespace zel::shader
