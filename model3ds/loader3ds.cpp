// The .3ds chunk walk. A reader is entered right after its parent read the chunk's 2-byte id;
// it reads its length and body and leaves the stream at its declared end. Containers scan
// their body 2 bytes at a time: an id they handle is read as a chunk, any other 2 bytes are
// stepped over (so unhandled chunks are scanned through, not skipped by their length).
#include "model3ds/loader3ds.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "model3ds/chunk_stream.h"
#include "model3ds/compute_normals.h"

namespace zel::model3ds {

namespace {

constexpr uint16_t kMain = 0x4D4D;
constexpr uint16_t kEditor = 0x3D3D;
constexpr uint16_t kKeyframer = 0xB000;
constexpr uint16_t kObjectBlock = 0x4000;
constexpr uint16_t kMaterialBlock = 0xAFFF;
constexpr uint16_t kViewportLayout = 0x7001;
constexpr uint16_t kTriangleMesh = 0x4100;
constexpr uint16_t kCamera = 0x4700;
constexpr uint16_t kLight = 0x4600;
constexpr uint16_t kVertexList = 0x4110;
constexpr uint16_t kFaceList = 0x4120;
constexpr uint16_t kMapping = 0x4140;
constexpr uint16_t kMaterialName = 0xA000;
constexpr uint16_t kViewportRecord = 0x7012;
constexpr uint16_t kViewportRecordOld = 0x7020;

constexpr uint64_t kHeaderSize = 6;        // 2-byte id + 4-byte length
constexpr uint64_t kVersionOffset = 28;    // first byte of the mesh-version value in the usual layout
constexpr uint8_t kMinimumVersion = 3;
constexpr uint32_t kVertexSize = 12;       // three floats
constexpr uint32_t kFaceSize = 8;          // a, b, c, flags
constexpr uint32_t kTexCoordSize = 8;      // u, v
constexpr uint32_t kCameraSize = 32;       // eight floats
constexpr int kObjectNameBytes = 12;       // an object name reads at most 12 bytes
constexpr uint16_t kViewportSnap = 3;      // flags word values, compared exactly
constexpr uint16_t kViewportGrid = 5;

constexpr char kCaption[] = "3ds";
constexpr char kDefaultName[] = "Default Name";

ModelFileMissingHandler gFileMissingHandler = nullptr;

// Only a regular file that holds something can hold a model: a folder (which fopen on
// Windows refuses), a device or a pipe (read without end, or waiting for a writer) and an
// empty file all count as a file that could not be opened.
bool HoldsData(const char *fileName) {
  struct stat info;
  return stat(fileName, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0;
}

template <uint16_t... Ids>
bool IsOneOf(uint16_t id) {
  return ((id == Ids) || ...);
}

}  // namespace

void SetModelFileMissingHandler(ModelFileMissingHandler handler) { gFileMissingHandler = handler; }

Loader3ds::Loader3ds()
    : objectCount(0),
      camera{},
      objects{},
      file(nullptr),
      workFaceCount(0),
      workVertexCount(0),
      nameBuffer{},
      workVertices{},
      workFaces{},
      workTexCoords{},
      messageBox(&MessageBoxA),
      fileMissing(false),
      cameraRead(false),
      objectMapped{},
      messageCount(0),
      messages{},
      stream_(nullptr),
      meshHasVertices_(false),
      meshHasFaces_(false),
      meshHasMapping_(false) {}

Loader3ds::~Loader3ds() = default;

void Loader3ds::Show(const char *text) {
  if (messageCount < MaxLoaderMessages) messages[messageCount] = text;
  ++messageCount;
  if (messageBox != nullptr) messageBox(nullptr, text, kCaption, MB_OK);
}

void Loader3ds::Read(const char *fileName) {
  file = HoldsData(fileName) ? std::fopen(fileName, "rb") : nullptr;
  if (file == nullptr) {
    fileMissing = true;
    Show("No 3ds File Found");
    if (gFileMissingHandler != nullptr) gFileMissingHandler(fileName);
    return;
  }
  ReadStream(file);
  std::fclose(file);
  file = nullptr;
}

void Loader3ds::ReadStream(FILE *stream) {
  ChunkStream in(stream);
  stream_ = &in;
  uint16_t id = 0;
  uint8_t version = 0;
  // A file too short to hold its version byte holds no mesh either: no message for it.
  if (in.ReadU16(id) && id == kMain && in.Seek(kVersionOffset) && in.ReadU8(version)) {
    if (version < kMinimumVersion) {
      Show("Sorry this lib can only read 3ds files of version 3.0 and higher");
    } else if (in.Seek(2)) {
      const Chunk whole{0, 0, in.size()};
      ReadContainer(whole, &Loader3ds::MainChild);
    }
  }
  stream_ = nullptr;
}

uint64_t Loader3ds::Available(const Chunk &chunk) const {
  return chunk.end > stream_->position() ? chunk.end - stream_->position() : 0;
}

// Reads the length of the chunk whose id was just read. A chunk shorter than its header or
// longer than what its parent has left ends the whole walk.
bool Loader3ds::Enter(const Chunk &parent, Chunk &chunk) {
  chunk.start = stream_->position() - 2;
  if (!stream_->ReadU32(chunk.length)) return false;
  chunk.end = chunk.start + chunk.length;
  if (chunk.length < kHeaderSize || chunk.end > parent.end) {
    stream_->Fail();
    return false;
  }
  return true;
}

uint32_t Loader3ds::Skip(const Chunk &parent) {
  Chunk chunk;
  if (!Enter(parent, chunk)) return 0;
  stream_->Seek(chunk.end);
  return chunk.length;
}

// The container scan. `consumed` counts 6 for the header, the returned length of every
// handled child and 2 for every id read (also after a handled child, whose length already
// includes its id, and not counting an object's name): the scan stops by this count, and the
// final seek puts the stream at the container's end whatever it says. A scan never reads an
// id that would cross the container's end.
void Loader3ds::ScanChildren(const Chunk &chunk, ChildReader reader) {
  uint64_t consumed = kHeaderSize;
  while (!stream_->failed() && consumed < chunk.length) {
    if (Available(chunk) < 2) break;
    uint16_t id;
    if (!stream_->ReadU16(id)) break;
    consumed += (this->*reader)(id, chunk);
    consumed += 2;
  }
  stream_->Seek(chunk.end);
}

uint32_t Loader3ds::ReadContainer(const Chunk &parent, ChildReader reader) {
  Chunk chunk;
  if (!Enter(parent, chunk)) return 0;
  ScanChildren(chunk, reader);
  return chunk.length;
}

// ---- which ids each container handles; 0 means "not handled, step over 2 bytes" ----

uint32_t Loader3ds::MainChild(uint16_t id, const Chunk &parent) {
  if (id == kEditor) return ReadContainer(parent, &Loader3ds::EditorChild);
  if (id == kKeyframer) return ReadContainer(parent, &Loader3ds::KeyframerChild);
  return 0;
}

uint32_t Loader3ds::EditorChild(uint16_t id, const Chunk &parent) {
  if (id == kObjectBlock) return ReadObjectBlock(parent);
  if (id == kMaterialBlock) return ReadContainer(parent, &Loader3ds::MaterialChild);
  if (id == kViewportLayout) return ReadContainer(parent, &Loader3ds::ViewportLayoutChild);
  // Settings the demo doesn't use: background, ambient light, fog, shadows and so on. The
  // colour containers 0x1200 and 0x2100 are skipped whole, which drops the same values.
  if (IsOneOf<0x1100, 0x1200, 0x1201, 0x1300, 0x1400, 0x1420, 0x1450, 0x1500, 0x2100, 0x2200,
              0x2201, 0x2210, 0x2300, 0x2302, 0x3000>(id)) {
    return Skip(parent);
  }
  return 0;
}

uint32_t Loader3ds::ObjectChild(uint16_t id, const Chunk &parent) {
  if (id == kTriangleMesh) {
    // Only MaxObjects3ds meshes fit; a later one is skipped whole so that the working lists
    // still belong to the committed mesh.
    if (objectCount >= MaxObjects3ds) return Skip(parent);
    const uint32_t length = ReadTriangleMesh(parent);
    if (length == 0 || stream_->failed()) return 0;
    CommitMesh();
    ++objectCount;
    return length;
  }
  if (id == kCamera) return ReadCamera(parent);
  if (IsOneOf<kLight, 0x4010, 0x4012>(id)) return Skip(parent);
  return 0;
}

uint32_t Loader3ds::MeshChild(uint16_t id, const Chunk &parent) {
  if (id == kVertexList) return ReadVertexList(parent);
  if (id == kFaceList) return ReadFaceList(parent);
  if (id == kMapping) return ReadMapping(parent);
  // Vertex flags, the local axes (not applied to the vertices), the object colour.
  if (IsOneOf<0x4111, 0x4160, 0x4165>(id)) return Skip(parent);
  return 0;
}

uint32_t Loader3ds::MaterialChild(uint16_t id, const Chunk &parent) {
  if (id == kMaterialName) return ReadMaterialName(parent);
  return 0;
}

uint32_t Loader3ds::ViewportLayoutChild(uint16_t id, const Chunk &parent) {
  if (IsOneOf<kViewportRecord, kViewportRecordOld>(id)) return ReadViewportRecord(parent);
  if (id == 0x7011) return Skip(parent);
  return 0;
}

uint32_t Loader3ds::KeyframerChild(uint16_t id, const Chunk &parent) {
  if (id == kViewportLayout) return ReadContainer(parent, &Loader3ds::ViewportLayoutChild);
  if (IsOneOf<0xB002, 0xB008, 0xB009, 0xB00A>(id)) return Skip(parent);
  return 0;
}

// ---- object block and its mesh ----

uint32_t Loader3ds::ReadObjectBlock(const Chunk &parent) {
  Chunk chunk;
  if (!Enter(parent, chunk)) return 0;
  ReadObjectName(chunk);
  ScanChildren(chunk, &Loader3ds::ObjectChild);
  return chunk.length;
}

// "Default Name" stays for an empty name. Otherwise at most 12 bytes are read, stopping after
// a NUL; the last place reached becomes NUL, so a longer name keeps its first 11 characters
// and the scan starts right after the 12 bytes, inside the name.
void Loader3ds::ReadObjectName(const Chunk &chunk) {
  std::memcpy(nameBuffer, kDefaultName, sizeof kDefaultName);
  uint8_t byte = 0;
  if (Available(chunk) < 1 || !stream_->ReadU8(byte) || byte == 0) {
    Show("Found a dummy object");
    return;
  }
  int place = 0;
  nameBuffer[place] = static_cast<char>(byte);
  while (byte != 0 && place + 1 < kObjectNameBytes && Available(chunk) >= 1) {
    if (!stream_->ReadU8(byte)) break;
    nameBuffer[++place] = static_cast<char>(byte);
  }
  nameBuffer[place] = '\0';
}

uint32_t Loader3ds::ReadTriangleMesh(const Chunk &parent) {
  meshHasVertices_ = meshHasFaces_ = meshHasMapping_ = false;
  return ReadContainer(parent, &Loader3ds::MeshChild);
}

// A list count above capacity, or above what the chunk holds, is clipped; the rest of the
// chunk is skipped by its length. A chunk too short for its count leaves the list alone.
uint32_t Loader3ds::ReadVertexList(const Chunk &parent) {
  Chunk chunk;
  uint16_t count;
  if (!Enter(parent, chunk)) return 0;
  if (Available(chunk) >= 2 && stream_->ReadU16(count)) {
    const uint32_t n = static_cast<uint32_t>(
        std::min<uint64_t>({count, MaxMeshVertices, Available(chunk) / kVertexSize}));
    for (uint32_t k = 0; k < n; ++k) {
      uint8_t bytes[kVertexSize];
      if (!stream_->ReadBytes(bytes, kVertexSize)) return 0;
      for (int axis = 0; axis < 3; ++axis) workVertices[k][axis] = ChunkStream::F32At(bytes + 4 * axis);
    }
    workVertexCount = static_cast<int32_t>(n);
    meshHasVertices_ = true;
  }
  stream_->Seek(chunk.end);
  return chunk.length;
}

// Material groups and smoothing groups that follow the faces inside this chunk are dropped.
uint32_t Loader3ds::ReadFaceList(const Chunk &parent) {
  Chunk chunk;
  uint16_t count;
  if (!Enter(parent, chunk)) return 0;
  if (Available(chunk) >= 2 && stream_->ReadU16(count)) {
    const uint32_t n = static_cast<uint32_t>(
        std::min<uint64_t>({count, MaxMeshFaces, Available(chunk) / kFaceSize}));
    for (uint32_t k = 0; k < n; ++k) {
      uint8_t bytes[kFaceSize];
      if (!stream_->ReadBytes(bytes, kFaceSize)) return 0;
      for (int corner = 0; corner < 3; ++corner) workFaces[k][corner] = ChunkStream::U16At(bytes + 2 * corner);
    }
    workFaceCount = static_cast<int32_t>(n);
    meshHasFaces_ = true;
  }
  stream_->Seek(chunk.end);
  return chunk.length;
}

// The chunk's own count is read and ignored: the pairs read are those of the last vertex
// list. Pairs the chunk doesn't hold become (0, 0) rather than the next chunk's bytes.
uint32_t Loader3ds::ReadMapping(const Chunk &parent) {
  Chunk chunk;
  uint16_t ignoredCount;
  if (!Enter(parent, chunk)) return 0;
  if (Available(chunk) >= 2 && stream_->ReadU16(ignoredCount)) {
    const uint32_t wanted = static_cast<uint32_t>(workVertexCount);
    const uint32_t n =
        static_cast<uint32_t>(std::min<uint64_t>(wanted, Available(chunk) / kTexCoordSize));
    for (uint32_t k = 0; k < n; ++k) {
      uint8_t bytes[kTexCoordSize];
      if (!stream_->ReadBytes(bytes, kTexCoordSize)) return 0;
      workTexCoords[k][0] = ChunkStream::F32At(bytes);
      workTexCoords[k][1] = ChunkStream::F32At(bytes + 4);
    }
    for (uint32_t k = n; k < wanted; ++k) workTexCoords[k][0] = workTexCoords[k][1] = 0.0f;
    meshHasMapping_ = true;
  }
  stream_->Seek(chunk.end);
  return chunk.length;
}

// Commits the mesh just read into objects[objectCount], in renderer axes and winding.
void Loader3ds::CommitMesh() {
  Object3ds &object = objects[objectCount];
  std::memcpy(object.name, nameBuffer, ObjectNameLength);
  const int32_t vertexCount = meshHasVertices_ ? workVertexCount : 0;
  object.vertexCount = vertexCount;
  for (int32_t k = 0; k < vertexCount; ++k) {
    object.positions[k][0] = workVertices[k][0];
    object.positions[k][1] = workVertices[k][2];
    object.positions[k][2] = workVertices[k][1];
    object.texCoords[k][0] = meshHasMapping_ ? workTexCoords[k][0] : 0.0f;
    object.texCoords[k][1] = meshHasMapping_ ? workTexCoords[k][1] : 0.0f;
  }
  // Exchanging y and z mirrors the mesh; exchanging the last two indices turns the winding
  // back. A face that names a vertex the mesh doesn't have is dropped.
  int32_t faceCount = 0;
  const int32_t listed = meshHasFaces_ ? workFaceCount : 0;
  for (int32_t k = 0; k < listed; ++k) {
    const uint16_t *face = workFaces[k];
    if (face[0] >= vertexCount || face[1] >= vertexCount || face[2] >= vertexCount) continue;
    object.faces[faceCount][0] = face[0];
    object.faces[faceCount][1] = face[2];
    object.faces[faceCount][2] = face[1];
    ++faceCount;
  }
  object.faceCount = faceCount;
  objectMapped[objectCount] = meshHasMapping_;
  ComputeNormals(object);
}

// Eight floats: position, target, bank, lens. Sub-chunks after them are not kept.
uint32_t Loader3ds::ReadCamera(const Chunk &parent) {
  Chunk chunk;
  if (!Enter(parent, chunk)) return 0;
  if (Available(chunk) >= kCameraSize) {
    uint8_t bytes[kCameraSize];
    if (!stream_->ReadBytes(bytes, kCameraSize)) return 0;
    float v[8];
    for (int k = 0; k < 8; ++k) v[k] = ChunkStream::F32At(bytes + 4 * k);
    camera = Camera3ds{{v[0], v[2], v[1]}, {v[3], v[5], v[4]}, v[6], v[7]};
    cameraRead = true;
  }
  stream_->Seek(chunk.end);
  return chunk.length;
}

// Read like an object name but to its NUL (or the chunk's end); the buffer keeps at most 29
// characters. The name goes nowhere: the model has no materials.
uint32_t Loader3ds::ReadMaterialName(const Chunk &parent) {
  Chunk chunk;
  if (!Enter(parent, chunk)) return 0;
  std::memcpy(nameBuffer, kDefaultName, sizeof kDefaultName);
  int length = 0;
  uint8_t byte = 0;
  while (Available(chunk) >= 1 && stream_->ReadU8(byte) && byte != 0) {
    if (length < ObjectNameLength - 1) nameBuffer[length] = static_cast<char>(byte);
    ++length;
  }
  if (length == 0) {
    Show("No material found");
  } else {
    nameBuffer[std::min(length, ObjectNameLength - 1)] = '\0';
  }
  stream_->Seek(chunk.end);
  return chunk.length;
}

uint32_t Loader3ds::ReadViewportRecord(const Chunk &parent) {
  Chunk chunk;
  uint16_t flags;
  if (!Enter(parent, chunk)) return 0;
  if (Available(chunk) >= 2 && stream_->ReadU16(flags)) {
    if (flags == kViewportSnap) Show("<Snap> active in viewport");
    if (flags == kViewportGrid) Show("<Grid> active in viewport");
  }
  stream_->Seek(chunk.end);
  return chunk.length;
}

}  // namespace zel::model3ds
