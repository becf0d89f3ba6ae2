// zel16-tool asm and disasm, run as the built program.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/shader/shader_testing.h"

namespace zel::tool {

namespace {

struct Result {
  int status;
  std::string out;
};

Result Tool(const std::string &arguments) {
  const std::string command = std::string(ZEL16_BINARY_DIR) + "/zel16-tool " + arguments + " 2>/dev/null";
  Result r{-1, ""};
  FILE *pipe = popen(command.c_str(), "r");
  if (!pipe) return r;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
  const int status = pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

// The golden token file without its comments, one instruction a line.
std::string GoldenLines(const std::string &name) {
  std::istringstream in(zel::shader::test::ReadText(zel::shader::test::GoldenPath(name, ".tokens")));
  std::string line, out;
  while (std::getline(in, line)) {
    std::istringstream words(line.substr(0, line.find('#')));
    std::string word, joined;
    while (words >> word) joined += (joined.empty() ? "" : " ") + word;
    if (!joined.empty()) out += joined + "\n";
  }
  return out;
}

TEST(ToolShader, AsmPrintsOneInstructionALine) {
  for (const std::string &name : zel::shader::test::GoldenShaderNames()) {
    const Result r = Tool("asm " + zel::shader::test::GoldenPath(name, ".vsh") + " -x");
    EXPECT_EQ(r.status, 0) << name;
    EXPECT_EQ(r.out, GoldenLines(name)) << name;
  }
}

TEST(ToolShader, AsmThenDisasmThenAsmGivesTheSameFile) {
  const std::string dir = ::testing::TempDir();
  for (const std::string &name : zel::shader::test::GoldenShaderNames()) {
    const std::string first = dir + name + ".vso", text = dir + name + "_back.vsh", second = dir + name + "_back.vso";
    ASSERT_EQ(Tool("asm " + zel::shader::test::GoldenPath(name, ".vsh") + " -o " + first).status, 0);
    const Result disasm = Tool("disasm " + first);
    ASSERT_EQ(disasm.status, 0);
    std::ofstream(text) << disasm.out;
    ASSERT_EQ(Tool("asm " + text + " -o " + second).status, 0);
    EXPECT_EQ(zel::shader::test::ReadText(first), zel::shader::test::ReadText(second)) << name;
  }
}

TEST(ToolShader, BadInputFailsWithStatusOneAndBadUsageWithTwo) {
  const std::string dir = ::testing::TempDir();
  std::ofstream(dir + "bad.vsh") << "vs_1_1\nmov r0, q\n";
  EXPECT_EQ(Tool("asm " + dir + "bad.vsh -x").status, 1);
  std::ofstream(dir + "odd.vso", std::ios::binary) << "abcde";
  EXPECT_EQ(Tool("disasm " + dir + "odd.vso").status, 1);
  std::ofstream(dir + "cut.vso", std::ios::binary).write("\x01\x01\xFE\xFF", 4);  // version, no end
  EXPECT_EQ(Tool("disasm " + dir + "cut.vso").status, 1);
  EXPECT_EQ(Tool("disasm " + dir + "missing.vso").status, 1);
  EXPECT_EQ(Tool("asm").status, 2);
  EXPECT_EQ(Tool("disasm").status, 2);
}

}  // namespace

}  // namespace zel::tool
