// Shader load-time costs: assembling the demo's shader text (with debug information, as the
// show does), validating its tokens and writing its GLSL. All run once at start-up; these
// numbers say how much of the loading time they take.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gfxutil/shader.h"
#include "shader/glsl_writer.h"
#include "shader/program.h"

namespace zel::shader {

namespace {

std::string ShaderText() {
  std::ifstream file(std::string(ZEL16_BINARY_DIR) + "/Data/Other/ref.vsh");
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::vector<uint32_t> Assemble(const std::string &text) {
  LPD3DXBUFFER code = nullptr;
  std::vector<uint32_t> tokens;
  if (SUCCEEDED(D3DXAssembleShader(text.data(), UINT(text.size()), nullptr, nullptr, D3DXSHADER_DEBUG, &code,
                                   nullptr))) {
    const uint32_t *p = static_cast<const uint32_t *>(code->GetBufferPointer());
    tokens.assign(p, p + code->GetBufferSize() / 4);
    code->Release();
  }
  return tokens;
}

void BM_AssembleDemoShader(benchmark::State &state) {
  const std::string text = ShaderText();
  if (Assemble(text).empty()) return state.SkipWithError("no Data/Other/ref.vsh in the build");
  for (auto _ : state) benchmark::DoNotOptimize(Assemble(text));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_AssembleDemoShader);

void BM_ValidateAndTranslateDemoShader(benchmark::State &state) {
  const std::vector<uint32_t> tokens = Assemble(ShaderText());
  if (tokens.empty()) return state.SkipWithError("no Data/Other/ref.vsh in the build");
  for (auto _ : state) {
    zel::shader::ShaderProgram program;
    zel::shader::ShaderError error;
    zel::shader::ValidateVertexShader(tokens.data(), tokens.size(), &program, &error);
    benchmark::DoNotOptimize(zel::shader::WriteVertexGlsl(program));
  }
}
BENCHMARK(BM_ValidateAndTranslateDemoShader);

}  // namespace

}  // namespace zel::shader

BENCHMARK_MAIN();
