#include "platform/d3d9/letterbox.h"

#include <gtest/gtest.h>

namespace zel::d3d9 {

using zel::d3d9::FitWithBars;
using zel::d3d9::LetterboxRect;

namespace {

void ExpectRect(const LetterboxRect& r, int x, int y, int w, int h) {
  EXPECT_EQ(r.x, x);
  EXPECT_EQ(r.y, y);
  EXPECT_EQ(r.width, w);
  EXPECT_EQ(r.height, h);
}

TEST(Letterbox, FourByThreeOnWiderSurfacesGetsBarsLeftAndRight) {
  ExpectRect(FitWithBars(800, 600, 1920, 1080), 240, 0, 1440, 1080);  // 16:9
  ExpectRect(FitWithBars(1024, 768, 1680, 1050), 140, 0, 1400, 1050);  // 16:10
  ExpectRect(FitWithBars(640, 480, 1366, 768), 171, 0, 1024, 768);     // odd width: centred
}

TEST(Letterbox, FourByThreeOnATallerSurfaceGetsBarsAboveAndBelow) {
  ExpectRect(FitWithBars(800, 600, 1280, 1024), 0, 32, 1280, 960);  // 5:4
  ExpectRect(FitWithBars(800, 600, 600, 800), 0, 175, 600, 450);    // portrait
}

TEST(Letterbox, SameShapeFillsTheSurface) {
  ExpectRect(FitWithBars(800, 600, 800, 600), 0, 0, 800, 600);
  ExpectRect(FitWithBars(800, 600, 1024, 768), 0, 0, 1024, 768);
}

TEST(Letterbox, HighDpiScaleOfTwoUsesTheDrawablePixels) {
  // A 960x540-point window at scale 2 has a 1920x1080-pixel drawable.
  ExpectRect(FitWithBars(800, 600, 2 * 960, 2 * 540), 240, 0, 1440, 1080);
  ExpectRect(FitWithBars(800, 600, 2 * 800, 2 * 600), 0, 0, 1600, 1200);
}

TEST(Letterbox, EmptySizesGiveAnEmptyRectangle) {
  ExpectRect(FitWithBars(800, 600, 0, 600), 0, 0, 0, 0);
  ExpectRect(FitWithBars(0, 600, 800, 600), 0, 0, 0, 0);
  ExpectRect(FitWithBars(800, 600, -5, 600), 0, 0, 0, 0);
}

TEST(Letterbox, TinySurfacesStayInside) {
  LetterboxRect r = FitWithBars(800, 600, 1, 1000);
  EXPECT_LE(r.x + r.width, 1);
  EXPECT_LE(r.y + r.height, 1000);
  EXPECT_GE(r.x, 0);
  EXPECT_GE(r.y, 0);
}

}  // namespace

}  // namespace zel::d3d9
