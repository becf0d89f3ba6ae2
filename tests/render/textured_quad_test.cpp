// TexturedQuad on the recording device: its vertices, and that each draw binds its stream,
// sets at most the world transform and draws, touching no texture or render state.
#include "render/textured_quad.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/d3d9/recording/recording_device.h"

namespace zel::render {

using zel::d3d9::RecordingDevice;

namespace {

struct QuadVertex {
  float x, y, z, u, v;
};

class TexturedQuadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    device = RecordingDevice::Create();
    device->BeginScene();
    quad = new TexturedQuad(device);
  }
  void TearDown() override {
    delete quad;
    device->Release();
  }
  std::vector<std::string> Methods() const {
    std::vector<std::string> out;
    for (const auto &call : device->Calls()) out.push_back(call.method);
    return out;
  }

  RecordingDevice *device = nullptr;
  TexturedQuad *quad = nullptr;
};

TEST_F(TexturedQuadTest, ResizeWritesAnUprightSquareAroundTheOrigin) {
  ASSERT_EQ(device->CountCalls("CreateVertexBuffer"), 1u);
  EXPECT_EQ(device->CallsTo("CreateVertexBuffer")[0].Text(), "CreateVertexBuffer(80, 0, 0x00000102, 0, VB1)");
  EXPECT_EQ(quad->Resize(6, 6), S_OK);
  device->ClearLog();
  quad->Draw();
  EXPECT_EQ(device->CallTexts(), (std::vector<std::string>{"SetStreamSource(0, VB1, 0, 20)", "SetFVF(0x00000102)",
                                                            "DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2)"}));
  const auto *memory = RecordingDevice::VertexData(device->State().streams[0].buffer);
  ASSERT_NE(memory, nullptr);
  ASSERT_EQ(memory->Size(), 80u);
  QuadVertex v[4];
  std::memcpy(v, memory->Data(), sizeof v);
  const QuadVertex expected[4] = {{-3, -3, 0, 0, 1}, {-3, 3, 0, 0, 0}, {3, -3, 0, 1, 1}, {3, 3, 0, 1, 0}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(v[i].x, expected[i].x) << i;
    EXPECT_EQ(v[i].y, expected[i].y) << i;
    EXPECT_EQ(v[i].z, expected[i].z) << i;
    EXPECT_EQ(v[i].u, expected[i].u) << i;
    EXPECT_EQ(v[i].v, expected[i].v) << i;  // v = 0 along the top edge
  }
}

TEST_F(TexturedQuadTest, DrawVariantsSetOnlyTheWorldTransform) {
  quad->Resize(2, 1);
  device->ClearLog();
  quad->DrawAt(5.0f, 2.75f, 1.0f);
  EXPECT_EQ(Methods(), (std::vector<std::string>{"SetStreamSource", "SetFVF", "SetTransform", "DrawPrimitive"}));
  D3DMATRIX world = device->Transform(D3DTS_WORLD);
  EXPECT_EQ(world._41, 5.0f);
  EXPECT_EQ(world._42, 2.75f);
  EXPECT_EQ(world._43, 1.0f);
  EXPECT_EQ(world._11, 1.0f);

  D3DXMATRIX turn;
  D3DXMatrixRotationY(&turn, 0.5f);
  device->ClearLog();
  quad->DrawWithWorld(turn);
  EXPECT_EQ(Methods(), (std::vector<std::string>{"SetStreamSource", "SetFVF", "SetTransform", "DrawPrimitive"}));
  EXPECT_EQ(D3DXMATRIX(device->Transform(D3DTS_WORLD)), turn);
  EXPECT_EQ(device->CountCalls("SetTexture") + device->CountCalls("SetRenderState") +
                device->CountCalls("SetTextureStageState"),
            0u);
}

TEST(TexturedQuadNoBuffer, DrawsAreSkippedWhenTheBufferWasNotCreated) {
  RecordingDevice *device = RecordingDevice::Create();
  device->BeginScene();
  device->SetCreateFailure("CreateVertexBuffer", E_OUTOFMEMORY);
  auto *quad = new TexturedQuad(device);
  EXPECT_EQ(quad->Resize(3.2f, 2.4f), E_FAIL);
  quad->Draw();
  quad->DrawAt(0, 0, 0);
  EXPECT_EQ(device->CountCalls("DrawPrimitive"), 0u);
  delete quad;
  device->Release();
}

}  // namespace

}  // namespace zel::render
