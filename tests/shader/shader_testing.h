// Shared by the shader tests: golden files (tests/shader/golden/NAME.vsh beside NAME.tokens,
// hex DWORDs written by hand, '#' starts a comment) and assembling text in memory.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "shader/assembler.h"

namespace zel::shader::test {

inline const std::vector<std::string> &GoldenShaderNames() {
  static const std::vector<std::string> kNames = {"vs11_all", "vs20_all", "vs2x_all", "vs30_all"};
  return kNames;
}

inline std::string GoldenPath(const std::string &name, const char *extension) {
  return std::string(ZEL16_SOURCE_DIR) + "/tests/shader/golden/" + name + extension;
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

struct Assembled {
  bool ok = false;
  std::vector<uint32_t> tokens;
  std::string errors;  // one "file(line): message" a line
};

// Text named "memory" through the preprocessor (no includes) and the assembler.
inline Assembled AssembleText(const std::string &text, bool debugInfo = false) {
  Assembled out;
  std::vector<std::string> errors;
  zel::shader::AssembleOptions options;
  options.debugInfo = debugInfo;
  out.ok = zel::shader::AssembleSource(text, "memory", {}, nullptr, options, &out.tokens, &errors);
  for (const std::string &e : errors) out.errors += e + "\n";
  return out;
}

}  // namespace zel::shader::test
