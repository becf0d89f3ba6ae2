// ScreenFader on the recording device: call order, alpha at the window ends, the colour
// byte, and the state a fade leaves behind whether or not it drew.
#include "render/screen_fader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gfxutil/math.h"
#include "platform/d3d9/recording/recording_device.h"
#include "tests/render/matrix_check.h"

namespace zel::render {

using zel::d3d9::RecordingDevice;

namespace {

struct FaderVertex {
  float x, y, z;
  D3DCOLOR color;
};

class ScreenFaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    device = RecordingDevice::Create();
    device->BeginScene();
    fader = new ScreenFader(device);
    device->ClearLog();
  }
  void TearDown() override {
    delete fader;
    device->Release();
  }

  // The call texts with matrices left out ("SetTransform(D3DTS_VIEW)").
  std::vector<std::string> Calls() const {
    std::vector<std::string> out;
    for (const auto &call : device->Calls()) {
      if (call.method == "SetTransform") {
        out.push_back("SetTransform(" + call.args[0] + ")");
      } else {
        out.push_back(call.Text());
      }
    }
    return out;
  }

  // The four vertices of the buffer bound on stream 0.
  std::vector<FaderVertex> StreamVertices() const {
    const auto *memory = RecordingDevice::VertexData(device->State().streams[0].buffer);
    EXPECT_NE(memory, nullptr);
    std::vector<FaderVertex> v(4);
    if (memory && memory->Size() >= 64) std::memcpy(v.data(), memory->Data(), 64);
    return v;
  }
  DWORD AlphaByte() const { return StreamVertices()[0].color >> 24; }

  RecordingDevice *device = nullptr;
  ScreenFader *fader = nullptr;
};

const std::vector<std::string> kStateCalls = {
    "SetStreamSource(0, VB1, 0, 16)", "SetFVF(0x00000042)", "SetTransform(D3DTS_PROJECTION)",
    "SetTransform(D3DTS_VIEW)",       "SetTransform(D3DTS_WORLD)", "SetTexture(0, NULL)",
    "SetTexture(1, NULL)",
};

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string> &b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST_F(ScreenFaderTest, FadeToColorCallOrderAndAlphaAtTheWindowEnds) {
  fader->FadeToColor(5.0f, 5.0f, 6.0f, 255, 255, 255, D3DBLEND_INVDESTALPHA, D3DBLEND_INVSRCALPHA);
  EXPECT_EQ(Calls(), Concat(kStateCalls, {"SetRenderState(D3DRS_SRCBLEND, 8)", "SetRenderState(D3DRS_DESTBLEND, 6)",
                                          "SetRenderState(D3DRS_ALPHABLENDENABLE, 1)",
                                          "DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2)",
                                          "SetRenderState(D3DRS_ALPHABLENDENABLE, 0)"}));
  EXPECT_EQ(StreamVertices()[0].color, 0x00FFFFFFu);

  fader->FadeToColor(6.0f, 5.0f, 6.0f, 255, 255, 255, D3DBLEND_INVDESTALPHA, D3DBLEND_INVSRCALPHA);
  EXPECT_EQ(AlphaByte(), 255u);
  fader->FadeToColor(5.5f, 5.0f, 6.0f, 255, 255, 255, D3DBLEND_INVDESTALPHA, D3DBLEND_INVSRCALPHA);
  EXPECT_EQ(AlphaByte(), 127u);  // 127.5 truncates

  device->ClearLog();
  fader->FadeToColor(6.001f, 5.0f, 6.0f, 255, 255, 255, D3DBLEND_INVDESTALPHA, D3DBLEND_INVSRCALPHA);
  EXPECT_EQ(device->CountCalls("DrawPrimitive"), 0u);
}

TEST_F(ScreenFaderTest, FadeFromColorBracketsItsDrawWithDepthWritesOff) {
  fader->FadeFromColor(0.0f, 0.0f, 0.2f, 255, 255, 255, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
  EXPECT_EQ(Calls(), Concat(kStateCalls, {"SetRenderState(D3DRS_SRCBLEND, 5)", "SetRenderState(D3DRS_DESTBLEND, 6)",
                                          "SetRenderState(D3DRS_ALPHABLENDENABLE, 1)",
                                          "SetRenderState(D3DRS_ZWRITEENABLE, 0)",
                                          "DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2)",
                                          "SetRenderState(D3DRS_ZWRITEENABLE, 1)",
                                          "SetRenderState(D3DRS_ALPHABLENDENABLE, 0)"}));
  EXPECT_EQ(AlphaByte(), 255u);
  // The quad is 1.6 x 1.2, seen from 1.225 units.
  EXPECT_FLOAT_EQ(StreamVertices()[0].x, -0.8f);
  EXPECT_FLOAT_EQ(StreamVertices()[3].y, 0.6f);
  EXPECT_FLOAT_EQ(device->Transform(D3DTS_VIEW)._43, 1.225f);

  device->ClearLog();
  fader->FadeFromColor(0.2f, 0.0f, 0.2f, 255, 255, 255, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
  EXPECT_EQ(device->CountCalls("DrawPrimitive"), 1u);  // still drawn, fully transparent
  EXPECT_EQ(AlphaByte(), 0u);
}

TEST_F(ScreenFaderTest, AFadeOutsideItsWindowStillLeavesTheFaderState) {
  IDirect3DTexture9 *texture = nullptr;
  ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), S_OK);
  device->SetTexture(0, texture);
  device->SetTexture(1, texture);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  fader->FadeToColor(1.0f, 5.0f, 6.0f, 255, 255, 255, D3DBLEND_INVDESTALPHA, D3DBLEND_INVSRCALPHA);
  EXPECT_EQ(device->CountCalls("DrawPrimitive"), 0u);
  EXPECT_EQ(device->RenderState(D3DRS_ALPHABLENDENABLE), 0u);
  EXPECT_EQ(device->RenderState(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_INVDESTALPHA));
  EXPECT_EQ(device->State().textures[0], nullptr);
  EXPECT_EQ(device->State().textures[1], nullptr);
  EXPECT_EQ(device->State().fvf, 0x42u);

  // The fader's camera 2.45 units in front of the origin, with a field of view of 2 pi / 7
  // (tan(pi / 7) = 0.481575), sees +-1.179858 vertically and +-1.573144 horizontally: that
  // corner lands on the screen's top-right corner. The near plane (0.1 in front of the eye)
  // is depth 0 and the far plane (150) depth 1; the world is left as it is.
  using matrix_check::Near;
  using matrix_check::OnScreen;
  const zel::d3d9::DeviceState &s = device->State();
  EXPECT_TRUE(Near(OnScreen(s, 0, 0, 0), 320, 240, (1 - 0.1f / 2.45f) * 150 / 149.9f, 1e-4f));
  EXPECT_TRUE(Near(OnScreen(s, 1.573144f, 1.179858f, 0), 640, 0, (1 - 0.1f / 2.45f) * 150 / 149.9f, 1e-3f));
  EXPECT_TRUE(Near(OnScreen(s, 0, 0, -2.35f), 320, 240, 0, 1e-4f));
  EXPECT_TRUE(Near(OnScreen(s, 0, 0, 147.55f), 320, 240, 1, 1e-4f));
  EXPECT_TRUE(Near(matrix_check::Through(s.transforms[zel::d3d9::TransformSlot(D3DTS_WORLD)], 1, 2, 3), 1, 2, 3, 0));
  texture->Release();
}

TEST_F(ScreenFaderTest, FillColorQuadTruncatesEachChannel) {
  fader->FadeToColor(0.0f, 0.0f, 1.0f, 0, 0, 0, D3DBLEND_ONE, D3DBLEND_ZERO);  // binds the buffer
  EXPECT_EQ(fader->FillColorQuad(3.2f, 2.4f, 127.9f, 255, 255, 255), S_OK);
  for (const FaderVertex &v : StreamVertices()) EXPECT_EQ(v.color, 0x7FFFFFFFu);
  fader->FillColorQuad(3.2f, 2.4f, 255.0f, 12.7f, 0.99f, 200.5f);
  EXPECT_EQ(StreamVertices()[2].color, 0xFF0C00C8u);
  const auto v = StreamVertices();
  EXPECT_FLOAT_EQ(v[0].x, -1.6f);
  EXPECT_FLOAT_EQ(v[0].y, -1.2f);
  EXPECT_FLOAT_EQ(v[1].y, 1.2f);
  EXPECT_FLOAT_EQ(v[2].x, 1.6f);
  EXPECT_EQ(v[3].z, 0.0f);
}

TEST(ScreenFaderNoBuffer, FadesSkipTheDrawWhenTheBufferWasNotCreated) {
  RecordingDevice *device = RecordingDevice::Create();
  device->BeginScene();
  device->SetCreateFailure("CreateVertexBuffer", E_OUTOFMEMORY);
  auto *fader = new ScreenFader(device);
  EXPECT_EQ(fader->FillColorQuad(1, 1, 255, 255, 255, 255), E_FAIL);
  fader->FadeToColor(1.0f, 0.0f, 1.0f, 255, 255, 255, D3DBLEND_INVDESTALPHA, D3DBLEND_INVSRCALPHA);
  fader->FadeFromColor(0.0f, 0.0f, 1.0f, 255, 255, 255, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
  EXPECT_EQ(device->CountCalls("DrawPrimitive"), 0u);
  EXPECT_EQ(device->RenderState(D3DRS_ALPHABLENDENABLE), 0u);
  delete fader;
  device->Release();
}

}  // namespace

}  // namespace zel::render
