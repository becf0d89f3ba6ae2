// Renames that never replace, and exchanges of two folders in one step.
#include "platform/crt/file_rename.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;
using zel::crt::RenameOutcome;

std::string Read(const fs::path& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class FileRenameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("zel16_rename_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  fs::path dir;
};

TEST_F(FileRenameTest, NoReplaceLeavesWhatIsThereEvenADanglingLink) {
  std::ofstream(dir / "new") << "new";
  std::ofstream(dir / "old") << "old";
  std::string error;
  EXPECT_EQ(zel::crt::RenameNoReplace((dir / "new").string(), (dir / "old").string(), &error),
            RenameOutcome::DestinationTaken);
  EXPECT_EQ(Read(dir / "old"), "old");
  EXPECT_EQ(Read(dir / "new"), "new");
  fs::create_symlink(dir / "nowhere", dir / "dangling");
  EXPECT_EQ(zel::crt::RenameNoReplace((dir / "new").string(), (dir / "dangling").string(), &error),
            RenameOutcome::DestinationTaken);
  EXPECT_EQ(zel::crt::RenameNoReplace((dir / "new").string(), (dir / "free").string(), &error), RenameOutcome::Done);
  EXPECT_EQ(Read(dir / "free"), "new");
  EXPECT_FALSE(fs::exists(dir / "new"));
  EXPECT_EQ(zel::crt::RenameNoReplace((dir / "absent").string(), (dir / "other").string(), &error),
            RenameOutcome::Failed);
  EXPECT_NE(error.find("absent"), std::string::npos) << error;
}

TEST_F(FileRenameTest, ExchangeSwapsTwoFoldersWithTheirFiles) {
  fs::create_directories(dir / "a");
  fs::create_directories(dir / "b");
  std::ofstream(dir / "a" / "one") << "a";
  std::ofstream(dir / "b" / "two") << "b";
  std::string error;
  const RenameOutcome outcome = zel::crt::ExchangePaths((dir / "a").string(), (dir / "b").string(), &error);
  if (outcome == RenameOutcome::Unsupported) GTEST_SKIP() << "the file system under /tmp cannot exchange";
  ASSERT_EQ(outcome, RenameOutcome::Done) << error;
  EXPECT_EQ(Read(dir / "a" / "two"), "b");
  EXPECT_EQ(Read(dir / "b" / "one"), "a");
  EXPECT_EQ(zel::crt::ExchangePaths((dir / "a").string(), (dir / "absent").string(), &error), RenameOutcome::Failed);
}

}  // namespace
