// The live-object count behind ComObject.
#include "platform/d3d9/com_object.h"

namespace zel::d3d9 {
namespace {
std::atomic<int> g_liveObjects{0};
}

int LiveObjectCount() { return g_liveObjects.load(); }
void AdjustLiveObjectCount(int delta) { g_liveObjects += delta; }

}  // namespace zel::d3d9
