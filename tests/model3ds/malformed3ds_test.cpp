// Malformed files: truncation at every byte, oversized counts, lying and tiny lengths,
// indices past the vertex list. The reader never overruns, never hangs, never exceeds its
// capacities, and keeps only what it could read whole.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "model3ds/loader3ds.h"
#include "tests/model3ds/writer3ds.h"

namespace zel::model3ds {

using namespace test;

namespace {

std::unique_ptr<Loader3ds> ReadQuietly(const std::vector<uint8_t> &bytes) {
  auto loader = std::make_unique<Loader3ds>();
  loader->messageBox = nullptr;
  FILE *f = StreamOf(bytes);
  loader->ReadStream(f);
  std::fclose(f);
  return loader;
}

void ExpectWithinCapacity(const Loader3ds &loader) {
  ASSERT_GE(loader.objectCount, 0);
  ASSERT_LE(loader.objectCount, MaxObjects3ds);
  EXPECT_LE(loader.workVertexCount, MaxMeshVertices);
  EXPECT_LE(loader.workFaceCount, MaxMeshFaces);
  for (int i = 0; i < loader.objectCount; ++i) {
    const Object3ds &o = loader.objects[i];
    ASSERT_LE(o.vertexCount, MaxMeshVertices);
    ASSERT_LE(o.faceCount, MaxMeshFaces);
    for (int f = 0; f < o.faceCount; ++f)
      for (int c = 0; c < 3; ++c) ASSERT_LT(o.faces[f][c], o.vertexCount);
  }
}

std::vector<uint8_t> DecoratedFile() {
  return UsualFile([](Writer3ds &w) {
    w.Begin(0xAFFF).Begin(0xA000).Str("Steel").End().Begin(0xA010).Begin(0x0011).U8(1).U8(2).U8(3).End().End().End();
    w.Begin(0x7001).Begin(0x7012).U16(3).U16(0).End().End();
    WriteObject(w, Cube());
    w.Begin(0x4000).Str("Cam");
    w.Begin(0x4700);
    for (int k = 0; k < 8; ++k) w.F32(1.0f);
    w.End();
    w.End();
  });
}

TEST(Malformed3ds, TruncatedAtEveryOffsetYieldsNothing) {
  const auto whole = DecoratedFile();
  ASSERT_EQ(ReadQuietly(whole)->objectCount, 1);
  for (size_t size = 0; size < whole.size(); ++size) {
    const std::vector<uint8_t> cut(whole.begin(), whole.begin() + size);
    auto loader = ReadQuietly(cut);
    ExpectWithinCapacity(*loader);
    // The main chunk claims more than the file holds: the walk ends before anything.
    EXPECT_EQ(loader->objectCount, 0) << "cut at " << size;
  }
}

TEST(Malformed3ds, CountsAboveCapacityAreClippedAndTheRestSkipped) {
  Mesh big;
  const int n = MaxMeshVertices + 500;
  for (int k = 0; k < n; ++k) big.vertices.insert(big.vertices.end(), {float(k), 0.0f, float(k % 7)});
  for (int k = 0; k < MaxMeshFaces + 300; ++k) {
    const uint16_t a = static_cast<uint16_t>(k % (MaxMeshVertices - 2));
    big.faces.insert(big.faces.end(), {a, uint16_t(a + 1), uint16_t(a + 2)});
  }
  big.texCoords.assign(2 * n, 0.5f);
  auto loader = ReadQuietly(PlainFile(big));
  ExpectWithinCapacity(*loader);
  ASSERT_EQ(loader->objectCount, 1);
  EXPECT_EQ(loader->objects[0].vertexCount, MaxMeshVertices);
  EXPECT_EQ(loader->objects[0].faceCount, MaxMeshFaces);
  EXPECT_EQ(loader->objects[0].positions[MaxMeshVertices - 1][0], float(MaxMeshVertices - 1));
  EXPECT_EQ(loader->objects[0].texCoords[MaxMeshVertices - 1][1], 0.5f);
}

TEST(Malformed3ds, CountsAboveTheChunkAndIndicesPastTheListAreNotTrusted) {
  Mesh m = Cube();
  m.faces.insert(m.faces.end(), {0, 8, 1, 65535, 0, 1, 7, 6, 5});
  auto file = PlainFile(m);
  // Vertex list count 8 -> 1000: only the 8 vertices the chunk holds are read.
  for (size_t k = 0; k + 8 < file.size(); ++k) {
    if (file[k] == 0x10 && file[k + 1] == 0x41 && file[k + 6] == 8 && file[k + 7] == 0) {
      file[k + 6] = 0xE8;
      file[k + 7] = 0x03;
      break;
    }
  }
  auto loader = ReadQuietly(file);
  ExpectWithinCapacity(*loader);
  ASSERT_EQ(loader->objectCount, 1);
  EXPECT_EQ(loader->objects[0].vertexCount, 8);
  EXPECT_EQ(loader->objects[0].faceCount, 13);  // two faces naming vertices 8 and 65535 dropped
  EXPECT_EQ(loader->workFaceCount, 15);
  EXPECT_EQ(loader->objects[0].faces[12][1], 5);
}

// A chunk length that runs past its parent, or one shorter than a header, ends the walk:
// nothing after it is read and a mesh in progress is not committed.
TEST(Malformed3ds, LyingAndTinyLengthsEndTheWalk) {
  const auto good = PlainFile(Cube());
  size_t vertexList = 0;
  for (size_t k = 0; k + 1 < good.size(); ++k)
    if (good[k] == 0x10 && good[k + 1] == 0x41) { vertexList = k; break; }
  ASSERT_NE(vertexList, 0u);
  for (uint32_t length : {0u, 1u, 5u, 0x7FFFFFFFu, 0xFFFFFFFFu, 100000u}) {
    auto bytes = good;
    Writer3ds patch;
    patch.bytes = bytes;
    patch.PatchU32(vertexList + 2, length);
    auto loader = ReadQuietly(patch.bytes);
    ExpectWithinCapacity(*loader);
    EXPECT_EQ(loader->objectCount, 0) << length;
  }
  // The same lie in a camera after the mesh leaves the committed mesh in place.
  auto withCamera = UsualFile([](Writer3ds &w) {
    WriteObject(w, Cube());
    w.Begin(0x4000).Str("Cam").Begin(0x4700);
    for (int k = 0; k < 8; ++k) w.F32(2.0f);
    w.End().End();
  });
  Writer3ds patch;
  patch.bytes = withCamera;
  patch.PatchU32(withCamera.size() - 38 + 2, 39);
  auto loader = ReadQuietly(patch.bytes);
  EXPECT_EQ(loader->objectCount, 1);
  EXPECT_EQ(loader->camera.lens, 0.0f);  // the camera never read: zeros
}

TEST(Malformed3ds, ShortLeavesAreIgnored) {
  auto file = UsualFile([](Writer3ds &w) {
    w.Begin(0x4000).Str("Short");
    w.Begin(0x4700).F32(1.0f).End();  // camera of one float
    w.Begin(0x4100);
    w.Begin(0x4110).End();            // vertex list without a count
    w.Begin(0x4120).U16(5).End();     // five faces announced, none there
    w.Begin(0x4140).End();
    w.End();
    w.End();
    w.Begin(0x7001).Begin(0x7012).End().End();
    w.Begin(0xAFFF).Begin(0xA000).End().End();  // material name chunk with no bytes at all
  });
  auto loader = ReadQuietly(file);
  ExpectWithinCapacity(*loader);
  ASSERT_EQ(loader->objectCount, 1);
  EXPECT_EQ(loader->objects[0].vertexCount, 0);
  EXPECT_EQ(loader->objects[0].faceCount, 0);
  EXPECT_EQ(loader->camera.position[0], 0.0f);
  ASSERT_EQ(loader->messageCount, 1);
  EXPECT_STREQ(loader->messages[0], "No material found");
}

// Random damage to a valid file: whatever the walk makes of it stays inside the arrays.
TEST(Malformed3ds, RandomDamageStaysWithinCapacity) {
  const auto whole = DecoratedFile();
  std::mt19937 random(1234);
  for (int round = 0; round < 3000; ++round) {
    auto bytes = whole;
    const int hits = 1 + round % 4;
    for (int h = 0; h < hits; ++h) bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
    auto loader = ReadQuietly(bytes);
    ExpectWithinCapacity(*loader);
    EXPECT_LE(loader->messageCount, 1000);
  }
}

TEST(Malformed3ds, ManyMessagesAreCountedBeyondTheLog) {
  // One viewport layout holding many records (the scan reads all but the last few).
  auto file = UsualFile([](Writer3ds &w) {
    w.Begin(0x7001);
    for (int k = 0; k < 2 * MaxLoaderMessages; ++k) w.Begin(0x7012).U16(5).End();
    w.End();
  });
  auto loader = ReadQuietly(file);
  EXPECT_GT(loader->messageCount, MaxLoaderMessages);
  EXPECT_STREQ(loader->messages[MaxLoaderMessages - 1], "<Grid> active in viewport");
}

}  // namespace

}  // namespace zel::model3ds
