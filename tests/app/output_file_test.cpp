// Outputs that are never lost, in the cases the runs of the built program do not reach:
// links and devices as destinations, a cut-short capture into an empty folder, files that
// appear in the destination while a capture runs, and which names make an earlier capture.
#include "app/output_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/offline/capture_sink.h"

namespace zel::app {

namespace {

namespace fs = std::filesystem;
using output::PendingFile;
using output::PendingFolder;
using output::Placement;

class OutputFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("zel16_output_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
           std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  std::string Path(const std::string& name) const { return (dir / name).string(); }
  static void Write(const std::string& path, const std::string& text) { std::ofstream(path) << text; }
  static std::string Read(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // The names in a folder, sorted.
  static std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir;
};

TEST_F(OutputFileTest, ResolvingFollowsLinksAndRefusesWhatNamesNothing) {
  std::string resolved, error;
  Write(Path("target.png"), "x");
  fs::create_symlink(dir / "target.png", dir / "link.png");
  ASSERT_TRUE(output::ResolveDestination(Path("link.png"), &resolved, &error)) << error;
  EXPECT_EQ(resolved, Path("target.png"));  // the link stays a link to the new file
  ASSERT_TRUE(output::ResolveDestination(Path("frames/"), &resolved, &error));
  EXPECT_EQ(resolved, Path("frames"));
  fs::create_symlink("loop", dir / "loop");
  EXPECT_FALSE(output::ResolveDestination(Path("loop/x.png"), &resolved, &error));
  EXPECT_NE(error.find("symbolic links"), std::string::npos) << error;
  EXPECT_FALSE(output::ResolveDestination(Path(std::string(300, 'a')), &resolved, &error));
  EXPECT_NE(error.find("too long"), std::string::npos) << error;
  EXPECT_FALSE(output::ResolveDestination("/", &resolved, &error));
  EXPECT_FALSE(output::ResolveDestination("", &resolved, &error));
  // A pipe or a device is written in place: /dev/stdout stays a way to standard output.
  ASSERT_TRUE(output::ResolveDestination("/dev/null", &resolved, &error));
  PendingFile device(resolved);
  ASSERT_TRUE(device.Create(&error));
  EXPECT_EQ(device.TempPath(), "/dev/null");
  EXPECT_EQ(device.Place(true, &error), Placement::Placed);
}

TEST_F(OutputFileTest, CutShortFolderKeepsTheEarlierCaptureButFillsAnEmptyFolder) {
  const fs::path out = dir / "frames";
  fs::create_directories(out);
  Write((out / "frame_000000.png").string(), "old");
  PendingFolder cut(out.string(), zel::app::offline::IsCaptureFileName);
  std::string error;
  ASSERT_TRUE(cut.Create(&error));
  Write((fs::path(cut.TempPath()) / "frame_000009.png").string(), "new");
  EXPECT_EQ(cut.Place(false, &error), Placement::KeptEarlier);
  EXPECT_EQ(Names(out), std::vector<std::string>{"frame_000000.png"});
  EXPECT_EQ(Names(dir), std::vector<std::string>{"frames"});

  const fs::path empty = dir / "empty";
  fs::create_directories(empty);
  PendingFolder filled(empty.string(), zel::app::offline::IsCaptureFileName);
  ASSERT_TRUE(filled.Create(&error));
  Write((fs::path(filled.TempPath()) / "frame_000009.png").string(), "new");
  EXPECT_EQ(filled.Place(false, &error), Placement::Placed) << error;
  EXPECT_EQ(Names(empty), std::vector<std::string>{"frame_000009.png"});
}

TEST_F(OutputFileTest, FolderWithOtherFilesIsNeverReplaced) {
  const fs::path out = dir / "frames";
  fs::create_directories(out / "sub");
  Write((out / "frame_000000.png").string(), "old");
  PendingFolder withFolder(out.string(), zel::app::offline::IsCaptureFileName);
  EXPECT_NE(withFolder.Check().find("not an earlier capture (sub)"), std::string::npos) << withFolder.Check();
  // Even when the files came while the capture ran, the swap looks again and keeps them.
  fs::remove(out / "sub");
  PendingFolder late(out.string(), zel::app::offline::IsCaptureFileName);
  ASSERT_EQ(late.Check(), "");
  std::string error;
  ASSERT_TRUE(late.Create(&error));
  Write((out / "notes.txt").string(), "mine");
  EXPECT_EQ(late.Place(true, &error), Placement::Failed);
  EXPECT_EQ(Read((out / "notes.txt").string()), "mine");
  EXPECT_NE(error.find(late.TempPath()), std::string::npos) << "where the new frames are: " << error;
}

TEST_F(OutputFileTest, CaptureFileNamesAreFramesTheirPartsAndTheSoundtrack) {
  for (const char* name : {"frame_000000.png", "frame_1234567.png", "frame_000042.png.part", "soundtrack.wav"})
    EXPECT_TRUE(zel::app::offline::IsCaptureFileName(name)) << name;
  for (const char* name : {"frame_00000.png", "frame_00000a.png", "frame_000000.jpg", "soundtrack.wav.part",
                           "notes.txt", ".frame_000000.png", "frame_.png"})
    EXPECT_FALSE(zel::app::offline::IsCaptureFileName(name)) << name;
}

}  // namespace

}  // namespace zel::app
