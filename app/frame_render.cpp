// RenderFrameToPng: the scenes are built and drawn exactly as in the show's main loop, on an
// off-screen window; the back buffer is read back after the frame and written as PNG.
#include "app/frame_render.h"

#include <zel_win32_ext.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <new>
#include <string>

#include "app/demo_clock.h"
#include "app/screenshot.h"
#include "app/show_schedule.h"
#include "render/render_device.h"
#include "scenes/opening_scene.h"
#include "scenes/sky_scene.h"
#include "scenes/title_scene.h"

namespace {

constexpr int kExitFrameFailed = 6;
constexpr double kTicksPerSecond = 1000.0;

// The show asks the music to play on every frame from 6 s on; an offline frame is silent.
struct SilentMusic {
  void Play(int) {}
};

}  // namespace

int RenderFrameToPng(float seconds, const std::string &path, int width, int height) {
  const auto ticks = static_cast<uint64_t>(std::llround(static_cast<double>(seconds) * kTicksPerSecond));
  const float t = DemoClock::AfterTicks(ticks);

  HWND window = zel::win32::CreateOffscreenWindow(width, height);
  if (window == nullptr) {
    std::fprintf(stderr, "zel16: --frame needs a display (for example under xvfb-run)\n");
    return kExitFrameFailed;
  }
  RenderDevice device;
  if (FAILED(device.Create(window, width, height, false))) {
    std::fprintf(stderr, "zel16: could not create the Direct3D device (OpenGL 3.3 is needed)\n");
    device.ReleaseDevice();
    DestroyWindow(window);
    return kExitFrameFailed;
  }
  IDirect3DDevice9 *d3dDevice = device.GetDevice();
  // Built in the show's order; a scene whose allocation fails is left out, as in the show.
  auto *title = new (std::nothrow) TitleScene(d3dDevice);
  auto *sky = new (std::nothrow) SkyScene(d3dDevice);
  auto *opening = new (std::nothrow) OpeningScene(d3dDevice);

  const BYTE keys[256] = {};
  SilentMusic music;
  show::ShowFrame(t, keys, device, music, title, sky, opening);

  std::string error;
  int status = 0;
  if (!SaveFrameAsPng(d3dDevice, path, &error)) {
    std::fprintf(stderr, "zel16: %s\n", error.c_str());
    status = kExitFrameFailed;
  }

  delete title;
  delete sky;
  delete opening;
  device.ReleaseDevice();
  DestroyWindow(window);
  return status;
}
