// Where an installed zel16 looks for Data/ and puts screenshots: the XDG conventions it
// reads and the order of the folders it tries.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/program_folders.h"
#include "app/xdg_folders.h"

namespace zel::app {

namespace {

namespace fs = std::filesystem;

// A fresh empty folder, removed with the test.
class TempFolder {
 public:
  TempFolder() {
    char pattern[] = "/tmp/zel16-folders-XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~TempFolder() {
    std::error_code code;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, code);
    fs::remove_all(path_, code);
  }
  const std::string& path() const { return path_; }
  std::string Make(const std::string& relative) const {
    fs::create_directories(path_ + "/" + relative);
    return path_ + "/" + relative;
  }
  void Write(const std::string& relative, const std::string& text) const {
    fs::create_directories(fs::path(path_ + "/" + relative).parent_path());
    std::ofstream(path_ + "/" + relative) << text;
  }

 private:
  std::string path_;
};

TEST(XdgDataFolders, DefaultsWhenUnsetAndTheGivenOrderWhenSet) {
  XdgEnvironment env{"/home/ann", "", "", ""};
  EXPECT_EQ(XdgDataFolders(env),
            (std::vector<std::string>{"/home/ann/.local/share", "/usr/local/share", "/usr/share"}));
  env.dataHome = "/data/ann";
  env.dataDirs = "/opt/share:/srv/share";
  EXPECT_EQ(XdgDataFolders(env), (std::vector<std::string>{"/data/ann", "/opt/share", "/srv/share"}));
}

TEST(XdgDataFolders, RelativeEntriesAreIgnored) {
  // A relative XDG_DATA_HOME falls back to the default; relative list entries drop out,
  // and a list with nothing absolute left counts as unset.
  XdgEnvironment env{"/home/ann", "share", "relative::/opt/share", ""};
  EXPECT_EQ(XdgDataFolders(env), (std::vector<std::string>{"/home/ann/.local/share", "/opt/share"}));
  env.dataDirs = "a:b";
  EXPECT_EQ(XdgDataFolders(env),
            (std::vector<std::string>{"/home/ann/.local/share", "/usr/local/share", "/usr/share"}));
  env.home = "";  // no home: no per-user folder at all, not one relative to the working directory
  EXPECT_EQ(XdgDataFolders(env), (std::vector<std::string>{"/usr/local/share", "/usr/share"}));
}

TEST(UserDirs, ReadsBothFormsOfTheFile) {
  const std::string file =
      "# This file is written by xdg-user-dirs-update\n"
      "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
      "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
  EXPECT_EQ(UserDirsValue(file, "XDG_PICTURES_DIR", "/home/ann"), "/home/ann/Bilder");
  EXPECT_EQ(UserDirsValue("  XDG_PICTURES_DIR = \"/srv/photos/\"\n", "XDG_PICTURES_DIR", "/home/ann"), "/srv/photos");
  EXPECT_EQ(UserDirsValue("XDG_PICTURES_DIR=\"$HOME\"\n", "XDG_PICTURES_DIR", "/home/ann"), "/home/ann");
  // Backslash escapes as a shell undoes them inside double quotes.
  EXPECT_EQ(UserDirsValue("XDG_PICTURES_DIR=\"$HOME/My \\\"Pics\\\"\"\n", "XDG_PICTURES_DIR", "/h"), "/h/My \"Pics\"");
  // The last assignment wins, as when the file is sourced.
  EXPECT_EQ(UserDirsValue("XDG_PICTURES_DIR=\"/a\"\nXDG_PICTURES_DIR=\"/b\"\n", "XDG_PICTURES_DIR", "/h"), "/b");
}

TEST(UserDirs, IgnoresWhatTheFileFormatDoesNotAllow) {
  const char* lines[] = {
      "#XDG_PICTURES_DIR=\"/commented\"",
      "XDG_PICTURES_DIRS=\"/another/key\"",
      "XDG_PICTURES_DIR=/unquoted",
      "XDG_PICTURES_DIR=\"relative/path\"",
      "XDG_PICTURES_DIR=\"$HOMEWORK/x\"",
      "XDG_PICTURES_DIR=\"/no/closing/quote",
      "XDG_MUSIC_DIR=\"$HOME/Music\"",
  };
  for (const char* line : lines) EXPECT_EQ(UserDirsValue(line, "XDG_PICTURES_DIR", "/home/ann"), "") << line;
  // "$HOME/..." without a home names no folder.
  EXPECT_EQ(UserDirsValue("XDG_PICTURES_DIR=\"$HOME/Pictures\"", "XDG_PICTURES_DIR", ""), "");
}

TEST(XdgPicturesFolder, FromTheConfigFolderElseTheHomeFolder) {
  TempFolder home;
  XdgEnvironment env{home.path(), "", "", ""};
  EXPECT_EQ(XdgPicturesFolder(env), home.path());  // no user-dirs.dirs
  home.Write(".config/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Pictures\"\n");
  EXPECT_EQ(XdgPicturesFolder(env), home.path() + "/Pictures");
  home.Write("elsewhere/user-dirs.dirs", "XDG_PICTURES_DIR=\"/srv/pictures\"\n");
  env.configHome = home.path() + "/elsewhere";
  EXPECT_EQ(XdgPicturesFolder(env), "/srv/pictures");
  env.home = "";
  EXPECT_EQ(XdgPicturesFolder(env), "");
}

TEST(DataFolders, BuildThenInstalledTreeThenDesktopFolders) {
  XdgEnvironment env{"/home/ann", "", "/opt/share", ""};
  EXPECT_EQ(DataFolderCandidates("/usr/bin", env),
            (std::vector<std::string>{"/usr/bin", "/usr/share/zel16", "/home/ann/.local/share/zel16",
                                      "/opt/share/zel16"}));
  // An unknown executable folder leaves only the desktop's folders.
  EXPECT_EQ(DataFolderCandidates("", env),
            (std::vector<std::string>{"/home/ann/.local/share/zel16", "/opt/share/zel16"}));
}

TEST(DataFolders, TheFirstFolderHoldingADataDirectoryWins) {
  TempFolder root;
  const std::string build = root.Make("build"), share = root.Make("share/zel16"), xdg = root.Make("xdg/zel16");
  root.Make("xdg/zel16/Data");
  EXPECT_EQ(FirstFolderWithData({build, share, xdg}), xdg);
  root.Write("share/zel16/Data", "a file, not a folder");
  EXPECT_EQ(FirstFolderWithData({build, share, xdg}), xdg);
  root.Make("build/Data");
  EXPECT_EQ(FirstFolderWithData({build, share, xdg}), build);
  EXPECT_EQ(FirstFolderWithData({share, root.path() + "/missing"}), "");
}

TEST(ScreenshotFolder, TheStartingFolderWhenWritableElseThePictures) {
  TempFolder home;
  home.Write(".config/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Pictures\"\n");
  const XdgEnvironment env{home.path(), "", "", ""};
  const std::string start = home.Make("work");
  EXPECT_EQ(ScreenshotFolderFor(start, env), start);
  EXPECT_EQ(ScreenshotFolderFor(home.path() + "/gone", env), home.path() + "/Pictures");
  // No pictures folder either: the starting folder, so the failure names it.
  EXPECT_EQ(ScreenshotFolderFor(home.path() + "/gone", XdgEnvironment{}), home.path() + "/gone");
}

TEST(ScreenshotFolder, AReadOnlyStartingFolderIsPassedOver) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write into any folder";
  TempFolder home;
  const std::string start = home.Make("read-only");
  fs::permissions(start, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(ScreenshotFolderFor(start, XdgEnvironment{home.path(), "", "", ""}), home.path());
  fs::permissions(start, fs::perms::owner_all);
}

}  // namespace

}  // namespace zel::app
