// Runs `zel16-tool tex` on images made here and checks its one JSON line.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/gfxutil/image_fixtures.h"

namespace zel::gfxutil {

namespace {

std::string RunTool(const std::string &args, int *status) {
  const std::string command = std::string(ZEL16_BINARY_DIR) + "/zel16-tool tex " + args + " 2>/dev/null";
  FILE *pipe = popen(command.c_str(), "r");
  std::string out;
  if (!pipe) return out;
  char buffer[512];
  while (std::fgets(buffer, sizeof(buffer), pipe)) out += buffer;
  *status = pclose(pipe);
  return out;
}

TEST(ToolTex, DescribesTheTextureALoadWouldMake) {
  const std::string jpeg = test::WriteTempFile("tool.jpg", test::MakeJpeg(200, 100, 3, false));
  int status = -1;
  EXPECT_EQ(RunTool(jpeg, &status), "{\"file\":\"" + jpeg +
                                        "\",\"ok\":true,\"hresult\":\"0x00000000\",\"width\":256,\"height\":128,"
                                        "\"levels\":9,\"format\":\"D3DFMT_X8R8G8B8\"}\n");
  EXPECT_EQ(status, 0);

  test::BmpFormat bmpFormat;
  bmpFormat.bpp = 16;
  const std::string bmp = test::WriteTempFile("tool.bmp", test::MakeBmp(bmpFormat, 3, 1, {{0, 0, 0, 0, 0, 0}}));
  EXPECT_NE(RunTool(bmp + " --max-size 2", &status).find("\"width\":2,\"height\":1,\"levels\":2,"
                                                          "\"format\":\"D3DFMT_X1R5G5B5\""),
            std::string::npos);
}

TEST(ToolTex, ReportsFailuresWithTheirCode) {
  const std::string cmyk = test::WriteTempFile("tool_cmyk.jpg", test::MakeJpeg(8, 8, 4, false));
  int status = 0;
  EXPECT_NE(RunTool(cmyk, &status).find("\"ok\":false,\"hresult\":\"0x80004005\",\"width\":0"), std::string::npos);
  EXPECT_NE(status, 0);
  EXPECT_NE(RunTool("/no/such/file.jpg", &status).find("\"hresult\":\"0x88760B59\""), std::string::npos);
  RunTool("", &status);
  EXPECT_NE(status, 0);
}

}  // namespace

}  // namespace zel::gfxutil
