// The sky stack with the end card, raw: ten copies of the sky bowl, each rocking about the
// viewing axis, their texture scrolled in the vertex program rather than rewritten, then
// three textured sprites; all added onto the frame (source times its alpha plus the
// destination times its alpha, which reads 1), without depth writes.
#include <cmath>

#include "bench/scenes/bounds/raw_scenes.h"

namespace zel::scenes::raw {
namespace {

constexpr float kWindowStart = 19.93f;      // the second window's start, demo seconds
constexpr float kFieldOfView = 1.0471976f;  // pi/3
constexpr float kNear = 0.1f, kFar = 10000.0f;
constexpr float kEyeZ = 90.0f;
constexpr int kCopies = 10;
constexpr float kCopySpacing = 5.0f;  // units along z
constexpr float kScrollRate = 0.25f;  // texture v per second
constexpr float kSpriteEyeZ = -10.0f;

enum Texture { kSky, kEnd, kBuuu, kWypier, kTextureCount };
const char *const kTextureFiles[kTextureCount] = {"Data/Textures/skyneg2m.jpg", "Data/Textures/end.jpg",
                                                  "Data/Textures/buuu.jpg", "Data/Textures/wypier.jpg"};

class SkyReplica final : public Replica {
 public:
  ~SkyReplica() override {
    glDeleteTextures(kTextureCount, textures_);
    glDeleteProgram(textured_.program);
    ReleaseMesh(&bowl_);
    sprites_.Release();
  }

  bool Load(const Frame &frame) override {
    if (!textured_.Build(frame) || !LoadMesh("Data/3DFiles/hem.3ds", &bowl_)) return false;
    for (int i = 0; i < kTextureCount; ++i)
      if ((textures_[i] = LoadTexture(kTextureFiles[i])) == 0) return false;
    sprites_.Build({12.0f, 12.0f, 6.0f, 3.7f, 7.0f, 4.2f});
    projection_ = Perspective(kFieldOfView, kNear, kFar);
    return true;
  }

  void Draw(float t) override {
    const float lt = t - kWindowStart;
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_DST_ALPHA);
    glDepthMask(GL_FALSE);
    textured_.Use();
    DrawStack(lt);
    DrawEndCard(t);
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
  }

 private:
  void DrawStack(float lt) {
    const D3DXMATRIX view = LookAt(0, 0, kEyeZ, 0, 0, 0);
    glBindTexture(GL_TEXTURE_2D, textures_[kSky]);
    glUniform1f(textured_.scroll, kScrollRate * lt);
    for (int i = 0; i < kCopies; ++i) {
      const float angle = static_cast<float>(2.0 * std::sin(0.5 * (lt + 0.02 * i)));
      D3DXMATRIX rotation, world;
      D3DXMatrixRotationZ(&rotation, angle);
      const D3DXMATRIX translation = Translation(0.0f, 0.0f, kCopySpacing * i);
      D3DXMatrixMultiply(&world, &translation, &rotation);
      textured_.SetMatrix(WorldViewProjection(world, view, projection_));
      bowl_.Draw();
    }
    glUniform1f(textured_.scroll, 0.0f);
  }

  void DrawEndCard(float t) {
    const D3DXMATRIX view = LookAt(0, 0, kSpriteEyeZ, 0, 0, 0);
    const double td = t;
    const float h = static_cast<float>(0.5 * std::sin(td + std::sin(10.0 * td)));
    const float c = static_cast<float>(std::cos(10.0 * td));
    const float places[3][2] = {{0.0f, -0.3f},
                                {static_cast<float>(0.5 * std::sin(td + c) - 5.5), static_cast<float>(3.5 - h)},
                                {static_cast<float>(6.0 - 0.5 * std::sin(td - c)), static_cast<float>(h - 5.0)}};
    const Texture images[3] = {kEnd, kBuuu, kWypier};
    sprites_.Bind();
    for (int i = 0; i < 3; ++i) {
      glBindTexture(GL_TEXTURE_2D, textures_[images[i]]);
      textured_.SetMatrix(WorldViewProjection(Translation(places[i][0], places[i][1], 0.0f), view, projection_));
      sprites_.Draw(i);
    }
  }

  TexturedProgram textured_;
  Mesh bowl_;
  QuadSet sprites_;
  GLuint textures_[kTextureCount] = {};
  D3DXMATRIX projection_;
};

}  // namespace

std::unique_ptr<Replica> MakeSkyReplica() { return std::make_unique<SkyReplica>(); }

}  // namespace zel::scenes::raw
