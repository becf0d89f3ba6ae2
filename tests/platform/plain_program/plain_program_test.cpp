// A plain Windows program, written against <windows.h> and <d3d9.h> alone: it registers a
// window class, opens a window, creates a Direct3D 9 device on it, draws a textured quad
// blended half over the cleared background, presents, and reads the frame back through a
// system-memory surface to check the pixels. It makes no call of its own platform's, and it
// is built with no include folder but the platform's public ones: the platform must stand
// alone. Exit status 0 when every pixel is as Direct3D 9 draws it, 1 otherwise.
#include <d3d9.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr UINT kSize = 64;                  // back buffer, pixels a side
constexpr float kQuadLeft = 16.0f, kQuadRight = 48.0f;  // pixels; the same rows top to bottom
constexpr D3DCOLOR kBackground = 0xff204060;
constexpr DWORD kHalfAlpha = 0x80;
// The texture's four texels, alpha half: red, green / blue, white.
constexpr D3DCOLOR kTexels[2][2] = {{0x80ff0000, 0x8000ff00}, {0x800000ff, 0x80ffffff}};

struct Vertex {
  float x, y, z, rhw;
  D3DCOLOR diffuse;
  float u, v;
};
constexpr DWORD kVertexFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

int failures = 0;

void Check(bool ok, const char *what) {
  if (ok) return;
  std::fprintf(stderr, "plain program: %s\n", what);
  ++failures;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND OpenWindow(HINSTANCE instance) {
  WNDCLASSA windowClass{};
  windowClass.style = CS_OWNDC;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "PlainProgram";
  RegisterClassA(&windowClass);
  RECT rect{0, 0, static_cast<LONG>(kSize), static_cast<LONG>(kSize)};
  AdjustWindowRectEx(&rect, WS_OVERLAPPEDWINDOW, FALSE, 0);
  HWND window = CreateWindowExA(0, "PlainProgram", "Plain program", WS_OVERLAPPEDWINDOW, 0, 0,
                                rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, instance, nullptr);
  if (window != nullptr) ShowWindow(window, SW_SHOW);
  return window;
}

IDirect3DTexture9 *MakeTexture(IDirect3DDevice9 *device) {
  IDirect3DTexture9 *texture = nullptr;
  if (FAILED(device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr))) return nullptr;
  D3DLOCKED_RECT locked;
  if (SUCCEEDED(texture->LockRect(0, &locked, nullptr, 0))) {
    for (int y = 0; y < 2; ++y) {
      DWORD *row = reinterpret_cast<DWORD *>(static_cast<BYTE *>(locked.pBits) + y * locked.Pitch);
      for (int x = 0; x < 2; ++x) row[x] = kTexels[y][x];
    }
    texture->UnlockRect(0);
  }
  return texture;
}

void DrawFrame(IDirect3DDevice9 *device, IDirect3DTexture9 *texture) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
  device->BeginScene();
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
  device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
  device->SetTexture(0, texture);  // stage 0 keeps its defaults: texture times diffuse, texture alpha
  device->SetFVF(kVertexFormat);
  const Vertex quad[4] = {{kQuadLeft, kQuadLeft, 0.5f, 1.0f, 0xffffffff, 0.0f, 0.0f},
                          {kQuadRight, kQuadLeft, 0.5f, 1.0f, 0xffffffff, 1.0f, 0.0f},
                          {kQuadLeft, kQuadRight, 0.5f, 1.0f, 0xffffffff, 0.0f, 1.0f},
                          {kQuadRight, kQuadRight, 0.5f, 1.0f, 0xffffffff, 1.0f, 1.0f}};
  Check(SUCCEEDED(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex))), "DrawPrimitiveUP failed");
  device->SetTexture(0, nullptr);
  device->EndScene();
  Check(SUCCEEDED(device->Present(nullptr, nullptr, nullptr, nullptr)), "Present failed");
}

// One channel of `over` blended with the given alpha onto `under`, rounded.
int Blend(DWORD over, DWORD under, int shift, DWORD alpha) {
  const int a = static_cast<int>(alpha), s = static_cast<int>((over >> shift) & 0xff);
  const int d = static_cast<int>((under >> shift) & 0xff);
  return (s * a + d * (255 - a) + 127) / 255;
}

void CheckPixel(const BYTE *pixel, D3DCOLOR expected, const char *where) {
  // X8R8G8B8 in memory: blue, green, red, unused.
  const int got[3] = {pixel[2], pixel[1], pixel[0]};
  for (int c = 0; c < 3; ++c) {
    const int want = static_cast<int>((expected >> (16 - 8 * c)) & 0xff);
    if (std::abs(got[c] - want) > 1) {
      std::fprintf(stderr, "plain program: %s is %02x%02x%02x, not %06lx\n", where, got[0], got[1], got[2],
                   static_cast<unsigned long>(expected & 0xffffff));
      ++failures;
      return;
    }
  }
}

D3DCOLOR Blended(D3DCOLOR texel) {
  return static_cast<D3DCOLOR>(Blend(texel, kBackground, 16, kHalfAlpha) << 16 |
                               Blend(texel, kBackground, 8, kHalfAlpha) << 8 | Blend(texel, kBackground, 0, kHalfAlpha));
}

// The back buffer copied into a system-memory surface and locked there.
void CheckFrame(IDirect3DDevice9 *device) {
  IDirect3DSurface9 *back = nullptr, *copy = nullptr;
  D3DSURFACE_DESC desc{};
  Check(SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back)), "GetBackBuffer failed");
  if (back == nullptr) return;
  back->GetDesc(&desc);
  Check(desc.Width == kSize && desc.Height == kSize, "the back buffer has another size");
  Check(SUCCEEDED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM,
                                                      &copy, nullptr)),
        "CreateOffscreenPlainSurface failed");
  D3DLOCKED_RECT locked{};
  if (copy != nullptr && SUCCEEDED(device->GetRenderTargetData(back, copy)) &&
      SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
    auto at = [&](int x, int y) { return static_cast<const BYTE *>(locked.pBits) + y * locked.Pitch + x * 4; };
    CheckPixel(at(4, 4), kBackground, "the background at (4, 4)");
    CheckPixel(at(56, 56), kBackground, "the background at (56, 56)");
    CheckPixel(at(24, 24), Blended(kTexels[0][0]), "the red texel at (24, 24)");
    CheckPixel(at(40, 24), Blended(kTexels[0][1]), "the green texel at (40, 24)");
    CheckPixel(at(24, 40), Blended(kTexels[1][0]), "the blue texel at (24, 40)");
    CheckPixel(at(40, 40), Blended(kTexels[1][1]), "the white texel at (40, 40)");
    copy->UnlockRect();
  } else {
    Check(false, "the frame could not be read back");
  }
  if (copy != nullptr) copy->Release();
  back->Release();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  HWND window = OpenWindow(instance);
  Check(window != nullptr, "no window (is there a display?)");
  IDirect3D9 *d3d = window != nullptr ? Direct3DCreate9(D3D_SDK_VERSION) : nullptr;
  Check(window == nullptr || d3d != nullptr, "Direct3DCreate9 failed");
  IDirect3DDevice9 *device = nullptr;
  if (d3d != nullptr) {
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = kSize;
    pp.BackBufferHeight = kSize;
    pp.BackBufferFormat = D3DFMT_UNKNOWN;  // the desktop's
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D24S8;
    Check(SUCCEEDED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                      D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device)),
          "CreateDevice failed");
  }
  if (device != nullptr) {
    IDirect3DTexture9 *texture = MakeTexture(device);
    Check(texture != nullptr, "CreateTexture failed");
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    DrawFrame(device, texture);
    CheckFrame(device);
    if (texture != nullptr) texture->Release();
    device->Release();
  }
  if (d3d != nullptr) d3d->Release();
  if (window != nullptr) DestroyWindow(window);
  if (failures == 0) std::printf("plain program: the frame is as drawn\n");
  return failures == 0 ? 0 : 1;
}
