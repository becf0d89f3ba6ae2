// Vertex shaders on the OpenGL device: creation refuses bad bytecode, constants are range
// checked, and a vs_1_1 shader transforming by c0-c3 and c4-c7 draws exactly the pixels of
// the fixed-function pipeline given the same matrices.
#include <cmath>
#include <cstring>
#include <vector>

#include "gfxutil/math.h"
#include "gfxutil/shader.h"
#include "tests/platform/d3d9/gl_fixture.h"

namespace zel::d3d9 {
namespace {

struct ColorVertex {
  float x, y, z;
  D3DCOLOR color;
};
constexpr DWORD kColorFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;

IDirect3DVertexShader9 *CreateFromText(IDirect3DDevice9 *device, const char *text) {
  LPD3DXBUFFER code = nullptr;
  EXPECT_EQ(D3DXAssembleShader(text, UINT(std::strlen(text)), nullptr, nullptr, D3DXSHADER_DEBUG, &code, nullptr), S_OK);
  if (!code) return nullptr;
  IDirect3DVertexShader9 *shader = nullptr;
  EXPECT_EQ(device->CreateVertexShader(static_cast<const DWORD *>(code->GetBufferPointer()), &shader), D3D_OK);
  code->Release();
  return shader;
}

TEST_F(GlDeviceTest, CreateVertexShaderRefusesBadBytecode) {
  const DWORD unknownOpcode[] = {0xFFFE0101, 0x00000077, 0x0000FFFF};
  const DWORD outOfRange[] = {0xFFFE0101, 0x00000001, 0x800F000C, 0xA0E40000, 0x0000FFFF};
  const DWORD pixelShader[] = {0xFFFF0200, 0x0000FFFF};
  const DWORD badLength[] = {0xFFFE0200, 0x03000001, 0x800F0000, 0xA0E40000, 0x0000FFFF};
  for (const DWORD *tokens : {unknownOpcode, outOfRange, pixelShader, badLength}) {
    IDirect3DVertexShader9 *shader = reinterpret_cast<IDirect3DVertexShader9 *>(0x1);
    EXPECT_EQ(device_->CreateVertexShader(tokens, &shader), D3DERR_INVALIDCALL);
    EXPECT_EQ(shader, nullptr);
  }
  const float four[16] = {};
  EXPECT_EQ(device_->SetVertexShaderConstantF(252, four, 4), D3D_OK);
  EXPECT_EQ(device_->SetVertexShaderConstantF(253, four, 4), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetVertexShaderConstantF(0, nullptr, 1), D3DERR_INVALIDCALL);
}

TEST_F(GlDeviceTest, ShaderTransformDrawsTheFixedFunctionPixels) {
  // A fan of coloured triangles, turned and seen in perspective.
  std::vector<ColorVertex> fan = {{0, 0, 0, 0xffffffff}};
  const D3DCOLOR colors[] = {0xffff0000, 0xff00ff00, 0xff0000ff, 0xffffff00, 0xff00ffff, 0xffff00ff};
  for (int i = 0; i <= 6; ++i) {
    const float a = 6.2831853f * float(i) / 6.0f + 0.3f;
    fan.push_back({1.3f * std::cos(a), 1.1f * std::sin(a), 0.4f * std::sin(2.0f * a), colors[i % 6]});
  }
  D3DXMATRIX world, rotate, view, projection, viewProjection, c0, c4;
  D3DXMatrixRotationY(&rotate, 0.6f);
  D3DXMatrixTranslation(&world, 0.1f, -0.05f, 0.2f);
  D3DXMatrixMultiply(&world, &rotate, &world);
  const D3DXVECTOR3 eye(0.4f, 0.7f, -3.0f), at(0, 0, 0), up(0, 1, 0);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  D3DXMatrixPerspectiveFovLH(&projection, 0.9f, float(kWidth) / float(kHeight), 0.1f, 50.0f);

  device_->SetRenderState(D3DRS_LIGHTING, FALSE);
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device_->SetFVF(kColorFvf);
  auto draw = [&]() {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff000000, 1.0f, 0);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 6, fan.data(), sizeof(ColorVertex)), D3D_OK);
    ASSERT_EQ(device_->EndScene(), D3D_OK);
    Grab();
  };

  device_->SetTransform(D3DTS_WORLD, &world);
  device_->SetTransform(D3DTS_VIEW, &view);
  device_->SetTransform(D3DTS_PROJECTION, &projection);
  draw();
  const std::vector<uint8_t> fixedFunction = pixels_;

  IDirect3DVertexShader9 *shader = CreateFromText(device_,
                                                   "vs_1_1\n"
                                                   "dcl_position v0\n"
                                                   "dcl_color v1\n"
                                                   "m4x4 r0, v0, c0      // world\n"
                                                   "m4x4 oPos, r0, c4    // view x projection\n"
                                                   "mov oD0, v1\n");
  ASSERT_NE(shader, nullptr);
  D3DXMatrixTranspose(&c0, &world);
  D3DXMatrixMultiply(&viewProjection, &view, &projection);
  D3DXMatrixTranspose(&c4, &viewProjection);
  ASSERT_EQ(device_->SetVertexShaderConstantF(0, &c0._11, 4), D3D_OK);
  ASSERT_EQ(device_->SetVertexShaderConstantF(4, &c4._11, 4), D3D_OK);
  ASSERT_EQ(device_->SetVertexShader(shader), D3D_OK);
  // Spoil the fixed-function transforms: the shader must not read them.
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  device_->SetTransform(D3DTS_WORLD, &identity);
  draw();
  device_->SetVertexShader(nullptr);
  EXPECT_EQ(shader->Release(), 0u);

  int lit = 0, differ = 0;
  for (size_t i = 0; i < pixels_.size(); i += 4) {
    lit += fixedFunction[i] | fixedFunction[i + 1] | fixedFunction[i + 2] ? 1 : 0;
    differ += std::memcmp(&fixedFunction[i], &pixels_[i], 3) != 0 ? 1 : 0;
  }
  EXPECT_GT(lit, int(kWidth * kHeight / 8)) << "the fan should cover a good part of the picture";
  EXPECT_EQ(differ, 0);
}

}  // namespace
}  // namespace zel::d3d9
