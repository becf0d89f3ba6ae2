// Vertex shader assembly as the D3DX 9 utility library offers it: text (with a C-style
// preprocessor) -> Direct3D 9 shader token stream in a reference-counted ID3DXBuffer.
// Results are HRESULTs only; nothing is shown to the user.
#pragma once

#include <d3d9.h>

#define D3DXSHADER_DEBUG (1 << 0)
#define D3DXSHADER_SKIPVALIDATION (1 << 1)

#ifndef _FACDD  // the SDK's ddraw.h defines these too
#define _FACDD 0x876
#endif
#ifndef MAKE_DDHRESULT
#define MAKE_DDHRESULT(code) MAKE_HRESULT(1, _FACDD, code)
#endif
#define D3DXERR_INVALIDDATA MAKE_DDHRESULT(2905)

struct ID3DXBuffer : public IUnknown {
  virtual LPVOID WINAPI GetBufferPointer() = 0;
  virtual DWORD WINAPI GetBufferSize() = 0;
};
typedef ID3DXBuffer *LPD3DXBUFFER;

struct D3DXMACRO {
  LPCSTR Name;
  LPCSTR Definition;
};
typedef D3DXMACRO *LPD3DXMACRO;

enum D3DXINCLUDE_TYPE { D3DXINC_LOCAL = 0, D3DXINC_SYSTEM = 1, D3DXINC_FORCE_DWORD = 0x7fffffff };

// Supplies #include files in place of the file system.
struct ID3DXInclude {
  virtual HRESULT WINAPI Open(D3DXINCLUDE_TYPE IncludeType, LPCSTR pFileName, LPCVOID pParentData,
                              LPCVOID *ppData, UINT *pBytes) = 0;
  virtual HRESULT WINAPI Close(LPCVOID pData) = 0;
 protected:
  ~ID3DXInclude() = default;
};
typedef ID3DXInclude *LPD3DXINCLUDE;

HRESULT WINAPI D3DXCreateBuffer(DWORD NumBytes, LPD3DXBUFFER *ppBuffer);

// Flags: D3DXSHADER_DEBUG embeds a comment with the source file names and each instruction's
// line; D3DXSHADER_SKIPVALIDATION is accepted (the checks still run: the device would refuse
// what they catch); 4 or more gives D3DERR_INVALIDCALL. Errors give D3DXERR_INVALIDDATA, no
// shader buffer, and "file(line): message" lines in the error buffer when one is asked for.
HRESULT WINAPI D3DXAssembleShaderFromFileA(LPCSTR pSrcFile, const D3DXMACRO *pDefines, LPD3DXINCLUDE pInclude,
                                           DWORD Flags, LPD3DXBUFFER *ppShader, LPD3DXBUFFER *ppErrorMsgs);
HRESULT WINAPI D3DXAssembleShader(LPCSTR pSrcData, UINT SrcDataLen, const D3DXMACRO *pDefines,
                                  LPD3DXINCLUDE pInclude, DWORD Flags, LPD3DXBUFFER *ppShader,
                                  LPD3DXBUFFER *ppErrorMsgs);
#define D3DXAssembleShaderFromFile D3DXAssembleShaderFromFileA
