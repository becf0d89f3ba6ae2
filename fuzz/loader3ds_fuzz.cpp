// Feeds arbitrary bytes to the .3ds reader as a file. Whatever the walk makes of them, it
// must stay inside its arrays, end, and never commit more than its capacities.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

#include "model3ds/loader3ds.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static zel::model3ds::Loader3ds *loader = new zel::model3ds::Loader3ds();  // 1.4 MB; rebuilt in place for each input
  loader->~Loader3ds();
  new (loader) zel::model3ds::Loader3ds();
  loader->messageBox = nullptr;

  FILE *file = std::tmpfile();
  if (file == nullptr) return 0;
  if (size > 0) std::fwrite(data, 1, size, file);
  std::rewind(file);
  loader->ReadStream(file);
  std::fclose(file);

  if (loader->objectCount < 0 || loader->objectCount > zel::model3ds::MaxObjects3ds) std::abort();
  for (int i = 0; i < loader->objectCount; ++i) {
    const zel::model3ds::Object3ds &o = loader->objects[i];
    if (o.vertexCount < 0 || o.vertexCount > zel::model3ds::MaxMeshVertices || o.faceCount < 0 || o.faceCount > zel::model3ds::MaxMeshFaces)
      std::abort();
    for (int f = 0; f < o.faceCount; ++f)
      for (int c = 0; c < 3; ++c)
        if (o.faces[f][c] >= o.vertexCount) std::abort();
  }
  return 0;
}
