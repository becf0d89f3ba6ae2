// RecordingDevice: state setters and getters, bindings and draws.
#include <cstdio>
#include <cstring>

#include "platform/d3d9/d3d9_names.h"
#include "platform/d3d9/recording/call_args.h"
#include "platform/d3d9/recording/recording_device.h"

namespace zel::d3d9 {
HRESULT RecordingDevice::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX *pMatrix) {
  uint32_t dirty;
  HRESULT hr = StoreTransform(&state_, State, pMatrix, &dirty);
  return Log(hr, "SetTransform", {TransformName(State), FloatsArg(pMatrix ? &pMatrix->_11 : nullptr, 16)});
}

HRESULT RecordingDevice::GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX *pMatrix) {
  int slot = TransformSlot(State);
  if (pMatrix == nullptr || slot < 0) return Log(D3DERR_INVALIDCALL, "GetTransform", {TransformName(State)});
  *pMatrix = state_.transforms[slot];
  return Log(D3D_OK, "GetTransform", {TransformName(State)});
}

HRESULT RecordingDevice::SetViewport(const D3DVIEWPORT9 *vp) {
  if (vp == nullptr) return Log(D3DERR_INVALIDCALL, "SetViewport", {"NULL"});
  state_.viewport = *vp;
  return Log(D3D_OK, "SetViewport", {NumArg(vp->X), NumArg(vp->Y), NumArg(vp->Width), NumArg(vp->Height),
                                     FloatsArg(&vp->MinZ, 1), FloatsArg(&vp->MaxZ, 1)});
}

HRESULT RecordingDevice::GetViewport(D3DVIEWPORT9 *vp) {
  if (vp == nullptr) return Log(D3DERR_INVALIDCALL, "GetViewport", {});
  *vp = state_.viewport;
  return Log(D3D_OK, "GetViewport", {});
}

HRESULT RecordingDevice::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
  uint32_t dirty;
  return Log(StoreRenderState(&state_, State, Value, &dirty), "SetRenderState", {RenderStateName(State), NumArg(Value)});
}

HRESULT RecordingDevice::GetRenderState(D3DRENDERSTATETYPE State, DWORD *pValue) {
  if (pValue == nullptr || !ValidRenderState(State)) return Log(D3DERR_INVALIDCALL, "GetRenderState", {RenderStateName(State)});
  *pValue = state_.renderStates[State];
  return Log(D3D_OK, "GetRenderState", {RenderStateName(State)});
}

HRESULT RecordingDevice::GetTexture(DWORD Stage, IDirect3DBaseTexture9 **ppTexture) {
  if (ppTexture == nullptr || Stage >= kMaxSamplers) return Log(D3DERR_INVALIDCALL, "GetTexture", {NumArg(Stage)});
  *ppTexture = state_.textures[Stage];
  if (*ppTexture != nullptr) (*ppTexture)->AddRef();
  return Log(D3D_OK, "GetTexture", {NumArg(Stage)});
}

HRESULT RecordingDevice::SetTexture(DWORD Stage, IDirect3DBaseTexture9 *pTexture) {
  std::vector<std::string> args{NumArg(Stage), Name(pTexture)};
  if (Stage >= kMaxSamplers) return Log(D3DERR_INVALIDCALL, "SetTexture", args);
  state_.textures[Stage] = pTexture;
  return Log(D3D_OK, "SetTexture", args);
}

HRESULT RecordingDevice::GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD *pValue) {
  std::vector<std::string> args{NumArg(Stage), StageStateName(Type)};
  if (pValue == nullptr || !ValidStageState(Stage, Type)) return Log(D3DERR_INVALIDCALL, "GetTextureStageState", args);
  *pValue = state_.stageStates[Stage][Type];
  return Log(D3D_OK, "GetTextureStageState", args);
}

HRESULT RecordingDevice::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) {
  uint32_t dirty;
  return Log(StoreStageState(&state_, Stage, Type, Value, &dirty), "SetTextureStageState",
             {NumArg(Stage), StageStateName(Type), NumArg(Value)});
}

HRESULT RecordingDevice::GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD *pValue) {
  std::vector<std::string> args{NumArg(Sampler), SamplerStateName(Type)};
  if (pValue == nullptr || !ValidSamplerState(Sampler, Type)) return Log(D3DERR_INVALIDCALL, "GetSamplerState", args);
  *pValue = state_.samplerStates[Sampler][Type];
  return Log(D3D_OK, "GetSamplerState", args);
}

HRESULT RecordingDevice::SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) {
  uint32_t dirty;
  return Log(StoreSamplerState(&state_, Sampler, Type, Value, &dirty), "SetSamplerState",
             {NumArg(Sampler), SamplerStateName(Type), NumArg(Value)});
}

HRESULT RecordingDevice::RecordDraw(HRESULT hr, D3DPRIMITIVETYPE type, UINT count) {
  if (hr == D3D_OK) draws_.push_back(RecordedDraw{calls_.size() - 1, type, count, state_});
  return hr;
}

HRESULT RecordingDevice::DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) {
  HRESULT hr = CheckDraw(state_, inScene_, PrimitiveType, PrimitiveCount, false, false);
  Log(hr, "DrawPrimitive", {PrimitiveTypeName(PrimitiveType), NumArg(StartVertex), NumArg(PrimitiveCount)});
  return RecordDraw(hr, PrimitiveType, PrimitiveCount);
}

HRESULT RecordingDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex,
                                              UINT MinVertexIndex, UINT NumVertices, UINT startIndex,
                                              UINT primCount) {
  HRESULT hr = CheckDraw(state_, inScene_, PrimitiveType, primCount, true, false);
  Log(hr, "DrawIndexedPrimitive", {PrimitiveTypeName(PrimitiveType), std::to_string(BaseVertexIndex),
                                   NumArg(MinVertexIndex), NumArg(NumVertices), NumArg(startIndex), NumArg(primCount)});
  return RecordDraw(hr, PrimitiveType, primCount);
}

HRESULT RecordingDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                         const void *pVertexStreamZeroData, UINT VertexStreamZeroStride) {
  HRESULT hr = CheckDraw(state_, inScene_, PrimitiveType, PrimitiveCount, false, true);
  if (hr == D3D_OK && (pVertexStreamZeroData == nullptr || VertexStreamZeroStride == 0)) hr = D3DERR_INVALIDCALL;
  Log(hr, "DrawPrimitiveUP", {PrimitiveTypeName(PrimitiveType), NumArg(PrimitiveCount),
                              pVertexStreamZeroData ? "DATA" : "NULL", NumArg(VertexStreamZeroStride)});
  // As on the platform, the stream 0 binding is gone after a draw from user memory.
  if (hr == D3D_OK) {
    RecordDraw(hr, PrimitiveType, PrimitiveCount);
    state_.streams[0] = StreamBinding{};
  }
  return hr;
}

HRESULT RecordingDevice::SetVertexDeclaration(IDirect3DVertexDeclaration9 *pDecl) {
  state_.declaration = pDecl;
  state_.fvf = 0;
  return Log(D3D_OK, "SetVertexDeclaration", {Name(pDecl)});
}

HRESULT RecordingDevice::SetFVF(DWORD FVF) {
  state_.fvf = FVF;
  state_.declaration = nullptr;
  return Log(D3D_OK, "SetFVF", {HexArg(FVF)});
}

HRESULT RecordingDevice::GetFVF(DWORD *pFVF) {
  if (pFVF == nullptr) return Log(D3DERR_INVALIDCALL, "GetFVF", {});
  *pFVF = state_.fvf;
  return Log(D3D_OK, "GetFVF", {});
}

HRESULT RecordingDevice::SetVertexShader(IDirect3DVertexShader9 *pShader) {
  state_.vertexShader = pShader;
  return Log(D3D_OK, "SetVertexShader", {Name(pShader)});
}

HRESULT RecordingDevice::SetVertexShaderConstantF(UINT StartRegister, const float *pConstantData,
                                                  UINT Vector4fCount) {
  uint32_t dirty;
  HRESULT hr = StoreVertexShaderConstants(&state_, StartRegister, pConstantData, Vector4fCount, &dirty);
  UINT shown = Vector4fCount <= kMaxVertexShaderConst ? Vector4fCount * 4 : 0;
  return Log(hr, "SetVertexShaderConstantF", {NumArg(StartRegister), FloatsArg(pConstantData, shown), NumArg(Vector4fCount)});
}

HRESULT RecordingDevice::GetVertexShaderConstantF(UINT StartRegister, float *pConstantData, UINT Vector4fCount) {
  return Log(LoadVertexShaderConstants(state_, StartRegister, pConstantData, Vector4fCount),
             "GetVertexShaderConstantF", {NumArg(StartRegister), NumArg(Vector4fCount)});
}

HRESULT RecordingDevice::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9 *pStreamData, UINT OffsetInBytes,
                                         UINT Stride) {
  std::vector<std::string> args{NumArg(StreamNumber), Name(pStreamData), NumArg(OffsetInBytes), NumArg(Stride)};
  if (StreamNumber >= kMaxStreams) return Log(D3DERR_INVALIDCALL, "SetStreamSource", args);
  state_.streams[StreamNumber] = StreamBinding{pStreamData, OffsetInBytes, Stride};
  return Log(D3D_OK, "SetStreamSource", args);
}

HRESULT RecordingDevice::SetIndices(IDirect3DIndexBuffer9 *pIndexData) {
  state_.indices = pIndexData;
  return Log(D3D_OK, "SetIndices", {Name(pIndexData)});
}

}  // namespace zel::d3d9
