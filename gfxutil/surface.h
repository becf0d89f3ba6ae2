// Surfaces to memory and to files, written against the Direct3D 9 surface calls only
// (GetBackBuffer, CreateOffscreenPlainSurface, GetRenderTargetData, LockRect), so they work
// on every device: the back buffer read back into memory, and the utility library's
// D3DXSaveSurfaceToFileA.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <vector>

#include "gfxutil/texture.h"

// Writes the surface, or the part pSrcRect names, to a file. Only D3DXIFF_PNG is written
// (8-bit RGB from D3DFMT_X8R8G8B8, RGBA from D3DFMT_A8R8G8B8); any other file format or
// surface format is D3DERR_INVALIDCALL, as is a rectangle outside the surface. A surface that
// cannot be locked (a render target) is first copied into system memory, as the utility
// library does. pSrcPalette is not read (no palette formats). E_FAIL when the file cannot be
// written.
HRESULT WINAPI D3DXSaveSurfaceToFileA(LPCSTR pDestFile, D3DXIMAGE_FILEFORMAT DestFormat,
                                      LPDIRECT3DSURFACE9 pSrcSurface, const PALETTEENTRY *pSrcPalette,
                                      const RECT *pSrcRect);

namespace zel::gfxutil {

// The device's back buffer as top-down RGBA8 rows, alpha 255 (the back buffer has none),
// with its size. Waits for the copy. False when the device cannot hand it out.
bool GrabBackBuffer(IDirect3DDevice9 *device, std::vector<uint8_t> *rgba, UINT *width, UINT *height);

}  // namespace zel::gfxutil
