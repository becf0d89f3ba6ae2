// Direct3D 9 default state and the map from each state to the dirty groups it feeds.
#include "platform/d3d9/device_state.h"

#include <cstring>

namespace zel::d3d9 {
namespace {

DWORD FloatBits(float f) {
  DWORD d;
  std::memcpy(&d, &f, sizeof d);
  return d;
}

void SetIdentity(D3DMATRIX *m) {
  std::memset(m, 0, sizeof *m);
  m->_11 = m->_22 = m->_33 = m->_44 = 1.0f;
}

// Render-state defaults as the platform documents them (values not listed are 0).
void ResetRenderStates(DWORD *rs, bool autoDepthStencil) {
  std::memset(rs, 0, sizeof(DWORD) * kMaxRenderState);
  rs[D3DRS_ZENABLE] = autoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
  rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
  rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
  rs[D3DRS_ZWRITEENABLE] = TRUE;
  rs[D3DRS_LASTPIXEL] = TRUE;
  rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  rs[D3DRS_CULLMODE] = D3DCULL_CCW;
  rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
  rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
  rs[D3DRS_FOGEND] = FloatBits(1.0f);
  rs[D3DRS_FOGDENSITY] = FloatBits(1.0f);
  rs[D3DRS_STENCILFAIL] = 1;  // D3DSTENCILOP_KEEP
  rs[D3DRS_STENCILZFAIL] = 1;
  rs[D3DRS_STENCILPASS] = 1;
  rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
  rs[D3DRS_STENCILMASK] = 0xffffffffu;
  rs[D3DRS_STENCILWRITEMASK] = 0xffffffffu;
  rs[D3DRS_TEXTUREFACTOR] = 0xffffffffu;
  rs[D3DRS_CLIPPING] = TRUE;
  rs[D3DRS_LIGHTING] = TRUE;
  rs[D3DRS_COLORVERTEX] = TRUE;
  rs[D3DRS_LOCALVIEWER] = TRUE;
  rs[D3DRS_DIFFUSEMATERIALSOURCE] = 1;   // D3DMCS_COLOR1
  rs[D3DRS_SPECULARMATERIALSOURCE] = 2;  // D3DMCS_COLOR2
  rs[D3DRS_POINTSIZE] = FloatBits(1.0f);
  rs[D3DRS_POINTSIZE_MIN] = FloatBits(1.0f);
  rs[158] = FloatBits(1.0f);  // D3DRS_POINTSCALE_A
  rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
  rs[D3DRS_MULTISAMPLEMASK] = 0xffffffffu;
  rs[165] = 0xbaadcafeu;  // D3DRS_DEBUGMONITORTOKEN
  rs[D3DRS_POINTSIZE_MAX] = FloatBits(64.0f);
  rs[D3DRS_COLORWRITEENABLE] = 0xf;
  rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
  rs[172] = 3;  // D3DRS_POSITIONDEGREE: D3DDEGREE_CUBIC
  rs[173] = 1;  // D3DRS_NORMALDEGREE: D3DDEGREE_LINEAR
  rs[178] = FloatBits(1.0f);  // D3DRS_MINTESSELLATIONLEVEL
  rs[179] = FloatBits(1.0f);  // D3DRS_MAXTESSELLATIONLEVEL
  rs[182] = FloatBits(1.0f);  // D3DRS_ADAPTIVETESS_Z
  rs[186] = 1;                // D3DRS_CCW_STENCILFAIL .. PASS: KEEP
  rs[187] = 1;
  rs[188] = 1;
  rs[189] = D3DCMP_ALWAYS;  // D3DRS_CCW_STENCILFUNC
  rs[D3DRS_COLORWRITEENABLE1] = 0xf;
  rs[D3DRS_COLORWRITEENABLE2] = 0xf;
  rs[D3DRS_COLORWRITEENABLE3] = 0xf;
  rs[D3DRS_BLENDFACTOR] = 0xffffffffu;
  rs[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
  rs[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
  rs[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;
}

void ResetStageStates(DWORD (*ts)[kMaxStageState]) {
  for (int stage = 0; stage < kMaxTextureStages; ++stage) {
    DWORD *s = ts[stage];
    std::memset(s, 0, sizeof(DWORD) * kMaxStageState);
    // Stage 0 modulates texture by diffuse; the stages after it are off.
    s[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    s[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    s[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    s[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    s[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    s[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    s[D3DTSS_TEXCOORDINDEX] = static_cast<DWORD>(stage);
    s[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
    s[D3DTSS_COLORARG0] = D3DTA_CURRENT;
    s[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
    s[D3DTSS_RESULTARG] = D3DTA_CURRENT;
  }
}

void ResetSamplerStates(DWORD (*ss)[kMaxSamplerState]) {
  for (int i = 0; i < kMaxSamplers; ++i) {
    DWORD *s = ss[i];
    std::memset(s, 0, sizeof(DWORD) * kMaxSamplerState);
    s[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
    s[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
    s[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
    s[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
    s[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
    s[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
    s[D3DSAMP_MAXANISOTROPY] = 1;
    s[D3DSAMP_DMAPOFFSET] = 256;
  }
}

}  // namespace

void DeviceState::Reset(UINT backBufferWidth, UINT backBufferHeight, bool autoDepthStencil) {
  ResetRenderStates(renderStates, autoDepthStencil);
  ResetStageStates(stageStates);
  ResetSamplerStates(samplerStates);
  for (D3DMATRIX &m : transforms) SetIdentity(&m);
  for (auto &t : textures) t = nullptr;
  for (auto &s : streams) s = StreamBinding{};
  indices = nullptr;
  fvf = 0;
  declaration = nullptr;
  vertexShader = nullptr;
  std::memset(vertexShaderConstants, 0, sizeof vertexShaderConstants);
  viewport = D3DVIEWPORT9{0, 0, backBufferWidth, backBufferHeight, 0.0f, 1.0f};
}

int TransformSlot(D3DTRANSFORMSTATETYPE state) {
  if (state == D3DTS_WORLD) return 0;
  if (state == D3DTS_VIEW) return 1;
  if (state == D3DTS_PROJECTION) return 2;
  if (state >= D3DTS_TEXTURE0 && state <= D3DTS_TEXTURE7) return 3 + (state - D3DTS_TEXTURE0);
  return -1;
}

uint32_t DirtyBitsForRenderState(D3DRENDERSTATETYPE state) {
  switch (state) {
    case D3DRS_LIGHTING:
    case D3DRS_ALPHATESTENABLE:
    case D3DRS_ALPHAFUNC:
    case D3DRS_SPECULARENABLE:
    case D3DRS_COLORVERTEX:
    case D3DRS_DIFFUSEMATERIALSOURCE:
    case D3DRS_SPECULARMATERIALSOURCE:
    case D3DRS_AMBIENTMATERIALSOURCE:
    case D3DRS_EMISSIVEMATERIALSOURCE:
      return kDirtyProgram;
    case D3DRS_ALPHABLENDENABLE:
    case D3DRS_SRCBLEND:
    case D3DRS_DESTBLEND:
    case D3DRS_BLENDOP:
    case D3DRS_COLORWRITEENABLE:
    case D3DRS_BLENDFACTOR:
    case D3DRS_SEPARATEALPHABLENDENABLE:
    case D3DRS_SRCBLENDALPHA:
    case D3DRS_DESTBLENDALPHA:
    case D3DRS_BLENDOPALPHA:
      return kDirtyBlend;
    case D3DRS_ZENABLE:
    case D3DRS_ZWRITEENABLE:
    case D3DRS_ZFUNC:
    case D3DRS_DEPTHBIAS:
    case D3DRS_SLOPESCALEDEPTHBIAS:
      return kDirtyDepth;
    case D3DRS_CULLMODE:
    case D3DRS_FILLMODE:
      return kDirtyRaster;
    case D3DRS_TEXTUREFACTOR:
    case D3DRS_ALPHAREF:
      return kDirtyPixelConstants;
    case D3DRS_AMBIENT:
      return kDirtyVertexConstants;
    case D3DRS_STENCILENABLE:
    case D3DRS_STENCILFAIL:
    case D3DRS_STENCILZFAIL:
    case D3DRS_STENCILPASS:
    case D3DRS_STENCILFUNC:
    case D3DRS_STENCILREF:
    case D3DRS_STENCILMASK:
    case D3DRS_STENCILWRITEMASK:
      return kDirtyStencil;
    default:
      return 0;  // kept and reported back, but nothing we draw depends on it
  }
}

uint32_t DirtyBitsForStageState(D3DTEXTURESTAGESTATETYPE type) {
  switch (type) {
    case D3DTSS_COLOROP:
    case D3DTSS_COLORARG1:
    case D3DTSS_COLORARG2:
    case D3DTSS_ALPHAOP:
    case D3DTSS_ALPHAARG1:
    case D3DTSS_ALPHAARG2:
    case D3DTSS_TEXCOORDINDEX:
    case D3DTSS_COLORARG0:
    case D3DTSS_ALPHAARG0:
    case D3DTSS_RESULTARG:
      return kDirtyProgram;
    case D3DTSS_CONSTANT:
      return kDirtyPixelConstants;
    default:
      return 0;
  }
}

HRESULT StoreRenderState(DeviceState *s, D3DRENDERSTATETYPE state, DWORD value, uint32_t *dirty) {
  *dirty = 0;
  if (!ValidRenderState(state)) return D3DERR_INVALIDCALL;
  if (s->renderStates[state] != value) {
    s->renderStates[state] = value;
    *dirty = DirtyBitsForRenderState(state);
  }
  return D3D_OK;
}

HRESULT StoreStageState(DeviceState *s, DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value, uint32_t *dirty) {
  *dirty = 0;
  if (!ValidStageState(stage, type)) return D3DERR_INVALIDCALL;
  if (s->stageStates[stage][type] != value) {
    s->stageStates[stage][type] = value;
    *dirty = DirtyBitsForStageState(type);
  }
  return D3D_OK;
}

HRESULT StoreSamplerState(DeviceState *s, DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value, uint32_t *dirty) {
  *dirty = 0;
  if (!ValidSamplerState(sampler, type)) return D3DERR_INVALIDCALL;
  if (s->samplerStates[sampler][type] != value) {
    s->samplerStates[sampler][type] = value;
    *dirty = type == D3DSAMP_BORDERCOLOR ? (kDirtySamplers | kDirtyPixelConstants) : kDirtySamplers;
  }
  return D3D_OK;
}

HRESULT StoreTransform(DeviceState *s, D3DTRANSFORMSTATETYPE state, const D3DMATRIX *matrix, uint32_t *dirty) {
  *dirty = 0;
  if (matrix == nullptr) return D3DERR_INVALIDCALL;
  int slot = TransformSlot(state);
  if (slot < 0) return D3D_OK;  // other world matrices: accepted, unused without vertex blending
  if (std::memcmp(&s->transforms[slot], matrix, sizeof *matrix) != 0) {
    s->transforms[slot] = *matrix;
    *dirty = kDirtyTransforms;
  }
  return D3D_OK;
}

HRESULT StoreVertexShaderConstants(DeviceState *s, UINT start, const float *data, UINT count, uint32_t *dirty) {
  *dirty = 0;
  if (data == nullptr || start > kMaxVertexShaderConst || count > kMaxVertexShaderConst - start)
    return D3DERR_INVALIDCALL;
  if (count == 0) return D3D_OK;
  if (std::memcmp(s->vertexShaderConstants[start], data, count * 4 * sizeof(float)) != 0) {
    std::memcpy(s->vertexShaderConstants[start], data, count * 4 * sizeof(float));
    *dirty = kDirtyShaderConstants;
  }
  return D3D_OK;
}

HRESULT LoadVertexShaderConstants(const DeviceState &s, UINT start, float *data, UINT count) {
  if (data == nullptr || start > kMaxVertexShaderConst || count > kMaxVertexShaderConst - start)
    return D3DERR_INVALIDCALL;
  if (count != 0) std::memcpy(data, s.vertexShaderConstants[start], count * 4 * sizeof(float));
  return D3D_OK;
}

UINT VertexCountFor(D3DPRIMITIVETYPE type, UINT n) {
  switch (type) {
    case D3DPT_POINTLIST: return n;
    case D3DPT_LINELIST: return n * 2;
    case D3DPT_LINESTRIP: return n + 1;
    case D3DPT_TRIANGLELIST: return n * 3;
    case D3DPT_TRIANGLESTRIP: return n + 2;
    case D3DPT_TRIANGLEFAN: return n + 2;
    default: return 0;
  }
}

HRESULT CheckDraw(const DeviceState &s, bool inScene, D3DPRIMITIVETYPE type, UINT primitiveCount, bool indexed,
                  bool up) {
  if (!inScene) return D3DERR_INVALIDCALL;
  if (VertexCountFor(type, 1) == 0 || primitiveCount > kMaxPrimitiveCount) return D3DERR_INVALIDCALL;
  if (s.fvf == 0 && s.declaration == nullptr) return D3DERR_INVALIDCALL;
  if (!up && s.streams[0].buffer == nullptr) return D3DERR_INVALIDCALL;
  if (indexed && s.indices == nullptr) return D3DERR_INVALIDCALL;
  return D3D_OK;
}

bool ValidRenderState(D3DRENDERSTATETYPE state) {
  return static_cast<DWORD>(state) < kMaxRenderState;
}

bool ValidStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) {
  return stage < kMaxTextureStages && static_cast<DWORD>(type) < kMaxStageState;
}

bool ValidSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type) {
  return sampler < kMaxSamplers && static_cast<DWORD>(type) < kMaxSamplerState;
}

}  // namespace zel::d3d9
