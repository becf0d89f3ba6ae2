// The drawable form of one .3ds file: a Loader3ds, a copy of its mesh record and camera, one
// static vertex buffer and one 32-bit index buffer per mesh, drawn as indexed triangle lists.
// It sets no transform, texture or render state; the scenes do that before Draw.
#pragma once

#include <d3d9.h>

#include "model3ds/loader3ds.h"
#include "model3ds/object3ds.h"

namespace zel::model3ds {

// One vertex of every model vertex buffer: 44 bytes, flexible vertex format 0x252.
struct Vertex3ds {
  float position[3];
  float normal[3];
  D3DCOLOR diffuse;  // always opaque white
  float tex0[2];     // texture coordinates, refreshed by RefreshTexCoords
  float tex1[2];     // texture coordinates as loaded, never rewritten
};
static_assert(sizeof(Vertex3ds) == 44, "Vertex3ds is the 44-byte stream layout");

constexpr DWORD Vertex3dsFVF = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX2;
constexpr int ModelTextureCount = 3;

// Load's result when the model file could not be opened (HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)).
constexpr HRESULT Model3dsFileNotFound = static_cast<HRESULT>(0x80070002L);

class Model3ds {
 public:
  // Loads the model's three textures and creates its (empty) loader.
  explicit Model3ds(IDirect3DDevice9 *device);
  virtual ~Model3ds();

  // Reads the file, copies the records and camera, builds the buffers. Returns 0, E_FAIL when
  // a buffer could not be created or locked, Model3dsFileNotFound when the file is missing.
  HRESULT Load(const char *fileName);
  HRESULT CreateBuffers();
  // One indexed draw per object that has its buffers; always sets the vertex format.
  void Draw();
  // Copies objects[i].texCoords into tex0 of each vertex buffer; 0, or E_FAIL on a lock failure.
  HRESULT RefreshTexCoords();

  Loader3ds *loader;                                     // owned
  Object3ds objects[MaxObjects3ds];                      // copies of the loader's records
  IDirect3DDevice9 *device;                              // not owned, not released
  IDirect3DIndexBuffer9 *indexBuffers[MaxObjects3ds];    // 32-bit indices, faceCount x 3
  IDirect3DVertexBuffer9 *vertexBuffers[MaxObjects3ds];  // vertexCount Vertex3ds
  IDirect3DTexture9 *textures[ModelTextureCount];        // loaded at construction; nothing draws with them
  Camera3ds camera;                                      // copy of the loader's; nothing reads it

 private:
  HRESULT BuildObjectBuffers(int i);
  void ReleaseObjectBuffers(int i);

  // What each buffer holds, so a record edited after Load never sends reads past a buffer.
  int32_t bufferVertexCounts_[MaxObjects3ds];
  int32_t bufferFaceCounts_[MaxObjects3ds];
};

}  // namespace zel::model3ds
