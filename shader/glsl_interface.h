// The contract between the GLSL programs of the OpenGL device: the vertex stage (either the
// generated fixed-function vertex program or a translated vertex shader) and the generated
// pixel stage. Both sides use these names and locations, nothing else.
#pragma once

namespace zel::shader {

// Vertex attribute locations, by declaration usage. Shader inputs (dcl_*) and FVF elements
// are bound to these; 16 is the number OpenGL 3.3 guarantees.
enum AttributeLocation : int {
  kAttribPosition = 0,      // POSITION0 / POSITIONT0 (D3DFVF_XYZ, D3DFVF_XYZRHW)
  kAttribBlendWeight = 1,   // BLENDWEIGHT0
  kAttribBlendIndices = 2,  // BLENDINDICES0
  kAttribNormal = 3,        // NORMAL0
  kAttribPointSize = 4,     // PSIZE0
  kAttribColor0 = 5,        // COLOR0 (diffuse)
  kAttribColor1 = 6,        // COLOR1 (specular)
  kAttribTexCoord0 = 8,     // TEXCOORD0..7 at 8..15
  kAttribCount = 16
};

// Varyings written by every vertex stage and read by the pixel stage. Colours are 0..1 RGBA;
// texture coordinates keep all four components (unused ones 0, w 1).
inline constexpr const char *kVaryingDiffuse = "zel_Diffuse";    // vec4, oD0
inline constexpr const char *kVaryingSpecular = "zel_Specular";  // vec4, oD1
inline constexpr const char *kVaryingTexCoord = "zel_TexCoord";  // vec4[8], oT0..oT7
inline constexpr const char *kVaryingFog = "zel_Fog";            // float, oFog

// Uniforms the vertex stage reads.
// vec4 zel_PosFixup: xy = clip-space offset per unit of w that moves pixel centres to integer
// coordinates (Direct3D 9 rule); z = 1 when depth is already 0..w (glClipControl), 0 when the
// shader must map it to -w..w itself.
inline constexpr const char *kUniformPosFixup = "zel_PosFixup";
inline constexpr const char *kUniformConstF = "zel_C";  // vec4[256], vertex shader c0..c255
inline constexpr const char *kUniformConstI = "zel_I";  // ivec4[16], i0..i15
inline constexpr const char *kUniformConstB = "zel_B";  // bool[16], b0..b15

}  // namespace zel::shader
