// The show's own vertex shader keeps assembling to the tokens it always had.
#include <gtest/gtest.h>

#include "data/shader_source.h"
#include "tests/shader/shader_testing.h"

namespace zel::shader {

namespace {

TEST(ShowShader, AssemblesToItsKnownTokens) {
  const zel::shader::test::Assembled a = zel::shader::test::AssembleText(zel::data::TitleShaderSource());
  ASSERT_TRUE(a.ok) << a.errors;
  EXPECT_EQ(a.tokens, zel::shader::test::ReadGoldenTokens("show_title"));
}

}  // namespace

}  // namespace zel::shader
