// Disassembly round trip: golden text -> tokens -> text -> the same tokens.
#include <gtest/gtest.h>

#include "shader/disassembler.h"
#include "tests/shader/shader_testing.h"

namespace zel::shader {

namespace {


TEST(ShaderDisassembler, TextAssemblesBackToTheSameTokens) {
  for (const std::string &name : zel::shader::test::GoldenShaderNames()) {
    SCOPED_TRACE(name);
    const std::vector<uint32_t> golden = zel::shader::test::ReadGoldenTokens(name);
    ShaderProgram program;
    ShaderError error;
    ASSERT_TRUE(ValidateVertexShader(golden.data(), golden.size(), &program, &error)) << error.message;
    const std::string text = DisassembleShader(program);
    const zel::shader::test::Assembled back = zel::shader::test::AssembleText(text);
    EXPECT_EQ(back.tokens, golden) << text << back.errors;
  }
}

TEST(ShaderDisassembler, ReadableForms) {
  const std::vector<uint32_t> tokens = {0xFFFE0101, 0x00000051, 0xA00F0005, 0x3F000000, 0xBF800000, 0x00000000,
                                        0x40490FDB, 0x00000017, 0x80070005, 0x90E40001, 0xA0E4000C,
                                        0x0000001F, 0x80000000, 0x900F0001, 0x00000001, 0xD00F0000,
                                        0xA1002014, 0x0000FFFF};
  ShaderProgram program;
  ShaderError error;
  ASSERT_TRUE(ValidateVertexShader(tokens.data(), tokens.size(), &program, &error)) << error.message;
  EXPECT_EQ(DisassembleShader(program),
            "vs_1_1\ndef c5, 0.5, -1, 0, 3.14159274\nm3x3 r5.xyz, v1, c12\ndcl_position v1\nmov oD0, -c[a0.x + 20].x\n");
}

}  // namespace

}  // namespace zel::shader
