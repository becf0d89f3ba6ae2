// Counts OpenGL calls made through libepoxy: each hooked entry point's dispatch pointer is
// replaced by a wrapper that counts and forwards to the driver's function. Optionally the
// draw calls forward to nothing, to time the device's own work without the rasteriser.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zel::d3d9::bench {

// Installs the hooks (a GL context must be current). Idempotent.
void InstallGlCallCounter();
uint64_t GlCallCount();
// Calls so far of each hooked entry point that was called at all, in the list's order.
struct EntryPointCount {
  std::string name;
  uint64_t calls;
};
std::vector<EntryPointCount> GlCallCountsByEntryPoint();
// While true, glDrawArrays / glDrawElementsBaseVertex are counted but not executed.
void SkipDraws(bool skip);

}  // namespace zel::d3d9::bench
