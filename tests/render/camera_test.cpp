#include "render/camera.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/gfxutil/fake_device.h"

namespace {

D3DXMATRIX DeviceView(zeltest::FakeDevice &device) {
  D3DMATRIX m;
  device.GetTransform(D3DTS_VIEW, &m);
  return D3DXMATRIX(m);
}

TEST(Camera, LookingAtTheOriginFromMinusTenTranslatesByTen) {
  zeltest::FakeDevice device;
  Camera camera(&device);
  EXPECT_EQ(camera.LookAt(0, 0, -10, 0, 0, 0), S_OK);
  D3DXMATRIX view;
  EXPECT_EQ(camera.GetViewMatrix(&view), &view);
  EXPECT_EQ(view, D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 10, 1));
  EXPECT_EQ(device.setTransformCalls, 1);
  EXPECT_EQ(DeviceView(device), view);
  EXPECT_EQ(device.transforms.count(D3DTS_WORLD), 0u);
  EXPECT_EQ(device.transforms.count(D3DTS_PROJECTION), 0u);
}

TEST(Camera, OnlyTheLastViewRemains) {
  zeltest::FakeDevice device;
  Camera camera(&device);
  camera.LookAt(0, 0, -10, 0, 0, 0);
  camera.LookAt(0, 8, -10, 0, 8, 0);
  D3DXMATRIX view;
  camera.GetViewMatrix(&view);
  EXPECT_EQ(view, D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, -8, 10, 1));
  EXPECT_EQ(DeviceView(device), view);
  EXPECT_EQ(device.setTransformCalls, 2);
}

TEST(Camera, LevelOrbitKeepsTheHorizonLevel) {
  zeltest::FakeDevice device;
  Camera camera(&device);
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
