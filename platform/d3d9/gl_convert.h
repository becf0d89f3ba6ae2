// Every Direct3D 9 to OpenGL conversion of the device, in one place: complete switches with
// an explicit default for values the platform does not define.
#pragma once

#include <d3d9.h>
#include <epoxy/gl.h>

namespace zel::d3d9 {

// Blend factor for D3DRS_SRCBLEND / DESTBLEND (and the alpha pair). The back buffer has no
// alpha channel, so destination alpha is one: DESTALPHA is ONE and INVDESTALPHA is ZERO.
// BOTHSRCALPHA / BOTHINVSRCALPHA are resolved by GlBlendFactors.
GLenum GlBlendFactor(DWORD blend);
// The source and destination factors for a D3D pair, BOTH* forms included.
void GlBlendFactors(DWORD src, DWORD dest, GLenum *glSrc, GLenum *glDest);
GLenum GlBlendEquation(DWORD blendOp);
GLenum GlCompareFunc(DWORD cmp);
GLenum GlStencilOp(DWORD op);
GLenum GlPolygonMode(DWORD fillMode);
GLenum GlPrimitiveMode(D3DPRIMITIVETYPE type);
GLenum GlIndexType(D3DFORMAT format);
UINT IndexSize(D3DFORMAT format);

// Sampler filters: minification combines D3DSAMP_MINFILTER with D3DSAMP_MIPFILTER.
GLenum GlMinFilter(DWORD minFilter, DWORD mipFilter);
GLenum GlMagFilter(DWORD magFilter);
GLenum GlAddressMode(DWORD address);

// A vertex attribute of a D3DDECLTYPE. False for UNUSED or an unknown type.
struct GlAttribFormat {
  GLint size;       // components, or GL_BGRA for D3DCOLOR (which stores B, G, R, A in memory)
  GLenum type;
  GLboolean normalized;
  bool integer;     // fed through glVertexAttribIPointer? (never: D3D inputs are float)
};
bool GlAttribFormatFor(BYTE declType, GlAttribFormat *format);

// A texture format: how its texels are stored and what sampling returns (the swizzle gives
// X8 formats an alpha of one, L8 its grey, A8 black with alpha).
struct GlTextureFormat {
  GLenum internalFormat;
  GLenum format;
  GLenum type;
  GLint swizzle[4];
};
bool GlTextureFormatFor(D3DFORMAT d3dFormat, GlTextureFormat *format);

// A D3DCOLOR (0xAARRGGBB) as r, g, b, a in 0..1.
void ColorToFloats(D3DCOLOR color, float out[4]);

}  // namespace zel::d3d9
