// OpeningScene on the recording device: its closed window, the call order of a frame and
// the closing overlay's alpha over the last second.
#include "scenes/opening_scene.h"

#include "scene_fixture.h"

namespace zel::scenes {

namespace {

using test::SceneTest;

struct FaderVertex {
  float x, y, z;
  D3DCOLOR color;
};

class OpeningSceneTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    scene = new OpeningScene(device);
    device->ClearLog();
  }
  void TearDown() override {
    delete scene;
    SceneTest::TearDown();
  }
  // Alpha byte of the overlay drawn in the last frame, or -1 when there was none.
  int OverlayAlpha() const {
    const auto &draws = device->Draws();
    if (draws.size() < 2) return -1;
    return static_cast<int>(StreamVertices<FaderVertex>(draws.back(), 1)[0].color >> 24);
  }
  OpeningScene *scene = nullptr;
};

TEST_F(OpeningSceneTest, WindowIsClosedAtBothEnds) {
  scene->Draw(-0.001f, 0.0f, 6.0f);
  scene->Draw(6.0001f, 0.0f, 6.0f);
  EXPECT_TRUE(device->Calls().empty());
  scene->Draw(0.0f, 0.0f, 6.0f);
  EXPECT_EQ(device->Draws().size(), 1u);
  device->ClearLog();
  scene->Draw(6.0f, 0.0f, 6.0f);
  EXPECT_EQ(device->Draws().size(), 2u);
}

TEST_F(OpeningSceneTest, FrameDrawsTheCardThenTheFade) {
  scene->Draw(1.0f, 0.0f, 6.0f);
  const std::string card = device->NameOf(scene->Textures().Get(0));
  ASSERT_NE(card, "NULL") << "Data/Textures/loading.jpg did not load";
  const std::vector<std::string> expected = {
      "SetRenderState(D3DRS_CULLMODE, 3)", "SetTransform(D3DTS_PROJECTION)", "SetTransform(D3DTS_WORLD)",
      "SetTransform(D3DTS_VIEW)", "SetTexture(0, " + card + ")", "SetRenderState(D3DRS_ZWRITEENABLE, 0)",
      "SetStreamSource(0, VB1, 0, 20)", "SetFVF(0x00000102)", "DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2)",
      "SetRenderState(D3DRS_ZWRITEENABLE, 1)"};
  auto texts = Texts();
  ASSERT_GT(texts.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + expected.size()), expected);
  // The card is drawn without blending, 3.2 x 2.4, from 2.11 units in front with a vertical
  // field of view of 1.1423974: tan(0.5711987) = 0.642661, so the view shows +-1.356015
  // vertically and +-1.808020 horizontally. The card's centre lands in the middle of the
  // screen, its top-left corner 320 x (1 - 1.6 / 1.808020) = 36.82 pixels from the left and
  // 240 x (1 - 1.2 / 1.356015) = 27.61 from the top, at depth (1 - 0.1 / 2.11) x 100000 /
  // 99999.9 = 0.952607 (near plane 0.1, far 100000).
  const auto &draw = device->Draws()[0];
  EXPECT_EQ(draw.state.renderStates[D3DRS_ALPHABLENDENABLE], 0u);
  EXPECT_TRUE(test::Near(test::OnScreen(draw.state, 0, 0, 0), 320, 240, 0.952607f, 1e-3f));
  EXPECT_TRUE(test::Near(test::OnScreen(draw.state, -1.6f, 1.2f, 0), 36.82f, 27.61f, 0.952607f, 1e-2f));
  // The fader follows and leaves blending off.
  EXPECT_EQ(device->RenderState(D3DRS_ALPHABLENDENABLE), 0u);
  EXPECT_EQ(device->RenderState(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_INVDESTALPHA));
}

TEST_F(OpeningSceneTest, OverlayRisesOverTheLastSecond) {
  scene->Draw(4.99f, 0.0f, 6.0f);
  EXPECT_EQ(device->Draws().size(), 1u);
  device->ClearLog();
  scene->Draw(5.0f, 0.0f, 6.0f);
  EXPECT_EQ(OverlayAlpha(), 0);
  device->ClearLog();
  scene->Draw(5.5f, 0.0f, 6.0f);
  EXPECT_EQ(OverlayAlpha(), 127);
  device->ClearLog();
  scene->Draw(6.0f, 0.0f, 6.0f);
  EXPECT_EQ(OverlayAlpha(), 255);
  // The overlay reads destination alpha: inverse of it for the colour, inverse source alpha
  // for the picture.
  const auto &overlay = device->Draws().back().state;
  EXPECT_EQ(overlay.renderStates[D3DRS_SRCBLEND], static_cast<DWORD>(D3DBLEND_INVDESTALPHA));
  EXPECT_EQ(overlay.renderStates[D3DRS_DESTBLEND], static_cast<DWORD>(D3DBLEND_INVSRCALPHA));
}

TEST_F(OpeningSceneTest, LocalTimeFollowsTheWindowStart) {
  scene->Draw(15.5f, 10.0f, 16.0f);  // local 5.5
  EXPECT_EQ(OverlayAlpha(), 127);
}

TEST_F(SceneTest, MissingPictureLeavesTheCardUntextured) {
  ASSERT_EQ(chdir("/"), 0);  // no Data/ here
  auto *scene = new OpeningScene(device);
  EXPECT_EQ(scene->Textures().Get(0), nullptr);
  device->ClearLog();
  scene->Draw(1.0f, 0.0f, 6.0f);
  ASSERT_EQ(device->Draws().size(), 1u);
  EXPECT_EQ(device->Draws()[0].state.textures[0], nullptr);
  delete scene;
}
}  // namespace

}  // namespace zel::scenes
