#include "app/offline/screenshot.h"

#include <gtest/gtest.h>

#include <cmath>

using zel::app::offline::ScreenshotName;
using zel::app::offline::TakeScreenshot;
namespace zel::app {

namespace {

TEST(Screenshot, NamedWithTheDemoTimeToTheMillisecond) {
  EXPECT_EQ(ScreenshotName(0.0f), "zel16-000.000s.png");
  EXPECT_EQ(ScreenshotName(12.345f), "zel16-012.345s.png");
  EXPECT_EQ(ScreenshotName(178.9996f), "zel16-179.000s.png");  // rounded, not cut
  EXPECT_EQ(ScreenshotName(-1.0f), "zel16-000.000s.png");
  EXPECT_EQ(ScreenshotName(std::nanf("")), "zel16-000.000s.png");
}

TEST(Screenshot, NoDeviceIsAFailureNotACrash) {
  EXPECT_FALSE(TakeScreenshot(nullptr, 1.0f));
}

}  // namespace

}  // namespace zel::app
