// A program fed through a pipe: found on PATH, its exit status reported, and a program that
// stops reading gives a failed write rather than ending us with SIGPIPE. No write or wait
// outlasts a stop request, whatever the program does.
#include <zel_child_process.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace zel::crt {

namespace {

using zel::crt::ChildProcess;
using zel::crt::FindOnPath;

// Whether process `pid` still runs (a zombie waiting for its new parent does not), looking
// for a few seconds, as a killed process takes a moment to go.
bool Alive(int pid) {
  for (int i = 0; i < 50; ++i) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    const size_t close = line.rfind(')');
    if (close != std::string::npos && line.size() > close + 2 && line[close + 2] == 'Z') return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
}

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

TEST(ChildProcess, StopRequestEndsWritesAndWaitsOnAProgramThatHangs) {
  // A program that never reads: the pipe fills, and the write gives up once a stop is asked.
  ChildProcess silent;
  std::string error;
  ASSERT_TRUE(silent.Start({FindOnPath("sh"), "-c", "exec sleep 600"}, &error)) << error;
  std::vector<char> block(1 << 20, 'x');
  int asked = 0;
  EXPECT_FALSE(silent.Write(block.data(), block.size(), [&] { return ++asked >= 3; }));
  EXPECT_GE(asked, 3);
  // Its wait ends too: the program is killed once its grace is over.
  EXPECT_EQ(silent.Finish([] { return true; }), -1);

  // A program that reads everything and then never ends, with a child of its own: the
  // whole group goes, so nothing is left holding the output.
  ChildProcess stuck;
  ASSERT_TRUE(stuck.Start({FindOnPath("sh"), "-c", "cat >/dev/null; sleep 600 & echo $! >&2; wait"}, &error));
  EXPECT_TRUE(stuck.Write("frames", 6));
  int polls = 0;
  EXPECT_EQ(stuck.Finish([&] { return ++polls > 5; }), -1);
  const int grandchild = std::atoi(stuck.ErrorOutput().c_str());
  ASSERT_GT(grandchild, 0);
  EXPECT_FALSE(Alive(grandchild)) << "sleep " << grandchild << " outlived the stop";
}

}  // namespace

}  // namespace zel::crt
