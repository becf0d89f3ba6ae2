#include "render/camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/d3d9/recording/recording_device.h"

namespace zel::render {

namespace {

// The recording device, released at the end of a test.
struct Device {
  d3d9::RecordingDevice *d = d3d9::RecordingDevice::Create();
  ~Device() { d->Release(); }
  D3DXMATRIX View() const { return D3DXMATRIX(d->Transform(D3DTS_VIEW)); }
  // The transforms set, by name ("D3DTS_VIEW"), in order.
  std::vector<std::string> TransformsSet() const {
    std::vector<std::string> out;
    for (const auto &call : d->CallsTo("SetTransform")) out.push_back(call.args[0]);
    return out;
  }
};

TEST(Camera, LookingAtTheOriginFromMinusTenTranslatesByTen) {
  Device device;
  Camera camera(device.d);
  EXPECT_EQ(camera.LookAt(0, 0, -10, 0, 0, 0), S_OK);
  D3DXMATRIX view;
  EXPECT_EQ(camera.GetViewMatrix(&view), &view);
  EXPECT_EQ(view, D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 10, 1));
  EXPECT_EQ(device.View(), view);
  EXPECT_EQ(device.TransformsSet(), std::vector<std::string>{"D3DTS_VIEW"});  // world, projection untouched
}

TEST(Camera, OnlyTheLastViewRemains) {
  Device device;
  Camera camera(device.d);
  camera.LookAt(0, 0, -10, 0, 0, 0);
  camera.LookAt(0, 8, -10, 0, 8, 0);
  D3DXMATRIX view;
  camera.GetViewMatrix(&view);
  EXPECT_EQ(view, D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, -8, 10, 1));
  EXPECT_EQ(device.View(), view);
  EXPECT_EQ(device.TransformsSet().size(), 2u);
}

TEST(Camera, LevelOrbitKeepsTheHorizonLevel) {
  Device device;
  Camera camera(device.d);
  for (int step = 0; step < 64; ++step) {
    const float angle = step * 0.1f;
    camera.LookAt(450 * std::sin(angle), -20, 450 * std::cos(angle), 0, -20, 0);
    D3DXMATRIX v;
    camera.GetViewMatrix(&v);
    EXPECT_EQ(v._21, 0.0f) << angle;  // the camera's x axis has no vertical part: no roll
    EXPECT_NEAR(v._22, 1.0f, 1e-6f) << angle;
    EXPECT_NEAR(v._42, 20.0f, 1e-4f) << angle;
    EXPECT_NEAR(v._43, 450.0f, 1e-2f) << angle;
  }
}

}  // namespace

}  // namespace zel::render
