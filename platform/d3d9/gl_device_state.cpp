// GlDevice: state setters and getters. They store, compare and mark dirty groups; none of
// them calls OpenGL.
#include <cstring>

#include "platform/d3d9/gl_device.h"
#include "platform/d3d9/gl_objects.h"

namespace zel::d3d9 {

HRESULT GlDevice::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX *pMatrix) {
  uint32_t dirty;
  HRESULT hr = StoreTransform(&state_, State, pMatrix, &dirty);
  dirty_ |= dirty;
  return hr;
}

HRESULT GlDevice::GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX *pMatrix) {
  int slot = TransformSlot(State);
  if (pMatrix == nullptr || slot < 0) return D3DERR_INVALIDCALL;
  *pMatrix = state_.transforms[slot];
  return D3D_OK;
}

HRESULT GlDevice::SetViewport(const D3DVIEWPORT9 *vp) {
  if (vp == nullptr || vp->Width == 0 || vp->Height == 0 || vp->X + vp->Width > width_ ||
      vp->Y + vp->Height > height_)
    return D3DERR_INVALIDCALL;
  if (std::memcmp(&state_.viewport, vp, sizeof *vp) != 0) {
    state_.viewport = *vp;
    dirty_ |= kDirtyViewport;
  }
  return D3D_OK;
}

HRESULT GlDevice::GetViewport(D3DVIEWPORT9 *vp) {
  if (vp == nullptr) return D3DERR_INVALIDCALL;
  *vp = state_.viewport;
  return D3D_OK;
}

HRESULT GlDevice::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
  uint32_t dirty;
  HRESULT hr = StoreRenderState(&state_, State, Value, &dirty);
  dirty_ |= dirty;
  return hr;
}

HRESULT GlDevice::GetRenderState(D3DRENDERSTATETYPE State, DWORD *pValue) {
  if (pValue == nullptr || !ValidRenderState(State)) return D3DERR_INVALIDCALL;
  *pValue = state_.renderStates[State];
  return D3D_OK;
}

HRESULT GlDevice::GetTexture(DWORD Stage, IDirect3DBaseTexture9 **ppTexture) {
  if (ppTexture == nullptr || Stage >= kMaxSamplers) return D3DERR_INVALIDCALL;
  *ppTexture = state_.textures[Stage];
  if (*ppTexture != nullptr) (*ppTexture)->AddRef();
  return D3D_OK;
}

HRESULT GlDevice::SetTexture(DWORD Stage, IDirect3DBaseTexture9 *pTexture) {
  if (Stage >= kMaxSamplers) return D3DERR_INVALIDCALL;
  if (state_.textures[Stage] != pTexture) {
    state_.textures[Stage] = pTexture;
    textureObjects_[Stage] = dynamic_cast<const GlTexture *>(pTexture);
    dirtyTextures_ |= 1u << Stage;
    dirty_ |= kDirtyTextures;
  }
  return D3D_OK;
}

HRESULT GlDevice::GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD *pValue) {
  if (pValue == nullptr || !ValidStageState(Stage, Type)) return D3DERR_INVALIDCALL;
  *pValue = state_.stageStates[Stage][Type];
  return D3D_OK;
}

HRESULT GlDevice::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) {
  uint32_t dirty;
  HRESULT hr = StoreStageState(&state_, Stage, Type, Value, &dirty);
  dirty_ |= dirty;
  return hr;
}

HRESULT GlDevice::GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD *pValue) {
  if (pValue == nullptr || !ValidSamplerState(Sampler, Type)) return D3DERR_INVALIDCALL;
  *pValue = state_.samplerStates[Sampler][Type];
  return D3D_OK;
}

HRESULT GlDevice::SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) {
  uint32_t dirty;
  HRESULT hr = StoreSamplerState(&state_, Sampler, Type, Value, &dirty);
  if (dirty != 0) {
    dirty_ |= dirty;
    dirtySamplers_ |= 1u << Sampler;
  }
  return hr;
}

HRESULT GlDevice::SetVertexDeclaration(IDirect3DVertexDeclaration9 *pDecl) {
  if (state_.declaration != pDecl || state_.fvf != 0) {
    state_.declaration = pDecl;
    declaration_ = dynamic_cast<const GlVertexDeclaration *>(pDecl);
    state_.fvf = 0;
    dirty_ |= kDirtyVertexInput | kDirtyProgram;
  }
  return D3D_OK;
}

HRESULT GlDevice::SetFVF(DWORD FVF) {
  // The platform accepts any code here; a code it cannot draw fails at the draw.
  if (state_.fvf != FVF || state_.declaration != nullptr) {
    state_.fvf = FVF;
    state_.declaration = nullptr;
    declaration_ = nullptr;
    dirty_ |= kDirtyVertexInput | kDirtyProgram;
  }
  return D3D_OK;
}

HRESULT GlDevice::GetFVF(DWORD *pFVF) {
  if (pFVF == nullptr) return D3DERR_INVALIDCALL;
  *pFVF = state_.fvf;
  return D3D_OK;
}

HRESULT GlDevice::SetVertexShader(IDirect3DVertexShader9 *pShader) {
  if (state_.vertexShader != pShader) {
    state_.vertexShader = pShader;
    vertexShader_ = dynamic_cast<const GlVertexShader *>(pShader);
    dirty_ |= kDirtyProgram;
  }
  return D3D_OK;
}

HRESULT GlDevice::SetVertexShaderConstantF(UINT StartRegister, const float *pConstantData, UINT Vector4fCount) {
  uint32_t dirty;
  HRESULT hr = StoreVertexShaderConstants(&state_, StartRegister, pConstantData, Vector4fCount, &dirty);
  if (dirty != 0) {
    dirty_ |= dirty;
    if (StartRegister + Vector4fCount > constantsUsed_) constantsUsed_ = StartRegister + Vector4fCount;
  }
  return hr;
}

HRESULT GlDevice::GetVertexShaderConstantF(UINT StartRegister, float *pConstantData, UINT Vector4fCount) {
  return LoadVertexShaderConstants(state_, StartRegister, pConstantData, Vector4fCount);
}

HRESULT GlDevice::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9 *pStreamData, UINT OffsetInBytes,
                                  UINT Stride) {
  if (StreamNumber >= kMaxStreams) return D3DERR_INVALIDCALL;
  StreamBinding &s = state_.streams[StreamNumber];
  if (s.buffer != pStreamData || s.offset != OffsetInBytes || s.stride != Stride) {
    s = StreamBinding{pStreamData, OffsetInBytes, Stride};
    streamBuffers_[StreamNumber] = dynamic_cast<const GlVertexBuffer *>(pStreamData);
    dirty_ |= kDirtyVertexInput;
  }
  return D3D_OK;
}

HRESULT GlDevice::SetIndices(IDirect3DIndexBuffer9 *pIndexData) {
  if (state_.indices != pIndexData) {
    state_.indices = pIndexData;
    indexBuffer_ = dynamic_cast<const GlIndexBuffer *>(pIndexData);
    dirty_ |= kDirtyIndices;
  }
  return D3D_OK;
}

}  // namespace zel::d3d9
