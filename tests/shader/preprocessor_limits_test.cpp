// Bounded preprocessing: includes, special files, huge inputs and runaway macros end with a
// clear error instead of unbounded time or memory. (Speed is measured in bench/shader.)
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "shader/assembler.h"
#include "shader/macros.h"
#include "shader/preprocessor.h"
#include "shader/source_files.h"

namespace zel::shader {

namespace {


struct PpRun {
  bool ok;
  std::string errors;  // one a line
  size_t errorCount;
};

PpRun Preprocessed(const std::string &text, const IncludeOpener &opener = nullptr) {
  PreprocessOutput out;
  PpRun run{Preprocess(text, "main.vsh", {}, opener, &out), "", out.errors.size()};
  for (const std::string &e : out.errors) run.errors += e + "\n";
  return run;
}

// Includes served from memory, by name.
IncludeOpener MemoryFiles(const std::map<std::string, std::string> &files) {
  return [files](const IncludeRequest &request, std::string *text, std::string *resolved, std::string *error) {
    const auto found = files.find(request.name);
    if (found == files.end()) return false;
    if (found->second.size() > request.maxBytes) {
      *error = "too large";
      return false;
    }
    *text = found->second;
    *resolved = request.name;
    return true;
  };
}

std::string Repeat(const std::string &line, size_t n) {
  std::string text;
  text.reserve(line.size() * n);
  for (size_t i = 0; i < n; ++i) text += line;
  return text;
}

#define EXPECT_ERROR(run, message)                                          \
  do {                                                                      \
    EXPECT_FALSE((run).ok);                                                 \
    EXPECT_NE((run).errors.find(message), std::string::npos) << (run).errors; \
  } while (0)

TEST(ShaderPreprocessLimits, IncludesAreCountedAndCycleFreeOnesStillWork) {
  const IncludeOpener files = MemoryFiles({{"a.inc", "nop\n"}, {"twice.inc", "#include \"twice.inc\"\n#include \"twice.inc\"\n"}});
  EXPECT_TRUE(Preprocessed(Repeat("#include \"a.inc\"\n", kMaxIncludes), files).ok);
  const PpRun many = Preprocessed(Repeat("#include \"a.inc\"\n", 50000), files);
  EXPECT_ERROR(many, "main.vsh(257): more than 256 #include directives");
  EXPECT_LE(many.errorCount, 1u);
  // A file that includes itself twice would open 2^16 files; the limits stop it early.
  const PpRun cycle = Preprocessed("#include \"twice.inc\"\n", files);
  EXPECT_ERROR(cycle, "twice.inc(1): #include nested too deeply");
  EXPECT_LE(cycle.errorCount, kMaxErrors + 1);
}

TEST(ShaderPreprocessLimits, FilesAreReadUpToTheirLimitAndTogetherUpToTheirs) {
  const std::string mib(kMaxSourceFileBytes, '\n');
  const IncludeOpener files = MemoryFiles({{"full.inc", mib}, {"over.inc", mib + "\n"}});
  EXPECT_TRUE(Preprocessed("#include \"full.inc\"\n", files).ok);
  EXPECT_ERROR(Preprocessed("#include \"over.inc\"\n", files), "main.vsh(1): cannot open include file 'over.inc': too large");
  EXPECT_TRUE(Preprocessed(Repeat("#include \"full.inc\"\n", 3), files).ok);  // with main: under 4 MiB
  EXPECT_ERROR(Preprocessed(Repeat("#include \"full.inc\"\n", 4), files),
               "full.inc(1): the shader's files come to more than 4 MiB, each #include counted");
  EXPECT_ERROR(Preprocessed(mib + "x"), "main.vsh(1): the file is larger than 1 MiB");
}

TEST(ShaderPreprocessLimits, OnlyRegularFilesAreRead) {
  const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / "zel16_pp_limits";
  std::filesystem::create_directories(dir);
  const std::string fifo = (dir / "pipe.inc").string();
  std::filesystem::remove(fifo);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);  // nobody writes it: opening it to read would wait
  std::ofstream(dir / "big.inc") << std::string(kMaxSourceFileBytes + 1, ' ');
  const struct {
    std::string include;
    const char *error;
  } cases[] = {
      {"/dev/zero", "'/dev/zero': is not a regular file"},
      {"pipe.inc", "pipe.inc': is not a regular file"},
      {dir.string(), "': is a directory"},
      {"none.inc", "none.inc': no such file"},
      {"big.inc", "big.inc': is larger than 1048576 bytes"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.include);
    PreprocessOutput out;
    EXPECT_FALSE(Preprocess("#include \"" + c.include + "\"\n", (dir / "main.vsh").string(), {}, FileSystemIncludes(), &out));
    ASSERT_EQ(out.errors.size(), 1u);
    EXPECT_NE(out.errors[0].find(c.error), std::string::npos) << out.errors[0];
  }
  std::vector<uint32_t> tokens;
  std::vector<std::string> errors;
  EXPECT_FALSE(AssembleFile("/dev/zero", AssembleOptions(), &tokens, &errors));
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "/dev/zero(0): is not a regular file");
  std::filesystem::remove_all(dir);
}

TEST(ShaderPreprocessLimits, RunawayMacrosStopWithAnError) {
  // Each B doubles the one before: B20 would be two million characters on one line.
  std::string doubling = "#define B0 x\n";
  for (int i = 1; i <= 20; ++i) doubling += "#define B" + std::to_string(i) + " B" + std::to_string(i - 1) + " B" + std::to_string(i - 1) + "\n";
  EXPECT_ERROR(Preprocessed(doubling + "B20\n"), "main.vsh(22): line longer than 64 KiB once its macros are expanded");
  EXPECT_TRUE(Preprocessed(doubling + "B12\n").ok);  // 8 KiB: fine
  // Each line within its limit, but too much work all together; and work that produces
  // nothing (arguments expanded, then dropped) counts as well.
  const PpRun doubled = Preprocessed(doubling + Repeat("B14\n", 1000));
  EXPECT_ERROR(doubled, "macro expansion needs more work than a shader may take");
  EXPECT_LE(doubled.errorCount, 1u);
  EXPECT_ERROR(Preprocessed(doubling + "#define DROP(a)\n" + Repeat("DROP(B14)\n", 1000)),
               "macro expansion needs more work than a shader may take");
  // Little work, much text: the output's own limit.
  EXPECT_ERROR(Preprocessed("#define L " + std::string(8000, 'x') + "\n" + Repeat("L\n", 1000)),
               "the shader's text comes to more than 4 MiB once expanded");
  // Many bad lines: the first kMaxErrors are reported, then the run stops.
  const PpRun bad = Preprocessed("#define F(a, b) a b\n" + Repeat("F(1)\n", 100000));
  EXPECT_EQ(bad.errorCount, kMaxErrors + 1);
  EXPECT_ERROR(bad, "main.vsh(65): too many errors; preprocessing stopped");
}

TEST(ShaderPreprocessLimits, LongChainsAndDeepExpressionsStopAtTheirDepth) {
  auto chain = [](int length) {
    std::string text = "#define C0 x\n";
    for (int i = 1; i <= length; ++i) text += "#define C" + std::to_string(i) + " C" + std::to_string(i - 1) + "\n";
    return text + "C" + std::to_string(length) + "\n";
  };
  EXPECT_TRUE(Preprocessed(chain(kMaxExpansionDepth - 1)).ok);
  EXPECT_ERROR(Preprocessed(chain(40000)), "macros nested too deeply");
  auto nested = [](int depth) { return "#if " + std::string(size_t(depth), '(') + "1" + std::string(size_t(depth), ')') + "\n#endif\n"; };
  EXPECT_TRUE(Preprocessed(nested(100)).ok);
  EXPECT_ERROR(Preprocessed(nested(30000)), "main.vsh(1): #if expression nested too deeply");
  EXPECT_ERROR(Preprocessed("#if " + std::string(60000, '!') + "1\n#endif\n"), "#if expression nested too deeply");
}

TEST(ShaderPreprocessLimits, TheAssemblerStopsPastAnyShadersLength) {
  std::vector<uint32_t> tokens;
  std::vector<std::string> errors;
  EXPECT_FALSE(AssembleSource("vs_3_0\n" + Repeat("nop\n", 200000), "memory", {}, nullptr, AssembleOptions(), &tokens, &errors));
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "memory(4098): more than 4096 statements: no vertex shader has room for them");
  errors.clear();
  EXPECT_FALSE(AssembleSource("vs_3_0\n" + Repeat("bad\n", 200000), "memory", {}, nullptr, AssembleOptions(), &tokens, &errors));
  EXPECT_EQ(errors.size(), kMaxErrors);
}

}  // namespace

}  // namespace zel::shader
