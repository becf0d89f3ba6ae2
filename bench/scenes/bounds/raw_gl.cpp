// The raw replicas' OpenGL toolkit (see raw_gl.h).
#include "bench/scenes/bounds/raw_gl.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "gfxutil/image.h"
#include "gfxutil/texture.h"
#include "gfxutil/texture_format.h"
#include "gfxutil/texture_levels.h"
#include "model3ds/loader3ds.h"

namespace zel::scenes::raw {
namespace {

// Pixel centres on integer coordinates: geometry moves by just under half a pixel, as the
// device moves it (63/64 of a half, so an edge exactly on a centre falls Direct3D's way).
constexpr float kPixelCentreShift = 63.0f / 64.0f;
constexpr float kAspect = 1.3333334f;  // every scene's projection is 4:3
constexpr int kFloatsPerVertex = 8;    // position, normal, texture coordinates

GLuint CompileStage(GLenum type, const char *source) {
  GLuint shader = glCreateShader(type);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[2048] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    std::fprintf(stderr, "raw: stage does not compile: %s\n", log);
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

}  // namespace

// ---- frame ----

void Frame::Close() {
  if (context_ != nullptr) {
    MakeCurrent();
    glDeleteFramebuffers(1, &fbo_);
    glDeleteRenderbuffers(1, &color_);
    glDeleteRenderbuffers(1, &depth_);
    SDL_GL_MakeCurrent(window_, nullptr);
    SDL_GL_DeleteContext(context_);
    context_ = nullptr;
  }
  if (window_ != nullptr) {
    SDL_DestroyWindow(window_);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    window_ = nullptr;
  }
}

bool Frame::Open(int width, int height, Target target, std::string *error) {
  width_ = width;
  height_ = height;
  target_ = target;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    *error = SDL_GetError();
    return false;
  }
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  // The window's own buffers as the device asks for them, so that swapping costs the same.
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
  window_ = SDL_CreateWindow("raw", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                             SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (window_ == nullptr) {
    *error = SDL_GetError();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  context_ = SDL_GL_CreateContext(window_);
  if (context_ == nullptr || epoxy_gl_version() < 33) {
    *error = "no OpenGL 3.3 core context";
    return false;
  }
  SDL_GL_SetSwapInterval(0);
  if (target == Target::kOffscreen && !MakeOffscreenFrame(error)) return false;
  // Direct3D's conventions, once: depth 0..w in clip space, clockwise front faces, and the
  // depth test it starts with (less or equal).
  glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
  glFrontFace(GL_CW);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClearDepth(1.0);
  glViewport(0, 0, width, height);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  return true;
}

bool Frame::MakeOffscreenFrame(std::string *error) {
  glGenRenderbuffers(1, &color_);
  glBindRenderbuffer(GL_RENDERBUFFER, color_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, width_, height_);
  glGenRenderbuffers(1, &depth_);
  glBindRenderbuffer(GL_RENDERBUFFER, depth_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width_, height_);
  glGenFramebuffers(1, &fbo_);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, color_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth_);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    *error = "the off-screen frame cannot be made";
    return false;
  }
  return true;
}

void Frame::MakeCurrent() const { SDL_GL_MakeCurrent(window_, context_); }

void Frame::Begin() const {
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  glDepthMask(GL_TRUE);  // a clear writes only where the mask allows
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void Frame::Present() const {
  if (target_ == Target::kWindow) {
    SDL_GL_SwapWindow(window_);
    return;
  }
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
  glBlitFramebuffer(0, 0, width_, height_, 0, 0, width_, height_, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  SDL_GL_SwapWindow(window_);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
}

int Frame::DepthBits() const {
  GLint bits = 0;
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, fbo_ ? GL_DEPTH_ATTACHMENT : GL_DEPTH,
                                        GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE, &bits);
  return bits;
}

void Frame::Read(std::vector<uint8_t> *rgba) const {
  const size_t row = static_cast<size_t>(width_) * 4;
  std::vector<uint8_t> bottomUp(row * static_cast<size_t>(height_));
  glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
  glReadBuffer(fbo_ ? GL_COLOR_ATTACHMENT0 : GL_BACK);
  glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
  rgba->resize(bottomUp.size());
  for (int y = 0; y < height_; ++y)
    std::memcpy(rgba->data() + static_cast<size_t>(y) * row, bottomUp.data() + (height_ - 1 - y) * row, row);
}

float Frame::ShiftX() const { return kPixelCentreShift / static_cast<float>(width_); }
float Frame::ShiftY() const { return -kPixelCentreShift / static_cast<float>(height_); }

// ---- programs ----

GLuint BuildProgram(const char *vertexSource, const char *fragmentSource) {
  GLuint vs = CompileStage(GL_VERTEX_SHADER, vertexSource);
  GLuint fs = CompileStage(GL_FRAGMENT_SHADER, fragmentSource);
  GLuint program = 0;
  if (vs != 0 && fs != 0) {
    program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
      std::fprintf(stderr, "raw: program does not link\n");
      glDeleteProgram(program);
      program = 0;
    }
  }
  if (vs != 0) glDeleteShader(vs);
  if (fs != 0) glDeleteShader(fs);
  return program;
}

void SetProgramConstants(GLuint program, const Frame &frame, const std::vector<const char *> &samplers) {
  glUseProgram(program);
  glUniform2f(glGetUniformLocation(program, "shift"), frame.ShiftX(), frame.ShiftY());
  for (size_t unit = 0; unit < samplers.size(); ++unit)
    glUniform1i(glGetUniformLocation(program, samplers[unit]), static_cast<GLint>(unit));
}

bool TexturedProgram::Build(const Frame &frame) {
  static const char *const kVertex = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 2) in vec2 uv;
uniform mat4 wvp;
uniform vec2 shift;
uniform float scroll;
out vec2 texCoord;
void main() {
  vec4 p = wvp * vec4(position, 1.0);
  p.xy += shift * p.w;
  gl_Position = p;
  texCoord = vec2(uv.x, uv.y + scroll);
}
)";
  static const char *const kFragment = R"(#version 330 core
uniform sampler2D image;
in vec2 texCoord;
layout(location = 0) out vec4 color;
void main() { color = vec4(texture(image, texCoord).rgb, 1.0); }
)";
  program = BuildProgram(kVertex, kFragment);
  if (program == 0) return false;
  SetProgramConstants(program, frame, {"image"});
  wvp = glGetUniformLocation(program, "wvp");
  scroll = glGetUniformLocation(program, "scroll");
  glUniform1f(scroll, 0.0f);
  return true;
}

// ---- textures ----

GLuint LoadTexture(const char *path) {
  std::vector<BYTE> file;
  gfxutil::Image image;
  if (!gfxutil::ReadWholeFile(path, &file).Ok() || !gfxutil::DecodeImage(file.data(), file.size(), &image).Ok()) {
    std::fprintf(stderr, "raw: cannot read %s\n", path);
    return 0;
  }
  GLint maxSize = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
  const auto max = static_cast<UINT>(maxSize);
  const gfxutil::TextureLayout layout =
      gfxutil::PlanTexture(image.width, image.height, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, max, max);
  const bool hasAlpha = gfxutil::TextureFormatCandidates(image.fileFormat).front() == D3DFMT_A8R8G8B8;
  const bool luminance = image.layout == gfxutil::PixelLayout::L8;
  const std::vector<gfxutil::Image> levels = gfxutil::BuildLevels(std::move(image), layout, true);

  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  const GLint luminanceSwizzle[4] = {GL_RED, GL_RED, GL_RED, GL_ONE};
  const GLint colorSwizzle[4] = {GL_RED, GL_GREEN, GL_BLUE, hasAlpha ? GL_ALPHA : GL_ONE};
  glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, luminance ? luminanceSwizzle : colorSwizzle);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels.size() - 1));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  for (size_t i = 0; i < levels.size(); ++i) {
    const gfxutil::Image &l = levels[i];
    const auto w = static_cast<GLsizei>(l.width), h = static_cast<GLsizei>(l.height);
    if (luminance)
      glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), GL_R8, w, h, 0, GL_RED, GL_UNSIGNED_BYTE, l.pixels.data());
    else
      glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                   l.pixels.data());
  }
  return texture;
}

// ---- meshes ----

void Mesh::Draw() const {
  glBindVertexArray(vao);
  glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_SHORT, nullptr);
}

bool LoadMesh(const char *path, Mesh *mesh) {
  auto loader = std::make_unique<model3ds::Loader3ds>();  // megabytes of fixed arrays: not on the stack
  loader->messageBox = nullptr;
  loader->Read(path);
  if (loader->objectCount < 1 || loader->objects[0].vertexCount <= 0 || loader->objects[0].faceCount <= 0) {
    std::fprintf(stderr, "raw: no mesh in %s\n", path);
    return false;
  }
  const model3ds::Object3ds &o = loader->objects[0];
  mesh->vertexCount = o.vertexCount;
  std::vector<float> vertices;
  vertices.reserve(static_cast<size_t>(o.vertexCount) * kFloatsPerVertex);
  for (int k = 0; k < o.vertexCount; ++k) {
    vertices.insert(vertices.end(), o.positions[k], o.positions[k] + 3);
    vertices.insert(vertices.end(), o.normals[k], o.normals[k] + 3);
    vertices.insert(vertices.end(), o.texCoords[k], o.texCoords[k] + 2);
  }
  mesh->fileVertices.assign(&loader->workVertices[0][0], &loader->workVertices[0][0] + 3 * o.vertexCount);
  glGenVertexArrays(1, &mesh->vao);
  glBindVertexArray(mesh->vao);
  glGenBuffers(1, &mesh->vertices);
  glBindBuffer(GL_ARRAY_BUFFER, mesh->vertices);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(float)), vertices.data(),
               GL_STATIC_DRAW);
  glGenBuffers(1, &mesh->indices);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh->indices);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(o.faceCount) * 3 * sizeof(uint16_t), o.faces,
               GL_STATIC_DRAW);
  mesh->indexCount = o.faceCount * 3;
  constexpr GLsizei kStride = kFloatsPerVertex * sizeof(float);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, kStride, nullptr);
  glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, kStride, reinterpret_cast<const void *>(3 * sizeof(float)));
  glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, kStride, reinterpret_cast<const void *>(6 * sizeof(float)));
  for (GLuint a = 0; a < 3; ++a) glEnableVertexAttribArray(a);
  glBindVertexArray(0);
  return true;
}

void ReleaseMesh(Mesh *mesh) {
  glDeleteVertexArrays(1, &mesh->vao);
  glDeleteBuffers(1, &mesh->vertices);
  glDeleteBuffers(1, &mesh->indices);
  *mesh = Mesh{};
}

// ---- quads ----

void QuadSet::Build(const std::vector<float> &sizes) {
  std::vector<float> data;
  for (size_t i = 0; i + 1 < sizes.size(); i += 2) {
    const float hw = sizes[i] / 2, hh = sizes[i + 1] / 2;
    // Clockwise seen from -z; the picture upright (v = 0 on top) and unmirrored.
    const float quad[4][5] = {{-hw, -hh, 0.0f, 0.0f, 1.0f},
                              {-hw, hh, 0.0f, 0.0f, 0.0f},
                              {hw, -hh, 0.0f, 1.0f, 1.0f},
                              {hw, hh, 0.0f, 1.0f, 0.0f}};
    data.insert(data.end(), &quad[0][0], &quad[0][0] + 20);
  }
  glGenVertexArrays(1, &vao_);
  glBindVertexArray(vao_);
  glGenBuffers(1, &buffer_);
  glBindBuffer(GL_ARRAY_BUFFER, buffer_);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(data.size() * sizeof(float)), data.data(), GL_STATIC_DRAW);
  constexpr GLsizei kStride = 5 * sizeof(float);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, kStride, nullptr);
  glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, kStride, reinterpret_cast<const void *>(3 * sizeof(float)));
  glEnableVertexAttribArray(0);
  glEnableVertexAttribArray(2);
  glBindVertexArray(0);
}

void QuadSet::Release() {
  glDeleteVertexArrays(1, &vao_);
  glDeleteBuffers(1, &buffer_);
  vao_ = buffer_ = 0;
}

// ---- matrices ----

D3DXMATRIX Multiply(const D3DXMATRIX &a, const D3DXMATRIX &b) {
  D3DXMATRIX out;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      out.m[r][c] = a.m[r][0] * b.m[0][c] + a.m[r][1] * b.m[1][c] + a.m[r][2] * b.m[2][c] + a.m[r][3] * b.m[3][c];
  return out;
}

D3DXMATRIX WorldViewProjection(const D3DXMATRIX &world, const D3DXMATRIX &view, const D3DXMATRIX &projection) {
  return Multiply(Multiply(world, view), projection);
}

D3DXMATRIX LookAt(float eyeX, float eyeY, float eyeZ, float atX, float atY, float atZ) {
  const D3DXVECTOR3 eye(eyeX, eyeY, eyeZ), at(atX, atY, atZ), up(0.0f, 1.0f, 0.0f);
  D3DXMATRIX view;
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  return view;
}

D3DXMATRIX Perspective(float fovY, float nearZ, float farZ) {
  D3DXMATRIX projection;
  D3DXMatrixPerspectiveFovLH(&projection, fovY, kAspect, nearZ, farZ);
  return projection;
}

D3DXMATRIX Translation(float x, float y, float z) {
  D3DXMATRIX m;
  D3DXMatrixTranslation(&m, x, y, z);
  return m;
}

}  // namespace zel::scenes::raw
