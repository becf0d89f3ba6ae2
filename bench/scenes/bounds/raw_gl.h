// The plain OpenGL 3.3 core toolkit of the raw replicas: a hidden SDL window with its own
// context and the frame drawn into (the window's own buffers, or an off-screen RGB8 frame
// without alpha, so destination alpha reads 1, with a 24-bit depth buffer, as the device's
// back buffer has), program building, textures and meshes made straight from the files in
// Data/, and Direct3D's conventions (depth 0..w, clockwise front faces, pixel centres on
// integer coordinates). Nothing here goes through the Direct3D 9 layer; only the file
// readers and the matrix helpers are shared with it.
#pragma once

#include <SDL.h>
#include <epoxy/gl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gfxutil/math.h"

namespace zel::scenes::raw {

// Where a replica draws: straight into the window's back buffer (the least a program that
// shows its picture needs), or off screen into a frame of its own that Present copies onto
// the window, as the device does.
enum class Target { kWindow, kOffscreen };

// A hidden window and the frame the replica draws into; Present shows it (a swap, after the
// copy for an off-screen frame).
class Frame {
 public:
  Frame() = default;
  Frame(const Frame &) = delete;
  Frame &operator=(const Frame &) = delete;
  ~Frame() { Close(); }

  // False with *error when no OpenGL 3.3 core context can be had.
  bool Open(int width, int height, Target target, std::string *error);
  void Close();  // gives up the frame, the context and the window (done by the destructor too)
  void MakeCurrent() const;
  void Begin() const;    // binds the frame, clears it to opaque black and depth 1
  void Present() const;  // a swap, after the copy onto the window for an off-screen frame
  // The frame drawn since Begin, top-down RGBA8, alpha 255; for a window, before Present.
  void Read(std::vector<uint8_t> *rgba) const;
  int DepthBits() const;
  int Width() const { return width_; }
  int Height() const { return height_; }
  // The clip-space shift per unit of w that puts pixel centres on integer coordinates.
  float ShiftX() const;
  float ShiftY() const;

 private:
  bool MakeOffscreenFrame(std::string *error);

  SDL_Window *window_ = nullptr;
  SDL_GLContext context_ = nullptr;
  Target target_ = Target::kWindow;
  GLuint fbo_ = 0, color_ = 0, depth_ = 0;  // 0 for a window: the default framebuffer
  int width_ = 0, height_ = 0;
};

// Compiles and links; 0 with the log on stderr when either stage fails.
GLuint BuildProgram(const char *vertexSource, const char *fragmentSource);
// Sets the pixel-centre shift (a vec2 uniform named "shift") and the sampler units named.
void SetProgramConstants(GLuint program, const Frame &frame, const std::vector<const char *> &samplers);

// The program most draws use: a textured surface (attributes 0 and 2) under one matrix, its
// colour the texture's, opaque; v may scroll (the sky does, the rest keep scroll at 0).
struct TexturedProgram {
  GLuint program = 0;
  GLint wvp = -1, scroll = -1;
  bool Build(const Frame &frame);
  void Use() const { glUseProgram(program); }
  void SetMatrix(const D3DXMATRIX &worldViewProjection) const {
    glUniformMatrix4fv(wvp, 1, GL_FALSE, &worldViewProjection._11);
  }
};

// A texture from an image file in the device's way: each side rounded up to a power of two,
// the triangle-filtered picture on level 0 and a box-filtered chain below it; trilinear,
// repeating. 0 when the file cannot be read.
GLuint LoadTexture(const char *path);

// The first mesh of a .3ds file in renderer axes, as one vertex buffer of position, normal
// and texture coordinates (8 floats a vertex) with 16-bit indices, in a vertex array object
// with attributes 0 (position), 1 (normal) and 2 (coordinates). The file's own vertex list is
// kept for scenes that place things on it.
struct Mesh {
  GLuint vao = 0, vertices = 0, indices = 0;
  GLsizei indexCount = 0;
  int vertexCount = 0;
  std::vector<float> fileVertices;  // x, y, z in file axes, as the reader left them
  void Draw() const;
};
bool LoadMesh(const char *path, Mesh *mesh);
void ReleaseMesh(Mesh *mesh);

// Quads as two-triangle strips, centred on the origin in the z = 0 plane, with position and
// texture coordinates (attributes 0 and 2): the vertex table the device's quads write.
class QuadSet {
 public:
  // sizes: width, height pairs; quad i is drawn with Draw(i).
  void Build(const std::vector<float> &sizes);
  void Release();
  void Bind() const { glBindVertexArray(vao_); }
  void Draw(int i) const { glDrawArrays(GL_TRIANGLE_STRIP, 4 * i, 4); }

 private:
  GLuint vao_ = 0, buffer_ = 0;
};

// out = a * b for Direct3D's row-vector matrices, summed in the order the device sums them.
D3DXMATRIX Multiply(const D3DXMATRIX &a, const D3DXMATRIX &b);
// world * view * projection, ready for glUniformMatrix4fv without transposing.
D3DXMATRIX WorldViewProjection(const D3DXMATRIX &world, const D3DXMATRIX &view, const D3DXMATRIX &projection);
D3DXMATRIX LookAt(float eyeX, float eyeY, float eyeZ, float atX, float atY, float atZ);
D3DXMATRIX Perspective(float fovY, float nearZ, float farZ);  // 4:3
D3DXMATRIX Translation(float x, float y, float z);

}  // namespace zel::scenes::raw
