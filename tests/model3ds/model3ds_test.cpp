// The drawable model on the recording device: buffer sizes and contents, the one indexed
// draw per mesh, texture coordinate refresh, empty and failed loads, and releases.
#include "model3ds/model3ds.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <zel_d3d9_ext.h>

#include <cstring>
#include <memory>
#include <string>

#include "platform/d3d9/recording/recording_device.h"
#include "tests/model3ds/writer3ds.h"

namespace zel::model3ds {

using namespace test;
using zel::d3d9::RecordingDevice;

namespace {

std::string WriteModel(const std::string &name, const std::vector<uint8_t> &bytes) {
  // The process id keeps test processes that run at once (ctest -j) off each other's files.
  const std::string path = testing::TempDir() + "/" + std::to_string(getpid()) + "-" + name;
  FILE *f = std::fopen(path.c_str(), "wb");
  if (f != nullptr) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  return path;
}

class Model3dsTest : public testing::Test {
 protected:
  void SetUp() override { device = RecordingDevice::Create(); }
  void TearDown() override {
    model.reset();
    EXPECT_EQ(device->Release(), 0u) << "the model left references on the device";
  }
  HRESULT Load(const std::vector<uint8_t> &bytes) {
    model = std::make_unique<Model3ds>(device);
    model->loader->messageBox = nullptr;
    device->ClearLog();
    return model->Load(WriteModel("model.3ds", bytes).c_str());
  }
  const Vertex3ds *Vertices() const {
    return reinterpret_cast<const Vertex3ds *>(RecordingDevice::VertexData(model->vertexBuffers[0])->Data());
  }
  std::vector<std::string> DrawCalls() {
    device->ClearLog();
    device->BeginScene();
    model->Draw();
    device->EndScene();
    auto calls = device->CallTexts();
    return std::vector<std::string>(calls.begin() + 1, calls.end() - 1);
  }

  RecordingDevice *device = nullptr;
  std::unique_ptr<Model3ds> model;
};

TEST_F(Model3dsTest, OneMeshBuildsItsBuffersAndDrawsOnce) {
  ASSERT_EQ(Load(PlainFile(Cube())), S_OK);
  ASSERT_EQ(model->loader->objectCount, 1);
  EXPECT_EQ(device->CallTexts(), (std::vector<std::string>{
                                     "CreateVertexBuffer(352, 0, 0x00000252, 0, VB1)",
                                     "CreateIndexBuffer(144, 0, D3DFMT_INDEX32, 0, IB1)"}));
  const Object3ds &o = model->objects[0];
  const Vertex3ds *v = Vertices();
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(0, std::memcmp(v[k].position, o.positions[k], 12)) << k;
    EXPECT_EQ(0, std::memcmp(v[k].normal, o.normals[k], 12)) << k;
    EXPECT_EQ(v[k].diffuse, 0xFFFFFFFFu);
    EXPECT_EQ(0, std::memcmp(v[k].tex0, o.texCoords[k], 8)) << k;
    EXPECT_EQ(0, std::memcmp(v[k].tex1, o.texCoords[k], 8)) << k;
  }
  const auto *indices = reinterpret_cast<const uint32_t *>(RecordingDevice::IndexData(model->indexBuffers[0])->Data());
  for (int f = 0; f < 12; ++f)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(indices[3 * f + c], o.faces[f][c]);

  EXPECT_EQ(DrawCalls(), (std::vector<std::string>{"SetFVF(0x00000252)", "SetIndices(IB1)",
                                                   "SetStreamSource(0, VB1, 0, 44)",
                                                   "DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 8, 0, 12)"}));
}

TEST_F(Model3dsTest, RefreshRewritesOnlyTex0) {
  ASSERT_EQ(Load(PlainFile(Cube())), S_OK);
  Object3ds &o = model->objects[0];
  float loaded[8][2];
  std::memcpy(loaded, o.texCoords, sizeof loaded);
  for (int k = 0; k < 8; ++k) o.texCoords[k][1] += 0.25f * k;
  EXPECT_EQ(model->RefreshTexCoords(), S_OK);
  const Vertex3ds *v = Vertices();
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(v[k].tex0[1], o.texCoords[k][1]);
    EXPECT_EQ(v[k].tex1[1], loaded[k][1]);
    EXPECT_EQ(v[k].tex1[0], loaded[k][0]);
    EXPECT_EQ(v[k].diffuse, 0xFFFFFFFFu);
  }
}

TEST_F(Model3dsTest, EmptyResultsCreateNoBuffersAndDrawNothing) {
  std::vector<uint8_t> foreign = PlainFile(Cube());
  foreign[0] = 0;
  Mesh faceless = Cube();
  faceless.writeFaces = false;
  for (const auto &bytes : {foreign, PlainFile(faceless)}) {
    EXPECT_EQ(Load(bytes), S_OK);
    EXPECT_EQ(device->CountCalls("CreateVertexBuffer") + device->CountCalls("CreateIndexBuffer"), 0u);
    EXPECT_EQ(DrawCalls(), std::vector<std::string>{"SetFVF(0x00000252)"});
    EXPECT_EQ(model->RefreshTexCoords(), S_OK);
  }
}

TEST_F(Model3dsTest, MissingFileIsVisibleToTheCaller) {
  model = std::make_unique<Model3ds>(device);
  model->loader->messageBox = nullptr;
  EXPECT_EQ(model->Load((testing::TempDir() + "/absent.3ds").c_str()), Model3dsFileNotFound);
  EXPECT_TRUE(model->loader->fileMissing);
  EXPECT_EQ(model->vertexBuffers[0], nullptr);
  EXPECT_EQ(DrawCalls(), std::vector<std::string>{"SetFVF(0x00000252)"});
}

// A failed buffer creation reports E_FAIL; what was built stays and is released once, and
// the incomplete object is not drawn.
TEST_F(Model3dsTest, FailedIndexBufferLeavesTheObjectUndrawn) {
  device->SetCreateFailure("CreateIndexBuffer", E_OUTOFMEMORY);
  EXPECT_EQ(Load(PlainFile(Cube())), E_FAIL);
  EXPECT_NE(model->vertexBuffers[0], nullptr);
  EXPECT_EQ(model->indexBuffers[0], nullptr);
  EXPECT_EQ(DrawCalls(), std::vector<std::string>{"SetFVF(0x00000252)"});
  device->SetCreateFailure("CreateVertexBuffer", E_OUTOFMEMORY);
  EXPECT_EQ(Load(PlainFile(Cube())), E_FAIL);
  EXPECT_EQ(model->vertexBuffers[0], nullptr);
}

TEST_F(Model3dsTest, TexturesLoadFromDataAndEverythingIsReleasedOnce) {
  const int before = zel::d3d9::LiveObjectCount();
  char previous[4096];
  ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
  ASSERT_EQ(chdir(ZEL16_BINARY_DIR), 0);  // the build's generated Data/
  model = std::make_unique<Model3ds>(device);
  ASSERT_EQ(chdir(previous), 0);
  for (int k = 0; k < ModelTextureCount; ++k) EXPECT_NE(model->textures[k], nullptr) << k;
  model->loader->messageBox = nullptr;
  ASSERT_EQ(model->Load(WriteModel("released.3ds", PlainFile(Cube())).c_str()), S_OK);
  EXPECT_EQ(zel::d3d9::LiveObjectCount(), before + 5);  // three textures, two buffers
  model.reset();
  EXPECT_EQ(zel::d3d9::LiveObjectCount(), before);

  // Without Data/ the slots stay null and nothing else changes.
  model = std::make_unique<Model3ds>(device);
  for (int k = 0; k < ModelTextureCount; ++k) EXPECT_EQ(model->textures[k], nullptr) << k;
}

TEST_F(Model3dsTest, DrawNeverSendsMoreThanTheBuffersHold) {
  ASSERT_EQ(Load(PlainFile(Cube())), S_OK);
  model->objects[0].vertexCount = 5000;
  model->objects[0].faceCount = 9000;
  EXPECT_EQ(model->RefreshTexCoords(), S_OK);
  EXPECT_EQ(DrawCalls().back(), "DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 8, 0, 12)");
}

}  // namespace

}  // namespace zel::model3ds
