// Reader of 3D Studio (.3ds) files: a recursive walk over the file's chunks that keeps the
// first triangle mesh (in renderer axes, with vertex normals) and the last camera. Materials,
// lights, viewports and the keyframer are walked over; a few of them only raise messages.
//
// Every read is bounded by its chunk, its parent and the file: a chunk that claims to run
// past its parent or the file, a chunk shorter than its own header, or a read past the end
// ends the walk, keeping what was committed before. Counts above capacity are clipped.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>

#include "model3ds/object3ds.h"

namespace zel::model3ds {

class ChunkStream;

// Where the reader's messages go: MessageBoxA by default; null records them only.
typedef int(WINAPI *MessageBoxFunction)(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);

// Called once after "No 3ds File Found" was shown (for a file that is missing or holds no
// model: empty, a folder, a device), with the file name. The program installs
// one that ends the process with a failure status; with none installed the loader just
// returns with fileMissing set and objectCount 0.
typedef void (*ModelFileMissingHandler)(const char *fileName);
void SetModelFileMissingHandler(ModelFileMissingHandler handler);

constexpr int MaxLoaderMessages = 32;  // messages kept in the log; later ones are counted only

class Loader3ds {
 public:
  Loader3ds();
  virtual ~Loader3ds();

  // Opens fileName ("rb", path passed through), reads it, closes it. Anything but a regular
  // file that holds at least a byte counts as missing.
  void Read(const char *fileName);
  // Reads an open stream from its start; the caller keeps and closes it.
  void ReadStream(FILE *stream);

  int32_t objectCount;                        // mesh records committed, at most MaxObjects3ds
  Camera3ds camera;                           // the last camera read; zeros when none was
  Object3ds objects[MaxObjects3ds];
  FILE *file;                                 // open only during Read
  int32_t workFaceCount;                      // faces in workFaces
  int32_t workVertexCount;                    // vertices in workVertices (and texture pairs)
  char nameBuffer[ObjectNameLength];          // the last object or material name read
  float workVertices[MaxMeshVertices][3];     // the last vertex list, file axes (x, y, z)
  uint16_t workFaces[MaxMeshFaces][3];        // the last face list, file order (a, b, c)
  float workTexCoords[MaxMeshVertices][2];    // the last mapping list (u, v)

  MessageBoxFunction messageBox;              // MessageBoxA unless replaced
  bool fileMissing;                           // Read could not open its file
  bool cameraRead;                            // a camera chunk was read into camera
  bool objectMapped[MaxObjects3ds];           // the record's mesh had a mapping chunk
  int32_t messageCount;                       // messages raised so far, also past the log
  const char *messages[MaxLoaderMessages];    // the first messages raised, in order

 private:
  struct Chunk {
    uint64_t start;   // offset of the chunk's id
    uint32_t length;  // declared length, header included
    uint64_t end;     // start + length, checked against the parent
  };
  typedef uint32_t (Loader3ds::*ChildReader)(uint16_t id, const Chunk &parent);

  void Show(const char *text);
  bool Enter(const Chunk &parent, Chunk &chunk);
  uint32_t Skip(const Chunk &parent);
  void ScanChildren(const Chunk &chunk, ChildReader reader);
  uint64_t Available(const Chunk &chunk) const;

  uint32_t MainChild(uint16_t id, const Chunk &parent);
  uint32_t EditorChild(uint16_t id, const Chunk &parent);
  uint32_t ObjectChild(uint16_t id, const Chunk &parent);
  uint32_t MeshChild(uint16_t id, const Chunk &parent);
  uint32_t MaterialChild(uint16_t id, const Chunk &parent);
  uint32_t ViewportLayoutChild(uint16_t id, const Chunk &parent);
  uint32_t KeyframerChild(uint16_t id, const Chunk &parent);

  uint32_t ReadContainer(const Chunk &parent, ChildReader reader);
  uint32_t ReadObjectBlock(const Chunk &parent);
  uint32_t ReadTriangleMesh(const Chunk &parent);
  uint32_t ReadVertexList(const Chunk &parent);
  uint32_t ReadFaceList(const Chunk &parent);
  uint32_t ReadMapping(const Chunk &parent);
  uint32_t ReadCamera(const Chunk &parent);
  uint32_t ReadMaterialName(const Chunk &parent);
  uint32_t ReadViewportRecord(const Chunk &parent);
  void ReadObjectName(const Chunk &chunk);
  void CommitMesh();

  ChunkStream *stream_;   // the walk's stream, during ReadStream only
  bool meshHasVertices_;  // lists seen inside the triangle mesh being read
  bool meshHasFaces_;
  bool meshHasMapping_;
};

}  // namespace zel::model3ds
