// zel16 --frame: the options it takes, and one real frame rendered to a PNG file off screen.
#include "app/offline/frame_render.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"

using zel::app::offline::RenderFrameToPng;
namespace zel::app {

namespace {

ParseOutcome Parse(std::vector<const char *> args, CommandLine &line) {
  args.insert(args.begin(), "zel16");
  std::string out, err;
  return ParseCommandLine(static_cast<int>(args.size()), args.data(), line, out, err);
}

TEST(FrameOptions, FrameNeedsAnOutputAndDefaultsTo800x600) {
  CommandLine line;
  ASSERT_EQ(Parse({"--frame", "15", "--out", "f.png"}, line), ParseOutcome::Run);
  EXPECT_TRUE(line.frameGiven);
  EXPECT_EQ(line.frameSeconds, 15.0f);
  EXPECT_EQ(line.framePath, "f.png");
  EXPECT_EQ(line.frameWidth, 800);
  EXPECT_EQ(line.frameHeight, 600);
  CommandLine sized;
  ASSERT_EQ(Parse({"--frame", "2.5", "--out", "f.png", "--size", "320x200"}, sized), ParseOutcome::Run);
  EXPECT_EQ(sized.frameWidth, 320);
  EXPECT_EQ(sized.frameHeight, 200);
  const std::vector<std::vector<const char *>> refused = {
      {"--frame", "15"},
      {"--out", "f.png"},
      {"--size", "320x200"},
      {"--frame", "-1", "--out", "f.png"},
      {"--frame", "3", "--out", "f.png", "--size", "0x10"},
  };
  for (const auto &args : refused) {
    CommandLine bad;
    EXPECT_EQ(Parse(args, bad), ParseOutcome::Error) << args[0] << " " << args[1];
  }
}

TEST(FrameRender, WritesTheOpeningCardAsPng) {
  // The show reads Data/ from the working directory: the build's generated one.
  ASSERT_EQ(chdir(ZEL16_BINARY_DIR), 0);
  std::string path = std::string(ZEL16_BINARY_DIR) + "/frame_render_test.png";
  std::remove(path.c_str());
  ASSERT_EQ(RenderFrameToPng(3.0f, path, 160, 120), 0);
  FILE *f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  unsigned char header[24] = {};
  ASSERT_EQ(std::fread(header, 1, sizeof header, f), sizeof header);
  std::fclose(f);
  EXPECT_EQ(header[1], 'P');
  EXPECT_EQ(header[2], 'N');
  EXPECT_EQ(header[3], 'G');
  // IHDR width and height, big-endian.
  EXPECT_EQ((header[16] << 24) | (header[17] << 16) | (header[18] << 8) | header[19], 160);
  EXPECT_EQ((header[20] << 24) | (header[21] << 16) | (header[22] << 8) | header[23], 120);
  // A path that cannot be written is a failure, not a crash.
  EXPECT_NE(RenderFrameToPng(3.0f, "/nonexistent-dir/frame.png", 160, 120), 0);
}

}  // namespace

}  // namespace zel::app
