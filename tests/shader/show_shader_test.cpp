// The show's own vertex shader keeps assembling to the tokens it always had.
#include <gtest/gtest.h>

#include "data/shader_source.h"
#include "tests/shader/shader_testing.h"

namespace {

TEST(ShowShader, AssemblesToItsKnownTokens) {
  const zel::test::Assembled a = zel::test::AssembleText(zel::datagen::TitleShaderSource());
  ASSERT_TRUE(a.ok) << a.errors;
  EXPECT_EQ(a.tokens, zel::test::ReadGoldenTokens("show_title"));
}

}  // namespace
