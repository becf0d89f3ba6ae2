#include "app/offline/screenshot.h"

#include <d3d9.h>

#include <cmath>
#include <cstdio>

#include "app/output_file.h"
#include "gfxutil/surface.h"

namespace zel::app::offline {

namespace {
std::string& Folder() {
  static std::string folder;
  return folder;
}
}  // namespace

void SetScreenshotFolder(const std::string& folder) { Folder() = folder; }

std::string ScreenshotName(float seconds) {
  // Integer milliseconds: no decimal point from the locale, and names sort by time.
  double ms = std::isfinite(seconds) && seconds > 0.0f ? std::llround(double(seconds) * 1000.0) : 0.0;
  long long whole = static_cast<long long>(ms);
  char name[64];
  std::snprintf(name, sizeof name, "zel16-%03lld.%03llds.png", whole / 1000, whole % 1000);
  return name;
}

bool SaveFrameAsPng(IDirect3DDevice9* device, const std::string& path, std::string* error) {
  IDirect3DSurface9* back = nullptr;
  if (device == nullptr || FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) {
    *error = "could not read the frame back";
    return false;
  }
  // The back buffer cannot be locked: the save reads it through a system-memory copy, which
  // waits for the frame. E_FAIL is the file; anything else, the read.
  const HRESULT hr = D3DXSaveSurfaceToFileA(path.c_str(), D3DXIFF_PNG, back, nullptr, nullptr);
  back->Release();
  if (hr == E_FAIL) *error = "cannot write " + path;
  else if (FAILED(hr)) *error = "could not read the frame back";
  return SUCCEEDED(hr);
}

bool TakeScreenshot(IDirect3DDevice9* device, float seconds) {
  std::string error;
  std::string path = ScreenshotName(seconds);
  if (!Folder().empty()) path = Folder() + "/" + path;
  // Written under a temporary name first: an earlier screenshot of the same moment stays
  // whole until the new one is.
  output::PendingFile file(path);
  if (!file.Create(&error) || !SaveFrameAsPng(device, file.TempPath(), &error) ||
      file.Place(true, &error) != output::Placement::Placed) {
    std::fprintf(stderr, "zel16: screenshot failed: %s\n", file.InUserTerms(error).c_str());
    return false;
  }
  std::fprintf(stderr, "zel16: screenshot %s\n", path.c_str());
  return true;
}

}  // namespace zel::app::offline
