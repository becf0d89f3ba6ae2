// Direct3D 9 to OpenGL conversions.
#include "platform/d3d9/gl_convert.h"

namespace zel::d3d9 {

GLenum GlBlendFactor(DWORD blend) {
  switch (blend) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_ONE: return GL_ONE;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_ONE;    // no destination alpha: it reads 1.0
    case D3DBLEND_INVDESTALPHA: return GL_ZERO;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    case D3DBLEND_BOTHSRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_BOTHINVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_BLENDFACTOR: return GL_CONSTANT_COLOR;
    case D3DBLEND_INVBLENDFACTOR: return GL_ONE_MINUS_CONSTANT_COLOR;
    default: return GL_ONE;  // undefined value: treat as ONE rather than drop the pixel
  }
}

void GlBlendFactors(DWORD src, DWORD dest, GLenum *glSrc, GLenum *glDest) {
  // The BOTH* source factors set the destination factor too, ignoring DESTBLEND.
  if (src == D3DBLEND_BOTHSRCALPHA) {
    *glSrc = GL_SRC_ALPHA;
    *glDest = GL_ONE_MINUS_SRC_ALPHA;
  } else if (src == D3DBLEND_BOTHINVSRCALPHA) {
    *glSrc = GL_ONE_MINUS_SRC_ALPHA;
    *glDest = GL_SRC_ALPHA;
  } else {
    *glSrc = GlBlendFactor(src);
    *glDest = GlBlendFactor(dest);
  }
}

GLenum GlBlendEquation(DWORD blendOp) {
  switch (blendOp) {
    case D3DBLENDOP_ADD: return GL_FUNC_ADD;
    case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN: return GL_MIN;
    case D3DBLENDOP_MAX: return GL_MAX;
    default: return GL_FUNC_ADD;
  }
}

GLenum GlCompareFunc(DWORD cmp) {
  switch (cmp) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_LESSEQUAL: return GL_LEQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    case D3DCMP_ALWAYS: return GL_ALWAYS;
    default: return GL_ALWAYS;
  }
}

GLenum GlStencilOp(DWORD op) {
  switch (op) {
    case 1: return GL_KEEP;       // D3DSTENCILOP_KEEP
    case 2: return GL_ZERO;       // ZERO
    case 3: return GL_REPLACE;    // REPLACE
    case 4: return GL_INCR;       // INCRSAT
    case 5: return GL_DECR;       // DECRSAT
    case 6: return GL_INVERT;     // INVERT
    case 7: return GL_INCR_WRAP;  // INCR
    case 8: return GL_DECR_WRAP;  // DECR
    default: return GL_KEEP;
  }
}

GLenum GlPolygonMode(DWORD fillMode) {
  switch (fillMode) {
    case D3DFILL_POINT: return GL_POINT;
    case D3DFILL_WIREFRAME: return GL_LINE;
    case D3DFILL_SOLID: return GL_FILL;
    default: return GL_FILL;
  }
}

GLenum GlPrimitiveMode(D3DPRIMITIVETYPE type) {
  switch (type) {
    case D3DPT_POINTLIST: return GL_POINTS;
    case D3DPT_LINELIST: return GL_LINES;
    case D3DPT_LINESTRIP: return GL_LINE_STRIP;
    case D3DPT_TRIANGLELIST: return GL_TRIANGLES;
    case D3DPT_TRIANGLESTRIP: return GL_TRIANGLE_STRIP;
    case D3DPT_TRIANGLEFAN: return GL_TRIANGLE_FAN;
    default: return GL_TRIANGLES;  // refused by CheckDraw before we get here
  }
}

GLenum GlIndexType(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_INDEX16: return GL_UNSIGNED_SHORT;
    case D3DFMT_INDEX32: return GL_UNSIGNED_INT;
    default: return GL_UNSIGNED_SHORT;
  }
}

UINT IndexSize(D3DFORMAT format) { return format == D3DFMT_INDEX32 ? 4 : 2; }

GLenum GlMinFilter(DWORD minFilter, DWORD mipFilter) {
  bool linear = minFilter == D3DTEXF_LINEAR || minFilter == D3DTEXF_ANISOTROPIC ||
                minFilter == D3DTEXF_PYRAMIDALQUAD || minFilter == D3DTEXF_GAUSSIANQUAD;
  switch (mipFilter) {
    case D3DTEXF_NONE: return linear ? GL_LINEAR : GL_NEAREST;
    case D3DTEXF_POINT: return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    case D3DTEXF_LINEAR:
    case D3DTEXF_ANISOTROPIC:
    case D3DTEXF_PYRAMIDALQUAD:
    case D3DTEXF_GAUSSIANQUAD:
      return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    default: return linear ? GL_LINEAR : GL_NEAREST;
  }
}

GLenum GlMagFilter(DWORD magFilter) {
  switch (magFilter) {
    case D3DTEXF_NONE:
    case D3DTEXF_POINT: return GL_NEAREST;
    case D3DTEXF_LINEAR:
    case D3DTEXF_ANISOTROPIC:
    case D3DTEXF_PYRAMIDALQUAD:
    case D3DTEXF_GAUSSIANQUAD: return GL_LINEAR;
    default: return GL_NEAREST;
  }
}

GLenum GlAddressMode(DWORD address) {
  switch (address) {
    case D3DTADDRESS_WRAP: return GL_REPEAT;
    case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    case D3DTADDRESS_MIRRORONCE: return GL_MIRROR_CLAMP_TO_EDGE;
    default: return GL_REPEAT;
  }
}

bool GlAttribFormatFor(BYTE declType, GlAttribFormat *f) {
  switch (declType) {
    case D3DDECLTYPE_FLOAT1: *f = {1, GL_FLOAT, GL_FALSE, false}; return true;
    case D3DDECLTYPE_FLOAT2: *f = {2, GL_FLOAT, GL_FALSE, false}; return true;
    case D3DDECLTYPE_FLOAT3: *f = {3, GL_FLOAT, GL_FALSE, false}; return true;
    case D3DDECLTYPE_FLOAT4: *f = {4, GL_FLOAT, GL_FALSE, false}; return true;
    case D3DDECLTYPE_D3DCOLOR: *f = {GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, false}; return true;
    case D3DDECLTYPE_UBYTE4: *f = {4, GL_UNSIGNED_BYTE, GL_FALSE, false}; return true;
    case D3DDECLTYPE_SHORT2: *f = {2, GL_SHORT, GL_FALSE, false}; return true;
    case D3DDECLTYPE_SHORT4: *f = {4, GL_SHORT, GL_FALSE, false}; return true;
    case D3DDECLTYPE_UBYTE4N: *f = {4, GL_UNSIGNED_BYTE, GL_TRUE, false}; return true;
    case D3DDECLTYPE_SHORT2N: *f = {2, GL_SHORT, GL_TRUE, false}; return true;
    case D3DDECLTYPE_SHORT4N: *f = {4, GL_SHORT, GL_TRUE, false}; return true;
    case D3DDECLTYPE_USHORT2N: *f = {2, GL_UNSIGNED_SHORT, GL_TRUE, false}; return true;
    case D3DDECLTYPE_USHORT4N: *f = {4, GL_UNSIGNED_SHORT, GL_TRUE, false}; return true;
    case D3DDECLTYPE_UDEC3: *f = {4, GL_UNSIGNED_INT_2_10_10_10_REV, GL_FALSE, false}; return true;
    case D3DDECLTYPE_DEC3N: *f = {4, GL_INT_2_10_10_10_REV, GL_TRUE, false}; return true;
    case D3DDECLTYPE_FLOAT16_2: *f = {2, GL_HALF_FLOAT, GL_FALSE, false}; return true;
    case D3DDECLTYPE_FLOAT16_4: *f = {4, GL_HALF_FLOAT, GL_FALSE, false}; return true;
    default: return false;
  }
}

bool GlTextureFormatFor(D3DFORMAT d3dFormat, GlTextureFormat *f) {
  // Direct3D names components from the most significant bit; on a little-endian machine an
  // A8R8G8B8 texel is the bytes B, G, R, A.
  switch (d3dFormat) {
    case D3DFMT_A8R8G8B8:
      *f = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}};
      return true;
    case D3DFMT_X8R8G8B8:
      *f = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}};
      return true;
    case D3DFMT_R8G8B8:
      *f = {GL_RGB8, GL_BGR, GL_UNSIGNED_BYTE, {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}};
      return true;
    case D3DFMT_R5G6B5:
      *f = {GL_RGB8, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}};
      return true;
    case D3DFMT_X1R5G5B5:
      *f = {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}};
      return true;
    case D3DFMT_A1R5G5B5:
      *f = {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}};
      return true;
    case D3DFMT_A4R4G4B4:
      *f = {GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}};
      return true;
    case D3DFMT_X4R4G4B4:
      *f = {GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}};
      return true;
    case D3DFMT_L8:
      *f = {GL_R8, GL_RED, GL_UNSIGNED_BYTE, {GL_RED, GL_RED, GL_RED, GL_ONE}};
      return true;
    case D3DFMT_A8:
      *f = {GL_R8, GL_RED, GL_UNSIGNED_BYTE, {GL_ZERO, GL_ZERO, GL_ZERO, GL_RED}};
      return true;
    case D3DFMT_A8L8:
      *f = {GL_RG8, GL_RG, GL_UNSIGNED_BYTE, {GL_RED, GL_RED, GL_RED, GL_GREEN}};
      return true;
    default:
      return false;
  }
}

void ColorToFloats(D3DCOLOR c, float out[4]) {
  constexpr float kScale = 1.0f / 255.0f;
  out[0] = static_cast<float>((c >> 16) & 0xff) * kScale;
  out[1] = static_cast<float>((c >> 8) & 0xff) * kScale;
  out[2] = static_cast<float>(c & 0xff) * kScale;
  out[3] = static_cast<float>((c >> 24) & 0xff) * kScale;
}

}  // namespace zel::d3d9
