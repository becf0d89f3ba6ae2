// Translated vertex shaders on Mesa: every golden shader compiles and links with a pixel
// stage, and instructions compute what Direct3D computes (outputs captured by transform
// feedback from one point).
#include <gtest/gtest.h>

#include <SDL.h>
#include <epoxy/gl.h>

#include <array>
#include <string>
#include <vector>

#include "shader/glsl_writer.h"
#include "tests/shader/shader_testing.h"

namespace zel::shader {

namespace {


class GlContext : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    window_ = SDL_CreateWindow("shader test", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (window_) context_ = SDL_GL_CreateContext(window_);
  }
  static void TearDownTestSuite() {
    if (context_) SDL_GL_DeleteContext(context_);
    if (window_) SDL_DestroyWindow(window_);
    SDL_Quit();
  }
  void SetUp() override {
    if (!context_) GTEST_SKIP() << "no OpenGL 3.3 context: " << SDL_GetError();
  }

  static GLuint Compile(GLenum type, const std::string &source, std::string *log) {
    GLuint shader = glCreateShader(type);
    const char *text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
      char buffer[4096] = {};
      glGetShaderInfoLog(shader, sizeof buffer, nullptr, buffer);
      *log = buffer;
      glDeleteShader(shader);
      return 0;
    }
    return shader;
  }

  // Links the translated vertex program with a pixel stage reading every varying; with
  // capture, the outputs of the first vertex are recorded instead of drawn.
  static GLuint Link(const std::string &vertexGlsl, bool capture, std::string *log) {
    static const char kPixel[] =
        "#version 330 core\nin vec4 zel_Diffuse;\nin vec4 zel_Specular;\nin vec4 zel_TexCoord[8];\nin float zel_Fog;\n"
        "out vec4 color;\nvoid main() { color = zel_Diffuse + zel_Specular + zel_TexCoord[0] * zel_Fog; }\n";
    GLuint vs = Compile(GL_VERTEX_SHADER, vertexGlsl, log);
    GLuint fs = Compile(GL_FRAGMENT_SHADER, kPixel, log);
    if (!vs || !fs) return 0;
    GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    if (capture) {
      const char *names[] = {"gl_Position", "zel_Diffuse", "zel_Specular", "zel_TexCoord[0]", "zel_TexCoord[1]", "zel_Fog"};
      glTransformFeedbackVaryings(program, 6, names, GL_INTERLEAVED_ATTRIBS);
    }
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
      char buffer[4096] = {};
      glGetProgramInfoLog(program, sizeof buffer, nullptr, buffer);
      *log = buffer;
      glDeleteProgram(program);
      return 0;
    }
    return program;
  }

  static SDL_Window *window_;
  static SDL_GLContext context_;
};
SDL_Window *GlContext::window_ = nullptr;
SDL_GLContext GlContext::context_ = nullptr;

std::vector<uint32_t> Assemble(const std::string &text) {
  const zel::shader::test::Assembled a = zel::shader::test::AssembleText(text);
  if (!a.ok) ADD_FAILURE() << text << a.errors;
  return a.tokens;
}

std::string Translate(const std::vector<uint32_t> &tokens) {
  ShaderProgram program;
  ShaderError error;
  if (!ValidateVertexShader(tokens.data(), tokens.size(), &program, &error)) {
    ADD_FAILURE() << error.message;
    return "";
  }
  return WriteVertexGlsl(program);
}

TEST_F(GlContext, EveryGoldenShaderCompilesAndLinks) {
  for (const std::string &name : zel::shader::test::GoldenShaderNames()) {
    const std::string glsl = Translate(zel::shader::test::ReadGoldenTokens(name));
    std::string log;
    GLuint program = Link(glsl, false, &log);
    EXPECT_NE(program, 0u) << name << "\n" << log << "\n" << glsl;
    glDeleteProgram(program);
  }
}

TEST_F(GlContext, TheDemosShaderCompilesAndLinks) {
  const std::string path = std::string(ZEL16_BINARY_DIR) + "/Data/Other/ref.vsh";
  std::vector<uint32_t> tokens;
  std::vector<std::string> errors;
  zel::shader::AssembleOptions options;
  options.debugInfo = true;
  if (!zel::shader::AssembleFile(path, options, &tokens, &errors)) GTEST_SKIP() << "no generated " << path;
  const std::string glsl = Translate(tokens);
  std::string log;
  GLuint program = Link(glsl, false, &log);
  EXPECT_NE(program, 0u) << log << "\n" << glsl;
  glDeleteProgram(program);
}

struct Outputs {
  std::array<float, 4> position, diffuse, specular, tex0, tex1;
  float fog;
};

// Runs the shader on one vertex: v0 = (1, 2, 3, 4) at the position location, v1 = (0.5, 0.5, 0.5, 1)
// at colour 0; constants as given (the rest zero).
class ShaderRun : public GlContext {
 protected:
  Outputs Run(const std::string &text, const std::vector<std::array<float, 4>> &constants) {
    Outputs out{};
    std::string log;
    const std::string glsl = Translate(Assemble(text));
    GLuint program = Link(glsl, true, &log);
    if (!program) {
      ADD_FAILURE() << log << "\n" << glsl;
      return out;
    }
    glUseProgram(program);
    std::vector<float> c(256 * 4, 0.0f);
    for (size_t i = 0; i < constants.size(); ++i)
      for (int k = 0; k < 4; ++k) c[i * 4 + k] = constants[i][size_t(k)];
    glUniform4fv(glGetUniformLocation(program, "zel_C"), 256, c.data());
    glUniform4f(glGetUniformLocation(program, "zel_PosFixup"), 0.0f, 0.0f, 1.0f, 0.0f);
    GLuint vao, buffer;
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glVertexAttrib4f(0, 1, 2, 3, 4);
    glVertexAttrib4f(5, 0.5f, 0.5f, 0.5f, 1.0f);
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_TRANSFORM_FEEDBACK_BUFFER, buffer);
    glBufferData(GL_TRANSFORM_FEEDBACK_BUFFER, sizeof(Outputs), nullptr, GL_STATIC_READ);
    glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, buffer);
    glEnable(GL_RASTERIZER_DISCARD);
    glBeginTransformFeedback(GL_POINTS);
    glDrawArrays(GL_POINTS, 0, 1);
    glEndTransformFeedback();
    glDisable(GL_RASTERIZER_DISCARD);
    glGetBufferSubData(GL_TRANSFORM_FEEDBACK_BUFFER, 0, sizeof(Outputs), &out);
    glDeleteBuffers(1, &buffer);
    glDeleteVertexArrays(1, &vao);
    glDeleteProgram(program);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    return out;
  }
};

void ExpectNear(const std::array<float, 4> &got, const std::array<float, 4> &want, const std::string &what) {
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(got[size_t(i)], want[size_t(i)], 1e-4f) << what << " component " << i;
}

TEST_F(ShaderRun, ArithmeticMatchesDirect3D) {
  const std::vector<std::array<float, 4>> c = {
      {0.5f, -1, 2, 4}, {3, 0.25f, -2, 1}, {0.5f, 0.25f, 0, 2}, {9, 8, 7, 6}, {1.25f, -0.25f, 3, 0},
      {3, 0, 4, 10},    {1, 0, 0, 0},      {0, 1, 1, 0},        {0, 0, 0, 0}, {7, 7, 7, 7}};
  const struct {
    const char *body;
    std::array<float, 4> tex0;
  } cases[] = {
      {"mov oT0, c0.wzyx", {4, 2, -1, 0.5f}},
      {"mov r0, c1\nadd oT0, c0, -r0", {-2.5f, -1.25f, 4, 3}},
      {"mov r0, c1\nsub oT0, v0, r0\n", {-2, 1.75f, 5, 3}},
      {"mov r0, c1\nmad oT0, v0, c0, r0", {3.5f, -1.75f, 4, 17}},
      {"rcp oT0, c0", {0.25f, 0.25f, 0.25f, 0.25f}},  // no swizzle: .w
      {"rcp oT0.xy, c0.x", {2, 2, 0, 1}},
      {"rsq oT0, -c0.w", {0.5f, 0.5f, 0.5f, 0.5f}},  // of the absolute value
      {"dp3 oT0, v0, c0", {4.5f, 4.5f, 4.5f, 4.5f}},
      {"dp4 oT0, v0, c0", {20.5f, 20.5f, 20.5f, 20.5f}},
      {"mov r0, c1\nmin oT0, c0, r0", {0.5f, -1, -2, 1}},
      {"max oT0, v0, c0", {1, 2, 3, 4}},
      {"slt oT0, c0, c0.z", {1, 1, 0, 0}},
      {"sge oT0, c0, c0.z", {0, 0, 1, 1}},
      {"exp oT0, c0.z", {4, 4, 4, 4}},
      {"log oT0, -c0.w", {2, 2, 2, 2}},
      {"lit oT0, c2", {1, 0.5f, 0.0625f, 1}},
      {"mov r0, c2\ndst oT0, r0, c3", {1, 2, 0, 6}},
      {"frc oT0, c4", {0.25f, 0.75f, 0, 0}},
      {"m3x2 oT0, v0, c6", {1, 5, 0, 1}},
      {"m4x3 oT0, v0, c6", {1, 5, 0, 1}},
      {"m3x3 oT0, v0, c7", {5, 0, 42, 1}},
      {"mov a0.x, c4.x\nmov oT0, c[a0.x + 8]", {7, 7, 7, 7}},  // 1.25 rounds down to 1
      {"mov a0.x, c4.x\nmov oT0, c[a0.x + 255]", {0, 0, 0, 0}},  // out of range reads zero
      {"expp oT0, c1.x", {8, 0, 8, 1}},
      {"logp oT0, c4.z", {1, 1.5f, 1.5849625f, 1}},
  };
  for (const auto &k : cases) {
    SCOPED_TRACE(k.body);
    const Outputs out = Run(std::string("vs_1_1\ndcl_position v0\n") + k.body + "\n", c);
    ExpectNear(out.tex0, k.tex0, "oT0");
  }
}

TEST_F(ShaderRun, NewerInstructionsAndFlowControl) {
  const std::vector<std::array<float, 4>> c = {{0.5f, -1, 2, 4}, {3, 0.25f, -2, 1}, {1.6f, 0, 0, 0},
                                               {3, 0, 4, 10},    {1, 1, 1, 1},      {2, 2, 2, 2},
                                               {0, 0, 0, 0},     {0, 0, 0, 0},      {5, 6, 7, 8}};
  const struct {
    const char *text;
    std::array<float, 4> tex0;
  } cases[] = {
      {"vs_2_0\nmov r0, c1\nlrp oT0, c0.x, v0, r0", {2, 1.125f, 0.5f, 2.5f}},
      {"vs_2_0\nmov r0, c1\npow r1, c0.z, r0.x\nmov oT0, r1", {8, 8, 8, 8}},
      {"vs_2_0\nmov r0, c1\ncrs r1.xyz, v0, r0\nmov oT0.xyz, r1", {-4.75f, 11, -5.75f, 1}},
      {"vs_2_0\nnrm r1, c3\nmov oT0, r1", {0.6f, 0, 0.8f, 2}},
      {"vs_2_0\nabs oT0, c1", {3, 0.25f, 2, 1}},
      {"vs_2_0\nsgn r0, c0, r1, r2\nmov oT0, r0", {1, -1, 1, 1}},
      {"vs_2_0\nsincos r0.xy, c6.x, c10, c11\nmov oT0, r0", {1, 0, 0, 0}},
      {"vs_2_0\nmova a0.x, c2.x\nmov oT0, c[a0.x + 6]", {5, 6, 7, 8}},  // 1.6 rounds to 2
      {"vs_2_0\ndefi i0, 3, 3, 1, 0\nmov r0, c7\nloop aL, i0\nadd r0, r0, c[aL]\nendloop\nmov oT0, r0",
       {6, 3, 7, 13}},  // c3 + c4 + c5
      {"vs_2_0\ndefi i1, 4, 0, 0, 0\nmov r0, c7\nrep i1\nadd r0, r0, c4\nendrep\nmov oT0, r0", {4, 4, 4, 4}},
      {"vs_2_0\ndefb b2, true\nif b2\nmov oT0, c4\nelse\nmov oT0, c5\nendif", {1, 1, 1, 1}},
      {"vs_2_0\nif b3\nmov oT0, c4\nelse\nmov oT0, c5\nendif", {2, 2, 2, 2}},  // b3 unset: false
      {"vs_2_0\ncall l1\nmov oT0, r5\nret\nlabel l1\nmov r5, c8\nret", {5, 6, 7, 8}},
      {"vs_2_0\ndefi i0, 2, 4, 1, 0\nmov r5, c7\nloop aL, i0\ncall l2\nendloop\nmov oT0, r5\nret\n"
       "label l2\nadd r5, r5, c[aL]\nret",
       {3, 3, 3, 3}},  // the subroutine reads the calling loop's aL: c4 + c5
      {"vs_2_x\nmov r1, c4\nsetp_gt p0, c0, r1\n(p0) mov r0, c5\n(!p0.x) mov r0.w, c0.w\nmov oT0, r0", {0, 0, 2, 4}},
      {"vs_2_x\ndefi i0, 10, 0, 0, 0\nmov r0, c7\nrep i0\nbreak_ge r0.x, c5.x\nadd r0, r0, c4\nendrep\nmov oT0, r0",
       {2, 2, 2, 2}},
      {"vs_2_x\nmov r1, c4\nif_lt c0.x, r1.x\nmov oT0, c8\nendif", {5, 6, 7, 8}},
  };
  for (const auto &k : cases) {
    SCOPED_TRACE(k.text);
    std::string text = k.text;
    text.insert(text.find('\n') + 1, "dcl_position v0\n");
    const Outputs out = Run(text + "\n", c);
    ExpectNear(out.tex0, k.tex0, "oT0");
  }
}

TEST_F(ShaderRun, OutputsReachTheirVaryingsWithFixups) {
  const std::vector<std::array<float, 4>> identity = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1},
                                                      {2, -1, 0.5f, 1.5f}};
  Outputs out = Run("vs_1_1\ndcl_position v0\ndcl_color v1\nm4x4 oPos, v0, c0\nmov oD0, c4\nmov oD1, v1\n"
                    "mov oT0, c4\nmov oFog, c4.z\n",
                    identity);
  ExpectNear(out.position, {1, 2, 3, 4}, "position");
  ExpectNear(out.diffuse, {1, 0, 0.5f, 1}, "diffuse clamped");
  ExpectNear(out.specular, {0.5f, 0.5f, 0.5f, 1}, "specular");
  ExpectNear(out.tex0, {2, -1, 0.5f, 1.5f}, "oT0");
  ExpectNear(out.tex1, {0, 0, 0, 1}, "unwritten oT1");
  EXPECT_NEAR(out.fog, 0.5f, 1e-5f);

  out = Run("vs_3_0\ndcl_position v0\ndcl_position o3\ndcl_texcoord1 o0\ndcl_color o5\n"
            "mov o3, v0\nmov o0, c4\nmov o5, c4.z\n",
            identity);
  ExpectNear(out.position, {1, 2, 3, 4}, "o3 as position");
  ExpectNear(out.tex1, {2, -1, 0.5f, 1.5f}, "o0 as texcoord1");
  ExpectNear(out.diffuse, {0.5f, 0.5f, 0.5f, 0.5f}, "o5 as colour");
}

}  // namespace

}  // namespace zel::shader
