// TitleScene on the recording device: its closed slot, the beat pulse, the banner, the
// orbit camera and light, the sprite facing, the jumpers and the fades.
#include "scenes/title_scene.h"

#include <cmath>

#include "model3ds/model3ds.h"
#include "scene_fixture.h"

namespace zel::scenes {

namespace {

using test::Matrix;
using test::SceneTest;
using zel::d3d9::RecordedDraw;
using zel::d3d9::TransformSlot;

constexpr float kStart = 13.0f;
constexpr float kEnd = 19.93f;

class TitleSceneTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    scene = new TitleScene(device);
    device->ClearLog();
  }
  void TearDown() override {
    delete scene;
    SceneTest::TearDown();
  }
  IDirect3DBaseTexture9 *Slot(int slot) const { return scene->Textures().Get(slot); }
  std::vector<const RecordedDraw *> DrawsOf(D3DPRIMITIVETYPE type) const {
    std::vector<const RecordedDraw *> out;
    for (const auto &draw : device->Draws()) {
      if (draw.type == type) out.push_back(&draw);
    }
    return out;
  }
  std::vector<const RecordedDraw *> StripsWith(int slot) const {
    std::vector<const RecordedDraw *> out;
    for (const auto *draw : DrawsOf(D3DPT_TRIANGLESTRIP)) {
      if (draw->state.textures[0] == Slot(slot)) out.push_back(draw);
    }
    return out;
  }
  static D3DXMATRIX Transform(const RecordedDraw &draw, D3DTRANSFORMSTATETYPE which) {
    return Matrix(draw.state.transforms[TransformSlot(which)]);
  }
  TitleScene *scene = nullptr;
};

TEST_F(TitleSceneTest, SlotIsClosedAtBothEnds) {
  for (int i = 0; i < TitleScene::kSlotCount; ++i) ASSERT_NE(Slot(i), nullptr) << "slot " << i;
  scene->Draw(12.99f, kStart, kEnd);
  scene->Draw(19.94f, kStart, kEnd);
  EXPECT_TRUE(device->Calls().empty());
  scene->Draw(13.0f, kStart, kEnd);
  EXPECT_FALSE(device->Draws().empty());
  device->ClearLog();
  scene->Draw(19.93f, kStart, kEnd);
  EXPECT_FALSE(device->Draws().empty());
}

TEST_F(TitleSceneTest, BeatPulseWindowsAreOpenBelow) {
  EXPECT_EQ(TitleScene::BeatPulse(0.0f), 0.0f);
  EXPECT_EQ(TitleScene::BeatPulse(0.441f), 0.0f);
  EXPECT_EQ(TitleScene::BeatPulse(0.5f), 1.0f);
  EXPECT_EQ(TitleScene::BeatPulse(0.561f), 1.0f);
  EXPECT_EQ(TitleScene::BeatPulse(0.5611f), 0.0f);
  EXPECT_EQ(TitleScene::BeatPulse(6.735f), 1.0f);
  EXPECT_EQ(TitleScene::BeatPulse(6.8f), 0.0f);
}

TEST_F(TitleSceneTest, BannerSwaysAndComesForwardOnTheBeat) {
  scene->Draw(kStart, kStart, kEnd);  // lt 0
  auto banner = StripsWith(7);
  ASSERT_EQ(banner.size(), 1u);
  D3DXMATRIX world = Transform(*banner[0], D3DTS_WORLD);
  EXPECT_EQ(world._41, 5.0f);
  EXPECT_NEAR(world._42, 2.7518f, 1e-4);
  EXPECT_EQ(world._42, static_cast<float>(3.0 + 0.4291845493562232 * std::sin(5.6666)));
  EXPECT_EQ(world._43, 1.0f);
  EXPECT_TRUE(test::LooksFrom(Transform(*banner[0], D3DTS_VIEW), {0, 0, -10}, {0, 0, 0}, {1, 0, -10}));
  EXPECT_EQ(banner[0]->state.renderStates[D3DRS_ALPHABLENDENABLE], 1u);
  EXPECT_EQ(banner[0]->state.renderStates[D3DRS_ZWRITEENABLE], 0u);
  device->ClearLog();
  scene->Draw(13.5f, kStart, kEnd);  // lt 0.5: inside the first beat
  EXPECT_EQ(Transform(*StripsWith(7).at(0), D3DTS_WORLD)._43, 0.0f);
}

TEST_F(TitleSceneTest, OrbitCameraLightAndShaderAtTheStart) {
  scene->Draw(kStart, kStart, kEnd);
  auto lists = DrawsOf(D3DPT_TRIANGLELIST);
  ASSERT_EQ(lists.size(), 9u);  // the title model, then eight jumpers
  const RecordedDraw &logo = *lists[0];
  // From +x looking back at the model, +z is on the right.
  EXPECT_TRUE(test::LooksFrom(Transform(logo, D3DTS_VIEW), {450, -20, 0}, {0, -20, 0}, {450, -20, 1}));
  EXPECT_NE(logo.state.vertexShader, nullptr);
  EXPECT_EQ(logo.state.textures[0], Slot(1));
  EXPECT_EQ(logo.state.textures[1], Slot(0));
  EXPECT_EQ(logo.state.stageStates[1][D3DTSS_COLOROP], static_cast<DWORD>(D3DTOP_ADD));
  EXPECT_EQ(logo.state.renderStates[D3DRS_CULLMODE], static_cast<DWORD>(D3DCULL_NONE));
  // The light position goes to c10.
  EXPECT_NEAR(logo.state.vertexShaderConstants[10][0], 0.0f, 1e-6);
  EXPECT_EQ(logo.state.vertexShaderConstants[10][1], 0.0f);
  EXPECT_EQ(logo.state.vertexShaderConstants[10][2], -50.0f);
  for (size_t i = 1; i < lists.size(); ++i) EXPECT_EQ(lists[i]->state.vertexShader, nullptr);
}

TEST_F(TitleSceneTest, SpritesFaceTheEyeAndSitOnTheModelVertices) {
  model3ds::Model3ds reference(device);
  reference.Load("Data/3DFiles/zel2.3ds");
  const int n = reference.objects[0].vertexCount;
  ASSERT_GT(n, 0);
  scene->Draw(kStart, kStart, kEnd);
  auto flares = StripsWith(3);
  const size_t expectedFlares = (n + 52) / 53 + (n + 27) / 28;
  ASSERT_EQ(flares.size(), expectedFlares);
  auto glows = StripsWith(4);
  EXPECT_EQ(glows.size(), static_cast<size_t>((n + 699) / 700));
  // At lt 0 the eye is at (450, -20, 0). The second flare sits on vertex 53 pushed out by
  // 1 %, in renderer axes (the file's y and z swapped), and faces the eye: the sprite's front
  // (toward its -z) turns to +x, and its right (+x) to +z, which is the eye's right.
  const float(*p)[3] = reference.loader->workVertices;
  const D3DXVECTOR3 at(static_cast<float>(1.01 * p[53][0]), static_cast<float>(1.01 * p[53][2]),
                       static_cast<float>(1.01 * p[53][1]));
  const D3DXMATRIX world = Transform(*flares[1], D3DTS_WORLD);
  EXPECT_TRUE(test::Near(test::Through(world, 0, 0, 0), at.x, at.y, at.z, 1e-4f));
  EXPECT_TRUE(test::Near(test::Through(world, 0, 0, -1), at.x + 1, at.y, at.z, 1e-4f));
  EXPECT_TRUE(test::Near(test::Through(world, 1, 0, 0), at.x, at.y, at.z + 1, 1e-4f));
  EXPECT_EQ(flares[1]->state.renderStates[D3DRS_DESTBLEND], static_cast<DWORD>(D3DBLEND_DESTALPHA));
  EXPECT_EQ(flares[1]->state.stageStates[0][D3DTSS_COLOROP], static_cast<DWORD>(D3DTOP_SELECTARG1));
  EXPECT_EQ(flares[1]->state.textures[1], nullptr);
}

TEST_F(TitleSceneTest, JumpersRestOrFlyByTheirRows) {
  auto jumperWorld = [&](int row) {
    auto lists = DrawsOf(D3DPT_TRIANGLELIST);
    EXPECT_EQ(lists.size(), 9u);
    return Transform(*lists.at(1 + row), D3DTS_WORLD);
  };
  // A jumper turns by one angle a about x, then y, then z, and then moves to its place:
  // its origin lands on the place, and its unit x, left alone by the turn about x, becomes
  // (cos a, 0, -sin a) about y and then (cos a cos a, cos a sin a, -sin a) about z.
  auto spinsAt = [](const D3DMATRIX &m, float a, float x, float y, float z) {
    const float c = std::cos(a), s = std::sin(a);
    return test::Near(test::Through(m, 0, 0, 0), x, y, z, 1e-4f) &&
           test::Near(test::Through(m, 1, 0, 0), x + c * c, y + c * s, z - s, 1e-4f);
  };
  scene->Draw(kStart, kStart, kEnd);
  // Row 2 (index 1) at t = 0.6: in flight.
  D3DXMATRIX row2 = jumperWorld(1);
  EXPECT_EQ(row2._41, 2.5f);
  EXPECT_NEAR(row2._42, 2.8232f, 1e-4);
  EXPECT_FLOAT_EQ(row2._43, 1.0f);
  const float angle = static_cast<float>(std::sin(10.0) * 0.6f);
  EXPECT_NEAR(angle, -0.3264f, 1e-4);
  EXPECT_TRUE(spinsAt(row2, angle, 2.5f, 2.8232f, 1.0f));
  // Row 3 (index 2) at t = 0: at rest for this instant, at (10, 0, 32.5), turned by
  // sin(23) x 32.5 = -27.50216.
  EXPECT_TRUE(spinsAt(jumperWorld(2), -27.50216f, 10.0f, 0.0f, 32.5f));
  device->ClearLog();
  scene->Draw(13.01f, kStart, kEnd);
  D3DXMATRIX row3 = jumperWorld(2);
  EXPECT_EQ(row3._41, 10.0f);
  EXPECT_NEAR(row3._42, 0.05f, 1e-3);
  EXPECT_NEAR(row3._43, -39.77f, 1e-2);
  EXPECT_TRUE(test::LooksFrom(Transform(*DrawsOf(D3DPT_TRIANGLELIST).back(), D3DTS_VIEW), {0, 8, -10},
                                    {0, 8, 0}, {1, 8, -10}));
  EXPECT_EQ(DrawsOf(D3DPT_TRIANGLELIST).back()->state.textures[0], Slot(5));
}

TEST_F(TitleSceneTest, FlashAtTheStartOverlayAtTheEndAndStateLeftBehind) {
  struct FaderVertex {
    float x, y, z;
    D3DCOLOR color;
  };
  auto fades = [&]() {
    std::vector<DWORD> alphas;
    for (const auto *draw : DrawsOf(D3DPT_TRIANGLESTRIP)) {
      if (draw->state.streams[0].stride == 16) alphas.push_back(StreamVertices<FaderVertex>(*draw, 1)[0].color >> 24);
    }
    return alphas;
  };
  scene->Draw(kStart, kStart, kEnd);
  EXPECT_EQ(fades(), std::vector<DWORD>{255});
  device->ClearLog();
  scene->Draw(13.3f, kStart, kEnd);
  EXPECT_TRUE(fades().empty());
  device->ClearLog();
  scene->Draw(18.9f, kStart, kEnd);  // lt 5.9, before the overlay
  EXPECT_TRUE(fades().empty());
  device->ClearLog();
  scene->Draw(19.93f, kStart, kEnd);
  EXPECT_EQ(fades(), std::vector<DWORD>{255});

  EXPECT_EQ(device->RenderState(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_NONE));
  EXPECT_EQ(device->RenderState(D3DRS_ZWRITEENABLE), 1u);
  EXPECT_EQ(device->RenderState(D3DRS_ALPHABLENDENABLE), 0u);
  EXPECT_EQ(device->State().textures[0], nullptr);
  EXPECT_EQ(device->State().textures[1], nullptr);
  EXPECT_EQ(device->State().vertexShader, nullptr);
  EXPECT_EQ(device->StageState(0, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_SELECTARG1));
  EXPECT_EQ(device->StageState(1, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_ADD));
}

// Camera, fader, quad and effect first, then the two models (three textures each), then the
// assets in table order: shader, title model, jumper model, the eight slots.
TEST_F(SceneTest, TitleSceneCreatesItsObjectsInOrder) {
  auto *scene = new TitleScene(device);
  std::vector<std::string> creations;
  for (const auto &call : device->Calls()) {
    if (call.method.rfind("Create", 0) == 0) creations.push_back(call.method);
  }
  std::vector<std::string> expected = {"CreateVertexBuffer", "CreateVertexBuffer"};  // fader, quad
  for (int i = 0; i < 6; ++i) expected.push_back("CreateTexture");                // the models' own
  expected.insert(expected.end(), {"CreateVertexDeclaration", "CreateVertexShader", "CreateVertexBuffer",
                                   "CreateIndexBuffer", "CreateVertexBuffer", "CreateIndexBuffer"});
  for (int i = 0; i < TitleScene::kSlotCount; ++i) expected.push_back("CreateTexture");
  EXPECT_EQ(creations, expected);
  EXPECT_EQ(device->CallsTo("CreateVertexBuffer")[0].args[0], "64");  // the fader's
  EXPECT_EQ(device->CallsTo("CreateVertexBuffer")[1].args[0], "80");  // the quad's
  delete scene;
}
}  // namespace

}  // namespace zel::scenes
