// Linked GLSL programs, cached by their fixed-function key: the generated vertex stage (or a
// translated vertex shader) with the generated pixel stage. Each program remembers which
// uniform values it last received, so switching programs re-sends only what it missed.
#pragma once

#include <epoxy/gl.h>

#include <memory>
#include <string>
#include <unordered_map>

#include "platform/d3d9/fixed_function.h"

namespace zel::d3d9 {

struct GlProgram {
  GLuint program = 0;
  GLint worldViewProj = -1, screenToClip = -1, posFixup = -1, ambient = -1;
  GLint textureFactor = -1, alphaRef = -1, stageConstant = -1, shaderConstants = -1;
  // Serial numbers of the device's uniform groups as last uploaded here (0 = never).
  uint32_t transformSerial = 0, viewportSerial = 0, pixelSerial = 0, ambientSerial = 0, constantSerial = 0;
};

// Compiles one stage; 0 and a message on stderr when the source does not compile.
GLuint CompileShader(GLenum type, const std::string &source);

class ProgramCache {
 public:
  ProgramCache() = default;
  ProgramCache(const ProgramCache &) = delete;
  ProgramCache &operator=(const ProgramCache &) = delete;
  ~ProgramCache() { Clear(); }
  void Clear();  // deletes every program; the device's context must be current

  // The program for a key; vertexShaderGlsl is the translated stage when key.vertexShader != 0.
  // Null when linking fails (reported once on stderr; the draw is then skipped).
  GlProgram *Get(const ProgramKey &key, const std::string *vertexShaderGlsl);
  // Drops the programs built with a vertex shader that is being destroyed.
  void ForgetVertexShader(uint32_t shaderId);
  size_t Size() const { return programs_.size(); }

 private:
  std::unordered_map<ProgramKey, std::unique_ptr<GlProgram>, ProgramKeyHash> programs_;
};

}  // namespace zel::d3d9
