// ShaderEffect on the recording device: the declaration, the load sequence and its failures
// with their message boxes, and the constant registers c0-c16.
#include <gtest/gtest.h>
#include <zel_d3d9_ext.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <array>
#include <unistd.h>

#include "gfxutil/shader.h"
#include "platform/d3d9/recording/recording_device.h"
#include "render/shader_effect.h"

namespace zel::render {

namespace {

std::vector<std::string> boxes;  // "caption|text|type" of every message box shown

}  // namespace

}  // namespace zel::render

int WINAPI MessageBoxA(HWND, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  zel::render::boxes.push_back(std::string(lpCaption ? lpCaption : "(null)") + "|" + (lpText ? lpText : "(null)") + "|" +
                  std::to_string(uType));
  return IDOK;
}

namespace zel::render {

namespace {

using zel::d3d9::RecordingDevice;

class ShaderEffectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    boxes.clear();
    live_ = zel::d3d9::LiveObjectCount();
    device_ = RecordingDevice::Create();
    dir_ = std::filesystem::temp_directory_path() / ("zel16_effect_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / "ref.vsh").string();
    std::ofstream(path_) << "vs_1_1\ndcl_position v0\ndcl_normal v1\ndcl_color v2\ndcl_texcoord0 v3\n"
                            "dcl_texcoord1 v4\nm4x4 r0, v0, c0\nm4x4 oPos, r0, c4\nmov oD0, v2\nmov oT0.xy, v3\n";
  }
  void TearDown() override {
    EXPECT_EQ(device_->Release(), 0u);
    EXPECT_EQ(zel::d3d9::LiveObjectCount(), live_) << "objects left alive";
    std::filesystem::remove_all(dir_);
  }
  std::array<float, 4> Register(UINT n) {
    std::array<float, 4> v{};
    EXPECT_EQ(device_->GetVertexShaderConstantF(n, v.data(), 1), D3D_OK);
    return v;
  }

  int live_ = 0;
  RecordingDevice *device_ = nullptr;
  std::filesystem::path dir_;
  std::string path_;
};

TEST_F(ShaderEffectTest, LoadDeclaresAssemblesAndCreates) {
  ShaderEffect *effect = new ShaderEffect(device_);
  EXPECT_EQ(effect->GetShader(), nullptr);
  EXPECT_EQ(effect->Load(path_.c_str()), 1);
  EXPECT_TRUE(boxes.empty());
  ASSERT_NE(effect->GetShader(), nullptr);
  EXPECT_EQ(effect->result, D3D_OK);

  const std::vector<D3DVERTEXELEMENT9> elements = RecordingDevice::DeclarationElements(effect->declaration);
  const D3DVERTEXELEMENT9 expected[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                        {0, 12, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_NORMAL, 0},
                                        {0, 24, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
                                        {0, 28, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                        {0, 36, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 1},
                                        {0xFF, 0, D3DDECLTYPE_UNUSED, 0, 0, 0}};
  ASSERT_EQ(elements.size(), 6u);
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(elements[i].Stream, expected[i].Stream) << i;
    EXPECT_EQ(elements[i].Offset, expected[i].Offset) << i;
    EXPECT_EQ(elements[i].Type, expected[i].Type) << i;
    EXPECT_EQ(elements[i].Usage, expected[i].Usage) << i;
    EXPECT_EQ(elements[i].UsageIndex, expected[i].UsageIndex) << i;
  }
  const std::vector<std::string> calls = device_->CallTexts();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[1], "SetVertexDeclaration(DECL1)");
  EXPECT_EQ(device_->CallsTo("CreateVertexShader").size(), 1u);
  // The debug information (flag 1) went along with the tokens.
  const std::vector<DWORD> tokens = RecordingDevice::ShaderTokens(effect->GetShader());
  ASSERT_GT(tokens.size(), 2u);
  EXPECT_EQ(tokens[0], 0xFFFE0101u);
  EXPECT_EQ(tokens[1] & 0xFFFFu, 0xFFFEu);
  delete effect;  // releases the shader and the declaration
}

TEST_F(ShaderEffectTest, MissingFileShowsOneBoxAndLeavesNoShader) {
  ShaderEffect effect(device_);
  const HRESULT hr = effect.Load((dir_ / "missing.vsh").string().c_str());
  EXPECT_TRUE(FAILED(hr));
  EXPECT_EQ(hr, effect.result);
  EXPECT_EQ(effect.GetShader(), nullptr);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "|D3DXAssembleShaderFromFile|" + std::to_string(MB_ICONERROR));
  EXPECT_EQ(device_->CountCalls("CreateVertexShader"), 0u);
}

TEST_F(ShaderEffectTest, BrokenShaderTextFailsWithInvalidData) {
  std::ofstream(path_) << "vs_1_1\nmov r0, nonsense\n";
  ShaderEffect effect(device_);
  EXPECT_EQ(effect.Load(path_.c_str()), D3DXERR_INVALIDDATA);
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_EQ(effect.GetShader(), nullptr);
}

TEST_F(ShaderEffectTest, DeclarationFailureShowsItsBoxAndAssemblyStillRuns) {
  device_->SetCreateFailure("CreateVertexDeclaration", E_OUTOFMEMORY);
  ShaderEffect effect(device_);
  EXPECT_EQ(effect.CreateDeclaration(), E_OUTOFMEMORY);
  EXPECT_EQ(effect.Load(path_.c_str()), 1);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1], "|CreateVertexDeclaration|" + std::to_string(MB_ICONERROR));
  EXPECT_EQ(device_->CallsTo("SetVertexDeclaration").back().Text(), "SetVertexDeclaration(NULL)");
  EXPECT_NE(effect.GetShader(), nullptr);
}

TEST_F(ShaderEffectTest, ShaderCreationFailureIsSilent) {
  device_->SetCreateFailure("CreateVertexShader", D3DERR_INVALIDCALL);
  ShaderEffect effect(device_);
  EXPECT_EQ(effect.Load(path_.c_str()), 1);
  EXPECT_EQ(effect.result, D3DERR_INVALIDCALL);
  EXPECT_EQ(effect.GetShader(), nullptr);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(ShaderEffectTest, ConstantsC0ToC16) {
  ShaderEffect effect(device_);
  D3DXMATRIX world, view, projection;
  D3DXMatrixTranslation(&world, 1.0f, 2.0f, 3.0f);
  const D3DXVECTOR3 eye(0, 0, -10), at(0, 0, 0), up(0, 1, 0);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  D3DXMatrixPerspectiveFovLH(&projection, 0.8f, 4.0f / 3.0f, 0.1f, 100.0f);
  device_->ClearLog();
  effect.SetConstants(world, view, projection, D3DXVECTOR3(5, 6, 7));
  EXPECT_EQ(device_->CountCalls("SetTransform"), 0u);
  EXPECT_EQ(device_->CountCalls("SetVertexShaderConstantF"), 6u);

  // c0-c3: columns of world; c4-c7: columns of view x projection.
  EXPECT_EQ(Register(0), (std::array<float, 4>{1, 0, 0, 1}));
  EXPECT_EQ(Register(2), (std::array<float, 4>{0, 0, 1, 3}));
  // c4-c7 take a world point to clip space. The camera 10 units in front of the origin with
  // a field of view of 0.8 (tan 0.4 = 0.422793) sees +-4.22793 vertically and +-5.63724
  // across: the origin lands in the middle at depth (1 - 0.1 / 10) x 100 / 99.9 = 0.990991,
  // that corner on the top-right corner of the view.
  auto clip = [&](float x, float y, float z) {
    float v[4];
    for (UINT i = 0; i < 4; ++i) {
      const std::array<float, 4> c = Register(4 + i);
      v[i] = c[0] * x + c[1] * y + c[2] * z + c[3];
    }
    return std::array<float, 3>{v[0] / v[3], v[1] / v[3], v[2] / v[3]};
  };
  const std::array<float, 3> middle = clip(0, 0, 0), corner = clip(5.63724f, 4.22793f, 0);
  EXPECT_NEAR(middle[0], 0.0f, 1e-6f);
  EXPECT_NEAR(middle[1], 0.0f, 1e-6f);
  EXPECT_NEAR(middle[2], 0.990991f, 1e-5f);
  EXPECT_NEAR(corner[0], 1.0f, 1e-5f);
  EXPECT_NEAR(corner[1], 1.0f, 1e-5f);
  const std::array<float, 4> eye4 = {0, 0, -10, 1};
  for (UINT n : {8u, 11u}) {
    const std::array<float, 4> c = Register(n);
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(c[size_t(i)], eye4[size_t(i)], 1e-5f) << "c" << n;
  }
  EXPECT_EQ(Register(9), (std::array<float, 4>{0, 0.5f, 1, 2}));
  EXPECT_EQ(Register(10), (std::array<float, 4>{5, 6, 7, ShaderEffect::kLightW}));
  EXPECT_EQ(Register(13), (std::array<float, 4>{255, 255, 255, 0}));
  EXPECT_EQ(Register(14), (std::array<float, 4>{0.5f, 1, 2, 5}));
  const std::array<float, 4> c15 = Register(15), c16 = Register(16);
  EXPECT_EQ(c15[0], 6);
  EXPECT_EQ(c15[1], 7);
  EXPECT_EQ(c15[2], ShaderEffect::kLightW);
  EXPECT_NEAR(c15[3], 0.0f, 1e-6f);
  EXPECT_NEAR(c16[0], 0.0f, 1e-6f);
  EXPECT_NEAR(c16[1], -10.0f, 1e-5f);
  EXPECT_EQ(c16[2], 1.0f);
  EXPECT_NEAR(c16[3], 1.0f, 1e-6f);  // inverse view _11: the camera looks straight along z
  const std::array<float, 4> c12 = Register(12);
  EXPECT_NEAR(c12[0], 1.0f, 1e-6f);  // the inverse view's first row
}

}  // namespace

}  // namespace zel::render
