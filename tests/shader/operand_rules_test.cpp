// The documented operand rules, each refused with its line and accepted at its boundary.
#include <gtest/gtest.h>

#include <string>

#include "tests/shader/shader_testing.h"

namespace zel::shader {

namespace {

struct RuleCase {
  const char *text;   // a whole shader; the statement under test is on line 2 unless said
  const char *error;  // expected inside the errors, or nullptr: the shader assembles
};

void ExpectRuleCases(const RuleCase *cases, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const RuleCase &c = cases[i];
    SCOPED_TRACE(c.text);
    const zel::shader::test::Assembled a = zel::shader::test::AssembleText(c.text);
    if (!c.error) {
      EXPECT_TRUE(a.ok) << a.errors;
      continue;
    }
    EXPECT_FALSE(a.ok);
    EXPECT_NE(a.errors.find(c.error), std::string::npos) << a.errors;
  }
}

template <size_t N>
void ExpectRuleCases(const RuleCase (&cases)[N]) {
  ExpectRuleCases(cases, N);
}

TEST(ShaderOperandRules, SgnTakesTwoDifferentScratchTemporariesInEveryVersion) {
  const RuleCase cases[] = {
      {"vs_2_0\nsgn r0, r1, r2, r2\n", "memory(2): sgn: the two scratch registers must be different temporaries (r2 given twice)"},
      {"vs_2_0\nsgn r0, r1, c2, r3\n", "memory(2): register type 2 cannot be read here"},
      {"vs_2_0\nsgn r0, r1, r2, r3\n", nullptr},
      {"vs_2_x\nsgn r0, c1, r2, r3\n", nullptr},
      {"vs_3_0\nsgn r0, r1, r2, r3\n", nullptr},  // the documented form, as in vs_2_0
      {"vs_3_0\nsgn r0, r1, r2, r2\n", "memory(2): sgn: the two scratch registers must be different"},
      {"vs_3_0\nsgn r0, r1\n", "memory(2): expected ','"},
  };
  ExpectRuleCases(cases);
}

TEST(ShaderOperandRules, SincosConstantsMasksAndSwizzle) {
  const RuleCase cases[] = {
      {"vs_2_0\nsincos r0.xy, r1.x, c1, c1\n", "memory(2): sincos: the two constants must be different registers (c1 given twice)"},
      {"vs_2_0\nsincos r0.xy, r1.x, r2, c1\n", "memory(2): register type 0 cannot be read here"},
      {"vs_2_0\nsincos r0.xy, r1.x, c1, c2\n", nullptr},
      {"vs_2_x\nsincos r0.xy, c5.x, c1, c2\n", nullptr},  // its constants use no read port
      {"vs_2_0\nsincos r0.xyz, r1.x, c1, c2\n", "memory(2): sincos cannot write the mask .xyz (allowed: .x, .y, .xy)"},
      {"vs_2_0\nsincos r0.y, r1.x, c1, c2\n", nullptr},
      {"vs_2_0\nsincos r0.xy, r1, c1, c2\n", "memory(2): sincos: src0 needs a one-component swizzle"},
      {"vs_2_0\nsincos r0.xy, r1.w, c1, c2\n", nullptr},
      {"vs_2_0\nsincos oT0.xy, r1.x, c1, c2\n", "memory(2): sincos writes a temporary register (r#), not oT0"},
      {"vs_3_0\nsincos r0.xy, r1.x, c1, c2\n", "memory(2): unexpected ','"},
      {"vs_3_0\nsincos r0.x, r1.z\n", nullptr},
  };
  ExpectRuleCases(cases);
}

TEST(ShaderOperandRules, CrsDestinationSwizzlesAndMasks) {
  const RuleCase cases[] = {
      {"vs_2_0\ncrs r0.xyz, r0, r1\n", "memory(2): crs: the destination r0 cannot also be src0"},
      {"vs_2_0\ncrs r1.xyz, r0, r1\n", "memory(2): crs: the destination r1 cannot also be src1"},
      {"vs_2_0\ncrs r2.xyz, r0, r1\n", nullptr},
      {"vs_2_0\ncrs r2, r0.yzxw, r1\n", "memory(2): crs: src0 takes no swizzle"},
      {"vs_2_0\ncrs r2, r0, -r1.xyzw\n", nullptr},  // .xyzw is no swizzle; a negation is allowed
      {"vs_2_0\ncrs r2.xyzw, r0, r1\n", "memory(2): crs cannot write the mask .xyzw (allowed: .x, .y, .xy, .z, .xz, .yz, .xyz)"},
      {"vs_2_0\ncrs r2.w, r0, r1\n", "memory(2): crs cannot write the mask .w"},
      {"vs_2_0\ncrs r2.xz, r0, r1\n", nullptr},
      {"vs_2_0\ncrs oT0.xyz, r0, r1\n", "memory(2): crs writes a temporary register (r#), not oT0"},
  };
  ExpectRuleCases(cases);
}

TEST(ShaderOperandRules, NrmAndPowDestinationAndReplicateSwizzles) {
  const RuleCase cases[] = {
      {"vs_2_0\nnrm r0, r0\n", "memory(2): nrm: the destination r0 cannot also be src0"},
      {"vs_2_0\nnrm r1, r0\n", nullptr},
      {"vs_2_0\nnrm oT0, r0\n", "memory(2): nrm writes a temporary register (r#), not oT0"},
      {"vs_2_0\npow r1, r0.x, r1.x\n", "memory(2): pow: the destination r1 cannot also be src1"},
      {"vs_2_0\npow r1, r1.x, r0.x\n", nullptr},  // only the exponent must differ
      {"vs_2_0\npow r1, r0, r2.x\n", "memory(2): pow: src0 needs a one-component swizzle"},
      {"vs_2_0\npow r1, r0.y, r2.xy\n", "memory(2): pow: src1 needs a one-component swizzle"},
      {"vs_2_0\npow r1, r0.y, r2.w\n", nullptr},
      {"vs_3_0\npow r1, r0.y, r2.w\n", nullptr},
      {"vs_2_0\npow oT0, r0.x, r1.x\n", "memory(2): pow writes a temporary register (r#), not oT0"},
  };
  ExpectRuleCases(cases);
}

TEST(ShaderOperandRules, MatrixMacrosModifiersDestinationAndMasks) {
  const RuleCase cases[] = {
      {"vs_1_1\ndcl_position v0\nm4x4 r0, v0, -c0\n", "memory(3): m4x4: src1 takes no source modifier"},
      {"vs_1_1\ndcl_position v0\nm4x4 r0, v0, c0.yzwx\n", "memory(3): m4x4: src1 takes no swizzle"},
      {"vs_1_1\ndcl_position v0\nm4x4 r0, -v0.yzwx, c0\n", nullptr},  // both on the vector
      {"vs_1_1\nm4x4 r0, r0, c0\n", "memory(2): m4x4: the destination r0 cannot also be src0"},
      {"vs_1_1\nm4x4 r1, r0, c0\n", nullptr},
      {"vs_2_0\nm3x3 r3.xyz, r0, r1\n", "memory(2): m3x3: the destination r3 is a register of the matrix r1..r3"},
      {"vs_2_0\nm3x3 r4.xyz, r0, r1\n", nullptr},
      {"vs_2_0\nm4x4 r4, r0, r1\n", "memory(2): m4x4: the destination r4 is a register of the matrix r1..r4"},
      {"vs_2_0\nm4x4 r5, r0, r1\n", nullptr},
      {"vs_1_1\nm3x3 r4.xyzw, r0, c0\n", "memory(2): m3x3 cannot write the mask .xyzw (allowed: .xyz)"},
      {"vs_1_1\nm3x3 r4, r0, c0\n", nullptr},  // no mask: the macro's own .xyz
      {"vs_1_1\nm4x4 r4.xyz, r0, c0\n", "memory(2): m4x4 cannot write the mask .xyz (allowed: .xyzw)"},
      {"vs_1_1\nm3x4 r4.xyzw, r0, c0\n", nullptr},
      {"vs_1_1\nm4x3 r4.xy, r0, c0\n", "memory(2): m4x3 cannot write the mask .xy (allowed: .xyz)"},
      {"vs_1_1\nm3x2 r4.x, r0, c0\n", "memory(2): m3x2 cannot write the mask .x (allowed: .xy)"},
      {"vs_1_1\nm3x2 r4.xy, r0, c0\n", nullptr},
  };
  ExpectRuleCases(cases);
}

TEST(ShaderOperandRules, FogAndPointSizeAreScalars) {
  const RuleCase cases[] = {
      {"vs_1_1\nmov oFog.xy, r0\n", "memory(2): oFog is a scalar: write it as oFog or oFog.x"},
      {"vs_2_0\nmov oPts.y, r0\n", "memory(2): oPts is a scalar: write it as oPts or oPts.x"},
      {"vs_1_1\nmov oFog.xyzw, r0.x\n", "memory(2): oFog is a scalar"},
      {"vs_1_1\nmov oFog, r0.x\nmov oPts.x, c0.y\n", nullptr},
  };
  ExpectRuleCases(cases);
  // Both spellings write the one component.
  const zel::shader::test::Assembled a = zel::shader::test::AssembleText("vs_1_1\nmov oFog, r0.x\nmov oFog.x, r0.x\n");
  ASSERT_TRUE(a.ok) << a.errors;
  EXPECT_EQ(a.tokens[2], 0xC0010001u);
  EXPECT_EQ(a.tokens[5], 0xC0010001u);
}

TEST(ShaderOperandRules, TextureCoordinatesFromOT0UpWithWholeMasks) {
  const RuleCase cases[] = {
      {"vs_1_1\nmov oT0, r0\nmov oT2, r0\n", "memory(3): oT2 is written but oT1 is not: texture coordinates are written from oT0 up"},
      {"vs_2_0\nmov oT1, r0\n", "memory(2): oT1 is written but oT0 is not"},
      {"vs_1_1\nmov oT0.x, r0\nmov oT1, r0\n", nullptr},
      {"vs_1_1\nmov oT0.y, r0\n", "memory(2): the writes to oT0 cover .y; together they must cover .x, .xy, .xyz or .xyzw"},
      {"vs_2_x\nmov oT0.xz, r0\nmov oT0.x, r1\n", "memory(3): the writes to oT0 cover .xz"},
      {"vs_1_1\nmov oT0.y, r0\nmov oT0.x, r1\n", nullptr},  // together .xy, in any order
      {"vs_3_0\ndcl_texcoord1 o3\nmov o3.y, r0\n", nullptr},  // vs_3_0 declares its outputs instead
  };
  ExpectRuleCases(cases);
}

TEST(ShaderOperandRules, ReadPortsOfEachRegisterFile) {
  const RuleCase cases[] = {
      {"vs_1_1\nmad r0, c0, c1, r0\n", "memory(2): mad reads 2 different constant registers; one instruction may read 1"},
      {"vs_3_0\nmad r0, c0, c1, r0\n", "memory(2): mad reads 2 different constant registers"},
      {"vs_1_1\nmad r0, c0, c0.x, r0\n", nullptr},  // one constant read twice
      {"vs_1_1\nmov a0.x, r0.x\nadd r0, c[a0.x + 1], c1\n", "memory(3): add reads 2 different constant registers"},
      {"vs_2_0\ndcl_position v0\ndcl_normal v1\nadd r0, v0, v1\n", "memory(4): add reads 2 different input registers"},
      {"vs_2_0\ndcl_position v0\nadd r0, v0, v0.x\n", nullptr},
      {"vs_2_0\nlrp r0, r1, r2, r3\n", nullptr},  // three temporaries, as many as there are ports
      {"vs_2_0\nsgn r0, r1, r2, r3\n", nullptr},  // scratch registers use no read port
  };
  ExpectRuleCases(cases);
}

TEST(ShaderOperandRules, TexldlWritesATemporary) {
  const RuleCase cases[] = {
      {"vs_3_0\ndcl_texcoord0 v1\ndcl_texcoord0 o1\ndcl_2d s0\ntexldl o1, v1, s0\n",
       "memory(5): texldl writes a temporary register (r#), not o1"},
      {"vs_3_0\ndcl_texcoord0 v1\ndcl_2d s0\ntexldl r1, v1, s0\n", nullptr},
  };
  ExpectRuleCases(cases);
}

}  // namespace

}  // namespace zel::shader
