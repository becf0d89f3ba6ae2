// Vertex colours that are opaque white in every vertex: unlit, the device draws them as a
// vertex without a colour (the same program, no colour to interpolate), and the pixels stay
// what the colour gives. A colour changed through Lock / Unlock is seen at the next draw, the
// stream's offset decides which vertices count, and lit drawing still takes the colour as its
// material source.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/d3d9/gl_device.h"
#include "tests/platform/d3d9/gl_fixture.h"

namespace zel::d3d9 {
namespace {

struct Colored {
  float x, y, z;
  D3DCOLOR c;
  float u, v;
};
struct Plain {
  float x, y, z, u, v;
};
constexpr DWORD kColoredFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr DWORD kPlainFvf = D3DFVF_XYZ | D3DFVF_TEX1;
constexpr D3DCOLOR kWhite = 0xffffffff;
constexpr DWORD kMaterialFromDiffuse = 1;  // D3DMCS_COLOR1

// A quad over the whole target: corner i in clip space, with the picture upright on it.
constexpr float kCorners[4][2] = {{-1, 1}, {1, 1}, {-1, -1}, {1, -1}};
float U(int i) { return kCorners[i][0] > 0 ? 1.0f : 0.0f; }
float V(int i) { return kCorners[i][1] > 0 ? 0.0f : 1.0f; }

class VertexColorTest : public GlDeviceTest {
 protected:
  void SetUp() override {
    GlDeviceTest::SetUp();
    if (HasFatalFailure()) return;
    DrawUnlitBothSides(false);
    // A picture with every channel varying, so that a lost colour shows anywhere.
    texture_ = MakeTexture(8, 8, [](UINT x, UINT y) { return 0xff000000u | (x * 32) << 16 | (y * 32) << 8 | 0x90; });
    device_->SetTexture(0, texture_);
    colored_ = MakeBuffer(sizeof(Colored) * 4, kColoredFvf);
    FillColored(kWhite);
    plain_ = MakeBuffer(sizeof(Plain) * 4, kPlainFvf);
    Plain *p = nullptr;
    ASSERT_EQ(plain_->Lock(0, 0, reinterpret_cast<void **>(&p), 0), D3D_OK);
    for (int i = 0; i < 4; ++i) p[i] = {kCorners[i][0], kCorners[i][1], 0.5f, U(i), V(i)};
    ASSERT_EQ(plain_->Unlock(), D3D_OK);
  }
  void TearDown() override {
    if (texture_ != nullptr) texture_->Release();
    if (colored_ != nullptr) colored_->Release();
    if (plain_ != nullptr) plain_->Release();
    GlDeviceTest::TearDown();
  }

  IDirect3DVertexBuffer9 *MakeBuffer(UINT bytes, DWORD fvf) {
    IDirect3DVertexBuffer9 *vb = nullptr;
    EXPECT_EQ(device_->CreateVertexBuffer(bytes, 0, fvf, D3DPOOL_DEFAULT, &vb, nullptr), D3D_OK);
    return vb;
  }
  // The colored quad's vertices, all with colour c (or only vertex `only` when it is 0..3).
  void FillColored(D3DCOLOR c, int only = -1) {
    Colored *v = nullptr;
    ASSERT_EQ(colored_->Lock(0, 0, reinterpret_cast<void **>(&v), 0), D3D_OK);
    for (int i = 0; i < 4; ++i) {
      if (only >= 0 && i != only) continue;
      v[i] = {kCorners[i][0], kCorners[i][1], 0.5f, c, U(i), V(i)};
    }
    ASSERT_EQ(colored_->Unlock(), D3D_OK);
  }
  // One frame of one quad, from `offset` bytes into the buffer; the pixels read back.
  std::vector<uint8_t> Draw(IDirect3DVertexBuffer9 *vb, DWORD fvf, UINT stride, UINT offset = 0) {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.0f, 0);
    device_->BeginScene();
    device_->SetFVF(fvf);
    device_->SetStreamSource(0, vb, offset, stride);
    EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
    device_->EndScene();
    Grab();
    return pixels_;
  }
  std::vector<uint8_t> DrawColored() { return Draw(colored_, kColoredFvf, sizeof(Colored)); }
  std::vector<uint8_t> DrawPlain() { return Draw(plain_, kPlainFvf, sizeof(Plain)); }
  size_t Programs() const { return dynamic_cast<GlDevice *>(device_)->ProgramCount(); }

  IDirect3DTexture9 *texture_ = nullptr;
  IDirect3DVertexBuffer9 *colored_ = nullptr;
  IDirect3DVertexBuffer9 *plain_ = nullptr;
};

TEST_F(VertexColorTest, WhiteEverywhereDrawsAsNoColourWithTheSameProgram) {
  const std::vector<uint8_t> plain = DrawPlain();
  const size_t programs = Programs();
  EXPECT_EQ(DrawColored(), plain);  // the texture times white is the texture, to the bit
  EXPECT_EQ(Programs(), programs) << "the white colour got a program of its own";
}

TEST_F(VertexColorTest, AColourChangedThroughALockIsSeenAtTheNextDraw) {
  const std::vector<uint8_t> white = DrawColored();
  FillColored(0xff00ff00);  // green only: red and blue vanish
  DrawColored();
  const uint32_t texel = Pixel(kWidth / 2, kHeight / 2);
  EXPECT_EQ(texel & 0xff00ffu, 0u) << std::hex << texel;
  EXPECT_NE(texel & 0x00ff00u, 0u) << std::hex << texel;
  // One vertex alone changing back is not enough to be white everywhere ...
  FillColored(kWhite, 0);
  DrawColored();
  EXPECT_NE(pixels_, white);
  // ... all four are.
  FillColored(kWhite);
  EXPECT_EQ(DrawColored(), white);
}

// What counts is the vertices from the stream's offset on: the white half of a buffer is
// white, the same buffer from its start is not.
TEST_F(VertexColorTest, TheStreamOffsetDecidesWhichVerticesCount) {
  IDirect3DVertexBuffer9 *halves = MakeBuffer(sizeof(Colored) * 8, kColoredFvf);
  Colored *v = nullptr;
  ASSERT_EQ(halves->Lock(0, 0, reinterpret_cast<void **>(&v), 0), D3D_OK);
  for (int i = 0; i < 8; ++i)
    v[i] = {kCorners[i % 4][0], kCorners[i % 4][1], 0.5f, i < 4 ? 0xff00ff00 : kWhite, U(i % 4), V(i % 4)};
  ASSERT_EQ(halves->Unlock(), D3D_OK);
  const std::vector<uint8_t> plain = DrawPlain();
  EXPECT_EQ(Draw(halves, kColoredFvf, sizeof(Colored), 4 * sizeof(Colored)), plain);
  Draw(halves, kColoredFvf, sizeof(Colored), 0);  // the green half
  const uint32_t texel = Pixel(kWidth / 2, kHeight / 2);
  EXPECT_EQ(texel & 0xff00ffu, 0u) << std::hex << texel;
  halves->Release();
}

TEST_F(VertexColorTest, LitDrawingStillTakesTheColourAsItsMaterial) {
  device_->SetTexture(0, nullptr);  // stage 0 passes the lit colour on
  device_->SetRenderState(D3DRS_LIGHTING, TRUE);
  device_->SetRenderState(D3DRS_AMBIENT, 0xff808080);
  device_->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, kMaterialFromDiffuse);
  DrawColored();
  // Ambient times the white vertex colour; without the colour it would be the black material.
  const uint32_t lit = Pixel(kWidth / 2, kHeight / 2);
  for (int shift = 0; shift <= 16; shift += 8)
    EXPECT_NEAR(static_cast<int>((lit >> shift) & 0xff), 0x80, 1) << std::hex << lit;
}

}  // namespace
}  // namespace zel::d3d9
