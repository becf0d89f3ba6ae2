// The OpenGL device applies state lazily: a setter only stores the value and marks its group,
// and the next draw sends OpenGL what changed. A group that is not marked, or a GL value the
// cache wrongly believes is already set, leaves the previous draw's state in force. Each row
// below therefore draws with state A into the left half of the target, then with state B
// into the right half, in one frame with nothing in between (a clear would apply some groups
// afresh); the right half must be exactly what a fresh device draws there with B alone, and
// A must draw something else, or the row would prove nothing.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "gfxutil/shader.h"
#include "tests/platform/d3d9/gl_fixture.h"

namespace zel::d3d9 {
namespace {

constexpr DWORD kFullFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;  // 24-byte vertex
constexpr DWORD kPlainFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;               // 16-byte vertex
constexpr DWORD kStencilKeep = 1, kStencilIncrSat = 4;                 // D3DSTENCILOP_*
constexpr DWORD kMaterialSource = 0, kColor1Source = 1;                // D3DMCS_*
constexpr UINT kTargetWidth = 64, kTargetHeight = 48;                  // the fixture's back buffer

struct FullVertex {
  float x, y, z;
  D3DCOLOR color;
  float u, v;
};
struct PlainVertex {
  float x, y, z;
  D3DCOLOR color;
};

// A quad in clip space from x0 to x1 over the whole height, clockwise on screen, with u
// running from 0 to 2 across it (so a sampler's address mode shows).
void Quad(FullVertex *out, float x0, float x1, float z, D3DCOLOR c) {
  out[0] = {x0, 1, z, c, 0, 0};
  out[1] = {x1, 1, z, c, 2, 0};
  out[2] = {x0, -1, z, c, 0, 1};
  out[3] = {x1, -1, z, c, 2, 1};
}

// Vertex buffers hold two sets of kSetVertices: the left set for state A, then the same
// quads moved right by half the target (clip x + 1) for state B.
constexpr INT kSetVertices = 12;

// What one device draws with: made on that device, released before it.
struct Kit {
  IDirect3DVertexBuffer9 *quads = nullptr;   // per set, full vertices: quads 1, 2 and 3
  IDirect3DVertexBuffer9 *plain = nullptr;   // per set, quads 1 and 2 again, 16-byte, other colours
  IDirect3DIndexBuffer9 *both = nullptr;     // quads 1 and 2
  IDirect3DIndexBuffer9 *firstTwice = nullptr;
  IDirect3DTexture9 *checker = nullptr;      // 2 x 2: red, green / blue, white
  IDirect3DTexture9 *yellow = nullptr;       // 1 x 1, alpha 0x80
  IDirect3DVertexDeclaration9 *noTexCoords = nullptr;  // the full vertex without its u, v
  IDirect3DVertexShader9 *shader = nullptr;  // position as given, colour from c0
};

using Setter = std::function<void(IDirect3DDevice9 *, const Kit &, bool b)>;

struct Row {
  const char *group;
  Setter set;  // sets state A (b false) or state B (b true): the same states in both
};

D3DMATRIX Translation(float x) {
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1;
  m._41 = x;
  return m;
}

void Rs(IDirect3DDevice9 *d, D3DRENDERSTATETYPE s, DWORD v) { d->SetRenderState(s, v); }
void Ts(IDirect3DDevice9 *d, DWORD stage, D3DTEXTURESTAGESTATETYPE s, DWORD v) { d->SetTextureStageState(stage, s, v); }

const Row kRows[] = {
    {"blending", [](auto d, auto &, bool b) {
       Rs(d, D3DRS_ALPHABLENDENABLE, !b); Rs(d, D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
       Rs(d, D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
     }},
    {"blend factors", [](auto d, auto &, bool b) {
       Rs(d, D3DRS_ALPHABLENDENABLE, TRUE); Rs(d, D3DRS_SRCBLEND, b ? D3DBLEND_ONE : D3DBLEND_SRCALPHA);
       Rs(d, D3DRS_DESTBLEND, b ? D3DBLEND_ONE : D3DBLEND_INVSRCALPHA);
     }},
    {"blend operation", [](auto d, auto &, bool b) {
       Rs(d, D3DRS_ALPHABLENDENABLE, TRUE); Rs(d, D3DRS_SRCBLEND, D3DBLEND_ONE); Rs(d, D3DRS_DESTBLEND, D3DBLEND_ONE);
       Rs(d, D3DRS_BLENDOP, b ? D3DBLENDOP_ADD : D3DBLENDOP_REVSUBTRACT);
     }},
    {"colour write mask", [](auto d, auto &, bool b) {
       Rs(d, D3DRS_COLORWRITEENABLE, b ? 0xfu : DWORD{D3DCOLORWRITEENABLE_GREEN});
     }},
    {"depth test", [](auto d, auto &, bool b) { Rs(d, D3DRS_ZENABLE, b ? D3DZB_TRUE : D3DZB_FALSE); }},
    {"depth function", [](auto d, auto &, bool b) { Rs(d, D3DRS_ZFUNC, b ? D3DCMP_LESSEQUAL : D3DCMP_GREATER); }},
    {"depth writes", [](auto d, auto &, bool b) { Rs(d, D3DRS_ZWRITEENABLE, b); }},
    {"stencil test", [](auto d, auto &, bool b) {
       Rs(d, D3DRS_STENCILENABLE, !b); Rs(d, D3DRS_STENCILFUNC, D3DCMP_NEVER);
     }},
    {"stencil operation", [](auto d, auto &, bool b) {
       // Quad 1 passes at stencil 0; with INCRSAT it leaves 1 behind, where quad 2 then fails.
       Rs(d, D3DRS_ZENABLE, D3DZB_FALSE); Rs(d, D3DRS_STENCILENABLE, TRUE); Rs(d, D3DRS_STENCILFUNC, D3DCMP_EQUAL);
       Rs(d, D3DRS_STENCILPASS, b ? kStencilKeep : kStencilIncrSat);
     }},
    {"stencil reference", [](auto d, auto &, bool b) {
       Rs(d, D3DRS_STENCILENABLE, TRUE); Rs(d, D3DRS_STENCILFUNC, D3DCMP_EQUAL); Rs(d, D3DRS_STENCILREF, b ? 0 : 1);
     }},
    {"cull mode", [](auto d, auto &, bool b) { Rs(d, D3DRS_CULLMODE, b ? D3DCULL_CCW : D3DCULL_CW); }},
    {"fill mode", [](auto d, auto &, bool b) { Rs(d, D3DRS_FILLMODE, b ? D3DFILL_SOLID : D3DFILL_WIREFRAME); }},
    {"world transform", [](auto d, auto &, bool b) {
       D3DMATRIX m = Translation(b ? 0.0f : -0.5f);  // A moves left, staying out of B's half
       d->SetTransform(D3DTS_WORLD, &m);
     }},
    {"projection", [](auto d, auto &, bool b) {
       D3DMATRIX m = Translation(b ? 0.0f : -0.5f);
       d->SetTransform(D3DTS_PROJECTION, &m);
     }},
    {"viewport", [](auto d, auto &, bool b) {
       D3DVIEWPORT9 vp{0, 0, b ? kTargetWidth : kTargetWidth / 2, kTargetHeight, 0, 1};
       d->SetViewport(&vp);
     }},
    {"texture", [](auto d, auto &k, bool b) { d->SetTexture(0, b ? k.checker : k.yellow); }},
    {"texture unbound", [](auto d, auto &k, bool b) { d->SetTexture(0, b ? nullptr : k.checker); }},
    {"sampler filter", [](auto d, auto &k, bool b) {
       d->SetTexture(0, k.checker); d->SetSamplerState(0, D3DSAMP_MAGFILTER, b ? D3DTEXF_POINT : D3DTEXF_LINEAR);
     }},
    {"sampler address", [](auto d, auto &k, bool b) {
       d->SetTexture(0, k.checker); d->SetSamplerState(0, D3DSAMP_ADDRESSU, b ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP);
     }},
    {"stage operation", [](auto d, auto &k, bool b) {
       d->SetTexture(0, k.checker); Ts(d, 0, D3DTSS_COLOROP, b ? D3DTOP_MODULATE : D3DTOP_SELECTARG2);
     }},
    {"stage argument", [](auto d, auto &k, bool b) {
       d->SetTexture(0, k.checker); Ts(d, 0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
       Ts(d, 0, D3DTSS_COLORARG1, b ? D3DTA_TEXTURE : D3DTA_TFACTOR);
     }},
    {"texture coordinate set", [](auto d, auto &k, bool b) {
       // Set 1 is not in the vertex: it reads (0, 0), the red texel.
       d->SetTexture(0, k.checker); Ts(d, 0, D3DTSS_TEXCOORDINDEX, b ? 0 : 1);
     }},
    {"stage result", [](auto d, auto &, bool b) {
       Rs(d, D3DRS_TEXTUREFACTOR, 0xff00ffff); Ts(d, 0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
       Ts(d, 0, D3DTSS_COLORARG1, D3DTA_TFACTOR); Ts(d, 0, D3DTSS_RESULTARG, b ? D3DTA_CURRENT : D3DTA_TEMP);
     }},
    {"alpha test", [](auto d, auto &, bool b) {
       // Quad 1 has alpha 0x80, quad 2 0xc0: only quad 2 passes GREATER 0x90.
       Rs(d, D3DRS_ALPHATESTENABLE, TRUE); Rs(d, D3DRS_ALPHAREF, 0x90);
       Rs(d, D3DRS_ALPHAFUNC, b ? D3DCMP_ALWAYS : D3DCMP_GREATER);
     }},
    {"alpha reference", [](auto d, auto &, bool b) {
       Rs(d, D3DRS_ALPHATESTENABLE, TRUE); Rs(d, D3DRS_ALPHAFUNC, D3DCMP_GREATER); Rs(d, D3DRS_ALPHAREF, b ? 0x40 : 0xd0);
     }},
    {"texture factor", [](auto d, auto &, bool b) {
       Ts(d, 0, D3DTSS_COLOROP, D3DTOP_SELECTARG1); Ts(d, 0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
       Rs(d, D3DRS_TEXTUREFACTOR, b ? 0xff00ff00 : 0xffff0000);
     }},
    {"stage constant", [](auto d, auto &, bool b) {
       Ts(d, 0, D3DTSS_COLOROP, D3DTOP_SELECTARG1); Ts(d, 0, D3DTSS_COLORARG1, D3DTA_CONSTANT);
       Ts(d, 0, D3DTSS_CONSTANT, b ? 0xff00ff00 : 0xffff0000);
     }},
    {"lighting", [](auto d, auto &, bool b) { Rs(d, D3DRS_LIGHTING, !b); }},
    {"ambient colour", [](auto d, auto &, bool b) {
       Rs(d, D3DRS_LIGHTING, TRUE); Rs(d, D3DRS_AMBIENTMATERIALSOURCE, kColor1Source);
       Rs(d, D3DRS_AMBIENT, b ? 0xffffffff : 0xff808080);
     }},
    {"material source", [](auto d, auto &, bool b) {
       Rs(d, D3DRS_LIGHTING, TRUE); Rs(d, D3DRS_AMBIENT, 0xffffffff);
       Rs(d, D3DRS_AMBIENTMATERIALSOURCE, b ? kColor1Source : kMaterialSource);
     }},
    {"vertex format", [](auto d, auto &k, bool b) {
       d->SetFVF(b ? kFullFvf : kPlainFvf);
       d->SetStreamSource(0, b ? k.quads : k.plain, 0, b ? sizeof(FullVertex) : sizeof(PlainVertex));
     }},
    {"stream offset", [](auto d, auto &k, bool b) {
       d->SetStreamSource(0, k.quads, b ? 0 : 4 * sizeof(FullVertex), sizeof(FullVertex));
     }},
    {"vertex declaration", [](auto d, auto &k, bool b) {
       // Without texture coordinates every pixel samples (0, 0), the red texel.
       d->SetTexture(0, k.checker);
       if (b) {
         d->SetFVF(kFullFvf);
       } else {
         d->SetVertexDeclaration(k.noTexCoords);
       }
     }},
    {"index buffer", [](auto d, auto &k, bool b) { d->SetIndices(b ? k.both : k.firstTwice); }},
    {"vertex shader", [](auto d, auto &k, bool b) {
       const float green[4] = {0, 1, 0, 1};
       d->SetVertexShaderConstantF(0, green, 1); d->SetVertexShader(b ? nullptr : k.shader);
     }},
    {"shader constants", [](auto d, auto &k, bool b) {
       const float c0[4] = {b ? 0.0f : 1.0f, b ? 1.0f : 0.0f, 0, 1};
       d->SetVertexShader(k.shader); d->SetVertexShaderConstantF(0, c0, 1);
     }},
};

class LazyStateTest : public GlDeviceTest {
 protected:
  static_assert(kWidth == kTargetWidth && kHeight == kTargetHeight);

  // Releases the fixture's device and makes a new one on the same window.
  void FreshDevice() {
    ASSERT_EQ(device_->Release(), 0u);
    device_ = nullptr;
    ASSERT_EQ(CreateWindowedDevice(d3d_, window_, kWidth, kHeight, &device_), D3D_OK);
  }

  template <class V>
  IDirect3DVertexBuffer9 *Buffer(const std::vector<V> &v) {
    IDirect3DVertexBuffer9 *b = nullptr;
    UINT bytes = static_cast<UINT>(v.size() * sizeof(V));
    EXPECT_EQ(device_->CreateVertexBuffer(bytes, 0, 0, D3DPOOL_MANAGED, &b, nullptr), D3D_OK);
    void *p = nullptr;
    EXPECT_EQ(b->Lock(0, 0, &p, 0), D3D_OK);
    std::memcpy(p, v.data(), bytes);
    b->Unlock();
    return b;
  }
  IDirect3DIndexBuffer9 *Indices(const std::vector<uint16_t> &i) {
    IDirect3DIndexBuffer9 *b = nullptr;
    UINT bytes = static_cast<UINT>(i.size() * 2);
    EXPECT_EQ(device_->CreateIndexBuffer(bytes, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &b, nullptr), D3D_OK);
    void *p = nullptr;
    EXPECT_EQ(b->Lock(0, 0, &p, 0), D3D_OK);
    std::memcpy(p, i.data(), bytes);
    b->Unlock();
    return b;
  }

  Kit MakeKit() {
    Kit k;
    // In the left set quad 1 (alpha 0x80, nearer) covers pixels 0-17 and quad 2 (alpha 0xc0)
    // pixels 10-27; quad 3 covers both. Pixels 28-31 stay clear, so that even A's wireframe
    // edges stay out of B's half.
    std::vector<FullVertex> full(2 * kSetVertices);
    Quad(&full[0], -1.0f, -0.4375f, 0.3f, 0x80ff4020);
    Quad(&full[4], -0.6875f, -0.125f, 0.4f, 0xc020c0a0);
    Quad(&full[8], -1.0f, -0.125f, 0.2f, 0xff8080ff);
    std::vector<PlainVertex> plain(full.size());
    for (int i = 0; i < kSetVertices; ++i) {
      full[kSetVertices + i] = full[i];
      full[kSetVertices + i].x += 1.0f;
      plain[i] = {full[i].x, full[i].y, full[i].z, i < 4 ? 0xff00ff00u : 0xff0000ffu};
      plain[kSetVertices + i] = plain[i];
      plain[kSetVertices + i].x += 1.0f;
    }
    k.quads = Buffer(full);
    k.plain = Buffer(plain);
    k.both = Indices({0, 1, 2, 2, 1, 3, 4, 5, 6, 6, 5, 7});
    k.firstTwice = Indices({0, 1, 2, 2, 1, 3, 0, 1, 2, 2, 1, 3});
    const DWORD texels[4] = {0xffff0000, 0xff00ff00, 0xff0000ff, 0xffffffff};
    k.checker = MakeTexture(2, 2, [&](UINT x, UINT y) { return texels[y * 2 + x]; });
    k.yellow = MakeTexture(1, 1, [](UINT, UINT) { return 0x80ffff00u; });
    const D3DVERTEXELEMENT9 decl[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                      {0, 12, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
                                      D3DDECL_END()};
    EXPECT_EQ(device_->CreateVertexDeclaration(decl, &k.noTexCoords), D3D_OK);
    const char text[] = "vs_1_1\ndcl_position v0\nmov oPos, v0\nmov oD0, c0\n";
    LPD3DXBUFFER code = nullptr;
    EXPECT_EQ(D3DXAssembleShader(text, sizeof text - 1, nullptr, nullptr, 0, &code, nullptr), S_OK);
    if (code != nullptr) {
      EXPECT_EQ(device_->CreateVertexShader(static_cast<const DWORD *>(code->GetBufferPointer()), &k.shader), D3D_OK);
      code->Release();
    }
    return k;
  }
  static void Release(Kit *k) {
    IUnknown *objects[] = {k->quads, k->plain, k->both, k->firstTwice, k->checker, k->yellow, k->noTexCoords, k->shader};
    for (IUnknown *o : objects) {
      if (o != nullptr) {
        EXPECT_EQ(o->Release(), 0u);
      }
    }
  }

  // The state every frame starts from, after its one clear.
  void Begin(const Kit &k) {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xff102030, 1.0f, 0);
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device_->SetFVF(kFullFvf);
    device_->SetStreamSource(0, k.quads, 0, sizeof(FullVertex));
    device_->SetIndices(k.both);
    device_->BeginScene();
  }
  // The row's state A (into the left half) or B (into the right), and quads 1 and 2.
  void Draw(const Row &row, const Kit &k, bool b) {
    row.set(device_, k, b);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, b ? kSetVertices : 0, 0, 8, 0, 4), D3D_OK);
  }
  void End() {
    device_->EndScene();
    Grab();
  }
  // One half of the frame last grabbed, as rows of RGBA.
  std::vector<uint8_t> Half(bool right) const {
    std::vector<uint8_t> half;
    const size_t row = kWidth * 4, offset = right ? row / 2 : 0;
    for (UINT y = 0; y < kHeight; ++y)
      half.insert(half.end(), pixels_.begin() + y * row + offset, pixels_.begin() + y * row + offset + row / 2);
    return half;
  }
};

TEST_F(LazyStateTest, EveryGroupDrawsWithItsNewValue) {
  for (const Row &row : kRows) {
    SCOPED_TRACE(row.group);
    FreshDevice();
    if (HasFatalFailure()) return;
    Kit fresh = MakeKit();
    Begin(fresh);
    Draw(row, fresh, true);
    End();
    const std::vector<uint8_t> onlyB = Half(true);
    Release(&fresh);

    FreshDevice();
    if (HasFatalFailure()) return;
    Kit used = MakeKit();
    Begin(used);
    Draw(row, used, false);
    Draw(row, used, true);
    End();
    const std::vector<uint8_t> withA = Half(false), thenB = Half(true);
    Release(&used);

    EXPECT_NE(withA, onlyB) << "state A draws the same picture as B: the row tests nothing";
    EXPECT_TRUE(thenB == onlyB) << "B after A differs from B on a fresh device";
    if (HasFailure()) return;  // one row's failure at a time
  }
}

}  // namespace
}  // namespace zel::d3d9
