// The opening card, raw: one textured 4:3 card in front of a camera 2.11 units away, drawn
// without depth writes, back faces culled.
#include "bench/scenes/bounds/raw_scenes.h"

namespace zel::scenes::raw {
namespace {

constexpr float kFieldOfView = 1.1423974f;  // 4pi/11
constexpr float kNear = 0.1f, kFar = 100000.0f;
constexpr float kEyeZ = -2.11f;
constexpr float kCardWidth = 3.2f, kCardHeight = 2.4f;

class OpeningReplica final : public Replica {
 public:
  ~OpeningReplica() override {
    glDeleteTextures(1, &card_);
    glDeleteProgram(textured_.program);
    quads_.Release();
  }

  bool Load(const Frame &frame) override {
    if (!textured_.Build(frame)) return false;
    card_ = LoadTexture("Data/Textures/loading.jpg");
    quads_.Build({kCardWidth, kCardHeight});
    return card_ != 0;
  }

  void Draw(float) override {
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glDisable(GL_BLEND);
    glDepthMask(GL_FALSE);
    textured_.Use();
    const D3DXMATRIX projection = Perspective(kFieldOfView, kNear, kFar);
    textured_.SetMatrix(WorldViewProjection(Translation(0, 0, 0), LookAt(0, 0, kEyeZ, 0, 0, 0), projection));
    glBindTexture(GL_TEXTURE_2D, card_);
    quads_.Bind();
    quads_.Draw(0);
  }

 private:
  TexturedProgram textured_;
  GLuint card_ = 0;
  QuadSet quads_;
};

}  // namespace

std::unique_ptr<Replica> MakeOpeningReplica() { return std::make_unique<OpeningReplica>(); }

}  // namespace zel::scenes::raw
