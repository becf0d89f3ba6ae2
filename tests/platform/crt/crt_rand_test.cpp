// The private rand follows the C runtime's sequence from its start state.
#include <zel_crt_rand.h>

#include <gtest/gtest.h>

namespace zel::crt {

TEST(CrtRand, StartsAtStateOneAndMatchesTheRuntimeSequence) {
  CrtRandReset();
  // The first values of the runtime's rand with no srand call.
  const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
  for (int value : expected) EXPECT_EQ(CrtRand(), value);
}

TEST(CrtRand, ResetReplaysAndSrandSeeds) {
  CrtRandReset();
  EXPECT_EQ(CrtRandState(), 1u);
  CrtRand();
  CrtRand();
  CrtRandReset();
  EXPECT_EQ(CrtRand(), 41);
  CrtSrand(1);
  EXPECT_EQ(CrtRand(), 41);
  CrtSrand(0);
  EXPECT_EQ(CrtRand(), 38);  // 2531011 >> 16
  EXPECT_EQ(CrtRandState(), 2531011u);
}

}  // namespace zel::crt
