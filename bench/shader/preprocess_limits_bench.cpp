// Worst cases for shader text: hostile inputs of up to 1 MB each (plus what they include)
// through the preprocessor and the assembler. Each reports its time and, as peak_MiB, the
// most heap it held at once, measured by counting every allocation in this program.
// The target is under 1 s and 64 MB for any of them.
//   ./bench/shader/bench_shader_limits --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "shader/assembler.h"
#include "shader/preprocessor.h"

// ---- heap accounting: every allocation carries its size in front of it ----
namespace {
std::atomic<size_t> gLive{0}, gPeak{0};
constexpr size_t kHeader = 16;  // keeps the block's alignment

void *Allocate(size_t size) {
  auto *block = static_cast<char *>(std::malloc(size + kHeader));
  if (!block) throw std::bad_alloc();
  *reinterpret_cast<size_t *>(block) = size;
  const size_t live = gLive += size;
  size_t peak = gPeak.load();
  while (live > peak && !gPeak.compare_exchange_weak(peak, live)) {
  }
  return block + kHeader;
}
void Release(void *p) {
  if (!p) return;
  char *block = static_cast<char *>(p) - kHeader;
  gLive -= *reinterpret_cast<size_t *>(block);
  std::free(block);
}
}  // namespace

void *operator new(size_t size) { return Allocate(size); }
void *operator new[](size_t size) { return Allocate(size); }
void operator delete(void *p) noexcept { Release(p); }
void operator delete[](void *p) noexcept { Release(p); }
void operator delete(void *p, size_t) noexcept { Release(p); }
void operator delete[](void *p, size_t) noexcept { Release(p); }

namespace zel::shader {

namespace {

constexpr size_t kInputBytes = size_t(1) << 20;

// Lines repeated up to 1 MB after a head.
std::string Fill(const std::string &head, const std::string &line) {
  std::string text = head;
  while (text.size() + line.size() <= kInputBytes) text += line;
  return text;
}

std::string Doubling(int levels) {
  std::string text = "#define B0 x\n";
  for (int i = 1; i <= levels; ++i)
    text += "#define B" + std::to_string(i) + " B" + std::to_string(i - 1) + " B" + std::to_string(i - 1) + "\n";
  return text;
}

const std::map<std::string, std::string> &IncludedFiles() {
  static const std::map<std::string, std::string> kFiles = {
      {"small.inc", "nop\n"},
      {"big.inc", std::string(kInputBytes - 1, ' ') + "\n"},
      {"twice.inc", "#include \"twice.inc\"\n#include \"twice.inc\"\n"}};
  return kFiles;
}

zel::shader::IncludeOpener MemoryIncludes() {
  return [](const zel::shader::IncludeRequest &request, std::string *text, std::string *resolved, std::string *) {
    const auto found = IncludedFiles().find(request.name);
    if (found == IncludedFiles().end() || found->second.size() > request.maxBytes) return false;
    *text = found->second;
    *resolved = request.name;
    return true;
  };
}

void Run(benchmark::State &state, const std::string &text) {
  const zel::shader::IncludeOpener includes = MemoryIncludes();
  size_t errors = 0;
  for (auto _ : state) {
    const size_t before = gLive;
    gPeak = before;
    std::vector<uint32_t> tokens;
    std::vector<std::string> messages;
    zel::shader::AssembleSource(text, "bench.vsh", {}, includes, zel::shader::AssembleOptions(), &tokens, &messages);
    errors = messages.size();
    state.counters["peak_MiB"] = double(gPeak - before + text.size()) / (1 << 20);  // the input held too
  }
  state.counters["errors"] = double(errors);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

#define SHADER_CASE(name, text)                                   \
  void BM_##name(benchmark::State &state) { Run(state, (text)); } \
  BENCHMARK(BM_##name)->Unit(benchmark::kMillisecond)

SHADER_CASE(Statements, Fill("vs_3_0\n", "mad r0, r1, c2, r3\n"));
SHADER_CASE(BadLines, Fill("vs_3_0\n", "bad r0, r1\n"));
SHADER_CASE(OneLongLine, "vs_3_0\n" + std::string(kInputBytes - 8, 'x'));
SHADER_CASE(LongComment, "vs_3_0\n/*" + std::string(kInputBytes - 12, '*') + "*/\n");
SHADER_CASE(SameSmallInclude, Fill("vs_3_0\n", "#include \"small.inc\"\n"));
SHADER_CASE(SameHugeInclude, Fill("vs_3_0\n", "#include \"big.inc\"\n"));
SHADER_CASE(IncludeCycle, Fill("vs_3_0\n", "#include \"twice.inc\"\n"));
SHADER_CASE(DoublingMacros, Fill(Doubling(30), "B14\n"));
SHADER_CASE(DroppedArguments, Fill(Doubling(30) + "#define DROP(a)\n", "DROP(B14)\n"));
SHADER_CASE(LongBodies, Fill("#define L " + std::string(60000, 'x') + "\n", "L L\n"));
SHADER_CASE(LongChain, [] {
  std::string text = "#define C0 nop\n";
  for (int i = 1; text.size() < kInputBytes - 4096; ++i)
    text += "#define C" + std::to_string(i) + " C" + std::to_string(i - 1) + "\n";
  return Fill(text, "C60\n");
}());
SHADER_CASE(DeepCondition, "#if " + std::string(kInputBytes / 2 - 8, '(') + "1" + std::string(kInputBytes / 2 - 8, ')') + "\n");
SHADER_CASE(ManyConditions, Fill("vs_3_0\n", "#if 1\n"));

}  // namespace

}  // namespace zel::shader

BENCHMARK_MAIN();
