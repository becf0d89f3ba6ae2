// The model drawn by the OpenGL device: the axis and winding exchange must leave the faces
// that a file shows to a viewer facing the viewer after the exchange, with the platform's
// default culling. Set ZEL16_DUMP_DIR to also write the frames as PPM pictures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "gfxutil/math.h"
#include "model3ds/model3ds.h"
#include "tests/platform/d3d9/gl_fixture.h"
#include "tests/model3ds/writer3ds.h"

namespace zel::model3ds {

using namespace test;

namespace {

constexpr UINT kWidth = 320, kHeight = 240;

class Model3dsRenderTest : public testing::Test {
 protected:
  void SetUp() override {
    window_ = zel::win32::CreateOffscreenWindow(kWidth, kHeight);
    ASSERT_NE(window_, nullptr) << "no display: run under xvfb-run";
    d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d_, nullptr);
    ASSERT_EQ(zel::d3d9::CreateWindowedDevice(d3d_, window_, kWidth, kHeight, &device_), D3D_OK);
  }
  void TearDown() override {
    model_.reset();
    if (device_ != nullptr) EXPECT_EQ(device_->Release(), 0u);
    if (d3d_ != nullptr) d3d_->Release();
    if (window_ != nullptr) DestroyWindow(window_);
  }

  void LoadFile(const std::string &path) {
    model_ = std::make_unique<Model3ds>(device_);
    model_->loader->messageBox = nullptr;
    ASSERT_EQ(model_->Load(path.c_str()), S_OK);
  }
  void LoadBytes(const std::vector<uint8_t> &bytes) {
    const std::string path = testing::TempDir() + "/render.3ds";
    FILE *f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    LoadFile(path);
  }

  // One frame of the model, unlit (opaque white vertices), seen from eye towards at.
  void DrawFrom(D3DXVECTOR3 eye, D3DXVECTOR3 at, D3DXVECTOR3 up) {
    D3DXMATRIX world, view, projection;
    D3DXMatrixIdentity(&world);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, 0.785398f, 4.0f / 3.0f, 0.1f, 1000.0f);
    device_->SetTransform(D3DTS_WORLD, &world);
    device_->SetTransform(D3DTS_VIEW, &view);
    device_->SetTransform(D3DTS_PROJECTION, &projection);
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device_->BeginScene();
    model_->Draw();
    device_->EndScene();
    UINT w = 0, h = 0;
    ASSERT_TRUE(gfxutil::GrabBackBuffer(device_, &pixels_, &w, &h));
    ASSERT_EQ(w, kWidth);
    ASSERT_EQ(h, kHeight);
  }
  uint8_t Red(UINT x, UINT y) const { return pixels_[(y * kWidth + x) * 4]; }
  double LitFraction() const {
    size_t lit = 0;
    for (size_t k = 0; k < pixels_.size(); k += 4) lit += pixels_[k] > 128;
    return double(lit) / (kWidth * kHeight);
  }
  void Dump(const char *name) const {
    const char *dir = std::getenv("ZEL16_DUMP_DIR");
    if (dir == nullptr) return;
    FILE *f = std::fopen((std::string(dir) + "/" + name + ".ppm").c_str(), "wb");
    if (f == nullptr) return;
    std::fprintf(f, "P6\n%u %u\n255\n", kWidth, kHeight);
    for (size_t k = 0; k < pixels_.size(); k += 4) std::fwrite(&pixels_[k], 1, 3, f);
    std::fclose(f);
  }

  HWND window_ = nullptr;
  IDirect3D9 *d3d_ = nullptr;
  IDirect3DDevice9 *device_ = nullptr;
  std::unique_ptr<Model3ds> model_;
  std::vector<uint8_t> pixels_;
};

// A unit square in the file's z = 0 plane, counter-clockwise seen from file +z (the file
// format's front). In renderer axes file +z is +y: seen from above it must be drawn, seen
// from below it must be culled.
TEST_F(Model3dsRenderTest, FileFrontFacesStayFrontFaces) {
  Mesh square;
  square.vertices = {-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0};
  square.faces = {0, 1, 2, 0, 2, 3};
  LoadBytes(PlainFile(square));
  DrawFrom({0, 3, 0}, {0, 0, 0}, {0, 0, 1});
  Dump("square_above");
  EXPECT_EQ(Red(kWidth / 2, kHeight / 2), 255);
  DrawFrom({0, -3, 0}, {0, 0, 0}, {0, 0, 1});
  EXPECT_EQ(Red(kWidth / 2, kHeight / 2), 0);
}

// The title model of the show, from the front: a wide, flat shape filling part of the view.
TEST_F(Model3dsRenderTest, TitleModelFromTheGeneratedData) {
  const std::string path = std::string(ZEL16_BINARY_DIR) + "/Data/3DFiles/zel2.3ds";
  if (FILE *f = std::fopen(path.c_str(), "rb")) {
    std::fclose(f);
  } else {
    GTEST_SKIP() << "no generated " << path;
  }
  LoadFile(path);
  DrawFrom({0, -20, -250}, {0, -20, 0}, {0, 1, 0});
  Dump("zel2_front");
  EXPECT_GT(LitFraction(), 0.05);
  EXPECT_LT(LitFraction(), 0.9);
}

}  // namespace

}  // namespace zel::model3ds
