#include "app/xdg_folders.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace zel::app {

namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool IsAbsolute(const std::string& path) { return !path.empty() && path[0] == '/'; }

// The part of `text` after `prefix`, when it starts with it.
bool StripPrefix(std::string& text, const std::string& prefix) {
  if (text.compare(0, prefix.size(), prefix) != 0) return false;
  text.erase(0, prefix.size());
  return true;
}

void SkipBlanks(std::string& text) { text.erase(0, text.find_first_not_of(" \t")); }

// The text up to the closing double quote, backslash escapes undone; false when the line
// ends before the quote (a shell would refuse such a file).
bool ReadQuoted(const std::string& text, std::string& value) {
  value.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '"') return true;
    if (text[i] == '\\' && i + 1 < text.size()) ++i;
    value += text[i];
  }
  return false;
}

// One line of user-dirs.dirs: the folder it gives `key`, or false.
bool ParseUserDirsLine(std::string line, const std::string& key, const std::string& home,
                       std::string& folder) {
  SkipBlanks(line);
  if (!StripPrefix(line, key)) return false;
  SkipBlanks(line);
  if (!StripPrefix(line, "=")) return false;
  SkipBlanks(line);
  if (!StripPrefix(line, "\"")) return false;
  std::string value;
  if (!ReadQuoted(line, value)) return false;
  if (StripPrefix(value, "$HOME")) {
    if (!value.empty() && value[0] != '/') return false;  // "$HOMEWORK" is another variable
    if (home.empty()) return false;
    value = home + value;
  } else if (!IsAbsolute(value)) {
    return false;
  }
  while (value.size() > 1 && value.back() == '/') value.pop_back();
  folder = value;
  return true;
}

std::string ReadTextFile(const std::string& path) {
  std::ifstream in(path);
  if (!in) return {};
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

XdgEnvironment XdgEnvironment::FromProcess() {
  return {Variable("HOME"), Variable("XDG_DATA_HOME"), Variable("XDG_DATA_DIRS"),
          Variable("XDG_CONFIG_HOME")};
}

std::vector<std::string> XdgDataFolders(const XdgEnvironment& env) {
  std::vector<std::string> folders;
  if (IsAbsolute(env.dataHome))
    folders.push_back(env.dataHome);
  else if (IsAbsolute(env.home))
    folders.push_back(env.home + "/.local/share");
  // An empty or wholly relative list counts as unset.
  std::vector<std::string> system;
  std::stringstream list(env.dataDirs);
  for (std::string folder; std::getline(list, folder, ':');)
    if (IsAbsolute(folder)) system.push_back(folder);
  if (system.empty()) system = {"/usr/local/share", "/usr/share"};
  folders.insert(folders.end(), system.begin(), system.end());
  return folders;
}

std::string UserDirsValue(const std::string& text, const std::string& key, const std::string& home) {
  std::string found;
  std::stringstream lines(text);
  for (std::string line, folder; std::getline(lines, line);)
    if (ParseUserDirsLine(line, key, home, folder)) found = folder;
  return found;
}

std::string XdgPicturesFolder(const XdgEnvironment& env) {
  if (!IsAbsolute(env.home)) return {};
  const std::string config = IsAbsolute(env.configHome) ? env.configHome : env.home + "/.config";
  std::string pictures = UserDirsValue(ReadTextFile(config + "/user-dirs.dirs"), "XDG_PICTURES_DIR", env.home);
  return pictures.empty() ? env.home : pictures;
}

}  // namespace zel::app
