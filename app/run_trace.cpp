#include "app/run_trace.h"

#include <d3d9.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace zel::app::run_trace {

bool Enabled() {
  static const bool enabled = [] {
    const char* value = std::getenv("ZEL16_TRACE");
    return value != nullptr && *value != '\0';
  }();
  return enabled;
}

double Now() {
  // libstdc++'s steady clock is CLOCK_MONOTONIC.
  auto since = std::chrono::steady_clock::now().time_since_epoch();
  return std::chrono::duration<double>(since).count();
}

void Display(HWND window, IDirect3DDevice9* device) {
  if (!Enabled()) return;
  RECT client = {};
  GetClientRect(window, &client);
  D3DVIEWPORT9 viewport = {};
  if (device != nullptr) device->GetViewport(&viewport);
  std::fprintf(stderr, "zel16 trace: screen %dx%d client %ldx%ld viewport %lu,%lu %lux%lu\n",
               GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
               static_cast<long>(client.right - client.left), static_cast<long>(client.bottom - client.top),
               static_cast<unsigned long>(viewport.X), static_cast<unsigned long>(viewport.Y),
               static_cast<unsigned long>(viewport.Width), static_cast<unsigned long>(viewport.Height));
}

void Frame(float demoSeconds, double clockReadAt, double shownAt) {
  if (!Enabled()) return;
  // Nine digits keep the float's exact value apart from its neighbours.
  std::fprintf(stderr, "zel16 trace: frame %.9g read %.6f shown %.6f\n", demoSeconds, clockReadAt, shownAt);
}

}  // namespace zel::app::run_trace
