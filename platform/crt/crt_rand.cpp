// Private copy of the C runtime's rand rule (zel_crt_rand.h).
#include <zel_crt_rand.h>

namespace zel::crt {

namespace {

constexpr uint32_t kInitialState = 1;  // rand before any srand behaves as srand(1)
constexpr uint32_t kMultiplier = 214013;
constexpr uint32_t kIncrement = 2531011;

uint32_t state = kInitialState;

}  // namespace

int CrtRand() {
  state = state * kMultiplier + kIncrement;  // unsigned arithmetic wraps modulo 2^32
  return static_cast<int>((state >> 16) & 0x7FFF);
}

void CrtSrand(uint32_t seed) { state = seed; }

void CrtRandReset() { state = kInitialState; }

uint32_t CrtRandState() { return state; }

}  // namespace zel::crt
