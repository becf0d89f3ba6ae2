// The OpenGL state the device last set, so that each GL call is made only when its own
// value changes. Only the device's context is ever driven through this cache.
#pragma once

#include <epoxy/gl.h>

#include <cstring>

namespace zel::d3d9 {

class GlStateCache {
 public:
  // Forget everything (after a context was made or GL state was changed behind our back).
  void Invalidate() { *this = GlStateCache(); }

  void Enable(GLenum cap, bool on) {
    int i = CapIndex(cap);
    int want = on ? 1 : 0;
    if (caps_[i] == want) return;
    caps_[i] = want;
    if (on)
      glEnable(cap);
    else
      glDisable(cap);
  }
  void BlendFunc(GLenum src, GLenum dst, GLenum srcA, GLenum dstA) {
    GLenum v[4] = {src, dst, srcA, dstA};
    if (std::memcmp(v, blendFunc_, sizeof v) == 0) return;
    std::memcpy(blendFunc_, v, sizeof v);
    glBlendFuncSeparate(src, dst, srcA, dstA);
  }
  void BlendEquation(GLenum rgb, GLenum alpha) {
    if (blendEq_[0] == rgb && blendEq_[1] == alpha) return;
    blendEq_[0] = rgb;
    blendEq_[1] = alpha;
    glBlendEquationSeparate(rgb, alpha);
  }
  void BlendColor(const float c[4]) {
    if (std::memcmp(c, blendColor_, sizeof blendColor_) == 0) return;
    std::memcpy(blendColor_, c, sizeof blendColor_);
    glBlendColor(c[0], c[1], c[2], c[3]);
  }
  void ColorMask(unsigned mask) {  // bit 0 red .. bit 3 alpha
    if (colorMask_ == static_cast<int>(mask)) return;
    colorMask_ = static_cast<int>(mask);
    glColorMask(mask & 1, (mask >> 1) & 1, (mask >> 2) & 1, (mask >> 3) & 1);
  }
  void DepthMask(bool on) {
    if (depthMask_ == (on ? 1 : 0)) return;
    depthMask_ = on ? 1 : 0;
    glDepthMask(on ? GL_TRUE : GL_FALSE);
  }
  void DepthFunc(GLenum f) {
    if (depthFunc_ == f) return;
    depthFunc_ = f;
    glDepthFunc(f);
  }
  void CullFace(GLenum face) {
    if (cullFace_ == face) return;
    cullFace_ = face;
    glCullFace(face);
  }
  void PolygonMode(GLenum mode) {
    if (polygonMode_ == mode) return;
    polygonMode_ = mode;
    glPolygonMode(GL_FRONT_AND_BACK, mode);
  }
  void StencilFunc(GLenum f, GLint ref, GLuint mask) {
    if (stencilFunc_ == f && stencilRef_ == ref && stencilMask_ == mask) return;
    stencilFunc_ = f;
    stencilRef_ = ref;
    stencilMask_ = mask;
    glStencilFunc(f, ref, mask);
  }
  void StencilOp(GLenum fail, GLenum zfail, GLenum pass) {
    GLenum v[3] = {fail, zfail, pass};
    if (std::memcmp(v, stencilOp_, sizeof v) == 0) return;
    std::memcpy(stencilOp_, v, sizeof v);
    glStencilOp(fail, zfail, pass);
  }
  void StencilWriteMask(GLuint mask) {
    if (stencilWriteMaskSet_ && stencilWriteMask_ == mask) return;
    stencilWriteMaskSet_ = true;
    stencilWriteMask_ = mask;
    glStencilMask(mask);
  }
  void Viewport(GLint x, GLint y, GLsizei w, GLsizei h) {
    GLint v[4] = {x, y, w, h};
    if (std::memcmp(v, viewport_, sizeof v) == 0) return;
    std::memcpy(viewport_, v, sizeof v);
    glViewport(x, y, w, h);
  }
  void DepthRange(float n, float f) {
    if (depthRange_[0] == n && depthRange_[1] == f) return;
    depthRange_[0] = n;
    depthRange_[1] = f;
    glDepthRange(n, f);
  }
  void Scissor(GLint x, GLint y, GLsizei w, GLsizei h) {
    GLint v[4] = {x, y, w, h};
    if (std::memcmp(v, scissor_, sizeof v) == 0) return;
    std::memcpy(scissor_, v, sizeof v);
    glScissor(x, y, w, h);
  }
  void UseProgram(GLuint program) {
    if (program_ == program) return;
    program_ = program;
    glUseProgram(program);
  }
  void BindArrayBuffer(GLuint buffer) {
    if (arrayBuffer_ == buffer) return;
    arrayBuffer_ = buffer;
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
  }
  // Binds a texture to a unit (0..15), switching the active unit only when needed.
  void BindTexture(int unit, GLuint texture) {
    if (textures_[unit] == texture) return;
    textures_[unit] = texture;
    if (activeUnit_ != unit) {
      activeUnit_ = unit;
      glActiveTexture(GL_TEXTURE0 + unit);
    }
    glBindTexture(GL_TEXTURE_2D, texture);
  }
  // For uploads: makes a unit active and binds the texture there.
  void BindTextureForUpload(GLuint texture) { BindTexture(kUploadUnit, texture); }
  void ForgetTexture(GLuint texture) {
    for (GLuint &t : textures_)
      if (t == texture) t = kUnknownName;
  }
  void ForgetBuffer(GLuint buffer) {
    if (arrayBuffer_ == buffer) arrayBuffer_ = kUnknownName;
  }

  static constexpr int kUploadUnit = 15;  // never sampled by the fixed-function stages

 private:
  static constexpr GLuint kUnknownName = 0xffffffffu;
  static constexpr GLenum kUnknown = 0xffffffffu;

  static int CapIndex(GLenum cap) {
    switch (cap) {
      case GL_BLEND: return 0;
      case GL_DEPTH_TEST: return 1;
      case GL_CULL_FACE: return 2;
      case GL_STENCIL_TEST: return 3;
      case GL_SCISSOR_TEST: return 4;
      case GL_POLYGON_OFFSET_FILL: return 5;
      default: return 6;
    }
  }

  int caps_[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
  GLenum blendFunc_[4] = {kUnknown, kUnknown, kUnknown, kUnknown};
  GLenum blendEq_[2] = {kUnknown, kUnknown};
  float blendColor_[4] = {-1, -1, -1, -1};
  int colorMask_ = -1;
  int depthMask_ = -1;
  GLenum depthFunc_ = kUnknown;
  GLenum cullFace_ = kUnknown;
  GLenum polygonMode_ = kUnknown;
  GLenum stencilFunc_ = kUnknown;
  GLint stencilRef_ = -1;
  GLuint stencilMask_ = 0;
  GLenum stencilOp_[3] = {kUnknown, kUnknown, kUnknown};
  bool stencilWriteMaskSet_ = false;
  GLuint stencilWriteMask_ = 0;
  GLint viewport_[4] = {-1, -1, -1, -1};
  float depthRange_[2] = {-1, -1};
  GLint scissor_[4] = {-1, -1, -1, -1};
  GLuint program_ = kUnknownName;
  GLuint arrayBuffer_ = kUnknownName;
  GLuint textures_[16] = {kUnknownName, kUnknownName, kUnknownName, kUnknownName, kUnknownName, kUnknownName,
                          kUnknownName, kUnknownName, kUnknownName, kUnknownName, kUnknownName, kUnknownName,
                          kUnknownName, kUnknownName, kUnknownName, kUnknownName};
  int activeUnit_ = -1;
};

}  // namespace zel::d3d9
