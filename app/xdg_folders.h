// The desktop's folder conventions that an installed zel16 follows: the XDG base directories
// (where shared data lives) and the XDG user directories (where the user keeps pictures).
// The environment is read once into XdgEnvironment, so every rule here is a pure function.
#pragma once

#include <string>
#include <vector>

namespace zel::app {

struct XdgEnvironment {
  std::string home;        // $HOME
  std::string dataHome;    // $XDG_DATA_HOME
  std::string dataDirs;    // $XDG_DATA_DIRS, folders separated by ':'
  std::string configHome;  // $XDG_CONFIG_HOME

  // The variables of this process; unset ones are empty.
  static XdgEnvironment FromProcess();
};

// The base folders for data, most important first: $XDG_DATA_HOME (default ~/.local/share),
// then each folder of $XDG_DATA_DIRS (default /usr/local/share:/usr/share). Relative paths
// are ignored, as the convention says; without a home there is no default for the first.
std::vector<std::string> XdgDataFolders(const XdgEnvironment& env);

// The user's pictures folder as `xdg-user-dir PICTURES` names it: XDG_PICTURES_DIR from
// $XDG_CONFIG_HOME/user-dirs.dirs (default ~/.config), else the home folder. Empty when
// there is no home. The folder need not exist.
std::string XdgPicturesFolder(const XdgEnvironment& env);

// The value the text of a user-dirs.dirs file gives `key` (as "XDG_PICTURES_DIR"), with
// "$HOME" replaced by `home`; the last assignment wins, as when a shell reads the file.
// Only the file's own forms count: "$HOME/..." or an absolute path, in double quotes.
// Empty when the text does not set the key.
std::string UserDirsValue(const std::string& text, const std::string& key, const std::string& home);

}  // namespace zel::app
