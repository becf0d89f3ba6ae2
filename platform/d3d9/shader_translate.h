// The seam between the OpenGL device and the vertex shader translator. CreateVertexShader
// calls TranslateVertexShader once per shader; the device links the GLSL it returns with
// its generated pixel stage (names and locations from shader/glsl_interface.h).
#pragma once

#include <d3d9.h>

#include <string>
#include <vector>

namespace zel::d3d9 {

// Longest token stream we scan for the end token (DWORDs).
inline constexpr UINT kMaxShaderTokens = 1u << 16;

// DWORDs of a vertex shader token stream up to and including its end token, read token by
// token as the validator does (an immediate value may look like an end token; a bad length field
// is not followed); 0 for a malformed stream or no end token within kMaxShaderTokens.
UINT VertexShaderTokenCount(const DWORD *tokens);

// GetFunction of a shader created from `tokens`: their size in bytes in *size, and the tokens
// copied to `data` when it is given (*size must then be at least that size).
HRESULT CopyShaderFunction(const std::vector<DWORD> &tokens, void *data, UINT *size);

struct VertexShaderTranslation {
  std::string glsl;  // a complete "#version 330 core" vertex shader: inputs at the attribute
                     // locations, varyings, zel_C / zel_PosFixup uniforms of shader/glsl_interface.h
};

// Validates the bytecode (tokenCount DWORDs, end token included) and writes its GLSL.
// D3DERR_INVALIDCALL with a message in *error for bytecode the platform would refuse.
HRESULT TranslateVertexShader(const DWORD *tokens, UINT tokenCount, VertexShaderTranslation *out,
                              std::string *error);

}  // namespace zel::d3d9
