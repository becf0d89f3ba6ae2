// Vertex layouts: a flexible vertex format code or a vertex declaration turned into one list
// of elements (stream, byte offset, type, usage). The draw path binds elements to the
// attribute locations of shader_interface.h; the fixed-function key reads which are present.
#pragma once

#include <d3d9.h>

#include <cstdint>

namespace zel::d3d9 {

inline constexpr int kMaxVertexElements = MAXD3DDECLLENGTH;

struct VertexElement {
  uint16_t stream;
  uint16_t offset;     // bytes from the start of the vertex
  uint8_t type;        // D3DDECLTYPE
  uint8_t usage;       // D3DDECLUSAGE
  uint8_t usageIndex;
};

struct VertexLayout {
  VertexElement elements[kMaxVertexElements];
  int count = 0;
  UINT fvfStride = 0;  // bytes per vertex of an FVF layout; 0 for a declaration
};

// Decodes an FVF code. False (layout empty) for a code the platform rejects: no position,
// or bits outside the defined ones.
bool LayoutFromFvf(DWORD fvf, VertexLayout *layout);

// Copies a declaration up to its D3DDECL_END(). False for a declaration the platform
// rejects (unknown type or usage, a repeated usage, no end marker within MAXD3DDECLLENGTH).
bool LayoutFromDeclaration(const D3DVERTEXELEMENT9 *elements, VertexLayout *layout);

// Bytes per vertex of an FVF code (0 when the code is invalid).
UINT FvfStride(DWORD fvf);

// Bytes taken by one element of a D3DDECLTYPE (0 for UNUSED or unknown).
UINT DeclTypeSize(BYTE type);

// Attribute location of shader_interface.h for a usage, or -1 when it has none.
int AttributeLocation(BYTE usage, BYTE usageIndex);

}  // namespace zel::d3d9
