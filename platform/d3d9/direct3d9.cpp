// Direct3DCreate9 and IDirect3D9: the adapter is the desktop SDL reports; devices are
// OpenGL devices on the SDL window behind the focus window handle (found through zel_wsi,
// where the window layer puts its windows). The layer's switches live here too.
#include <SDL.h>
#include <zel_d3d9_ext.h>

#include <cstdio>

#include "platform/d3d9/com_object.h"
#include "platform/d3d9/gl_device.h"
#include "platform/wsi/wsi.h"

namespace zel::d3d9 {
namespace {

bool g_vsyncDisabled = false;

class Direct3D9 final : public ComObject<IDirect3D9> {
 public:
  Direct3D9() : videoUp_(zel::wsi::StartVideo()) {}
  ~Direct3D9() override {
    if (videoUp_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  UINT WINAPI GetAdapterCount() override { return videoUp_ ? 1 : 0; }

  HRESULT WINAPI GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE *pMode) override {
    if (pMode == nullptr || Adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
    SDL_DisplayMode mode;
    if (!videoUp_ || SDL_GetDesktopDisplayMode(0, &mode) != 0) return D3DERR_NOTAVAILABLE;
    // The desktop is always reported as 32-bit without alpha, like a Windows desktop.
    *pMode = D3DDISPLAYMODE{static_cast<UINT>(mode.w), static_cast<UINT>(mode.h),
                            static_cast<UINT>(mode.refresh_rate), D3DFMT_X8R8G8B8};
    return D3D_OK;
  }

  HRESULT WINAPI GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS9 *pCaps) override {
    if (pCaps == nullptr || Adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
    *pCaps = D3DCAPS9{DeviceType, Adapter, 8192, 8192, 8, D3DVS_VERSION(1, 1), 256};
    return D3D_OK;
  }

  HRESULT WINAPI CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                              D3DPRESENT_PARAMETERS *pp, IDirect3DDevice9 **ppDevice) override {
    if (ppDevice == nullptr) return D3DERR_INVALIDCALL;
    *ppDevice = nullptr;
    if (pp == nullptr || Adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
    if (DeviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    constexpr DWORD kProcessing = D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                  D3DCREATE_MIXED_VERTEXPROCESSING;
    DWORD processing = BehaviorFlags & kProcessing;
    if (processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING && processing != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
        processing != D3DCREATE_MIXED_VERTEXPROCESSING)
      return D3DERR_INVALIDCALL;  // exactly one vertex processing mode
    if (pp->BackBufferFormat != D3DFMT_X8R8G8B8 && pp->BackBufferFormat != D3DFMT_A8R8G8B8 &&
        !(pp->Windowed && pp->BackBufferFormat == D3DFMT_UNKNOWN))
      return D3DERR_NOTAVAILABLE;
    if (pp->EnableAutoDepthStencil && pp->AutoDepthStencilFormat != D3DFMT_D24S8 &&
        pp->AutoDepthStencilFormat != D3DFMT_D24X8 && pp->AutoDepthStencilFormat != D3DFMT_D16)
      return D3DERR_NOTAVAILABLE;
    if (!pp->Windowed && (pp->BackBufferWidth == 0 || pp->BackBufferHeight == 0)) return D3DERR_INVALIDCALL;
    HWND hwnd = pp->hDeviceWindow != nullptr ? pp->hDeviceWindow : hFocusWindow;
    SDL_Window *window = zel::wsi::SdlWindowOf(hwnd);
    if (window == nullptr) return D3DERR_INVALIDCALL;
    GlDevice *device = nullptr;
    HRESULT hr = GlDevice::Create(this, window, *pp, &device);
    if (FAILED(hr)) return hr;
    *ppDevice = device;
    return D3D_OK;
  }

 private:
  bool videoUp_;
};

}  // namespace

void SetVsyncDisabled(bool disabled) { g_vsyncDisabled = disabled; }
bool VsyncDisabled() { return g_vsyncDisabled; }

}  // namespace zel::d3d9

IDirect3D9 *WINAPI Direct3DCreate9(UINT SDKVersion) {
  // Both SDK versions of Direct3D 9 (31 and 32) are accepted, with or without the debug bit.
  UINT version = SDKVersion & 0x7fffffffu;
  if (version != D3D_SDK_VERSION && version != D3D9b_SDK_VERSION) return nullptr;
  return new zel::d3d9::Direct3D9();
}
