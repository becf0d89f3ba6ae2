// Time spent inside the OpenGL driver: every GL entry point the device uses is wrapped
// (through libepoxy's dispatch pointers) by a hook that counts the call, counts draw calls
// apart, and adds the wall time the driver took. What a frame spends outside these calls
// is our own code.
#pragma once

#include <cstdint>

namespace zel::app::bench {

// Installs the hooks (a GL context must be current). Idempotent.
void InstallGlTiming();

struct GlTotals {
  uint64_t calls = 0;
  uint64_t draws = 0;       // glDrawArrays and glDrawElementsBaseVertex
  double seconds = 0.0;     // wall time inside hooked calls
};
GlTotals GlTimingTotals();
// Adds driver time measured outside the hooks (the buffer swap, a final glFinish).
void AddGlSeconds(double seconds);
void FinishGl();  // glFinish: waits for the frame's rendering (not timed here)

double NowSeconds();        // monotonic wall clock
double ThreadCpuSeconds();  // CPU time of the calling thread
double ProcessCpuSeconds(); // CPU time of all threads (the driver's rasteriser threads too)

}  // namespace zel::app::bench
