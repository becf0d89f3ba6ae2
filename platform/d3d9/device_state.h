// The device's state as plain data: render, texture-stage and sampler states, transforms,
// bindings and vertex shader constants, with the platform's defaults. No OpenGL here: the
// OpenGL device applies it lazily through the dirty groups, the recording device only
// stores it so tests can query it.
#pragma once

#include <d3d9.h>

#include <cstdint>

namespace zel::d3d9 {

inline constexpr int kMaxRenderState = 256;     // D3DRENDERSTATETYPE values are below this
inline constexpr int kMaxStageState = 33;       // D3DTEXTURESTAGESTATETYPE values are below this
inline constexpr int kMaxSamplerState = 14;     // D3DSAMPLERSTATETYPE values are below this
inline constexpr int kMaxTextureStages = 8;     // fixed-function stages
inline constexpr int kMaxSamplers = 16;         // pixel samplers 0-15
inline constexpr int kMaxStreams = 4;           // vertex streams we accept
inline constexpr int kMaxVertexShaderConst = 256;
inline constexpr int kTransformSlots = 11;      // world, view, projection, texture 0-7

// Dirty groups: a setter marks the groups its value feeds; the OpenGL draw path applies only those.
enum DirtyBits : uint32_t {
  kDirtyProgram = 1u << 0,        // anything in the fixed-function program key
  kDirtyVertexInput = 1u << 1,    // streams, FVF, declaration
  kDirtyTransforms = 1u << 2,     // world / view / projection / texture matrices
  kDirtyBlend = 1u << 3,          // blending and colour write mask
  kDirtyDepth = 1u << 4,          // depth test, write, function
  kDirtyRaster = 1u << 5,         // cull and fill mode
  kDirtyPixelConstants = 1u << 6, // texture factor, alpha reference, stage constants, border colours
  kDirtyTextures = 1u << 7,       // texture bindings (see dirtyTextureMask)
  kDirtySamplers = 1u << 8,       // sampler states (see dirtySamplerMask)
  kDirtyShaderConstants = 1u << 9,
  kDirtyIndices = 1u << 10,
  kDirtyStencil = 1u << 11,
  kDirtyViewport = 1u << 12,
  kDirtyVertexConstants = 1u << 13,  // ambient colour, lighting material sources
  kDirtyAll = 0xffffffffu,
};

struct StreamBinding {
  IDirect3DVertexBuffer9 *buffer = nullptr;
  UINT offset = 0;  // bytes
  UINT stride = 0;  // bytes
};

struct DeviceState {
  DWORD renderStates[kMaxRenderState];
  DWORD stageStates[kMaxTextureStages][kMaxStageState];
  DWORD samplerStates[kMaxSamplers][kMaxSamplerState];
  D3DMATRIX transforms[kTransformSlots];  // by TransformSlot()
  IDirect3DBaseTexture9 *textures[kMaxSamplers];
  StreamBinding streams[kMaxStreams];
  IDirect3DIndexBuffer9 *indices;
  DWORD fvf;
  IDirect3DVertexDeclaration9 *declaration;
  IDirect3DVertexShader9 *vertexShader;
  float vertexShaderConstants[kMaxVertexShaderConst][4];
  D3DVIEWPORT9 viewport;

  // Puts every field at the platform's default for a back buffer of the given size; the
  // depth test starts enabled only when the device has an automatic depth buffer.
  void Reset(UINT backBufferWidth, UINT backBufferHeight, bool autoDepthStencil);
};

// Index into DeviceState::transforms, or -1 for a transform we do not keep.
int TransformSlot(D3DTRANSFORMSTATETYPE state);

// Which dirty groups a render state / stage state / sampler state feeds (0: none we apply).
uint32_t DirtyBitsForRenderState(D3DRENDERSTATETYPE state);
uint32_t DirtyBitsForStageState(D3DTEXTURESTAGESTATETYPE type);

// Argument checks shared by both devices: D3DERR_INVALIDCALL where the platform answers it.
bool ValidRenderState(D3DRENDERSTATETYPE state);
bool ValidStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type);
bool ValidSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type);

// The setters both devices share: argument checks, compare, store, and the dirty groups to
// mark (*dirty gets 0 when the value did not change). D3DERR_INVALIDCALL leaves state alone.
HRESULT StoreRenderState(DeviceState *s, D3DRENDERSTATETYPE state, DWORD value, uint32_t *dirty);
HRESULT StoreStageState(DeviceState *s, DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value, uint32_t *dirty);
HRESULT StoreSamplerState(DeviceState *s, DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value, uint32_t *dirty);
HRESULT StoreTransform(DeviceState *s, D3DTRANSFORMSTATETYPE state, const D3DMATRIX *matrix, uint32_t *dirty);
HRESULT StoreVertexShaderConstants(DeviceState *s, UINT start, const float *data, UINT count, uint32_t *dirty);
HRESULT LoadVertexShaderConstants(const DeviceState &s, UINT start, float *data, UINT count);

// Vertices (or indices) that primitiveCount primitives of a type take; 0 for an unknown type.
UINT VertexCountFor(D3DPRIMITIVETYPE type, UINT primitiveCount);

// Most primitives one draw may ask for (the platform reports a similar cap).
inline constexpr UINT kMaxPrimitiveCount = 1u << 24;

// The checks every draw passes first: inside BeginScene / EndScene, a known primitive type,
// at most kMaxPrimitiveCount primitives, a vertex format (FVF or declaration), stream 0
// bound unless the vertices come with the call (up), an index buffer for indexed draws.
HRESULT CheckDraw(const DeviceState &s, bool inScene, D3DPRIMITIVETYPE type, UINT primitiveCount, bool indexed,
                  bool up);

}  // namespace zel::d3d9
