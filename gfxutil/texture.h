// Textures from image files (JPEG and Windows bitmap), under the utility library's names.
// The short form sizes the texture from the image (each side rounded up to a power of
// two, held within the device's maximum), picks the format from the image, scales with a
// triangle filter and builds the whole mip chain with a box filter, in the managed pool.
// Every failure returns an error code and leaves *ppTexture as it was.
#pragma once

#include <d3d9.h>

#ifndef D3DX_DEFAULT
#define D3DX_DEFAULT ((UINT)-1)
#endif
#ifndef D3DX_DEFAULT_NONPOW2
#define D3DX_DEFAULT_NONPOW2 ((UINT)-2)
#endif
#ifndef D3DX_FROM_FILE
#define D3DX_FROM_FILE ((UINT)-3)
#endif

#define D3DX_FILTER_NONE (1 << 0)
#define D3DX_FILTER_POINT (2 << 0)
#define D3DX_FILTER_LINEAR (3 << 0)
#define D3DX_FILTER_TRIANGLE (4 << 0)
#define D3DX_FILTER_BOX (5 << 0)
#define D3DX_FILTER_DITHER (1 << 19)

enum D3DXIMAGE_FILEFORMAT {
  D3DXIFF_BMP = 0,
  D3DXIFF_JPG = 1,
  D3DXIFF_TGA = 2,
  D3DXIFF_PNG = 3,
  D3DXIFF_DDS = 4,
  D3DXIFF_PPM = 5,
  D3DXIFF_DIB = 6,
  D3DXIFF_HDR = 7,
  D3DXIFF_PFM = 8,
  D3DXIFF_FORCE_DWORD = 0x7fffffff
};

struct D3DXIMAGE_INFO {
  UINT Width;
  UINT Height;
  UINT Depth;
  UINT MipLevels;
  D3DFORMAT Format;  // the pixel format the file holds
  D3DRESOURCETYPE ResourceType;
  D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

// The extended form. Width and Height: 0 or D3DX_DEFAULT take the image's size rounded
// up to a power of two, D3DX_DEFAULT_NONPOW2 and D3DX_FROM_FILE the image's own size;
// any size is then held within the device's maximum. MipLevels: 0 or D3DX_DEFAULT for the
// whole chain, D3DX_FROM_FILE for one, else at most that many. Format D3DFMT_UNKNOWN
// follows the image. Filter and MipFilter: D3DX_FILTER_NONE places the picture unscaled
// in the top-left corner; any other filter scales with the triangle filter (images) and
// reduces with the box filter (mips); dithering is not done. A non-zero ColorKey turns
// pixels of exactly that A8R8G8B8 colour into transparent black. pPalette is not written
// (no palette textures are made).
HRESULT WINAPI D3DXCreateTextureFromFileExA(IDirect3DDevice9 *pDevice, LPCSTR pSrcFile, UINT Width, UINT Height,
                                            UINT MipLevels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool, DWORD Filter,
                                            DWORD MipFilter, D3DCOLOR ColorKey, D3DXIMAGE_INFO *pSrcInfo,
                                            PALETTEENTRY *pPalette, IDirect3DTexture9 **ppTexture);

HRESULT WINAPI D3DXCreateTextureFromFileA(IDirect3DDevice9 *pDevice, LPCSTR pSrcFile, IDirect3DTexture9 **ppTexture);

// The same from a file image already in memory.
HRESULT WINAPI D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice9 *pDevice, LPCVOID pSrcData, UINT SrcDataSize,
                                                   UINT Width, UINT Height, UINT MipLevels, DWORD Usage,
                                                   D3DFORMAT Format, D3DPOOL Pool, DWORD Filter, DWORD MipFilter,
                                                   D3DCOLOR ColorKey, D3DXIMAGE_INFO *pSrcInfo, PALETTEENTRY *pPalette,
                                                   IDirect3DTexture9 **ppTexture);

// The image's size and format without making a texture.
HRESULT WINAPI D3DXGetImageInfoFromFileA(LPCSTR pSrcFile, D3DXIMAGE_INFO *pSrcInfo);
