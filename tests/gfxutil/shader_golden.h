// Golden shader files: tests/golden/shaders/NAME.vsh beside NAME.tokens (hex DWORDs written
// by hand, '#' starts a comment).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace zel::test {

inline const std::vector<std::string> &GoldenShaderNames() {
  static const std::vector<std::string> kNames = {"vs11_all", "vs20_all", "vs30_main"};
  return kNames;
}

inline std::string GoldenPath(const std::string &name, const char *extension) {
  return std::string(ZEL16_SOURCE_DIR) + "/tests/golden/shaders/" + name + extension;
}

inline std::string ReadText(const std::string &path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

inline std::vector<uint32_t> ReadGoldenTokens(const std::string &name) {
  std::vector<uint32_t> tokens;
  std::istringstream lines(ReadText(GoldenPath(name, ".tokens")));
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line.substr(0, line.find('#')));
    std::string word;
    while (words >> word) tokens.push_back(uint32_t(std::strtoul(word.c_str(), nullptr, 16)));
  }
  return tokens;
}

}  // namespace zel::test
