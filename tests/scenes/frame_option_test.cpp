// Frames written by the built program itself (zel16 --frame T --out F.png --size WxH): the
// opening card at two shapes of screen, the title's white first frame and the end card.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace zel::scenes {

namespace {

struct Frame {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;  // rows from the top
  int Sum(int x, int y) const {
    const uint8_t *p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    return p[0] + p[1] + p[2];
  }
};

// Runs the program for one frame and reads the PNG back; false when either step fails.
bool RenderWithProgram(float t, int width, int height, Frame *frame) {
  // One file per process: ctest runs the cases of this file side by side.
  const std::string out = std::string(ZEL16_BINARY_DIR) + "/frame_option_test_" + std::to_string(getpid()) + ".png";
  std::remove(out.c_str());
  const std::string command = std::string(ZEL16_PROGRAM) + " --frame " + std::to_string(t) + " --out " + out +
                              " --size " + std::to_string(width) + "x" + std::to_string(height);
  if (std::system(command.c_str()) != 0) return false;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, out.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  frame->width = static_cast<int>(image.width);
  frame->height = static_cast<int>(image.height);
  frame->rgb.resize(PNG_IMAGE_SIZE(image));
  bool ok = png_image_finish_read(&image, nullptr, frame->rgb.data(), 0, nullptr) != 0;
  std::remove(out.c_str());
  return ok;
}

// The opening card covers 88.5 % of the view's width and height whatever the screen's shape:
// the projection keeps its 4:3 aspect and stretches with the view.
TEST(FrameOption, OpeningCardAtTwoScreenShapes) {
  for (auto [w, h] : {std::pair{800, 600}, std::pair{1024, 576}}) {
    Frame f;
    ASSERT_TRUE(RenderWithProgram(3.0f, w, h, &f));
    ASSERT_EQ(f.width, w);
    int x0 = w, y0 = h, x1 = -1, y1 = -1;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (f.Sum(x, y) > 0) x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    EXPECT_NEAR(x1 + 1 - x0, 0.885 * w, 2.0) << w << "x" << h;
    EXPECT_NEAR(y1 + 1 - y0, 0.885 * h, 2.0) << w << "x" << h;
    EXPECT_NEAR(x0 + x1 + 1, w, 2.0);
    EXPECT_NEAR(y0 + y1 + 1, h, 2.0);
  }
}

TEST(FrameOption, TitleOpensWhiteAndTheEndCardShows) {
  Frame f;
  ASSERT_TRUE(RenderWithProgram(13.0f, 320, 240, &f));
  // --frame shows the clock after round(T x 1000) ticks, about 13.0016 s: the flash has faded a little.
  EXPECT_GE(*std::min_element(f.rgb.begin(), f.rgb.end()), 250);
  ASSERT_TRUE(RenderWithProgram(100.0f, 320, 240, &f));
  double centre = 0;
  for (int y = 60; y < 180; ++y)
    for (int x = 100; x < 220; ++x) centre += f.Sum(x, y);
  EXPECT_GT(centre / (120 * 120), 100.0);
}

}  // namespace

}  // namespace zel::scenes
