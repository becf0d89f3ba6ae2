#include "model3ds/model3ds.h"

#include <algorithm>
#include <cstring>

#include "gfxutil/texture.h"

namespace zel::model3ds {

namespace {

constexpr UINT kVertexStride = sizeof(Vertex3ds);  // 44 bytes
constexpr UINT kFaceBytes = 3 * sizeof(uint32_t);  // 12 bytes: three 32-bit indices
constexpr D3DCOLOR kOpaqueWhite = 0xFFFFFFFF;
constexpr const char *kTextureFiles[ModelTextureCount] = {"Data/cry6.jpg", "Data/rust.jpg",
                                                          "Data/skyneg.jpg"};

// Locks a whole buffer; a lock that reports success without memory is undone and failed.
template <typename Buffer>
void *LockWhole(Buffer *buffer) {
  void *data = nullptr;
  if (FAILED(buffer->Lock(0, 0, &data, 0))) return nullptr;
  if (data == nullptr) buffer->Unlock();
  return data;
}

template <typename T>
void ReleaseSlot(T *&slot) {
  if (slot != nullptr) slot->Release();
  slot = nullptr;
}

}  // namespace

Model3ds::Model3ds(IDirect3DDevice9 *device_)
    : loader(nullptr), objects{}, device(device_), indexBuffers{}, vertexBuffers{}, textures{}, camera{},
      bufferVertexCounts_{}, bufferFaceCounts_{} {
  // A texture that fails to load leaves its slot null; nothing reads these three.
  for (int k = 0; k < ModelTextureCount; ++k) D3DXCreateTextureFromFileA(device, kTextureFiles[k], &textures[k]);
  loader = new Loader3ds();
}

Model3ds::~Model3ds() {
  for (int i = 0; i < MaxObjects3ds; ++i) ReleaseObjectBuffers(i);
  for (auto &texture : textures) ReleaseSlot(texture);
  delete loader;
}

HRESULT Model3ds::Load(const char *fileName) {
  loader->Read(fileName);
  for (int i = 0; i < loader->objectCount; ++i) std::memcpy(&objects[i], &loader->objects[i], sizeof(Object3ds));
  camera = loader->camera;
  if (loader->fileMissing) return Model3dsFileNotFound;
  return CreateBuffers();
}

HRESULT Model3ds::CreateBuffers() {
  for (int i = 0; i < loader->objectCount; ++i) {
    const HRESULT hr = BuildObjectBuffers(i);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

void Model3ds::ReleaseObjectBuffers(int i) {
  ReleaseSlot(indexBuffers[i]);
  ReleaseSlot(vertexBuffers[i]);
  bufferVertexCounts_[i] = bufferFaceCounts_[i] = 0;
}

// A mesh without vertices or faces gets no buffers: the platform rejects zero-length
// buffers, and such a mesh draws nothing anyway.
HRESULT Model3ds::BuildObjectBuffers(int i) {
  ReleaseObjectBuffers(i);
  const Object3ds &o = objects[i];
  if (o.vertexCount <= 0 || o.faceCount <= 0) return S_OK;

  if (FAILED(device->CreateVertexBuffer(o.vertexCount * kVertexStride, 0, Vertex3dsFVF, D3DPOOL_DEFAULT,
                                        &vertexBuffers[i], nullptr))) {
    vertexBuffers[i] = nullptr;
    return E_FAIL;
  }
  Vertex3ds *vertices = static_cast<Vertex3ds *>(LockWhole(vertexBuffers[i]));
  if (vertices == nullptr) return E_FAIL;
  for (int k = 0; k < o.vertexCount; ++k) {
    Vertex3ds &v = vertices[k];
    std::memcpy(v.position, o.positions[k], sizeof v.position);
    std::memcpy(v.normal, o.normals[k], sizeof v.normal);
    v.diffuse = kOpaqueWhite;
    std::memcpy(v.tex0, o.texCoords[k], sizeof v.tex0);
    std::memcpy(v.tex1, o.texCoords[k], sizeof v.tex1);
  }
  vertexBuffers[i]->Unlock();
  bufferVertexCounts_[i] = o.vertexCount;

  if (FAILED(device->CreateIndexBuffer(o.faceCount * kFaceBytes, 0, D3DFMT_INDEX32, D3DPOOL_DEFAULT,
                                       &indexBuffers[i], nullptr))) {
    indexBuffers[i] = nullptr;
    return E_FAIL;
  }
  // An index buffer that can't be filled is dropped, so Draw never reads unwritten indices.
  uint32_t *indices = static_cast<uint32_t *>(LockWhole(indexBuffers[i]));
  if (indices == nullptr) {
    ReleaseSlot(indexBuffers[i]);
    return E_FAIL;
  }
  for (int f = 0; f < o.faceCount; ++f) {
    indices[3 * f + 0] = o.faces[f][0];
    indices[3 * f + 1] = o.faces[f][1];
    indices[3 * f + 2] = o.faces[f][2];
  }
  indexBuffers[i]->Unlock();
  bufferFaceCounts_[i] = o.faceCount;
  return S_OK;
}

void Model3ds::Draw() {
  device->SetFVF(Vertex3dsFVF);
  for (int i = 0; i < loader->objectCount; ++i) {
    // After a failed Load an object may lack a buffer: it is skipped.
    if (indexBuffers[i] == nullptr || vertexBuffers[i] == nullptr) continue;
    device->SetIndices(indexBuffers[i]);
    device->SetStreamSource(0, vertexBuffers[i], 0, kVertexStride);
    const UINT vertexCount = std::clamp(objects[i].vertexCount, 0, bufferVertexCounts_[i]);
    const UINT faceCount = std::clamp(objects[i].faceCount, 0, bufferFaceCounts_[i]);
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, vertexCount, 0, faceCount);
  }
}

HRESULT Model3ds::RefreshTexCoords() {
  for (int i = 0; i < loader->objectCount; ++i) {
    if (vertexBuffers[i] == nullptr) continue;
    Vertex3ds *vertices = static_cast<Vertex3ds *>(LockWhole(vertexBuffers[i]));
    if (vertices == nullptr) return E_FAIL;
    const int32_t count = std::clamp(objects[i].vertexCount, 0, bufferVertexCounts_[i]);
    for (int k = 0; k < count; ++k) std::memcpy(vertices[k].tex0, objects[i].texCoords[k], sizeof vertices[k].tex0);
    vertexBuffers[i]->Unlock();
  }
  return S_OK;
}

}  // namespace zel::model3ds
