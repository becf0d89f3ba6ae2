// SkyScene on the recording device: its windows, the sky stack's rocking and texture
// scroll, the beat flashes, the word flashes with their exact rand draws, and the switch
// from words to the end card at demo time 19.
#include "scenes/sky_scene.h"

#include <cmath>
#include <memory>

#include "model3ds/model3ds.h"
#include "scene_fixture.h"

namespace zel::scenes {

namespace {

using test::DrawsBetween;
using test::SceneTest;

class SkySceneTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    scene = new SkyScene(device);
    device->ClearLog();
    crt::CrtRandReset();
  }
  void TearDown() override {
    delete scene;
    crt::CrtRandReset();
    SceneTest::TearDown();
  }
  IDirect3DBaseTexture9 *Slot(int slot) const { return scene->Textures().Get(slot); }
  // Sprite draws (stride 24 on stream 0) of the log, with the texture each one used.
  std::vector<const zel::d3d9::RecordedDraw *> SpriteDraws() const {
    std::vector<const zel::d3d9::RecordedDraw *> out;
    for (const auto &draw : device->Draws()) {
      if (draw.type == D3DPT_TRIANGLESTRIP && draw.state.streams[0].stride == 24) out.push_back(&draw);
    }
    return out;
  }
  std::vector<IDirect3DBaseTexture9 *> SpriteTextures() const {
    std::vector<IDirect3DBaseTexture9 *> out;
    for (const auto *draw : SpriteDraws()) out.push_back(draw->state.textures[0]);
    return out;
  }
  bool FlashDrawn() const {
    for (auto *texture : SpriteTextures()) {
      if (texture == Slot(20)) return true;
    }
    return false;
  }
  static D3DMATRIX World(const zel::d3d9::RecordedDraw &draw) {
    return draw.state.transforms[zel::d3d9::TransformSlot(D3DTS_WORLD)];
  }
  SkyScene *scene = nullptr;
};

TEST_F(SkySceneTest, NoDeviceCallOutsideEitherWindow) {
  for (int i = 0; i < SkyScene::kSlotCount; ++i) ASSERT_NE(Slot(i), nullptr) << "slot " << i;
  scene->Draw(5.999f, 6.0f, 13.0f);
  scene->Draw(13.0001f, 6.0f, 13.0f);
  scene->Draw(18.99f, 19.93f, 179.0f);
  scene->Draw(179.001f, 19.93f, 179.0f);
  EXPECT_TRUE(device->Calls().empty());
  EXPECT_EQ(crt::CrtRandState(), 1u);
}

TEST_F(SkySceneTest, StackRocksAndScrollsFromTheFileCoordinates) {
  model3ds::Model3ds reference(device);
  reference.Load("Data/3DFiles/hem.3ds");
  const int n = reference.objects[0].vertexCount;
  ASSERT_GT(n, 0);
  for (float lt : {0.0f, 4.0f}) {
    device->ClearLog();
    scene->Draw(6.0f + lt, 6.0f, 13.0f);
    std::vector<const zel::d3d9::RecordedDraw *> copies;
    for (const auto &draw : device->Draws()) {
      if (draw.type == D3DPT_TRIANGLELIST) copies.push_back(&draw);
    }
    ASSERT_EQ(copies.size(), 10u);
    for (int i = 0; i < 10; ++i) {
      const auto &state = copies[i]->state;
      EXPECT_EQ(state.renderStates[D3DRS_ALPHABLENDENABLE], 1u);
      EXPECT_EQ(state.renderStates[D3DRS_ZWRITEENABLE], 0u);
      EXPECT_EQ(state.textures[0], Slot(0));
      // Copy i moves 5i along z and rocks about the z axis by 2 sin(0.5 (lt + 0.02 i)):
      // its origin lands at (0, 0, 5i) and its unit x at (cos a, sin a, 5i).
      const float a = static_cast<float>(2.0 * std::sin(0.5 * (lt + 0.02 * i)));
      const D3DMATRIX world = World(*copies[i]);
      EXPECT_TRUE(test::Near(test::Through(world, 0, 0, 0), 0, 0, 5.0f * i, 1e-5f)) << i << " " << lt;
      EXPECT_TRUE(test::Near(test::Through(world, 1, 0, 0), std::cos(a), std::sin(a), 5.0f * i, 1e-5f))
          << "copy " << i << " at lt " << lt;
    }
    auto vertices = StreamVertices<model3ds::Vertex3ds>(*copies[9], n);
    for (int k = 0; k < n; ++k) {
      ASSERT_EQ(vertices[k].tex0[0], reference.loader->workTexCoords[k][0]) << k;
      ASSERT_EQ(vertices[k].tex0[1], reference.loader->workTexCoords[k][1] + 0.25f * lt) << k;
      ASSERT_EQ(vertices[k].tex1[1], reference.loader->workTexCoords[k][1]) << k;
    }
  }
}

TEST_F(SkySceneTest, BeatFlashWindowsAreOpenBelowAndClosedAbove) {
  scene->Draw(6.441f, 6.0f, 13.0f);
  EXPECT_FALSE(FlashDrawn());
  device->ClearLog();
  scene->Draw(6.541f, 6.0f, 13.0f);
  EXPECT_TRUE(FlashDrawn());
  const auto flash = SpriteDraws().back();
  EXPECT_EQ(flash->state.textures[0], Slot(20));
  EXPECT_EQ(flash->state.renderStates[D3DRS_ALPHABLENDENABLE], 1u);
  device->ClearLog();
  scene->Draw(6.5411f, 6.0f, 13.0f);
  EXPECT_FALSE(FlashDrawn());
  device->ClearLog();
  scene->Draw(12.715f, 6.0f, 13.0f);
  EXPECT_TRUE(FlashDrawn());
  device->ClearLog();
  scene->Draw(12.75f, 6.0f, 13.0f);
  EXPECT_FALSE(FlashDrawn());
}

TEST_F(SkySceneTest, WordWindowsAndRandDraws) {
  struct Case {
    bool late;
    float lt;
    int draws;
    std::vector<int> slots;
  };
  const std::vector<Case> cases = {
      {false, 0.441f, 0, {}},
      {false, 0.4411f, 6, {1, 2, 3}},
      {false, 1.864f, 17, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {false, 1.8641f, 11, {4, 5, 6, 7, 8, 9}},
      {false, 3.0f, 0, {}},
      {true, 3.0f, 0, {}},
      {true, 4.9f, 23, {10, 11, 12, 13, 14, 15, 16, 17, 18, 23, 24, 25}},
      {true, 6.685f, 6, {23, 24, 25}},
      {true, 6.6851f, 0, {}},
  };
  for (const Case &c : cases) {
    device->ClearLog();
    uint32_t before = crt::CrtRandState();
    if (c.late) {
      scene->DrawWordsLate(c.lt);
    } else {
      scene->DrawWordsEarly(c.lt);
    }
    EXPECT_EQ(DrawsBetween(before, crt::CrtRandState()), c.draws) << "lt " << c.lt;
    std::vector<IDirect3DBaseTexture9 *> expected;
    for (int slot : c.slots) expected.push_back(Slot(slot));
    EXPECT_EQ(SpriteTextures(), expected) << "lt " << c.lt;
    for (const auto *draw : SpriteDraws()) {
      // Each layer is a 6 x 3 opaque sprite drawn with blending on and depth writes off.
      auto v = StreamVertices<float>(*draw, 6);
      EXPECT_EQ(v[0], -3.0f);
      EXPECT_EQ(v[1], -1.5f);
      EXPECT_EQ(draw->state.renderStates[D3DRS_ZWRITEENABLE], 0u);
    }
  }
}

TEST_F(SkySceneTest, FirstWordLayerUsesTheFirstRandValues) {
  scene->DrawWordsEarly(0.4411f);
  auto draws = SpriteDraws();
  ASSERT_EQ(draws.size(), 3u);
  // ny = 41 and nx = 18467 % 100 = 67 from the sequence's start.
  const double lt = 0.4411f;
  EXPECT_EQ(World(*draws[0])._41, static_cast<float>(-4.0 + 0.5 * std::sin(100.0 * (lt + 67))));
  EXPECT_EQ(World(*draws[0])._42, static_cast<float>(3.0 + 0.5 * std::cos(100.0 * std::sin(lt + 41))));
}

TEST_F(SkySceneTest, LayersStayWithinTheirAmplitudes) {
  const double bounds[3] = {0.5, 0.25, 0.05};
  for (float lt = 0.45f; lt < 1.86f; lt += 0.0173f) {
    device->ClearLog();
    scene->DrawWordsEarly(lt);
    auto draws = SpriteDraws();
    ASSERT_GE(draws.size(), 3u);
    for (int layer = 0; layer < 3; ++layer) {  // the first word drawn is ng at (-4, 3)
      const D3DMATRIX world = World(*draws[layer]);
      EXPECT_LE(std::fabs(world._41 + 4.0), bounds[layer] + 1e-6) << lt;
      EXPECT_LE(std::fabs(world._42 - 3.0), bounds[layer] + 1e-6) << lt;
    }
  }
}

TEST_F(SkySceneTest, ForegroundSwitchesToTheEndCardAtNineteenSeconds) {
  scene->Draw(18.99f, 6.0f, 179.0f);
  EXPECT_EQ(crt::CrtRandState(), 1u);  // no word is in its window, so no draw
  EXPECT_TRUE(SpriteTextures().empty());
  device->ClearLog();
  scene->Draw(19.0f, 6.0f, 179.0f);
  EXPECT_EQ(crt::CrtRandState(), 1u);
  EXPECT_EQ(SpriteTextures(), (std::vector<IDirect3DBaseTexture9 *>{Slot(19), Slot(21), Slot(22)}));
  auto draws = SpriteDraws();
  EXPECT_EQ(World(*draws[0])._42, -0.3f);
  const double t = 19.0f;
  const float h = static_cast<float>(0.5 * std::sin(t + std::sin(10.0 * t)));
  const float c = static_cast<float>(std::cos(10.0 * t));
  EXPECT_EQ(World(*draws[1])._41, static_cast<float>(0.5 * std::sin(t + c) - 5.5));
  EXPECT_EQ(World(*draws[1])._42, static_cast<float>(3.5 - h));
  EXPECT_EQ(World(*draws[2])._41, static_cast<float>(6.0 - 0.5 * std::sin(t - c)));
  EXPECT_EQ(World(*draws[2])._42, static_cast<float>(h - 5.0));
}

TEST_F(SkySceneTest, FadesAtTheEndsOfEachAppearance) {
  struct FaderVertex {
    float x, y, z;
    D3DCOLOR color;
  };
  auto lastAlpha = [&]() {
    const auto &draw = device->Draws().back();
    EXPECT_EQ(draw.state.streams[0].stride, 16u);
    return StreamVertices<FaderVertex>(draw, 1)[0].color >> 24;
  };
  scene->Draw(19.93f, 19.93f, 179.0f);
  EXPECT_EQ(lastAlpha(), 255u);  // the opening flash at full strength
  device->ClearLog();
  scene->Draw(13.0f, 6.0f, 13.0f);
  EXPECT_EQ(lastAlpha(), 255u);  // the closing overlay at its end
  device->ClearLog();
  scene->Draw(178.7f, 19.93f, 179.0f);
  EXPECT_NE(device->Draws().back().state.streams[0].stride, 16u);  // before 178.75: no fade drawn
  device->ClearLog();
  scene->Draw(179.0f, 19.93f, 179.0f);
  EXPECT_EQ(lastAlpha(), 255u);
  // State left behind: blending off, depth writes on, the fader's view.
  EXPECT_EQ(device->RenderState(D3DRS_ALPHABLENDENABLE), 0u);
  EXPECT_EQ(device->RenderState(D3DRS_ZWRITEENABLE), 1u);
}

}  // namespace

}  // namespace zel::scenes
