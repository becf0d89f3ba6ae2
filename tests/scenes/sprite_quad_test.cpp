// SpriteQuad on the recording device: vertices and colour bytes, the call order of its two
// draws and the blend and depth-write state each leaves behind.
#include "scenes/sprite_quad.h"

#include "scene_fixture.h"

namespace zel::scenes {

namespace {

using test::SceneTest;

struct SpriteVertex {
  float x, y, z;
  D3DCOLOR color;
  float u, v;
};

class SpriteQuadTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    sprite = new SpriteQuad(device);
    sprite->CreateBuffer();
  }
  void TearDown() override {
    delete sprite;
    SceneTest::TearDown();
  }
  std::vector<SpriteVertex> Vertices() const { return StreamVertices<SpriteVertex>(device->Draws().back(), 4); }
  SpriteQuad *sprite = nullptr;
};

TEST_F(SpriteQuadTest, FillWritesCornersAndAGreyEqualToAlpha) {
  EXPECT_EQ(device->Calls().back().Text(), "CreateVertexBuffer(96, 0, 0x00000142, 0, VB1)");
  EXPECT_EQ(sprite->Fill(6, 3, 255.0f), S_OK);
  sprite->DrawWithAlpha(6, 3, 0, 0, 0, 255.0f);
  const auto v = Vertices();
  const float corners[4][4] = {{-3, -1.5f, 0, 1}, {-3, 1.5f, 0, 0}, {3, -1.5f, 1, 1}, {3, 1.5f, 1, 0}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(v[i].x, corners[i][0]);
    EXPECT_EQ(v[i].y, corners[i][1]);
    EXPECT_EQ(v[i].z, 0.0f);
    EXPECT_EQ(v[i].u, corners[i][2]);
    EXPECT_EQ(v[i].v, corners[i][3]);
    EXPECT_EQ(v[i].color, 0xFFFFFFFFu);
  }
  sprite->DrawWithAlpha(6, 3, 0, 0, 0, 127.5f);
  EXPECT_EQ(Vertices()[0].color, 0x7F7F7F7Fu);
  sprite->DrawWithAlpha(6, 3, 0, 0, 0, 0.0f);
  EXPECT_EQ(Vertices()[3].color, 0x00000000u);
}

TEST_F(SpriteQuadTest, DrawSwitchesBlendingOnForItselfOnly) {
  device->ClearLog();
  sprite->Draw(20, 15, 1.5f, -2.0f);
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "SetStreamSource(0, VB1, 0, 24)", "SetFVF(0x00000142)", "SetTransform(D3DTS_VIEW)",
                         "SetTransform(D3DTS_WORLD)", "SetTextureStageState(0, D3DTSS_COLOROP, 4)",
                         "SetTextureStageState(0, D3DTSS_COLORARG1, 2)",
                         "SetTextureStageState(0, D3DTSS_COLORARG2, 0)", "SetRenderState(D3DRS_SRCBLEND, 5)",
                         "SetRenderState(D3DRS_DESTBLEND, 7)", "SetRenderState(D3DRS_ALPHABLENDENABLE, 1)",
                         "SetRenderState(D3DRS_ZWRITEENABLE, 0)", "DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2)",
                         "SetRenderState(D3DRS_ZWRITEENABLE, 1)",
                         "SetRenderState(D3DRS_ALPHABLENDENABLE, 0)"}));
  const auto &draw = device->Draws().back();
  EXPECT_EQ(draw.state.renderStates[D3DRS_ALPHABLENDENABLE], 1u);
  EXPECT_EQ(draw.state.renderStates[D3DRS_ZWRITEENABLE], 0u);
  EXPECT_EQ(draw.state.transforms[zel::d3d9::TransformSlot(D3DTS_WORLD)]._41, 1.5f);
  EXPECT_EQ(device->RenderState(D3DRS_ALPHABLENDENABLE), 0u);
  EXPECT_EQ(device->RenderState(D3DRS_ZWRITEENABLE), 1u);
  EXPECT_TRUE(test::LooksFrom(device->Transform(D3DTS_VIEW), {0, 0, -10}, {0, 0, 0}, {1, 0, -10}));
  // 20 x 15 reaches beyond the visible +-7.698 x +-5.7735 of the sky scene's view.
  EXPECT_EQ(Vertices()[3].x, 10.0f);
  EXPECT_EQ(Vertices()[3].y, 7.5f);
}

TEST_F(SpriteQuadTest, DrawWithAlphaLeavesBlendAndDepthWritesToTheCaller) {
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  device->ClearLog();
  sprite->DrawWithAlpha(12, 12, 0, -0.3f, 2.0f, 255.0f);
  EXPECT_EQ(device->CountCalls("SetRenderState"), 2u);  // the two blend factors only
  EXPECT_EQ(device->RenderState(D3DRS_ALPHABLENDENABLE), 1u);
  EXPECT_EQ(device->RenderState(D3DRS_ZWRITEENABLE), 0u);
  EXPECT_EQ(device->Transform(D3DTS_WORLD)._42, -0.3f);
  EXPECT_EQ(device->Transform(D3DTS_WORLD)._43, 2.0f);
}

TEST_F(SceneTest, SpriteDrawsAreSkippedWithoutABuffer) {
  device->SetCreateFailure("CreateVertexBuffer", E_OUTOFMEMORY);
  auto *sprite = new SpriteQuad(device);
  EXPECT_EQ(sprite->CreateBuffer(), S_OK);  // the failure is not reported
  EXPECT_EQ(sprite->Fill(1, 1, 255), E_FAIL);
  sprite->Draw(6, 3, 0, 0);
  sprite->DrawWithAlpha(6, 3, 0, 0, 0, 255);
  EXPECT_EQ(device->CountCalls("DrawPrimitive"), 0u);
  EXPECT_EQ(device->RenderState(D3DRS_ALPHABLENDENABLE), 0u);
  delete sprite;
}

}  // namespace

}  // namespace zel::scenes
