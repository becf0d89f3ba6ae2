// The fixed-function pipeline as GLSL: a key holding exactly the state that changes the
// generated code, built from the device state, and the vertex and pixel stage sources
// written from it. Values that do not change code (matrices, colours, alpha reference)
// are uniforms.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/d3d9/device_state.h"
#include "platform/d3d9/vertex_layout.h"

namespace zel::d3d9 {

// Bytes only, zero-initialised, so keys compare and hash as memory.
struct VertexStageKey {
  uint8_t positionT;            // 1: pre-transformed XYZRHW vertices
  uint8_t hasNormal;
  uint8_t hasDiffuse;
  uint8_t hasSpecular;
  uint8_t texCoordSize[8];      // components of input set i, 0 = absent
  uint8_t texCoordSource[8];    // input set that feeds the coordinates of stage i (TEXCOORDINDEX)
  uint8_t lighting;             // D3DRS_LIGHTING (with no lights: only ambient and emissive)
  uint8_t diffuseSource;        // D3DMCS_* after COLORVERTEX and missing colours are resolved
  uint8_t ambientSource;
  uint8_t emissiveSource;
};

struct StageKey {
  uint8_t colorOp, alphaOp;     // D3DTOP_*
  uint8_t colorArg[3];          // D3DTA_* with modifiers: ARG0, ARG1, ARG2
  uint8_t alphaArg[3];
  uint8_t resultTemp;           // D3DTSS_RESULTARG is D3DTA_TEMP
  uint8_t textureBound;
};

struct PixelStageKey {
  StageKey stages[kMaxTextureStages];  // up to the first stage whose COLOROP is DISABLE
  uint8_t stageCount;
  uint8_t alphaTestFunc;        // D3DCMP_*, 0 when alpha test is off
  uint8_t specularAdd;          // D3DRS_SPECULARENABLE
};

// vertexShader is 0 for the fixed-function vertex stage, else an id of the shader object.
struct ProgramKey {
  VertexStageKey vertex;
  PixelStageKey pixel;
  uint8_t padding[5];  // explicit, so that no byte of the key is undefined
  uint32_t vertexShader;

  bool operator==(const ProgramKey &o) const { return std::memcmp(this, &o, sizeof *this) == 0; }
};

struct ProgramKeyHash {
  size_t operator()(const ProgramKey &k) const;
};

// The key for drawing with the given state and vertex layout; texturesBound has bit s set
// when stage s has a texture. opaqueWhiteDiffuse: the vertex colour is 0xFFFFFFFF in every
// vertex drawn; unlit, that is what a vertex without a colour reads, so the key leaves the
// colour out and the pixel stage has one input fewer to interpolate.
void BuildVertexStageKey(const DeviceState &s, const VertexLayout &layout, VertexStageKey *key,
                         bool opaqueWhiteDiffuse = false);
void BuildPixelStageKey(const DeviceState &s, uint32_t texturesBound, PixelStageKey *key);

std::string VertexStageSource(const VertexStageKey &key);
std::string PixelStageSource(const PixelStageKey &key);

// Uniforms of the generated stages (besides those of shader_interface.h).
inline constexpr const char *kUniformWorldViewProj = "zel_WorldViewProj";  // mat4, D3D row-vector order
inline constexpr const char *kUniformScreenToClip = "zel_ScreenToClip";    // vec4: XYZRHW pixels to NDC
inline constexpr const char *kUniformAmbient = "zel_Ambient";              // vec4, D3DRS_AMBIENT
inline constexpr const char *kUniformTextureFactor = "zel_TFactor";        // vec4, D3DRS_TEXTUREFACTOR
inline constexpr const char *kUniformAlphaRef = "zel_AlphaRef";            // float, 0..255
inline constexpr const char *kUniformStageConstant = "zel_StageConst";     // vec4[8], D3DTSS_CONSTANT
inline constexpr const char *kUniformSampler = "zel_Sampler";              // sampler2D[8], unit = stage

}  // namespace zel::d3d9


static_assert(sizeof(zel::d3d9::ProgramKey) == sizeof(zel::d3d9::VertexStageKey) +
                                                   sizeof(zel::d3d9::PixelStageKey) + 5 + 4,
              "ProgramKey must have no hidden padding");
