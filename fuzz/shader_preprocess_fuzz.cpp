// Feeds arbitrary text, with files to include, to the shader preprocessor and assembler. The
// input is split at NUL bytes: the first part is the main file, the next ones are the files
// "a", "b", ... that #include can name (and include again, or in a cycle). Every run must end
// by itself within the preprocessor's budget (ci-hardening.sh runs this target with tight
// -timeout, -rss_limit_mb and -malloc_limit_mb) and report truthfully: tokens that validate,
// or errors.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "shader/assembler.h"
#include "shader/program.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  using namespace zel::shader;
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0 && parts.size() < 9) parts.emplace_back();
    else parts.back() += char(data[i]);
  }
  const IncludeOpener includes = [&parts](const IncludeRequest &request, std::string *text, std::string *resolved,
                                          std::string *error) {
    const size_t index = request.name.size() == 1 ? size_t(request.name[0] - 'a') + 1 : 0;
    if (index == 0 || index >= parts.size()) return false;
    if (parts[index].size() > request.maxBytes) {
      *error = "too large";
      return false;
    }
    *text = parts[index];
    *resolved = request.name;
    return true;
  };
  std::vector<uint32_t> tokens;
  std::vector<std::string> errors;
  AssembleOptions options;
  options.debugInfo = size & 1;
  const bool ok = AssembleSource(parts[0], "fuzz.vsh", {{"FUZZ", "c1"}}, includes, options, &tokens, &errors);
  if (ok != errors.empty() || errors.size() > kMaxErrors + 1) std::abort();
  if (!ok) {
    if (!tokens.empty()) std::abort();  // a failure hands out no tokens
    return 0;
  }
  ShaderProgram program;
  ShaderError error;
  if (!ValidateVertexShader(tokens.data(), tokens.size(), &program, &error)) std::abort();
  return 0;
}
