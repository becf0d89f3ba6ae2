// `zel16-tool 3ds FILE` on files of our own making: the JSON it prints and its exit status.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "tests/model3ds/writer3ds.h"

namespace zel::model3ds {

using namespace test;

namespace {

struct ToolRun {
  std::string output;
  int status;
};

ToolRun RunTool(const std::string &file) {
  const std::string command = std::string(ZEL16_BINARY_DIR) + "/zel16-tool 3ds '" + file + "' 2>&1";
  ToolRun run{"", -1};
  FILE *pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string WriteFile(const std::string &name, const std::vector<uint8_t> &bytes) {
  const std::string path = testing::TempDir() + "/" + name;
  FILE *f = std::fopen(path.c_str(), "wb");
  if (f != nullptr) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  return path;
}

TEST(Tool3ds, DumpsMeshCameraAndMessages) {
  Mesh m;
  m.name = "";
  m.vertices = {0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, -1};  // file axes: renderer y is file z
  m.faces = {0, 1, 2};
  const auto file = UsualFile([&](Writer3ds &w) {
    w.Begin(0x7001).Begin(0x7012).U16(5).End().End();
    WriteObject(w, m);
    w.Begin(0x4000).Str("Cam").Begin(0x4700);
    for (float f : {1.f, 2.f, 3.f, 4.f, 5.f, 6.f, 0.f, 50.f}) w.F32(f);
    w.End().End();
  });
  const ToolRun run = RunTool(WriteFile("tool_dump.3ds", file));
  EXPECT_EQ(run.status, 0) << run.output;
  const std::string &out = run.output;
  EXPECT_NE(out.find("\"objectCount\": 1"), std::string::npos) << out;
  EXPECT_NE(out.find("\"name\": \"Default Name\", \"vertexCount\": 4, \"faceCount\": 1"), std::string::npos) << out;
  EXPECT_NE(out.find("\"boundingBox\": {\"min\": [0, -1, 0], \"max\": [2, 0, 3]}"), std::string::npos) << out;
  // Three vertices with unit normals, one unused: mean length 0.75.
  EXPECT_NE(out.find("\"meanNormalLength\": 0.75, \"hasMapping\": false"), std::string::npos) << out;
  EXPECT_NE(out.find("\"camera\": {\"position\": [1, 3, 2], \"target\": [4, 6, 5], \"bank\": 0, \"lens\": 50}"),
            std::string::npos) << out;
  EXPECT_NE(out.find("\"messages\": [\"<Grid> active in viewport\", \"Found a dummy object\"]"), std::string::npos)
      << out;
}

TEST(Tool3ds, MissingAndForeignFiles) {
  const ToolRun missing = RunTool(testing::TempDir() + "/absent.3ds");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.output.find("\"messages\": [\"No 3ds File Found\"]"), std::string::npos) << missing.output;

  const ToolRun foreign = RunTool(WriteFile("foreign.3ds", {'P', 'K', 3, 4, 0, 0}));
  EXPECT_EQ(foreign.status, 0);
  EXPECT_NE(foreign.output.find("\"objectCount\": 0,\n  \"objects\": [],\n  \"camera\": null"), std::string::npos)
      << foreign.output;
}

}  // namespace

}  // namespace zel::model3ds
