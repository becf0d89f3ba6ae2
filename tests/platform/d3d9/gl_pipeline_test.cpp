// The fixed-function pipeline of the OpenGL device against pixels read back: vertex formats,
// texture stages, blending, depth, culling and the platform's pixel-centre rule.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/platform/d3d9/gl_fixture.h"

namespace zel::d3d9 {
namespace {

::testing::AssertionResult Near(uint32_t actual, uint32_t expected, int tolerance = 2) {
  for (int shift = 0; shift <= 16; shift += 8) {
    int a = static_cast<int>((actual >> shift) & 0xff), e = static_cast<int>((expected >> shift) & 0xff);
    if (std::abs(a - e) > tolerance) {
      char text[64];
      std::snprintf(text, sizeof text, "0x%06x is not near 0x%06x", actual, expected);
      return ::testing::AssertionFailure() << text;
    }
  }
  return ::testing::AssertionSuccess();
}

class PipelineTest : public GlDeviceTest {
 protected:
  void SetUp() override {
    GlDeviceTest::SetUp();
    if (HasFatalFailure()) return;
    DrawUnlitBothSides(true);
    device_->BeginScene();
  }
  void TearDown() override {
    if (device_ != nullptr) device_->EndScene();
    GlDeviceTest::TearDown();
  }
  // A screen-space quad (pixels), drawn from user memory as a strip.
  HRESULT DrawRect(float x1, float y1, float x2, float y2, D3DCOLOR c, float z = 0.5f) {
    ScreenVertex v[4] = {{x1, y1, z, 1, c, 0, 0}, {x2, y1, z, 1, c, 1, 0}, {x1, y2, z, 1, c, 0, 1},
                         {x2, y2, z, 1, c, 1, 1}};
    device_->SetFVF(kScreenFvf);
    return device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(ScreenVertex));
  }
  void Release(IUnknown *o) { EXPECT_EQ(o->Release(), 0u); }
};

TEST_F(PipelineTest, DepthClearAndTestDecideWhatShows) {
  device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.5f, 0);
  DrawRect(0, 0, 32, 48, 0xffff0000, 0.6f);   // behind the cleared depth: hidden
  DrawRect(32, 0, 64, 48, 0xff00ff00, 0.4f);  // in front: shown
  Grab();
  EXPECT_EQ(Pixel(10, 10), 0x000000u);
  EXPECT_EQ(Pixel(50, 10), 0x00ff00u);
  // A target-only clear leaves depth alone.
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff0000ff, 0.0f, 0);
  DrawRect(0, 0, 64, 48, 0xffffffff, 0.45f);
  Grab();
  EXPECT_EQ(Pixel(10, 10), 0xffffffu);  // 0.45 passes the cleared 0.5
  EXPECT_EQ(Pixel(50, 10), 0x0000ffu);  // 0.45 fails the 0.4 written there
}

TEST_F(PipelineTest, DepthWritesCanBeTurnedOff) {
  device_->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  DrawRect(0, 0, 64, 48, 0xff0000ff, 0.2f);
  device_->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
  DrawRect(0, 0, 64, 48, 0xff00ff00, 0.7f);  // passes: nothing was written at 0.2
  DrawRect(0, 0, 64, 48, 0xffff0000, 0.8f);  // fails against the 0.7 now written
  Grab();
  EXPECT_EQ(Pixel(30, 20), 0x00ff00u);
}

TEST_F(PipelineTest, CullModesAgainstBothWindings) {
  // Clockwise on screen: (x1,y1) (x2,y1) (x1,y2); the reverse order is counter-clockwise.
  ScreenVertex cw[3] = {{4, 4, 0.5f, 1, 0xffffffff, 0, 0}, {28, 4, 0.5f, 1, 0xffffffff, 0, 0},
                        {4, 28, 0.5f, 1, 0xffffffff, 0, 0}};
  ScreenVertex ccw[3] = {{36, 4, 0.5f, 1, 0xffffffff, 0, 0}, {36, 28, 0.5f, 1, 0xffffffff, 0, 0},
                         {60, 4, 0.5f, 1, 0xffffffff, 0, 0}};
  device_->SetFVF(kScreenFvf);
  const struct {
    DWORD mode;
    bool cwShown, ccwShown;
  } cases[] = {{D3DCULL_NONE, true, true}, {D3DCULL_CCW, true, false}, {D3DCULL_CW, false, true}};
  for (const auto &c : cases) {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.0f, 0);
    device_->SetRenderState(D3DRS_CULLMODE, c.mode);
    device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, cw, sizeof(ScreenVertex));
    device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, ccw, sizeof(ScreenVertex));
    Grab();
    EXPECT_EQ(Pixel(8, 8) != 0, c.cwShown) << "cull mode " << c.mode;
    EXPECT_EQ(Pixel(40, 8) != 0, c.ccwShown) << "cull mode " << c.mode;
  }
}

TEST_F(PipelineTest, AQuadOnePixelWideCoversExactlyOneColumn) {
  // Pixel centres sit at integer coordinates: x from 10 to 11 covers column 10 only, and
  // x from 19.5 to 20.5 covers column 20 only.
  DrawRect(10, 5, 11, 40, 0xffffffff);
  DrawRect(19.5f, 5, 20.5f, 40, 0xffffffff);
  Grab();
  for (UINT x = 5; x < 25; ++x) {
    bool expected = x == 10 || x == 20;
    EXPECT_EQ(Pixel(x, 20) != 0, expected) << "column " << x;
  }
  // Rows follow the same rule: y from 5 to 40 covers rows 5..39.
  EXPECT_NE(Pixel(10, 5), 0u);
  EXPECT_EQ(Pixel(10, 4), 0u);
  EXPECT_NE(Pixel(10, 39), 0u);
  EXPECT_EQ(Pixel(10, 40), 0u);
}

TEST_F(PipelineTest, TransformedVerticesFollowTheSameCentreRule) {
  // Through world/view/projection (identity here), clip x = -1 is the centre of column 0.
  // A quad from column 3's centre to column 4's covers column 3 only.
  float dx = 2.0f / kWidth;
  float x1 = -1.0f + 3 * dx, x2 = -1.0f + 4 * dx;
  struct V {
    float x, y, z;
    D3DCOLOR c;
  } v[4] = {{x1, 1, 0.5f, 0xffffffff}, {x2, 1, 0.5f, 0xffffffff}, {x1, -1, 0.5f, 0xffffffff},
            {x2, -1, 0.5f, 0xffffffff}};
  device_->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(V)), D3D_OK);
  Grab();
  EXPECT_EQ(Pixel(2, 20), 0u);
  EXPECT_NE(Pixel(3, 20), 0u);
  EXPECT_EQ(Pixel(4, 20), 0u);
}

TEST_F(PipelineTest, TexturedQuadWithPointAndLinearFilters) {
  // Two texels: red on the left, blue on the right, stretched over 64 pixels.
  IDirect3DTexture9 *t = MakeTexture(2, 1, [](UINT x, UINT) { return x == 0 ? 0xffff0000u : 0xff0000ffu; });
  device_->SetTexture(0, t);
  device_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  DrawRect(0, 0, 64, 48, 0xffffffff);
  Grab();
  EXPECT_EQ(Pixel(20, 10), 0xff0000u);
  EXPECT_EQ(Pixel(40, 10), 0x0000ffu);
  device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  DrawRect(0, 0, 64, 48, 0xffffffff);
  Grab();
  EXPECT_EQ(Pixel(0, 10), 0xff0000u);  // clamped at the edge
  uint32_t mid = Pixel(32, 10);
  EXPECT_TRUE(Near(mid, 0x7f007f, 12)) << std::hex << mid;
  device_->SetTexture(0, nullptr);
  Release(t);
}

TEST_F(PipelineTest, TextureAddressModes) {
  IDirect3DTexture9 *t = MakeTexture(2, 1, [](UINT x, UINT) { return x == 0 ? 0xffff0000u : 0xff00ff00u; });
  device_->SetTexture(0, t);
  // u runs from 0 to 2 over the quad: texels of the second copy depend on the mode.
  ScreenVertex v[4] = {{0, 0, 0.5f, 1, 0xffffffff, 0, 0}, {64, 0, 0.5f, 1, 0xffffffff, 2, 0},
                       {0, 48, 0.5f, 1, 0xffffffff, 0, 1}, {64, 48, 0.5f, 1, 0xffffffff, 2, 1}};
  device_->SetFVF(kScreenFvf);
  const struct {
    DWORD mode;
    uint32_t at40, at56;  // u = 1.25 and 1.75
  } cases[] = {{D3DTADDRESS_WRAP, 0xff0000, 0x00ff00},
               {D3DTADDRESS_MIRROR, 0x00ff00, 0xff0000},
               {D3DTADDRESS_CLAMP, 0x00ff00, 0x00ff00},
               {D3DTADDRESS_BORDER, 0x0000ff, 0x0000ff}};
  device_->SetSamplerState(0, D3DSAMP_BORDERCOLOR, 0xff0000ff);
  for (const auto &c : cases) {
    device_->SetSamplerState(0, D3DSAMP_ADDRESSU, c.mode);
    device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(ScreenVertex));
    Grab();
    EXPECT_EQ(Pixel(8, 10), 0xff0000u) << "mode " << c.mode;
    EXPECT_EQ(Pixel(40, 10), c.at40) << "mode " << c.mode;
    EXPECT_EQ(Pixel(56, 10), c.at56) << "mode " << c.mode;
  }
  device_->SetTexture(0, nullptr);
  Release(t);
}

TEST_F(PipelineTest, BlendPairsOfTheShowWithNoDestinationAlpha) {
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff604020, 1.0f, 0);
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  // Source alpha over destination alpha: destination alpha reads 1, so the colours add.
  device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_DESTALPHA);
  DrawRect(0, 0, 32, 48, 0x80402010);
  // Inverse destination alpha over inverse source alpha: the source vanishes and the
  // picture darkens by the source alpha.
  device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_INVDESTALPHA);
  device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  DrawRect(32, 0, 64, 48, 0x40ffffff);
  Grab();
  EXPECT_TRUE(Near(Pixel(10, 10), 0x805028)) << std::hex << Pixel(10, 10);  // 0x604020 + 0x402010 * 0.5
  EXPECT_TRUE(Near(Pixel(50, 10), 0x483018)) << std::hex << Pixel(50, 10);  // 0x604020 * 0.75
}

TEST_F(PipelineTest, StageOperations) {
  IDirect3DTexture9 *t = MakeTexture(1, 1, [](UINT, UINT) { return 0xff804020u; });
  device_->SetTexture(0, t);
  const struct {
    DWORD op;
    uint32_t expected;
  } cases[] = {
      {D3DTOP_MODULATE, 0x401004},     // texture 0x804020 times diffuse 0x804020 (0.5, 0.25, 0.125)
      {D3DTOP_SELECTARG1, 0x804020},   // the texture
      {D3DTOP_SELECTARG2, 0x804020},   // current = diffuse
      {D3DTOP_ADD, 0xff8040},
      {D3DTOP_SUBTRACT, 0x000000},
      {D3DTOP_MODULATE2X, 0x812008},
      {D3DTOP_ADDSIGNED, 0x800000},
  };
  for (const auto &c : cases) {
    device_->SetTextureStageState(0, D3DTSS_COLOROP, c.op);
    DrawRect(0, 0, 64, 48, 0xff804020);
    Grab();
    EXPECT_TRUE(Near(Pixel(30, 20), c.expected)) << "op " << c.op << ": " << std::hex << Pixel(30, 20);
  }
  // A second stage adding the texture factor with COMPLEMENT: 1 - 0xc0c0c0 = 0x3f3f3f.
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
  device_->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TFACTOR | D3DTA_COMPLEMENT);
  device_->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
  device_->SetRenderState(D3DRS_TEXTUREFACTOR, 0xffc0c0c0);
  DrawRect(0, 0, 64, 48, 0xff000000);
  Grab();
  EXPECT_TRUE(Near(Pixel(30, 20), 0xbf7f5f)) << std::hex << Pixel(30, 20);
  device_->SetTexture(0, nullptr);
  Release(t);
}

// The remaining colour operations, each worked out by hand in fractions of 255 from
//   texture T = 0x40804020: r .50  g .25  b .125  a .25
//   diffuse D = 0xc04080c0: r .25  g .50  b .75   a .75
//   factor  F = 0x80ff0080: r 1    g 0    b .50   a .50
// Results saturate to 0..1 per channel.
TEST_F(PipelineTest, StageOperationsWorkedByHand) {
  IDirect3DTexture9 *t = MakeTexture(1, 1, [](UINT, UINT) { return 0x40804020u; });
  device_->SetTexture(0, t);
  device_->SetRenderState(D3DRS_TEXTUREFACTOR, 0x80ff0080);
  constexpr DWORD T = D3DTA_TEXTURE, D = D3DTA_DIFFUSE, F = D3DTA_TFACTOR;
  const struct {
    DWORD op, arg0, arg1, arg2;
    uint32_t expected;
  } cases[] = {
      {D3DTOP_MODULATE4X, 0, T, D, 0x818160},           // 4TD: .50 .50 .375
      {D3DTOP_ADDSIGNED2X, 0, T, D, 0x8181c1},          // 2(T + D - .5): .50 .50 .75
      {D3DTOP_ADDSMOOTH, 0, T, D, 0xa0a0c8},            // T + D - TD: .625 .625 .78
      {D3DTOP_BLENDDIFFUSEALPHA, 0, T, D, 0x705048},    // .75T + .25D: .44 .31 .28
      {D3DTOP_BLENDTEXTUREALPHA, 0, T, D, 0x507098},    // .25T + .75D: .31 .44 .59
      {D3DTOP_BLENDFACTORALPHA, 0, T, D, 0x606070},     // .50T + .50D: .375 .375 .44
      {D3DTOP_BLENDTEXTUREALPHAPM, 0, T, D, 0xb0a0b0},  // T + .75D: .69 .625 .69
      {D3DTOP_MODULATEALPHA_ADDCOLOR, 0, T, D, 0x906050},     // T + .25D: .56 .375 .31
      {D3DTOP_MODULATECOLOR_ADDALPHA, 0, T, D, 0x606058},     // TD + .25: .375 .375 .34
      {D3DTOP_MODULATEINVALPHA_ADDCOLOR, 0, F, D, 0xff40e0},  // F + .50D: 1 .25 .875
      {D3DTOP_MODULATEINVCOLOR_ADDALPHA, 0, T, D, 0x60a0e8},  // (1 - T)D + .25: .375 .625 .91
      {D3DTOP_DOTPRODUCT3, 0, T, F, 0x7f7f7f},          // 4(0 x .5 + -.25 x -.5 + -.375 x 0) = .50
      {D3DTOP_MULTIPLYADD, F, T, D, 0xff2098},          // F + TD: 1 .125 .59
      {D3DTOP_LERP, F, T, D, 0x808070},                 // FT + (1 - F)D: .50 .50 .44
  };
  for (const auto &c : cases) {
    device_->SetTextureStageState(0, D3DTSS_COLOROP, c.op);
    device_->SetTextureStageState(0, D3DTSS_COLORARG0, c.arg0);
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, c.arg1);
    device_->SetTextureStageState(0, D3DTSS_COLORARG2, c.arg2);
    DrawRect(0, 0, 64, 48, 0xc04080c0);
    Grab();
    EXPECT_TRUE(Near(Pixel(30, 20), c.expected)) << "op " << c.op << ": " << std::hex << Pixel(30, 20);
  }
  // DOTPRODUCT3 writes its result to alpha too; stage 1 shows current alpha as grey.
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DOTPRODUCT3);
  device_->SetTextureStageState(0, D3DTSS_COLORARG2, F);
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_CURRENT | D3DTA_ALPHAREPLICATE);
  DrawRect(0, 0, 64, 48, 0xc04080c0);
  Grab();
  EXPECT_TRUE(Near(Pixel(30, 20), 0x7f7f7f)) << std::hex << Pixel(30, 20);
  // BLENDCURRENTALPHA at stage 1, after stage 0 selected the texture (current alpha .25):
  // .25F + .75D = .44 .375 .69.
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(0, D3DTSS_COLORARG1, T);
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_BLENDCURRENTALPHA);
  device_->SetTextureStageState(1, D3DTSS_COLORARG1, F);
  device_->SetTextureStageState(1, D3DTSS_COLORARG2, D);
  DrawRect(0, 0, 64, 48, 0xc04080c0);
  Grab();
  EXPECT_TRUE(Near(Pixel(30, 20), 0x7060b0)) << std::hex << Pixel(30, 20);
  device_->SetTexture(0, nullptr);
  Release(t);
}

// Alpha operations, seen through stage 1, which shows current alpha as grey. With the
// alphas above (T .25, D .75, F .50):
TEST_F(PipelineTest, AlphaOperationsWorkedByHand) {
  IDirect3DTexture9 *t = MakeTexture(1, 1, [](UINT, UINT) { return 0x40804020u; });
  device_->SetTexture(0, t);
  device_->SetRenderState(D3DRS_TEXTUREFACTOR, 0x80ff0080);
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_CURRENT | D3DTA_ALPHAREPLICATE);
  constexpr DWORD T = D3DTA_TEXTURE, D = D3DTA_DIFFUSE, F = D3DTA_TFACTOR;
  const struct {
    DWORD op, arg0, arg1, arg2;
    uint32_t grey;
  } cases[] = {
      {D3DTOP_MODULATE, 0, D, T, 0x30},      // .75 x .25 = .19
      {D3DTOP_ADD, 0, D, T, 0xff},           // 1.0 (saturated)
      {D3DTOP_SUBTRACT, 0, D, T, 0x80},      // .75 - .25 = .50
      {D3DTOP_ADDSMOOTH, 0, D, T, 0xd0},     // 1.0 - .19 = .81
      {D3DTOP_MODULATE4X, 0, D, T, 0xc1},    // 4 x .19 = .75
      {D3DTOP_MULTIPLYADD, F, D, T, 0xb0},   // .50 + .19 = .69
      {D3DTOP_BLENDTEXTUREALPHA, 0, D, T, 0x60},  // .25 x .75 + .75 x .25 = .375
  };
  for (const auto &c : cases) {
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, c.op);
    device_->SetTextureStageState(0, D3DTSS_ALPHAARG0, c.arg0);
    device_->SetTextureStageState(0, D3DTSS_ALPHAARG1, c.arg1);
    device_->SetTextureStageState(0, D3DTSS_ALPHAARG2, c.arg2);
    DrawRect(0, 0, 64, 48, 0xc04080c0);
    Grab();
    EXPECT_TRUE(Near(Pixel(30, 20), c.grey * 0x010101u)) << "op " << c.op << ": " << std::hex << Pixel(30, 20);
  }
  // A stage may write to the temporary register instead of current; a later stage reads it.
  // Stage 0 puts F in temp and leaves current = D; stage 1 adds them: D + F = 1 .50 1.
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(0, D3DTSS_COLORARG1, F);
  device_->SetTextureStageState(0, D3DTSS_RESULTARG, D3DTA_TEMP);
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
  device_->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEMP);
  device_->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
  DrawRect(0, 0, 64, 48, 0xc04080c0);
  Grab();
  EXPECT_TRUE(Near(Pixel(30, 20), 0xff80ff)) << std::hex << Pixel(30, 20);
  device_->SetTexture(0, nullptr);
  Release(t);
}

TEST_F(PipelineTest, AStageWithNoTexturePassesCurrentOn) {
  // Stage 0 modulates texture by diffuse with no texture bound: diffuse comes through;
  // stage 1 still runs and adds the factor.
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
  device_->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TFACTOR);
  device_->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
  device_->SetRenderState(D3DRS_TEXTUREFACTOR, 0xff000030);
  DrawRect(0, 0, 64, 48, 0xff306000);
  Grab();
  EXPECT_TRUE(Near(Pixel(30, 20), 0x306030)) << std::hex << Pixel(30, 20);
  // Blending with the texture's implicit alpha and nothing bound reads alpha 1: arg1 wins.
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_BLENDTEXTUREALPHA);
  DrawRect(0, 0, 64, 48, 0xff306000);
  Grab();
  EXPECT_TRUE(Near(Pixel(30, 20), 0x000030)) << std::hex << Pixel(30, 20);
}

TEST_F(PipelineTest, LightingWithNoLightsIsBlackAndMissingDiffuseIsWhite) {
  struct V {
    float x, y, z;
  } v[4] = {{-1, 1, 0.5f}, {1, 1, 0.5f}, {-1, -1, 0.5f}, {1, -1, 0.5f}};
  device_->SetFVF(D3DFVF_XYZ);
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(V)), D3D_OK);
  Grab();
  EXPECT_EQ(Pixel(30, 20), 0xffffffu);
  device_->SetRenderState(D3DRS_LIGHTING, TRUE);
  device_->SetRenderState(D3DRS_AMBIENT, 0xffffffff);  // ambient times a black material
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(V)), D3D_OK);
  Grab();
  EXPECT_EQ(Pixel(30, 20), 0x000000u);
}

TEST_F(PipelineTest, AlphaTestDiscardsBelowTheReference) {
  device_->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  device_->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
  device_->SetRenderState(D3DRS_ALPHAREF, 0x80);
  device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  DrawRect(0, 0, 32, 48, 0x80ffffff);  // equal: fails GREATER
  DrawRect(32, 0, 64, 48, 0x81ffffff);
  Grab();
  EXPECT_EQ(Pixel(10, 10), 0u);
  EXPECT_EQ(Pixel(50, 10), 0xffffffu);
}

TEST_F(PipelineTest, ColorWriteMaskKeepsMaskedChannels) {
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff102030, 1.0f, 0);
  device_->SetRenderState(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_GREEN);
  DrawRect(0, 0, 64, 48, 0xffffffff);
  Grab();
  EXPECT_EQ(Pixel(30, 20), 0x10ff30u);
  // Clear ignores the mask.
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff405060, 1.0f, 0);
  Grab();
  EXPECT_EQ(Pixel(30, 20), 0x405060u);
}

}  // namespace
}  // namespace zel::d3d9
