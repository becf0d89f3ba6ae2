// The title scene, raw: the background picture, the title model through a hand-written
// vertex program (chrome reflection on unit 0 lit by a circling light, its skin added from
// unit 1), a few hundred flare and glow sprites added onto it, the banner, eight small
// leaping models, and the white flash and closing overlay when their time comes. Every quad
// size the scene uses sits in one static buffer, so a sprite costs one matrix and one draw.
#include <cmath>

#include "bench/scenes/bounds/raw_scenes.h"
#include "render/vertex_color.h"

namespace zel::scenes::raw {
namespace {

constexpr float kStart = 13.0f, kEnd = 19.93f;  // the scene's window, demo seconds
constexpr float kFieldOfView = 0.8975979f;      // 2pi/7, the scene's and the fader's
constexpr float kNear = 0.1f, kFar = 1000.0f, kFaderFar = 150.0f;
constexpr double kOrbitRadius = 450.0, kLightRadius = 50.0, kLightRate = 5.0, kQuarterTurn = 1.570796;
constexpr float kOrbitHeight = -20.0f;
constexpr double kFlareLift = 1.01;
constexpr int kFlareStride = 53, kSmallFlareStride = 28, kGlowStride = 700;
constexpr float kBeatWindows[15][2] = {
    {0.441f, 0.561f}, {0.882f, 1.002f}, {1.323f, 1.443f}, {1.764f, 1.884f}, {2.205f, 2.325f},
    {2.646f, 2.766f}, {3.087f, 3.207f}, {3.528f, 3.648f}, {3.969f, 4.089f}, {4.41f, 4.53f},
    {4.851f, 4.971f}, {5.292f, 5.412f}, {5.733f, 5.853f}, {6.174f, 6.294f}, {6.615f, 6.735f},
};
struct Jumper {
  float offset, x, z0, speed, zRest;  // every copy starts at height 0
};
constexpr Jumper kJumpers[8] = {
    {0.1f, -5.0f, -30.0f, 20.0f, 33.0f}, {0.6f, 2.5f, -5.0f, 10.0f, 27.0f},   {0.0f, 10.0f, -40.0f, 23.0f, 32.5f},
    {0.5f, -8.5f, -15.0f, 17.0f, 38.5f}, {0.2f, -3.0f, -30.0f, 19.0f, 30.0f}, {0.73f, 0.5f, -5.0f, 11.0f, 30.0f},
    {2.4f, -11.0f, -30.0f, 21.0f, 36.0f}, {1.9f, 6.5f, -5.0f, 14.0f, 39.0f},
};

// Quads of the static buffer, by size.
enum Quad { kBackgroundQuad, kFlareQuad, kSmallFlareQuad, kGlowQuad, kBannerQuad, kFlashQuad, kOverlayQuad };
enum Texture { kSkin, kEnvironment, kBackground, kFlare, kGlow, kPaper, kBanner, kTextureCount };
const char *const kTextureFiles[kTextureCount] = {
    "Data/Textures/skn.jpg",       "Data/Textures/dunno2.jpg", "Data/Textures/wirok-nogom_nie.jpg",
    "Data/Textures/flare22i.jpg",  "Data/Textures/spc2.bmp",   "Data/Textures/pap.jpg",
    "Data/Textures/buuu2.jpg"};

// The title model's vertex program, instruction for instruction as the scene's shader text
// has it: the matrices come transposed, one row per vector, and are applied by dot products.
const char *const kLogoVertex = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 uv;
uniform vec4 world[4];
uniform vec4 viewProjection[4];
uniform vec3 eye;
uniform vec3 light;
uniform vec2 shift;
out float shade;
out vec2 environmentCoord;
out vec2 skinCoord;
void main() {
  vec4 v = vec4(position, 1.0);
  vec4 w = vec4(dot(v, world[0]), dot(v, world[1]), dot(v, world[2]), dot(v, world[3]));
  vec4 p = vec4(dot(w, viewProjection[0]), dot(w, viewProjection[1]), dot(w, viewProjection[2]),
                dot(w, viewProjection[3]));
  p.xy += shift * p.w;
  gl_Position = p;
  vec3 n = vec3(dot(normal, world[0].xyz), dot(normal, world[1].xyz), dot(normal, world[2].xyz));
  n *= inversesqrt(dot(n, n));
  vec3 l = light - w.xyz;
  l *= inversesqrt(dot(l, l));
  shade = max(dot(n, l), -dot(n, l)) * 0.5 + 0.5;
  vec3 i = w.xyz - eye;
  i *= inversesqrt(dot(i, i));
  vec3 r = n * -(dot(n, i) * 2.0) + i;
  environmentCoord = vec2((r.x + r.z) * 0.5 * 0.5 + 0.5, r.y * -0.5 + 0.5);
  skinCoord = uv;
}
)";
const char *const kLogoFragment = R"(#version 330 core
uniform sampler2D environment;
uniform sampler2D skin;
in float shade;
in vec2 environmentCoord;
in vec2 skinCoord;
layout(location = 0) out vec4 color;
void main() {
  vec3 c = clamp(texture(environment, environmentCoord).rgb * shade, 0.0, 1.0);
  color = vec4(clamp(texture(skin, skinCoord).rgb + c, 0.0, 1.0), 1.0);
}
)";
const char *const kFlatVertex = R"(#version 330 core
layout(location = 0) in vec3 position;
uniform mat4 wvp;
uniform vec2 shift;
void main() {
  vec4 p = wvp * vec4(position, 1.0);
  p.xy += shift * p.w;
  gl_Position = p;
}
)";
const char *const kFlatFragment = R"(#version 330 core
uniform vec4 tint;
layout(location = 0) out vec4 color;
void main() { color = tint; }
)";

class TitleReplica final : public Replica {
 public:
  ~TitleReplica() override {
    glDeleteTextures(kTextureCount, textures_);
    glDeleteProgram(textured_.program);
    glDeleteProgram(logo_);
    glDeleteProgram(flat_);
    ReleaseMesh(&logoMesh_);
    ReleaseMesh(&jumperMesh_);
    quads_.Release();
  }

  bool Load(const Frame &frame) override {
    if (!textured_.Build(frame)) return false;
    logo_ = BuildProgram(kLogoVertex, kLogoFragment);
    flat_ = BuildProgram(kFlatVertex, kFlatFragment);
    if (logo_ == 0 || flat_ == 0) return false;
    SetProgramConstants(logo_, frame, {"environment", "skin"});
    logoWorld_ = glGetUniformLocation(logo_, "world");
    logoViewProjection_ = glGetUniformLocation(logo_, "viewProjection");
    logoEye_ = glGetUniformLocation(logo_, "eye");
    logoLight_ = glGetUniformLocation(logo_, "light");
    SetProgramConstants(flat_, frame, {});
    flatWvp_ = glGetUniformLocation(flat_, "wvp");
    flatTint_ = glGetUniformLocation(flat_, "tint");
    if (!LoadMesh("Data/3DFiles/zel2.3ds", &logoMesh_) || !LoadMesh("Data/3DFiles/smc.3ds", &jumperMesh_))
      return false;
    for (int i = 0; i < kTextureCount; ++i)
      if ((textures_[i] = LoadTexture(kTextureFiles[i])) == 0) return false;
    quads_.Build({3.2f, 2.4f, 11.0f, 11.0f, 2.0f, 2.0f, 300.0f, 300.0f, 5.0f, 2.5f, 1.6f, 1.2f, 3.2f, 2.4f});
    projection_ = Perspective(kFieldOfView, kNear, kFar);
    return true;
  }

  void Draw(float t) override {
    const float lt = t - kStart;
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    DrawBackground();
    D3DXVECTOR3 eye;
    DrawLogo(lt, &eye);
    DrawSprites(lt, eye);
    DrawBanner(lt);
    DrawJumpers(lt);
    DrawFades(lt);
  }

 private:
  void DrawBackground() {
    glDepthMask(GL_FALSE);
    textured_.Use();
    textured_.SetMatrix(WorldViewProjection(Translation(0, 0, 0), LookAt(0, 0, -2.49f, 0, 0, 0), projection_));
    glBindTexture(GL_TEXTURE_2D, textures_[kBackground]);
    quads_.Bind();
    quads_.Draw(kBackgroundQuad);
    glDepthMask(GL_TRUE);
  }

  void DrawLogo(float lt, D3DXVECTOR3 *eye) {
    const double a = lt;
    *eye = D3DXVECTOR3(static_cast<float>(kOrbitRadius * std::cos(a)), kOrbitHeight,
                       static_cast<float>(kOrbitRadius * std::sin(a)));
    view_ = LookAt(eye->x, eye->y, eye->z, 0.0f, kOrbitHeight, 0.0f);
    const float light[3] = {static_cast<float>(kLightRadius * std::sin(kLightRate * a)), 0.0f,
                            static_cast<float>(-kLightRadius * std::cos(kLightRate * a))};
    D3DXMATRIX viewProjection, inverseView, rows;
    D3DXMatrixMultiply(&viewProjection, &view_, &projection_);
    D3DXMatrixInverse(&inverseView, nullptr, &view_);
    const D3DXMATRIX world = Translation(0, 0, 0);
    glUseProgram(logo_);
    D3DXMatrixTranspose(&rows, &world);
    glUniform4fv(logoWorld_, 4, &rows._11);
    D3DXMatrixTranspose(&rows, &viewProjection);
    glUniform4fv(logoViewProjection_, 4, &rows._11);
    glUniform3f(logoEye_, inverseView._41, inverseView._42, inverseView._43);
    glUniform3fv(logoLight_, 1, light);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, textures_[kSkin]);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, textures_[kEnvironment]);
    logoMesh_.Draw();
  }

  // Flares on every 53rd and every 28th vertex, glows on every 700th, all turned to the eye.
  void DrawSprites(float lt, const D3DXVECTOR3 &eye) {
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_DST_ALPHA);
    textured_.Use();
    quads_.Bind();
    const double ratio = static_cast<double>(eye.z) / static_cast<double>(eye.x);
    const double theta = eye.x < 0.0f ? kQuarterTurn - std::atan(ratio) : -std::atan(ratio) - kQuarterTurn;
    D3DXMATRIX facing;
    D3DXMatrixRotationY(&facing, static_cast<float>(theta));
    const float *p = logoMesh_.fileVertices.data();
    const int n = logoMesh_.vertexCount;
    auto place = [&](int i, double sx, double sy, double sz, Quad quad) {
      D3DXMATRIX world;
      const D3DXMATRIX placement = Translation(static_cast<float>(sx * p[3 * i]), static_cast<float>(sy * p[3 * i + 2]),
                                               static_cast<float>(sz * p[3 * i + 1]));
      D3DXMatrixMultiply(&world, &facing, &placement);
      textured_.SetMatrix(WorldViewProjection(world, view_, projection_));
      quads_.Draw(quad);
    };
    glBindTexture(GL_TEXTURE_2D, textures_[kFlare]);
    for (int i = 0; i < n; i += kFlareStride) place(i, kFlareLift, kFlareLift, kFlareLift, kFlareQuad);
    for (int i = 0; i < n; i += kSmallFlareStride) place(i, kFlareLift, kFlareLift, kFlareLift, kSmallFlareQuad);
    glBindTexture(GL_TEXTURE_2D, textures_[kGlow]);
    const double s = std::sin(2.0 * lt), c = std::cos(2.0 * lt);
    for (int i = 0; i < n; i += kGlowStride) place(i, 2.0 * s, -c, 2.0 * s, kGlowQuad);
  }

  // Swaying with cos 2lt, one unit nearer during each beat window.
  void DrawBanner(float lt) {
    float pulse = 0.0f;
    for (const auto &w : kBeatWindows)
      if (lt > w[0] && lt <= w[1]) pulse = 1.0f;
    const float y = static_cast<float>(3.0 + 0.4291845493562232 * std::sin(5.6666 * std::cos(2.0 * lt)));
    const D3DXMATRIX view = LookAt(0, 0, -10.0f, 0, 0, 0);
    textured_.SetMatrix(WorldViewProjection(Translation(5.0f, y, 1.0f - pulse), view, projection_));
    glBindTexture(GL_TEXTURE_2D, textures_[kBanner]);
    quads_.Draw(kBannerQuad);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
  }

  void DrawJumpers(float lt) {
    const D3DXMATRIX view = LookAt(0, 8.0f, -10.0f, 0, 8.0f, 0);
    glBindTexture(GL_TEXTURE_2D, textures_[kPaper]);
    for (const Jumper &j : kJumpers) {
      const float t = lt + j.offset;
      float y = 0.0f, z = j.zRest, a = j.zRest;  // at rest
      if (t < 4.0f) {
        y = static_cast<float>(5.0f * std::sin(static_cast<double>(t)) + 0.0f);
        z = t * j.speed + j.z0;
        a = t;
        if (y <= 0.0f) y = 0.0f, z = j.zRest, a = j.zRest;
      }
      const float angle = static_cast<float>(std::sin(static_cast<double>(j.speed)) * a);
      D3DXMATRIX rx, ry, rz, spin, world;
      D3DXMatrixRotationX(&rx, angle);
      D3DXMatrixRotationY(&ry, angle);
      D3DXMatrixRotationZ(&rz, angle);
      D3DXMatrixMultiply(&spin, &rx, &ry);
      D3DXMatrixMultiply(&spin, &spin, &rz);
      const D3DXMATRIX move = Translation(j.x, y, z);
      D3DXMatrixMultiply(&world, &spin, &move);
      textured_.SetMatrix(WorldViewProjection(world, view, projection_));
      jumperMesh_.Draw();
    }
  }

  // The white flash over the first 0.2 s and the closing overlay over the last second.
  void DrawFades(float lt) {
    const float length = kEnd - kStart;
    if (0.0f <= lt && lt <= 0.2f) {
      float alpha = 255.0f - lt / 0.2f * 255.0f;
      if (!(alpha > 0.0f)) alpha = 0.0f;
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      glDepthMask(GL_FALSE);
      DrawWhite(alpha, -1.225f, kFlashQuad);
      glDepthMask(GL_TRUE);
    }
    const float from = length - 1.0f;
    if (from <= lt && lt <= length) {
      float alpha = (lt - from) / (length - from) * 255.0f;
      if (!(alpha < 255.0f)) alpha = 255.0f;
      glBlendFunc(GL_ONE_MINUS_DST_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      DrawWhite(alpha, -2.45f, kOverlayQuad);
    }
  }

  void DrawWhite(float alpha, float eyeZ, Quad quad) {
    glEnable(GL_BLEND);
    glUseProgram(flat_);
    const D3DXMATRIX projection = Perspective(kFieldOfView, kNear, kFaderFar);
    const D3DXMATRIX wvp = WorldViewProjection(Translation(0, 0, 0), LookAt(0, 0, eyeZ, 0, 0, 0), projection);
    glUniformMatrix4fv(flatWvp_, 1, GL_FALSE, &wvp._11);
    glUniform4f(flatTint_, 1.0f, 1.0f, 1.0f, static_cast<float>(render::vertex_color::ChannelByte(alpha)) / 255.0f);
    quads_.Bind();
    quads_.Draw(quad);
    glDisable(GL_BLEND);
  }

  TexturedProgram textured_;
  GLuint logo_ = 0, flat_ = 0;
  GLint logoWorld_ = -1, logoViewProjection_ = -1, logoEye_ = -1, logoLight_ = -1, flatWvp_ = -1, flatTint_ = -1;
  Mesh logoMesh_, jumperMesh_;
  QuadSet quads_;
  GLuint textures_[kTextureCount] = {};
  D3DXMATRIX projection_, view_;
};

}  // namespace

std::unique_ptr<Replica> MakeTitleReplica() { return std::make_unique<TitleReplica>(); }

}  // namespace zel::scenes::raw
