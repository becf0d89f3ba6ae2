// Disassembly round trip: golden text -> tokens -> text -> the same tokens.
#include <gtest/gtest.h>

#include "gfxutil/shader.h"
#include "platform/d3d9/shader_disasm.h"
#include "tests/gfxutil/shader_golden.h"

namespace {

using namespace zel::d3d9::shader;

std::vector<uint32_t> Assemble(const std::string &text, std::string *errors) {
  LPD3DXBUFFER code = nullptr, messages = nullptr;
  std::vector<uint32_t> tokens;
  if (SUCCEEDED(D3DXAssembleShader(text.data(), UINT(text.size()), nullptr, nullptr, 0, &code, &messages))) {
    const uint32_t *p = static_cast<const uint32_t *>(code->GetBufferPointer());
    tokens.assign(p, p + code->GetBufferSize() / 4);
    code->Release();
  }
  if (messages) {
    *errors = static_cast<const char *>(messages->GetBufferPointer());
    messages->Release();
  }
  return tokens;
}

TEST(ShaderDisassembler, TextAssemblesBackToTheSameTokens) {
  for (const std::string &name : zel::test::GoldenShaderNames()) {
    SCOPED_TRACE(name);
    const std::vector<uint32_t> golden = zel::test::ReadGoldenTokens(name);
    ShaderProgram program;
    ShaderError error;
    ASSERT_TRUE(ValidateVertexShader(golden.data(), golden.size(), &program, &error)) << error.message;
    const std::string text = DisassembleShader(program);
    std::string errors;
    EXPECT_EQ(Assemble(text, &errors), golden) << text << errors;
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
