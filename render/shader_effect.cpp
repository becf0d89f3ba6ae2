// The shader effect: declaration, assembly, shader creation and the per-frame constants.
#include "render/shader_effect.h"

#include "gfxutil/shader.h"

namespace zel::render {

namespace {

// The model vertex (44 bytes): position, normal, diffuse colour, two coordinate sets.
const D3DVERTEXELEMENT9 kModelVertexElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0},
    {0, 24, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    {0, 28, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    {0, 36, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 1},
    D3DDECL_END()};

}  // namespace

ShaderEffect::ShaderEffect(IDirect3DDevice9 *device)
    : result(S_OK), declaration(nullptr), device(device), shader(nullptr) {}

ShaderEffect::~ShaderEffect() {
  if (shader) shader->Release();
  if (declaration) declaration->Release();
}

HRESULT ShaderEffect::CreateDeclaration() {
  if (declaration) {  // a second call replaces the first declaration instead of leaking it
    declaration->Release();
    declaration = nullptr;
  }
  result = device->CreateVertexDeclaration(kModelVertexElements, &declaration);
  if (FAILED(result)) {
    declaration = nullptr;
    MessageBoxA(nullptr, "CreateVertexDeclaration", "", MB_ICONERROR);
    return result;
  }
  return 0;
}

HRESULT ShaderEffect::Load(const char *path) {
  CreateDeclaration();
  device->SetVertexDeclaration(declaration);
  LPD3DXBUFFER code = nullptr;
  result = D3DXAssembleShaderFromFileA(path, nullptr, nullptr, D3DXSHADER_DEBUG, &code, nullptr);
  if (FAILED(result)) {
    MessageBoxA(nullptr, "D3DXAssembleShaderFromFile", "", MB_ICONERROR);
    return result;
  }
  if (shader) {  // loading again replaces the shader instead of leaking it
    shader->Release();
    shader = nullptr;
  }
  result = device->CreateVertexShader(static_cast<const DWORD *>(code->GetBufferPointer()), &shader);
  if (FAILED(result)) shader = nullptr;  // no message: the model draws without the shader
  code->Release();
  return 1;
}

void ShaderEffect::SetConstants(D3DXMATRIX world, D3DXMATRIX view, D3DXMATRIX projection, D3DXVECTOR3 light) {
  D3DXMATRIX viewProjection, inverseView, transposed;
  D3DXMatrixMultiply(&viewProjection, &view, &projection);
  D3DXMatrixInverse(&inverseView, nullptr, &view);
  const float eye[4] = {inverseView._41, inverseView._42, inverseView._43, 1.0f};

  D3DXMatrixTranspose(&transposed, &world);
  device->SetVertexShaderConstantF(0, &transposed._11, 4);
  D3DXMatrixTranspose(&transposed, &viewProjection);
  device->SetVertexShaderConstantF(4, &transposed._11, 4);
  device->SetVertexShaderConstantF(8, eye, 1);
  const float halves[4] = {0.0f, 0.5f, 1.0f, 2.0f};
  device->SetVertexShaderConstantF(9, halves, 1);

  // One block, uploaded twice: from light.x into c10-c13, then from the first 255 into c13-c16,
  // so c13 ends as (255, 255, 255, 0) and c14-c16 repeat the light, eye and inverse view.
  const float block[31] = {255.0f, 255.0f, 255.0f, 0.0f, 0.5f, 1.0f, 2.0f,
                           light.x, light.y, light.z, kLightW, eye[0], eye[1], eye[2], 1.0f,
                           inverseView._11, inverseView._12, inverseView._13, inverseView._14,
                           inverseView._21, inverseView._22, inverseView._23, inverseView._24,
                           inverseView._31, inverseView._32, inverseView._33, inverseView._34,
                           inverseView._41, inverseView._42, inverseView._43, inverseView._44};
  device->SetVertexShaderConstantF(10, &block[7], 4);
  device->SetVertexShaderConstantF(13, &block[0], 4);
}

}  // namespace zel::render
