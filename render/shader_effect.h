// ShaderEffect: the title model's vertex shader. Load creates the model vertex's declaration,
// assembles "Data/Other/ref.vsh" and creates the shader; SetConstants feeds it world, view x
// projection, eye, light and fixed values in c0-c16 each frame. A failed load leaves no
// shader, so the model then draws through the fixed-function pipeline.
#pragma once

#include <d3d9.h>

#include "gfxutil/math.h"

namespace zel::render {

class ShaderEffect {
 public:
  explicit ShaderEffect(IDirect3DDevice9 *device);
  virtual ~ShaderEffect();

  // 0 on success, else the failure code of CreateVertexDeclaration.
  HRESULT CreateDeclaration();
  // 1 on success, else the failure code of the assembly.
  HRESULT Load(const char *path);
  void SetConstants(D3DXMATRIX world, D3DXMATRIX view, D3DXMATRIX projection, D3DXVECTOR3 light);
  IDirect3DVertexShader9 *GetShader() { return shader; }

  // The light's fourth component, which the caller does not give (c10.w and c15.z).
  static constexpr float kLightW = 1.0f;

  HRESULT result;                            // of the last device or assembly call
  IDirect3DVertexDeclaration9 *declaration;  // owned
  IDirect3DDevice9 *device;                  // not owned
  IDirect3DVertexShader9 *shader;            // owned

 private:
  ShaderEffect(const ShaderEffect &) = delete;
  ShaderEffect &operator=(const ShaderEffect &) = delete;
};

}  // namespace zel::render
