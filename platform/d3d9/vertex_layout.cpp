// FVF decoding and declaration copying.
#include "platform/d3d9/vertex_layout.h"

#include "shader/glsl_interface.h"

namespace zel::d3d9 {
namespace {

void Add(VertexLayout *layout, UINT *offset, BYTE type, BYTE usage, BYTE usageIndex) {
  layout->elements[layout->count++] = VertexElement{0, static_cast<uint16_t>(*offset), type, usage, usageIndex};
  *offset += DeclTypeSize(type);
}

// Texture coordinate set i's FVF size code (bits 16+2i): 0 = 2 floats, 1 = 3, 2 = 4, 3 = 1.
BYTE TexCoordType(DWORD fvf, int set) {
  switch ((fvf >> (16 + 2 * set)) & 3) {
    case D3DFVF_TEXTUREFORMAT1: return D3DDECLTYPE_FLOAT1;
    case D3DFVF_TEXTUREFORMAT3: return D3DDECLTYPE_FLOAT3;
    case D3DFVF_TEXTUREFORMAT4: return D3DDECLTYPE_FLOAT4;
    default: return D3DDECLTYPE_FLOAT2;
  }
}

// Position and blend weights. False for a position code with no position.
bool AddPosition(DWORD fvf, VertexLayout *layout, UINT *offset) {
  int weights = 0;
  switch (fvf & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZ: break;
    case D3DFVF_XYZRHW: Add(layout, offset, D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITIONT, 0); return true;
    case D3DFVF_XYZW: Add(layout, offset, D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITION, 0); return true;
    case D3DFVF_XYZB1: weights = 1; break;
    case D3DFVF_XYZB2: weights = 2; break;
    case D3DFVF_XYZB3: weights = 3; break;
    case D3DFVF_XYZB4: weights = 4; break;
    case D3DFVF_XYZB5: weights = 5; break;
    default: return false;
  }
  Add(layout, offset, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0);
  if (weights == 0) return true;
  // With LASTBETA_* the last "weight" holds the blend indices instead.
  bool lastIsIndices = (fvf & (D3DFVF_LASTBETA_UBYTE4 | D3DFVF_LASTBETA_D3DCOLOR)) != 0;
  int realWeights = lastIsIndices ? weights - 1 : weights;
  if (realWeights > 0)
    Add(layout, offset, static_cast<BYTE>(D3DDECLTYPE_FLOAT1 + realWeights - 1), D3DDECLUSAGE_BLENDWEIGHT, 0);
  if (lastIsIndices) {
    BYTE type = (fvf & D3DFVF_LASTBETA_D3DCOLOR) ? D3DDECLTYPE_D3DCOLOR : D3DDECLTYPE_UBYTE4;
    Add(layout, offset, type, D3DDECLUSAGE_BLENDINDICES, 0);
  }
  return true;
}

}  // namespace

UINT DeclTypeSize(BYTE type) {
  switch (type) {
    case D3DDECLTYPE_FLOAT1: return 4;
    case D3DDECLTYPE_FLOAT2: return 8;
    case D3DDECLTYPE_FLOAT3: return 12;
    case D3DDECLTYPE_FLOAT4: return 16;
    case D3DDECLTYPE_D3DCOLOR: return 4;
    case D3DDECLTYPE_UBYTE4: return 4;
    case D3DDECLTYPE_SHORT2: return 4;
    case D3DDECLTYPE_SHORT4: return 8;
    case D3DDECLTYPE_UBYTE4N: return 4;
    case D3DDECLTYPE_SHORT2N: return 4;
    case D3DDECLTYPE_SHORT4N: return 8;
    case D3DDECLTYPE_USHORT2N: return 4;
    case D3DDECLTYPE_USHORT4N: return 8;
    case D3DDECLTYPE_UDEC3: return 4;
    case D3DDECLTYPE_DEC3N: return 4;
    case D3DDECLTYPE_FLOAT16_2: return 4;
    case D3DDECLTYPE_FLOAT16_4: return 8;
    default: return 0;
  }
}

bool LayoutFromFvf(DWORD fvf, VertexLayout *layout) {
  constexpr DWORD kKnownLowBits = D3DFVF_POSITION_MASK | D3DFVF_NORMAL | D3DFVF_PSIZE | D3DFVF_DIFFUSE |
                                  D3DFVF_SPECULAR | D3DFVF_TEXCOUNT_MASK | D3DFVF_LASTBETA_UBYTE4 |
                                  D3DFVF_LASTBETA_D3DCOLOR;
  layout->count = 0;
  layout->fvfStride = 0;
  int texCount = static_cast<int>((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
  if ((fvf & 0xffff & ~kKnownLowBits) != 0 || texCount > 8) return false;
  UINT offset = 0;
  if (!AddPosition(fvf, layout, &offset)) {
    layout->count = 0;
    return false;
  }
  if (fvf & D3DFVF_NORMAL) Add(layout, &offset, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0);
  if (fvf & D3DFVF_PSIZE) Add(layout, &offset, D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_PSIZE, 0);
  if (fvf & D3DFVF_DIFFUSE) Add(layout, &offset, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0);
  if (fvf & D3DFVF_SPECULAR) Add(layout, &offset, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1);
  for (int set = 0; set < texCount; ++set)
    Add(layout, &offset, TexCoordType(fvf, set), D3DDECLUSAGE_TEXCOORD, static_cast<BYTE>(set));
  layout->fvfStride = offset;
  return true;
}

UINT FvfStride(DWORD fvf) {
  VertexLayout layout;
  return LayoutFromFvf(fvf, &layout) ? layout.fvfStride : 0;
}

bool LayoutFromDeclaration(const D3DVERTEXELEMENT9 *elements, VertexLayout *layout) {
  layout->count = 0;
  layout->fvfStride = 0;
  if (elements == nullptr) return false;
  for (int i = 0; i < kMaxVertexElements; ++i) {
    const D3DVERTEXELEMENT9 &e = elements[i];
    if (e.Stream == 0xff) return true;  // D3DDECL_END()
    if (e.Stream >= 16 || DeclTypeSize(e.Type) == 0 || e.Usage > D3DDECLUSAGE_SAMPLE ||
        e.Method > D3DDECLMETHOD_LOOKUPPRESAMPLED) {
      layout->count = 0;
      return false;
    }
    for (int j = 0; j < layout->count; ++j) {
      if (layout->elements[j].usage == e.Usage && layout->elements[j].usageIndex == e.UsageIndex) {
        layout->count = 0;
        return false;
      }
    }
    layout->elements[layout->count++] = VertexElement{e.Stream, e.Offset, e.Type, e.Usage, e.UsageIndex};
  }
  layout->count = 0;
  return false;
}

int AttributeLocation(BYTE usage, BYTE usageIndex) {
  switch (usage) {
    case D3DDECLUSAGE_POSITION:
    case D3DDECLUSAGE_POSITIONT:
      return usageIndex == 0 ? shader::kAttribPosition : -1;
    case D3DDECLUSAGE_BLENDWEIGHT: return usageIndex == 0 ? shader::kAttribBlendWeight : -1;
    case D3DDECLUSAGE_BLENDINDICES: return usageIndex == 0 ? shader::kAttribBlendIndices : -1;
    case D3DDECLUSAGE_NORMAL: return usageIndex == 0 ? shader::kAttribNormal : -1;
    case D3DDECLUSAGE_PSIZE: return usageIndex == 0 ? shader::kAttribPointSize : -1;
    case D3DDECLUSAGE_COLOR:
      if (usageIndex == 0) return shader::kAttribColor0;
      return usageIndex == 1 ? shader::kAttribColor1 : -1;
    case D3DDECLUSAGE_TEXCOORD: return usageIndex < 8 ? shader::kAttribTexCoord0 + usageIndex : -1;
    default: return -1;  // tangents, binormals, fog, depth, sample: not read by anything we draw
  }
}

}  // namespace zel::d3d9
