// A program fed through a pipe: found on PATH, its exit status reported, and a program that
// stops reading gives a failed write rather than ending us with SIGPIPE.
#include <zel_child_process.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using zel::crt::ChildProcess;
using zel::crt::FindOnPath;

TEST(ChildProcess, FindsProgramsOnPathOnly) {
  const std::string sh = FindOnPath("sh");
  ASSERT_FALSE(sh.empty());
  EXPECT_EQ(sh.back(), 'h');
  EXPECT_EQ(FindOnPath("zel16-no-such-program"), "");
  EXPECT_EQ(FindOnPath("/bin/sh"), "");  // a path is not looked up
  EXPECT_EQ(FindOnPath(""), "");
}

TEST(ChildProcess, ReportsTheProgramsExitStatusAfterItReadsAll) {
  ChildProcess child;
  std::string error;
  // Exits with 3 only when it read exactly the 6 bytes written.
  ASSERT_TRUE(child.Start({FindOnPath("sh"), "-c", "test \"$(cat)\" = hello && exit 3"}, &error))
      << error;
  EXPECT_TRUE(child.Write("hello\n", 6));
  EXPECT_EQ(child.Finish(), 3);
  EXPECT_EQ(child.Finish(), -1);  // nothing left to wait for
}

TEST(ChildProcess, ProgramThatStopsReadingGivesAFailedWrite) {
  ChildProcess child;
  std::string error;
  ASSERT_TRUE(child.Start({FindOnPath("sh"), "-c", "exit 0"}, &error)) << error;
  std::vector<char> block(1 << 20, 'x');
  bool failed = false;
  for (int i = 0; i < 64 && !failed; ++i) failed = !child.Write(block.data(), block.size());
  EXPECT_TRUE(failed);
  EXPECT_EQ(child.Finish(), 0);
}

TEST(ChildProcess, RunsInAProcessGroupOfItsOwn) {
  // The terminal's Ctrl-C goes to the foreground group; the child must not be in ours.
  ChildProcess child;
  std::string error;
  ASSERT_TRUE(child.Start({FindOnPath("sh"), "-c", "set -- $(cat /proc/$$/stat); test \"$5\" = $$ && exit 5"},
                          &error))
      << error;
  EXPECT_EQ(child.Finish(), 5);
}

TEST(ChildProcess, UnstartableProgramExitsWith127) {
  ChildProcess child;
  std::string error;
  ASSERT_TRUE(child.Start({"/nonexistent/program"}, &error));
  EXPECT_EQ(child.Finish(), 127);
  EXPECT_FALSE(child.Start({}, &error));
}

}  // namespace
