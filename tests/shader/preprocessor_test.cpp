// The shader preprocessor on its own: comments, continuations, macros, conditionals,
// includes, and errors with file and line.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "shader/preprocessor.h"
#include "shader/source_files.h"

namespace zel::shader {

namespace {

using zel::shader::PreprocessOutput;

struct PpRun {
  bool ok;
  std::string text;  // "line:text" per kept line
  std::string errors;
};

PpRun Pre(const std::string &text, std::map<std::string, std::string> files = {},
        std::vector<std::pair<std::string, std::string>> defines = {}) {
  PreprocessOutput out;
  auto opener = [&files](const zel::shader::IncludeRequest &request, std::string *body, std::string *resolved,
                         std::string *) {
    *resolved = zel::shader::DirectoryOf(request.includer) + request.name;
    auto found = files.find(*resolved);
    if (found == files.end()) return false;
    *body = found->second;
    return true;
  };
  PpRun run;
  run.ok = zel::shader::Preprocess(text, "dir/main.vsh", defines, opener, &out);
  for (const auto &line : out.lines) run.text += out.files[line.file] + ":" + std::to_string(line.line) + ":" + line.text + "\n";
  for (const auto &e : out.errors) run.errors += e + "\n";
  return run;
}

TEST(ShaderPreprocessor, CommentsAndContinuationsKeepLineNumbers) {
  const PpRun r = Pre("a // one\nb ; two\nc /* three\nstill */ d\ne \\\n f\ng\n");
  EXPECT_TRUE(r.ok) << r.errors;
  EXPECT_EQ(r.text, "dir/main.vsh:1:a\ndir/main.vsh:2:b\ndir/main.vsh:3:c\ndir/main.vsh:4:d\n"
                    "dir/main.vsh:5:e  f\ndir/main.vsh:7:g\n");
}

TEST(ShaderPreprocessor, ObjectAndFunctionMacros) {
  const PpRun r = Pre("#define M c4\n#define XF(d, s) m4x4 d, s, M\n#define TWICE(x) XF(x, x)\n"
                    "XF(oPos, v0)\nTWICE(r1)\nXF (r2,v3)\n#undef M\nXF(r0, r0)\nM.xyz 1.5e+3 r0.x\n",
                    {}, {{"EXTRA", "c9"}});
  EXPECT_TRUE(r.ok) << r.errors;
  EXPECT_EQ(r.text, "dir/main.vsh:4:m4x4 oPos, v0, c4\ndir/main.vsh:5:m4x4 r1, r1, c4\n"
                    "dir/main.vsh:6:m4x4 r2, v3, c4\ndir/main.vsh:8:m4x4 r0, r0, M\ndir/main.vsh:9:M.xyz 1.5e+3 r0.x\n");
}

TEST(ShaderPreprocessor, SelfReferenceStopsAndWrongArgumentCountFails) {
  EXPECT_EQ(Pre("#define A A B\n#define B A\nA\n").text, "dir/main.vsh:3:A A\n");
  const PpRun r = Pre("#define F(a, b) a b\nF(1)\n");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.errors, "dir/main.vsh(2): F takes 2 arguments, given 1\n");
}

TEST(ShaderPreprocessor, ConditionalsWithExpressions) {
  const PpRun r = Pre("#define V 3\n"
                    "#if V * 2 == 6 && defined(V) && !defined NOPE\nyes1\n#else\nno1\n#endif\n"
                    "#ifdef NOPE\nno2\n#elif (V << 1) > 5 ? 1 : 0\nyes2\n#elif 1\nno3\n#else\nno4\n#endif\n"
                    "#ifndef V\nno5\n#else\nyes3\n#endif\n"
                    "#if 0\n#if garbage (\n#error not here\n#endif\n#endif\n"
                    "#if UNDEFINED_NAME + 0x10 == 16\nyes4\n#endif\n");
  EXPECT_TRUE(r.ok) << r.errors;
  EXPECT_EQ(r.text, "dir/main.vsh:3:yes1\ndir/main.vsh:10:yes2\ndir/main.vsh:19:yes3\ndir/main.vsh:27:yes4\n");
}

TEST(ShaderPreprocessor, IncludeIsRelativeToTheIncludingFile) {
  const PpRun r = Pre("top\n#include \"sub/a.inc\"\nafter\n",
                    {{"dir/sub/a.inc", "in_a\n#include \"b.inc\"\n"}, {"dir/sub/b.inc", "in_b\n"}});
  EXPECT_TRUE(r.ok) << r.errors;
  EXPECT_EQ(r.text, "dir/main.vsh:1:top\ndir/sub/a.inc:1:in_a\ndir/sub/b.inc:1:in_b\ndir/main.vsh:3:after\n");
}

TEST(ShaderPreprocessor, ErrorsCarryFileAndLine) {
  const struct {
    const char *text;
    const char *error;
  } cases[] = {
      {"#if 1\nx\n", "dir/main.vsh(1): #if without #endif"},
      {"#endif\n", "dir/main.vsh(1): #endif without #if"},
      {"#if 1\n#else\n#else\n#endif\n", "dir/main.vsh(3): #else after #else"},
      {"#if 1 / 0\n#endif\n", "dir/main.vsh(1): division by zero in #if expression"},
      {"#if (1\n#endif\n", "dir/main.vsh(1): bad #if expression"},
      {"#frob\n", "dir/main.vsh(1): unknown directive #frob"},
      {"#define\n", "dir/main.vsh(1): #define needs a macro name"},
      {"#error stop here\n", "dir/main.vsh(1): #error stop here"},
      {"#include \"none.inc\"\n", "dir/main.vsh(1): cannot open include file 'none.inc'"},
      {"#include none.inc\n", "dir/main.vsh(1): #include needs \"file\" or <file>"},
      {"x /* open\n\ny\n", "dir/main.vsh(1): unterminated /* comment"},
      {"#define F(a) F(a) F(a)\n#define G(a) F(F(F(F(a))))\nG(G(G(G(G(G(G(G(G(G(1))))))))))\n",
       "dir/main.vsh(3): line longer than 64 KiB once its macros are expanded"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.text);
    const PpRun r = Pre(c.text);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.errors.find(c.error), std::string::npos) << r.errors;
  }
}

TEST(ShaderPreprocessor, IncludeCycleStopsWithAnError) {
  const PpRun r = Pre("#include \"self.inc\"\n", {{"dir/self.inc", "#include \"self.inc\"\n"}});
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.errors.find("dir/self.inc(1): #include nested too deeply"), std::string::npos) << r.errors;
}

}  // namespace

}  // namespace zel::shader
