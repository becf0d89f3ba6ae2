#include "app/screenshot.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "app/output_file.h"
#include "platform/d3d9/frame_grab.h"

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

bool TakeScreenshot(IDirect3DDevice9* device, float seconds) {
  std::vector<uint8_t> rgba;
  UINT width = 0, height = 0;
  std::string error = "could not read the frame back";
  std::string path = ScreenshotName(seconds);
  if (!Folder().empty()) path = Folder() + "/" + path;
  // Written under a temporary name first: an earlier screenshot of the same moment stays
  // whole until the new one is.
  output::PendingFile file(path);
  if (device == nullptr || !zel::d3d9::GrabBackBuffer(device, &rgba, &width, &height) || !file.Create(&error) ||
      !zel::d3d9::WritePng(file.TempPath(), rgba, width, height, &error) ||
      file.Place(true, &error) != output::Placement::Placed) {
    std::fprintf(stderr, "zel16: screenshot failed: %s\n", file.InUserTerms(error).c_str());
    return false;
  }
  std::fprintf(stderr, "zel16: screenshot %s\n", path.c_str());
  return true;
}
