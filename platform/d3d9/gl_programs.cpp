// Program compilation, linking and the cache.
#include "platform/d3d9/gl_programs.h"

#include <cstdio>
#include <vector>

#include "shader/glsl_interface.h"

namespace zel::d3d9 {
namespace {

std::string InfoLog(GLuint object, bool program) {
  GLint length = 0;
  if (program)
    glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
  else
    glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
  std::vector<char> log(static_cast<size_t>(length > 0 ? length : 1));
  if (program)
    glGetProgramInfoLog(object, static_cast<GLsizei>(log.size()), nullptr, log.data());
  else
    glGetShaderInfoLog(object, static_cast<GLsizei>(log.size()), nullptr, log.data());
  return std::string(log.data());
}

GLuint Link(GLuint vs, GLuint fs) {
  GLuint program = glCreateProgram();
  glAttachShader(program, vs);
  glAttachShader(program, fs);
  glLinkProgram(program);
  glDetachShader(program, vs);
  glDetachShader(program, fs);
  GLint ok = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (!ok) {
    std::fprintf(stderr, "d3d9: program link failed: %s\n", InfoLog(program, true).c_str());
    glDeleteProgram(program);
    return 0;
  }
  return program;
}

void FindUniforms(GlProgram *p) {
  GLuint id = p->program;
  p->worldViewProj = glGetUniformLocation(id, kUniformWorldViewProj);
  p->screenToClip = glGetUniformLocation(id, kUniformScreenToClip);
  p->posFixup = glGetUniformLocation(id, shader::kUniformPosFixup);
  p->ambient = glGetUniformLocation(id, kUniformAmbient);
  p->textureFactor = glGetUniformLocation(id, kUniformTextureFactor);
  p->alphaRef = glGetUniformLocation(id, kUniformAlphaRef);
  p->stageConstant = glGetUniformLocation(id, kUniformStageConstant);
  p->shaderConstants = glGetUniformLocation(id, shader::kUniformConstF);
  // Stage s samples texture unit s, for the life of the program.
  GLint samplers = glGetUniformLocation(id, kUniformSampler);
  if (samplers >= 0) {
    GLint units[kMaxTextureStages] = {0, 1, 2, 3, 4, 5, 6, 7};
    glUseProgram(id);
    glUniform1iv(samplers, kMaxTextureStages, units);
  }
}

}  // namespace

GLuint CompileShader(GLenum type, const std::string &source) {
  GLuint shader = glCreateShader(type);
  const char *text = source.c_str();
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    std::fprintf(stderr, "d3d9: %s stage does not compile: %s\n%s\n", type == GL_VERTEX_SHADER ? "vertex" : "pixel",
                 InfoLog(shader, false).c_str(), source.c_str());
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

void ProgramCache::Clear() {
  for (auto &entry : programs_)
    if (entry.second->program != 0) glDeleteProgram(entry.second->program);
  programs_.clear();
}

GlProgram *ProgramCache::Get(const ProgramKey &key, const std::string *vertexShaderGlsl) {
  auto it = programs_.find(key);
  if (it != programs_.end()) return it->second.get();
  // A failed link is cached too (program 0), so it is neither retried nor reported per draw.
  auto program = std::make_unique<GlProgram>();
  std::string vsSource = key.vertexShader != 0 && vertexShaderGlsl ? *vertexShaderGlsl : VertexStageSource(key.vertex);
  GLuint vs = CompileShader(GL_VERTEX_SHADER, vsSource);
  GLuint fs = CompileShader(GL_FRAGMENT_SHADER, PixelStageSource(key.pixel));
  if (vs != 0 && fs != 0) program->program = Link(vs, fs);
  if (vs != 0) glDeleteShader(vs);
  if (fs != 0) glDeleteShader(fs);
  if (program->program != 0) FindUniforms(program.get());
  GlProgram *result = program.get();
  programs_.emplace(key, std::move(program));
  return result;
}

void ProgramCache::ForgetVertexShader(uint32_t shaderId) {
  for (auto it = programs_.begin(); it != programs_.end();) {
    if (it->first.vertexShader == shaderId) {
      if (it->second->program != 0) glDeleteProgram(it->second->program);
      it = programs_.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace zel::d3d9
