// RenderDevice: device creation with the demo's presentation parameters and default state,
// and the per-frame bracket. Results of state and frame calls are not examined.
#include "render/render_device.h"

#include <cstring>

namespace zel::render {

namespace {

constexpr D3DCOLOR kClearColor = 0xff000000;  // opaque black
constexpr float kClearDepth = 1.0f;

void SetDefaultState(IDirect3DDevice9 *device) {
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetRenderState(D3DRS_AMBIENT, 0);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  for (DWORD sampler = 0; sampler < 2; ++sampler) {
    device->SetSamplerState(sampler, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(sampler, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(sampler, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
  }
}

// The SDK version the show asks for (the headers of the time defined D3D_SDK_VERSION as 31).
constexpr UINT kSdkVersion = 31;

}  // namespace

HRESULT RenderDevice::Create(HWND window, int width, int height, bool fullscreen) {
  d3d = Direct3DCreate9(kSdkVersion);
  if (d3d == nullptr) return E_FAIL;

  D3DDISPLAYMODE mode;
  if (FAILED(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode))) return E_FAIL;

  D3DPRESENT_PARAMETERS pp;
  std::memset(&pp, 0, sizeof pp);
  pp.BackBufferWidth = static_cast<UINT>(width);
  pp.BackBufferHeight = static_cast<UINT>(height);
  pp.BackBufferFormat = mode.Format;
  pp.BackBufferCount = 0;
  pp.MultiSampleType = D3DMULTISAMPLE_NONE;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.hDeviceWindow = nullptr;
  pp.Windowed = fullscreen ? FALSE : TRUE;
  pp.EnableAutoDepthStencil = TRUE;
  pp.AutoDepthStencilFormat = D3DFMT_D24S8;
  pp.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;

  if (FAILED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                               &d3dDevice))) {
    d3dDevice = nullptr;
    return E_FAIL;
  }
  SetDefaultState(d3dDevice);
  return S_OK;
}

bool RenderDevice::BeginFrame() {
  d3dDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClearColor, kClearDepth, 0);
  d3dDevice->BeginScene();
  return true;
}

void RenderDevice::EndFrame() {
  d3dDevice->EndScene();
  d3dDevice->Present(nullptr, nullptr, nullptr, nullptr);
}

void RenderDevice::ReleaseDevice() {
  if (d3dDevice != nullptr) d3dDevice->Release();
  if (d3d != nullptr) d3d->Release();
}

}  // namespace zel::render
