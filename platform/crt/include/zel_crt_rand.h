// The C runtime's rand rule as a private generator: a 32-bit linear congruential sequence
// that starts at state 1 on every run, so the word flashes shiver the same way each time.
// Not thread-safe; only the main thread draws from it.
#pragma once

#include <cstdint>

namespace zel::crt {

// Next value from 0 to 32767: state = state * 214013 + 2531011 (mod 2^32),
// returns bits 16-30 of the new state. The first value after start or reset is 41.
int CrtRand();

// Sets the state to the given seed, as srand does.
void CrtSrand(uint32_t seed);

// Returns the generator to its start-of-process state (seed 1), so a replayed show sees
// the same sequence again.
void CrtRandReset();

// The current state, for callers that count or replay draws.
uint32_t CrtRandState();

}  // namespace zel::crt
