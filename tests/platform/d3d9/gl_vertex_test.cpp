// Vertex formats through vertex and index buffers on the OpenGL device: the FVF codes the
// show uses with their strides, both index sizes, base vertices, range checks, texture
// formats, and reference counts back to zero after a scene's worth of objects.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/d3d9/vertex_layout.h"
#include "tests/platform/d3d9/gl_fixture.h"

namespace zel::d3d9 {
namespace {

class VertexTest : public GlDeviceTest {
 protected:
  void SetUp() override {
    GlDeviceTest::SetUp();
    if (HasFatalFailure()) return;
    DrawUnlitBothSides(true);
  }
  IDirect3DVertexBuffer9 *MakeBuffer(const void *data, UINT bytes, DWORD fvf) {
    IDirect3DVertexBuffer9 *vb = nullptr;
    EXPECT_EQ(device_->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, fvf, D3DPOOL_MANAGED, &vb, nullptr), D3D_OK);
    void *p = nullptr;
    EXPECT_EQ(vb->Lock(0, 0, &p, 0), D3D_OK);
    std::memcpy(p, data, bytes);
    EXPECT_EQ(vb->Unlock(), D3D_OK);
    return vb;
  }
};

// Writes a full-target quad (clip-space corners) into vertices of `stride` bytes: position
// at 0, then the caller's fields.
template <class V>
std::vector<V> FullQuad(V base) {
  std::vector<V> v(4, base);
  const float corners[4][2] = {{-1, 1}, {1, 1}, {-1, -1}, {1, -1}};
  for (int i = 0; i < 4; ++i) {
    v[i].x = corners[i][0];
    v[i].y = corners[i][1];
    v[i].z = 0.5f;
  }
  return v;
}

struct V42 {
  float x, y, z;
  D3DCOLOR c;
};
struct V102 {
  float x, y, z, u, v;
};
struct V142 {
  float x, y, z;
  D3DCOLOR c;
  float u, v;
};
struct V252 {  // the 44-byte model vertex
  float x, y, z, nx, ny, nz;
  D3DCOLOR c;
  float u0, v0, u1, v1;
};

TEST_F(VertexTest, TheShowsVertexFormatsDrawWithTheirStrides) {
  EXPECT_EQ(FvfStride(0x42), 16u);
  EXPECT_EQ(FvfStride(0x102), 20u);
  EXPECT_EQ(FvfStride(0x142), 24u);
  EXPECT_EQ(FvfStride(0x252), 44u);
  static_assert(sizeof(V42) == 16 && sizeof(V102) == 20 && sizeof(V142) == 24 && sizeof(V252) == 44);

  // Left texel red, right texel green; point sampling picks by u.
  IDirect3DTexture9 *tex = MakeTexture(2, 1, [](UINT x, UINT) { return x == 0 ? 0xffff0000u : 0xff00ff00u; });
  IDirect3DTexture9 *blue = MakeTexture(1, 1, [](UINT, UINT) { return 0xff0000ffu; });
  device_->SetTexture(0, tex);
  ASSERT_EQ(device_->BeginScene(), D3D_OK);

  const struct {
    DWORD fvf;
    std::vector<uint8_t> bytes;
    uint32_t expected;
  } cases[] = {
      {0x42, [] { auto q = FullQuad(V42{0, 0, 0, 0xff804020}); return std::vector<uint8_t>(
                      reinterpret_cast<uint8_t *>(q.data()), reinterpret_cast<uint8_t *>(q.data() + 4)); }(),
       0x800000},  // no coordinates: the bound texture is sampled at (0, 0), red, times diffuse
      {0x102, [] { auto q = FullQuad(V102{0, 0, 0, 0.75f, 0.5f}); return std::vector<uint8_t>(
                       reinterpret_cast<uint8_t *>(q.data()), reinterpret_cast<uint8_t *>(q.data() + 4)); }(),
       0x00ff00},  // texture times the white of a missing diffuse
      {0x142, [] { auto q = FullQuad(V142{0, 0, 0, 0xff808080, 0.25f, 0.5f}); return std::vector<uint8_t>(
                       reinterpret_cast<uint8_t *>(q.data()), reinterpret_cast<uint8_t *>(q.data() + 4)); }(),
       0x800000},
      {0x252, [] { auto q = FullQuad(V252{0, 0, 0, 0, 0, 1, 0xffffffff, 0.75f, 0.5f, 0.25f, 0.5f}); return std::vector<uint8_t>(
                       reinterpret_cast<uint8_t *>(q.data()), reinterpret_cast<uint8_t *>(q.data() + 4)); }(),
       0x00ff00},
  };
  IDirect3DVertexBuffer9 *modelVb = nullptr;
  for (const auto &c : cases) {
    UINT stride = FvfStride(c.fvf);
    IDirect3DVertexBuffer9 *vb = MakeBuffer(c.bytes.data(), static_cast<UINT>(c.bytes.size()), c.fvf);
    device_->SetFVF(c.fvf);
    device_->SetStreamSource(0, vb, 0, stride);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.0f, 0);
    ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK) << std::hex << c.fvf;
    Grab();
    EXPECT_EQ(Pixel(30, 20), c.expected) << "FVF 0x" << std::hex << c.fvf;
    if (c.fvf == 0x252) {
      modelVb = vb;  // kept bound for the second coordinate set below
    } else {
      EXPECT_EQ(vb->Release(), 0u);
    }
  }
  // The second coordinate set of the model vertex feeds stage 1 through TEXCOORDINDEX.
  device_->SetTexture(1, blue);
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
  device_->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xff000000, 1.0f, 0);
  ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
  Grab();
  EXPECT_EQ(Pixel(30, 20), 0x00ffffu);
  device_->EndScene();
  EXPECT_EQ(modelVb->Release(), 0u);
  // Releasing a bound buffer unbinds it: the next draw has no stream 0.
  IDirect3DVertexBuffer9 *bound = nullptr;
  EXPECT_EQ(device_->CreateVertexBuffer(44 * 4, 0, 0x252, D3DPOOL_MANAGED, &bound, nullptr), D3D_OK);
  device_->SetStreamSource(0, bound, 0, 44);
  EXPECT_EQ(bound->Release(), 0u);
  device_->BeginScene();
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);
  device_->EndScene();
  EXPECT_EQ(tex->Release(), 0u);
  EXPECT_EQ(blue->Release(), 0u);
}

TEST_F(VertexTest, IndexedDrawsWithBothIndexSizesAndABaseVertex) {
  // Eight vertices: the first four a red quad on the left half, the next four a green quad
  // on the right half.
  std::vector<V42> v;
  const float xs[2][2] = {{-1, 0}, {0, 1}};
  const D3DCOLOR colors[2] = {0xffff0000, 0xff00ff00};
  for (int q = 0; q < 2; ++q)
    for (int i = 0; i < 4; ++i)
      v.push_back(V42{xs[q][i & 1], (i < 2) ? 1.0f : -1.0f, 0.5f, colors[q]});
  IDirect3DVertexBuffer9 *vb = MakeBuffer(v.data(), static_cast<UINT>(v.size() * sizeof(V42)), 0x42);
  const uint16_t idx16[6] = {0, 1, 2, 2, 1, 3};
  const uint32_t idx32[6] = {0, 1, 2, 2, 1, 3};
  IDirect3DIndexBuffer9 *ib16 = nullptr, *ib32 = nullptr;
  ASSERT_EQ(device_->CreateIndexBuffer(sizeof idx16, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib16, nullptr), D3D_OK);
  ASSERT_EQ(device_->CreateIndexBuffer(sizeof idx32, 0, D3DFMT_INDEX32, D3DPOOL_MANAGED, &ib32, nullptr), D3D_OK);
  void *p;
  ib16->Lock(0, 0, &p, 0);
  std::memcpy(p, idx16, sizeof idx16);
  ib16->Unlock();
  ib32->Lock(0, 0, &p, 0);
  std::memcpy(p, idx32, sizeof idx32);
  ib32->Unlock();

  device_->SetFVF(0x42);
  device_->SetStreamSource(0, vb, 0, sizeof(V42));
  ASSERT_EQ(device_->BeginScene(), D3D_OK);
  device_->SetIndices(ib16);
  ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
  device_->SetIndices(ib32);
  ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 4, 0, 4, 0, 2), D3D_OK);
  // Ranges past the buffers fail instead of reading beyond them.
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 3, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 5, 0, 4, 0, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 6, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 4, 2), D3D_OK);
  device_->EndScene();
  // Drawing outside a scene fails.
  EXPECT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);
  Grab();
  EXPECT_EQ(Pixel(10, 20), 0xff0000u);
  EXPECT_EQ(Pixel(50, 20), 0x00ff00u);
  EXPECT_EQ(ib16->Release(), 0u);
  EXPECT_EQ(ib32->Release(), 0u);
  EXPECT_EQ(vb->Release(), 0u);
}

TEST_F(VertexTest, TextureFormatsReadBackAsTheirColours) {
  struct Case {
    D3DFORMAT format;
    std::vector<uint8_t> texel;  // little-endian bytes of one texel
    uint32_t expected;           // rgb
    uint8_t alpha;               // read back through an alpha-only stage
  };
  const Case cases[] = {
      {D3DFMT_A8R8G8B8, {0x30, 0x20, 0x10, 0x80}, 0x102030, 0x80},
      {D3DFMT_X8R8G8B8, {0x30, 0x20, 0x10, 0x00}, 0x102030, 0xff},
      {D3DFMT_R8G8B8, {0x30, 0x20, 0x10}, 0x102030, 0xff},
      {D3DFMT_R5G6B5, {0x00, 0xf8}, 0xff0000, 0xff},                // red
      {D3DFMT_X1R5G5B5, {0xe0, 0x03}, 0x00ff00, 0xff},              // green, alpha bit clear
      {D3DFMT_A1R5G5B5, {0x1f, 0x00}, 0x0000ff, 0x00},              // blue, transparent
      {D3DFMT_L8, {0x40}, 0x404040, 0xff},
      {D3DFMT_A8, {0x40}, 0x000000, 0x40},
  };
  device_->SetFVF(kScreenFvf);
  ASSERT_EQ(device_->BeginScene(), D3D_OK);
  for (const Case &c : cases) {
    IDirect3DTexture9 *t = nullptr;
    ASSERT_EQ(device_->CreateTexture(3, 1, 1, 0, c.format, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
    D3DLOCKED_RECT lr;
    ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    for (int x = 0; x < 3; ++x)
      std::memcpy(static_cast<uint8_t *>(lr.pBits) + x * c.texel.size(), c.texel.data(), c.texel.size());
    ASSERT_EQ(t->UnlockRect(0), D3D_OK);
    device_->SetTexture(0, t);
    ScreenVertex v[4] = {{0, 0, 0.5f, 1, 0xffffffff, 0, 0}, {32, 0, 0.5f, 1, 0xffffffff, 1, 0},
                         {0, 48, 0.5f, 1, 0xffffffff, 0, 1}, {32, 48, 0.5f, 1, 0xffffffff, 1, 1}};
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(ScreenVertex));
    // The right half shows the texture's alpha as grey.
    for (ScreenVertex &s : v) s.x += 32;
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE);
    device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(ScreenVertex));
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    Grab();
    EXPECT_EQ(Pixel(10, 20), c.expected) << "format " << c.format;
    EXPECT_EQ(Pixel(50, 20), uint32_t{c.alpha} * 0x010101u) << "format " << c.format;
    device_->SetTexture(0, nullptr);
    EXPECT_EQ(t->Release(), 0u);
  }
  device_->EndScene();
  IDirect3DTexture9 *t = reinterpret_cast<IDirect3DTexture9 *>(1);
  EXPECT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_P8, D3DPOOL_MANAGED, &t, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(t, nullptr);
}

TEST_F(VertexTest, MipLevelsAreLockedAndSampledOneByOne) {
  IDirect3DTexture9 *t = nullptr;
  ASSERT_EQ(device_->CreateTexture(8, 8, 0, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
  ASSERT_EQ(t->GetLevelCount(), 4u);
  const DWORD colours[4] = {0xffff0000, 0xff00ff00, 0xff0000ff, 0xffffffff};
  for (UINT level = 0; level < 4; ++level) {
    D3DSURFACE_DESC desc;
    ASSERT_EQ(t->GetLevelDesc(level, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 8u >> level);
    D3DLOCKED_RECT lr;
    ASSERT_EQ(t->LockRect(level, &lr, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < desc.Height; ++y)
      for (UINT x = 0; x < desc.Width; ++x)
        reinterpret_cast<DWORD *>(static_cast<uint8_t *>(lr.pBits) + y * lr.Pitch)[x] = colours[level];
    ASSERT_EQ(t->UnlockRect(level), D3D_OK);
  }
  device_->SetTexture(0, t);
  device_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
  device_->SetFVF(kScreenFvf);
  ASSERT_EQ(device_->BeginScene(), D3D_OK);
  // 8 texels over 2 pixels: level 2 (2x2) is the one sampled.
  ScreenVertex v[4] = {{0, 0, 0.5f, 1, 0xffffffff, 0, 0}, {2, 0, 0.5f, 1, 0xffffffff, 1, 0},
                       {0, 2, 0.5f, 1, 0xffffffff, 0, 1}, {2, 2, 0.5f, 1, 0xffffffff, 1, 1}};
  device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(ScreenVertex));
  device_->EndScene();
  Grab();
  EXPECT_EQ(Pixel(0, 0), 0x0000ffu);
  device_->SetTexture(0, nullptr);
  EXPECT_EQ(t->Release(), 0u);
}

TEST_F(VertexTest, ASceneWorthOfObjectsIsReleasedToZero) {
  int before = LiveObjectCount();
  std::vector<IDirect3DTexture9 *> textures(12);
  std::vector<IDirect3DVertexBuffer9 *> vbs(8);
  std::vector<IDirect3DIndexBuffer9 *> ibs(4);
  for (auto &t : textures) ASSERT_EQ(device_->CreateTexture(16, 16, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
  for (auto &b : vbs) ASSERT_EQ(device_->CreateVertexBuffer(44 * 30, 0, 0x252, D3DPOOL_MANAGED, &b, nullptr), D3D_OK);
  for (auto &b : ibs) ASSERT_EQ(device_->CreateIndexBuffer(600, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &b, nullptr), D3D_OK);
  const D3DVERTEXELEMENT9 decl[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                    {0, 12, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_NORMAL, 0},
                                    D3DDECL_END()};
  IDirect3DVertexDeclaration9 *d = nullptr;
  ASSERT_EQ(device_->CreateVertexDeclaration(decl, &d), D3D_OK);
  EXPECT_EQ(LiveObjectCount(), before + 25);
  // Releasing bound objects destroys them and clears their bindings.
  device_->SetTexture(0, textures[3]);
  device_->SetTexture(1, textures[4]);
  device_->SetStreamSource(0, vbs[2], 0, 44);
  device_->SetIndices(ibs[1]);
  device_->SetVertexDeclaration(d);
  for (auto *t : textures) t->Release();
  for (auto *b : vbs) b->Release();
  for (auto *b : ibs) b->Release();
  d->Release();
  EXPECT_EQ(LiveObjectCount(), before);
  IDirect3DBaseTexture9 *bound = reinterpret_cast<IDirect3DBaseTexture9 *>(1);
  device_->GetTexture(0, &bound);
  EXPECT_EQ(bound, nullptr);  // a released texture is unbound, never left dangling
}

}  // namespace
}  // namespace zel::d3d9
