// The reader on files of our own making: layout, axis and winding exchange, names, messages,
// the 2-byte scan, and the chunks that sit around a mesh in real files.
#include "model3ds/loader3ds.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tests/model3ds/writer3ds.h"

namespace zel::model3ds {

using namespace test;

namespace {

struct ShownBox {
  std::string text, caption;
  UINT type;
};
std::vector<ShownBox> gShown;

int WINAPI RecordBox(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  gShown.push_back({text, caption, type});
  return IDOK;
}

std::unique_ptr<Loader3ds> ReadBytes(const std::vector<uint8_t> &bytes) {
  gShown.clear();
  auto loader = std::make_unique<Loader3ds>();
  loader->messageBox = &RecordBox;
  FILE *f = StreamOf(bytes);
  EXPECT_NE(f, nullptr);
  loader->ReadStream(f);
  std::fclose(f);
  return loader;
}

std::vector<std::string> Texts() {
  std::vector<std::string> texts;
  for (const auto &box : gShown) texts.push_back(box.text);
  return texts;
}

// Everything the model and the scenes read from a loader, compared field by field.
void ExpectSameResult(const Loader3ds &a, const Loader3ds &b) {
  ASSERT_EQ(a.objectCount, b.objectCount);
  for (int i = 0; i < a.objectCount; ++i) {
    const Object3ds &x = a.objects[i], &y = b.objects[i];
    EXPECT_STREQ(x.name, y.name);
    ASSERT_EQ(x.vertexCount, y.vertexCount);
    ASSERT_EQ(x.faceCount, y.faceCount);
    EXPECT_EQ(0, std::memcmp(x.positions, y.positions, sizeof(float) * 3 * x.vertexCount));
    EXPECT_EQ(0, std::memcmp(x.normals, y.normals, sizeof(float) * 3 * x.vertexCount));
    EXPECT_EQ(0, std::memcmp(x.texCoords, y.texCoords, sizeof(float) * 2 * x.vertexCount));
    EXPECT_EQ(0, std::memcmp(x.faces, y.faces, sizeof(uint16_t) * 3 * x.faceCount));
  }
}

TEST(Loader3ds, UsualLayoutExchangesAxesAndWinding) {
  const Mesh cube = Cube();
  auto loader = ReadBytes(PlainFile(cube));
  ASSERT_EQ(loader->objectCount, 1);
  const Object3ds &o = loader->objects[0];
  EXPECT_STREQ(o.name, "Box01");
  ASSERT_EQ(o.vertexCount, 8);
  ASSERT_EQ(o.faceCount, 12);
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(o.positions[k][0], cube.vertices[3 * k + 0]);
    EXPECT_EQ(o.positions[k][1], cube.vertices[3 * k + 2]);
    EXPECT_EQ(o.positions[k][2], cube.vertices[3 * k + 1]);
    EXPECT_EQ(o.texCoords[k][0], cube.texCoords[2 * k]);
    EXPECT_EQ(o.texCoords[k][1], cube.texCoords[2 * k + 1]);
    // The working list keeps file order and axes.
    EXPECT_EQ(loader->workVertices[k][1], cube.vertices[3 * k + 1]);
  }
  for (int f = 0; f < 12; ++f) {
    EXPECT_EQ(o.faces[f][0], cube.faces[3 * f + 0]);
    EXPECT_EQ(o.faces[f][1], cube.faces[3 * f + 2]);
    EXPECT_EQ(o.faces[f][2], cube.faces[3 * f + 1]);
  }
  EXPECT_EQ(loader->workFaceCount, 12);
  EXPECT_EQ(loader->workVertexCount, 8);
  EXPECT_TRUE(gShown.empty());
  EXPECT_FALSE(loader->fileMissing);
}

// Mirroring (y <-> z) and swapping the winding together mirror every face normal with the
// mesh: a file triangle whose normal is +z gets +y in the renderer.
TEST(Loader3ds, NormalsFollowTheExchangedWinding) {
  Mesh m;
  m.vertices = {0, 0, 0, 1, 0, 0, 0, 1, 0};
  m.faces = {0, 1, 2};  // counter-clockwise seen from +z in file axes
  m.texCoords = {0, 0, 1, 0, 0, 1};
  auto loader = ReadBytes(PlainFile(m));
  ASSERT_EQ(loader->objects[0].faceCount, 1);
  for (int k = 0; k < 3; ++k) {
    EXPECT_FLOAT_EQ(loader->objects[0].normals[k][0], 0.0f);
    EXPECT_FLOAT_EQ(loader->objects[0].normals[k][1], 1.0f);
    EXPECT_FLOAT_EQ(loader->objects[0].normals[k][2], 0.0f);
  }
}

// A name of 12 or more characters keeps its first 11; the scan then starts right after the
// 12 bytes read, inside the name. With an odd number of name bytes left (a 12-character
// name) it runs out of step with the chunks and the mesh is not found.
TEST(Loader3ds, ObjectNames) {
  struct Case {
    std::string written, kept;
    int objects;
  };
  for (const Case &c : {Case{"A", "A", 1}, Case{"Exactly11ch", "Exactly11ch", 1},
                        Case{"TwelveChars!", "TwelveChars", 0}, Case{"ThirteenChars", "ThirteenCha", 1},
                        Case{"AVeryLongObjectName", "AVeryLongOb", 1}}) {
    Mesh m = Cube();
    m.name = c.written;
    auto loader = ReadBytes(PlainFile(m));
    EXPECT_STREQ(loader->nameBuffer, c.kept.c_str());
    ASSERT_EQ(loader->objectCount, c.objects) << c.written;
    if (c.objects == 1) {
      EXPECT_STREQ(loader->objects[0].name, c.kept.c_str());
      EXPECT_EQ(loader->objects[0].vertexCount, 8) << c.written;
    }
    EXPECT_TRUE(gShown.empty()) << c.written;
  }
}

TEST(Loader3ds, EmptyNameIsADummyObjectCalledDefaultName) {
  Mesh m = Cube();
  m.name = "";
  auto loader = ReadBytes(PlainFile(m));
  ASSERT_EQ(loader->objectCount, 1);
  EXPECT_STREQ(loader->objects[0].name, "Default Name");
  ASSERT_EQ(gShown.size(), 1u);
  EXPECT_EQ(gShown[0].text, "Found a dummy object");
  EXPECT_EQ(gShown[0].caption, "3ds");
  EXPECT_EQ(gShown[0].type, static_cast<UINT>(MB_OK));
  EXPECT_EQ(loader->messageCount, 1);
  EXPECT_STREQ(loader->messages[0], "Found a dummy object");
}

TEST(Loader3ds, VersionAndSignature) {
  auto old = ReadBytes(UsualFile([](Writer3ds &w) { WriteObject(w, Cube()); }, 2));
  EXPECT_EQ(old->objectCount, 0);
  EXPECT_EQ(Texts(), std::vector<std::string>{"Sorry this lib can only read 3ds files of version 3.0 and higher"});

  std::vector<uint8_t> bytes = PlainFile(Cube());
  bytes[0] = 0x4C;
  auto foreign = ReadBytes(bytes);
  EXPECT_EQ(foreign->objectCount, 0);
  EXPECT_TRUE(gShown.empty());

  auto empty = ReadBytes({});
  EXPECT_EQ(empty->objectCount, 0);
  EXPECT_TRUE(gShown.empty());
}

TEST(Loader3ds, MappingFillsVertexCountPairsWhateverItsOwnCount) {
  Mesh m = Cube();
  std::vector<uint8_t> bytes = PlainFile(m);
  // Find the mapping chunk and make its own count lie low.
  for (size_t k = 0; k + 8 < bytes.size(); ++k) {
    if (bytes[k] == 0x40 && bytes[k + 1] == 0x41 && bytes[k + 6] == 8) {
      bytes[k + 6] = 3;
      break;
    }
  }
  auto loader = ReadBytes(bytes);
  ASSERT_EQ(loader->objects[0].vertexCount, 8);
  for (int k = 0; k < 8; ++k) EXPECT_EQ(loader->objects[0].texCoords[k][1], m.texCoords[2 * k + 1]);
}

TEST(Loader3ds, MappingShorterThanTheVertexListEndsInZeros) {
  Mesh m = Cube();
  m.texCoords.resize(6);  // 3 pairs for 8 vertices
  auto loader = ReadBytes(PlainFile(m));
  ASSERT_EQ(loader->objectCount, 1);
  EXPECT_EQ(loader->objects[0].texCoords[2][0], m.texCoords[4]);
  for (int k = 3; k < 8; ++k) {
    EXPECT_EQ(loader->objects[0].texCoords[k][0], 0.0f);
    EXPECT_EQ(loader->objects[0].texCoords[k][1], 0.0f);
  }
  EXPECT_EQ(loader->objects[0].faceCount, 12);  // the local axes after it were still reached
}

TEST(Loader3ds, MeshWithoutMappingOrFaces) {
  Mesh m = Cube();
  m.texCoords.clear();
  auto noMapping = ReadBytes(PlainFile(m));
  ASSERT_EQ(noMapping->objectCount, 1);
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(noMapping->objects[0].texCoords[k][0], 0.0f);
    EXPECT_EQ(noMapping->objects[0].texCoords[k][1], 0.0f);
  }
  m.writeFaces = false;
  auto noFaces = ReadBytes(PlainFile(m));
  ASSERT_EQ(noFaces->objectCount, 1);
  EXPECT_EQ(noFaces->objects[0].vertexCount, 8);
  EXPECT_EQ(noFaces->objects[0].faceCount, 0);
  EXPECT_EQ(noFaces->objects[0].normals[5][1], 0.0f);
}

// A chunk of an id the mesh doesn't handle, with an odd-valued body, is scanned through
// 2 bytes at a time; the mesh still ends at its declared length.
TEST(Loader3ds, UnhandledChunksAreScannedThrough) {
  Mesh m = Cube();
  auto reference = ReadBytes(PlainFile(m));
  auto file = UsualFile([&](Writer3ds &e) {
    e.Begin(0x4000).Str(m.name);
    e.Begin(0x0100).F32(1.0f).End();  // master scale: not an object block id
    Writer3ds mesh;
    WriteTriangleMesh(mesh, m);
    // A 9-byte stranger right after the mesh header puts the scan off by one byte.
    const std::vector<uint8_t> stranger = {0x44, 0x44, 9, 0, 0, 0, 0x01, 0x02, 0x03};
    mesh.bytes.insert(mesh.bytes.begin() + 6, stranger.begin(), stranger.end());
    mesh.PatchU32(2, static_cast<uint32_t>(mesh.bytes.size()));
    e.bytes.insert(e.bytes.end(), mesh.bytes.begin(), mesh.bytes.end());
    e.End();
  });
  auto loader = ReadBytes(file);
  ASSERT_EQ(loader->objectCount, 1);
  // Off by one, the mesh's lists are not found, but the mesh and its object still end where
  // they say.
  EXPECT_EQ(loader->objects[0].vertexCount, 0);

  auto aligned = UsualFile([&](Writer3ds &e) {
    e.Begin(0x4000).Str(m.name);
    e.Begin(0x0100).F32(1.0f).End();
    Writer3ds mesh;
    WriteTriangleMesh(mesh, m);
    const std::vector<uint8_t> stranger = {0x44, 0x44, 10, 0, 0, 0, 0x01, 0x02, 0x03, 0x04};
    mesh.bytes.insert(mesh.bytes.begin() + 6, stranger.begin(), stranger.end());
    mesh.PatchU32(2, static_cast<uint32_t>(mesh.bytes.size()));
    e.bytes.insert(e.bytes.end(), mesh.bytes.begin(), mesh.bytes.end());
    e.End();
  });
  ExpectSameResult(*reference, *ReadBytes(aligned));
}

// The scan reads whatever sits at an even distance as an id: a vertex list hidden inside an
// unhandled chunk is read when it starts at an even offset, and not at an odd one.
TEST(Loader3ds, HandledIdInsideAnUnhandledChunkIsReadAtAnEvenDistance) {
  for (int padding : {2, 3}) {
    auto file = UsualFile([&](Writer3ds &e) {
      e.Begin(0x4000).Str("Hidden");
      e.Begin(0x4100);
      e.Begin(0x4F00);  // unhandled by the mesh
      for (int k = 0; k < padding; ++k) e.U8(0xEE);
      e.Begin(0x4110).U16(3);
      for (float f : {1.f, 2.f, 3.f, 4.f, 5.f, 6.f, 7.f, 8.f, 9.f}) e.F32(f);
      e.End();
      e.End();
      e.End();
      e.End();
    });
    auto loader = ReadBytes(file);
    ASSERT_EQ(loader->objectCount, 1) << padding;
    if (padding == 2) {
      ASSERT_EQ(loader->objects[0].vertexCount, 3);
      EXPECT_EQ(loader->objects[0].positions[2][1], 9.0f);
      EXPECT_EQ(loader->objects[0].positions[2][2], 8.0f);
    } else {
      EXPECT_EQ(loader->objects[0].vertexCount, 0);
    }
  }
}

TEST(Loader3ds, CameraKeepsExchangedAxesAndStoredBankAndLens) {
  auto file = UsualFile([](Writer3ds &w) {
    WriteObject(w, Cube());
    w.Begin(0x4000).Str("Camera01");
    w.Begin(0x4700);
    for (float f : {1.f, 2.f, 3.f, 4.f, 5.f, 6.f, 12.5f, 35.f}) w.F32(f);
    w.Begin(0x4720).F32(1.f).F32(1000.f).End();  // camera ranges: not kept
    w.End();
    w.End();
  });
  auto loader = ReadBytes(file);
  ASSERT_EQ(loader->objectCount, 1);
  const Camera3ds &c = loader->camera;
  EXPECT_EQ(c.position[0], 1.f);
  EXPECT_EQ(c.position[1], 3.f);
  EXPECT_EQ(c.position[2], 2.f);
  EXPECT_EQ(c.target[0], 4.f);
  EXPECT_EQ(c.target[1], 6.f);
  EXPECT_EQ(c.target[2], 5.f);
  EXPECT_EQ(c.bank, 12.5f);
  EXPECT_EQ(c.lens, 35.f);
}

void WriteMaterial(Writer3ds &w, const std::string &name) {
  w.Begin(0xAFFF);
  w.Begin(0xA000).Str(name).End();
  w.Begin(0xA010).Begin(0x0011).U8(200).U8(10).U8(10).End().End();  // ambient, 24-bit colour
  w.Begin(0xA040).Begin(0x0030).U16(40).End().End();                 // shininess percent
  w.Begin(0xA200).Begin(0x0030).U16(100).End().Begin(0xA300).Str("RUST.JPG").End().Begin(0xA354).F32(1.25f).End().End();
  w.End();
}

void WriteViewports(Writer3ds &w, uint16_t flags) {
  w.Begin(0x7001);
  w.Begin(0x7011).U16(1).U16(2).U16(3).End();
  w.Begin(0x7012).U16(flags).U16(0).F32(1.f).F32(2.f).End();
  w.End();
}

// Materials, lights, a camera, viewports, settings and the keyframer around the mesh change
// nothing in the result apart from the messages they raise.
TEST(Loader3ds, ChunksAroundTheMeshChangeNothingButMessages) {
  const Mesh cube = Cube();
  auto reference = ReadBytes(PlainFile(cube));
  auto file = UsualFile([&](Writer3ds &w) {
    w.Begin(0x0100).F32(1.0f).End();                                 // master scale
    w.Begin(0x1200).Begin(0x0010).F32(0.f).F32(0.f).F32(0.f).End().End();  // background colour
    w.Begin(0x2100).Begin(0x0011).U8(1).U8(2).U8(3).End().End();       // ambient light
    w.Begin(0x1400).U16(512).End();
    WriteMaterial(w, "RustySteel");
    WriteMaterial(w, "");
    WriteViewports(w, 3);
    w.Begin(0x4000).Str("Light01");
    w.Begin(0x4600).F32(5.f).F32(6.f).F32(7.f).Begin(0x0010).F32(1.f).F32(1.f).F32(1.f).End()
        .Begin(0x4610).F32(0.f).F32(0.f).F32(0.f).F32(30.f).F32(45.f).End().End();
    w.End();
    WriteObject(w, cube);
    w.Begin(0x4000).Str("Camera01");
    w.Begin(0x4700);
    for (int k = 0; k < 8; ++k) w.F32(static_cast<float>(k));
    w.End();
    w.End();
    WriteViewports(w, 5);
    WriteViewports(w, 7);  // 3 | 4: not a flag test, no message
  });
  // Keyframer after the editor, inside the main chunk.
  Writer3ds tail;
  tail.Begin(0xB000);
  tail.Begin(0xB00A).U16(5).Str("MAXSCENE").U32(100).End();
  tail.Begin(0xB008).U32(0).U32(100).End();
  tail.Begin(0xB009).U32(0).End();
  tail.Begin(0xB002).Begin(0xB010).Str("Box01").U16(0).U16(0).U16(0xFFFF).End().End();
  tail.Begin(0x7001).Begin(0x7020).U16(5).End().End();
  tail.End();
  file.insert(file.end(), tail.bytes.begin(), tail.bytes.end());
  Writer3ds patch;
  patch.bytes = file;
  patch.PatchU32(2, static_cast<uint32_t>(file.size()));
  auto loader = ReadBytes(patch.bytes);
  ExpectSameResult(*reference, *loader);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"No material found", "<Snap> active in viewport",
                                               "<Grid> active in viewport", "<Grid> active in viewport"}));
  EXPECT_EQ(loader->camera.lens, 7.f);
  EXPECT_EQ(loader->camera.position[1], 2.f);
}

// The scan counts 2 more bytes than it moves for every handled child, so it stops before a
// last child shorter than twice the number of handled children before it: of eight 14-byte
// viewport layouts in the editor the last one is not read.
TEST(Loader3ds, ScanStopsByItsOwnCount) {
  auto loader = ReadBytes(UsualFile([](Writer3ds &w) {
    for (int k = 0; k < 8; ++k) w.Begin(0x7001).Begin(0x7012).U16(5).End().End();
  }));
  EXPECT_EQ(loader->messageCount, 7);
}

TEST(Loader3ds, SecondMeshIsIgnoredAndWorkingListsStayWithTheFirst) {
  Mesh first = Cube();
  Mesh second;
  second.name = "Second";
  second.vertices = {9, 9, 9, 8, 8, 8, 7, 7, 7};
  second.faces = {0, 1, 2};
  second.texCoords = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f};
  auto loader = ReadBytes(UsualFile([&](Writer3ds &w) {
    WriteObject(w, first);
    WriteObject(w, second);
  }));
  EXPECT_EQ(loader->objectCount, 1);
  EXPECT_STREQ(loader->objects[0].name, "Box01");
  EXPECT_EQ(loader->workVertexCount, 8);
  EXPECT_EQ(loader->workVertices[0][0], first.vertices[0]);
  EXPECT_EQ(loader->workTexCoords[1][0], first.texCoords[2]);
}

TEST(Loader3ds, MissingFileIsReportedAndHandled) {
  static std::string handledName;
  SetModelFileMissingHandler([](const char *name) { handledName = name; });
  gShown.clear();
  auto loader = std::make_unique<Loader3ds>();
  loader->messageBox = &RecordBox;
  const std::string path = testing::TempDir() + "/no_such_model.3ds";
  loader->Read(path.c_str());
  SetModelFileMissingHandler(nullptr);
  EXPECT_TRUE(loader->fileMissing);
  EXPECT_EQ(loader->objectCount, 0);
  EXPECT_EQ(Texts(), std::vector<std::string>{"No 3ds File Found"});
  EXPECT_EQ(gShown[0].caption, "3ds");
  EXPECT_EQ(handledName, path);
}

TEST(Loader3ds, AnythingButAFileWithDataCountsAsMissing) {
  // A folder (which fopen on Windows refuses), an empty file, a device that never ends and
  // a pipe that waits for a writer: each is "No 3ds File Found", with the handler called.
  const std::string folder = testing::TempDir() + "/model_folder.3ds";
  const std::string empty = testing::TempDir() + "/empty.3ds";
  const std::string pipe = testing::TempDir() + "/pipe.3ds";
  std::remove(folder.c_str());
  std::remove(pipe.c_str());
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  std::fclose(std::fopen(empty.c_str(), "wb"));
  ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
  static int handled;
  handled = 0;
  SetModelFileMissingHandler([](const char *) { ++handled; });
  for (const std::string &path : {folder, empty, std::string("/dev/zero"), pipe}) {
    gShown.clear();
    auto loader = std::make_unique<Loader3ds>();
    loader->messageBox = &RecordBox;
    loader->Read(path.c_str());
    EXPECT_TRUE(loader->fileMissing) << path;
    EXPECT_EQ(loader->objectCount, 0) << path;
    EXPECT_EQ(Texts(), std::vector<std::string>{"No 3ds File Found"}) << path;
  }
  SetModelFileMissingHandler(nullptr);
  EXPECT_EQ(handled, 4);
  rmdir(folder.c_str());
  std::remove(empty.c_str());
  std::remove(pipe.c_str());
}

TEST(Loader3ds, ReadOpensTheNamedFile) {
  const std::string path = testing::TempDir() + "/cube.3ds";
  const auto bytes = PlainFile(Cube());
  FILE *f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  auto loader = std::make_unique<Loader3ds>();
  loader->messageBox = nullptr;
  loader->Read(path.c_str());
  EXPECT_EQ(loader->objectCount, 1);
  EXPECT_EQ(loader->objects[0].faceCount, 12);
  EXPECT_EQ(loader->file, nullptr);
  std::remove(path.c_str());
}

}  // namespace

}  // namespace zel::model3ds
