// Shared set-up of the scene call-sequence tests: a recording device, the build's generated
// Data/ as working directory, and small readers of the call log.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>
#include <zel_crt_rand.h>
#include <zel_d3d9_ext.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "gfxutil/math.h"
#include "platform/d3d9/recording/recording_device.h"
#include "tests/render/matrix_check.h"

namespace zel::scenes::test {

using zel::d3d9::RecordedCall;
using zel::d3d9::RecordingDevice;

class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(chdir(ZEL16_BINARY_DIR), 0) << "the scenes load Data/ from the build directory";
    device = RecordingDevice::Create(640, 480);
    device->BeginScene();  // scenes draw inside the frame
    liveWithDevice = zel::d3d9::LiveObjectCount();
  }
  // Derived fixtures delete what they built first: every buffer, texture and shader is gone.
  void TearDown() override {
    EXPECT_EQ(zel::d3d9::LiveObjectCount(), liveWithDevice) << "objects left alive";
    device->Release();
  }

  // Method names of the calls logged since the last ClearLog.
  std::vector<std::string> Methods() const {
    std::vector<std::string> out;
    for (const RecordedCall &call : device->Calls()) out.push_back(call.method);
    return out;
  }
  // Call texts with matrices left out ("SetTransform(D3DTS_VIEW)").
  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const RecordedCall &call : device->Calls()) {
      out.push_back(call.method == "SetTransform" ? "SetTransform(" + call.args[0] + ")" : call.Text());
    }
    return out;
  }
  // Vertex bytes of the buffer on stream 0 at a draw, copied as T.
  template <typename T>
  std::vector<T> StreamVertices(const zel::d3d9::RecordedDraw &draw, size_t count) const {
    const auto *memory = RecordingDevice::VertexData(draw.state.streams[0].buffer);
    std::vector<T> v(count);
    EXPECT_NE(memory, nullptr);
    if (memory && memory->Size() >= count * sizeof(T)) std::memcpy(v.data(), memory->Data(), count * sizeof(T));
    return v;
  }

  RecordingDevice *device = nullptr;
  int liveWithDevice = 0;
};

// How many rand draws lead from one generator state to another (-1 if more than limit).
inline int DrawsBetween(uint32_t before, uint32_t after, int limit = 1000) {
  uint32_t s = before;
  for (int n = 0; n <= limit; ++n) {
    if (s == after) return n;
    s = s * 214013u + 2531011u;
  }
  return -1;
}

inline D3DXMATRIX Matrix(const D3DMATRIX &m) { return D3DXMATRIX(m); }

using render::matrix_check::LooksFrom;
using render::matrix_check::Near;
using render::matrix_check::OnScreen;
using render::matrix_check::Through;

}  // namespace zel::scenes::test
