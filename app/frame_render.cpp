// RenderFrameToPng: the scenes are built and drawn exactly as in the show's main loop, on an
// off-screen window; the back buffer is read back after the frame and written as PNG.
#include "app/frame_render.h"

#include <zel_win32_ext.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <new>
#include <string>

#include "app/capture_timing.h"
#include "app/demo_app.h"
#include "app/demo_clock.h"
#include "app/exit_status.h"
#include "app/output_file.h"
#include "app/screenshot.h"
#include "app/show_schedule.h"
#include "model3ds/loader3ds.h"
#include "render/render_device.h"
#include "scenes/opening_scene.h"
#include "scenes/sky_scene.h"
#include "scenes/title_scene.h"

namespace zel::app {

namespace {

constexpr double kTicksPerSecond = 1000.0;

// The show asks the music to play on every frame from 6 s on; an offline frame is silent.
struct SilentMusic {
  void Play(int) {}
};

int Fail(ExitStatus status, const std::string& message) {
  std::fprintf(stderr, "zel16: %s\n", message.c_str());
  return StatusCode(status);
}

// The frame's tick, when the live show draws one there: the clock passes 179.0 s on tick
// 178,701, and the show ends before drawing it.
bool ShowTick(float seconds, uint64_t* tick) {
  static const uint64_t lastTick = capture::FirstTickPast(show::kShowEnd) - 1;
  *tick = static_cast<uint64_t>(std::llround(static_cast<double>(seconds) * kTicksPerSecond));
  return *tick <= lastTick;
}

// Grabs the frame just drawn and writes it under a temporary name that replaces `file`'s
// destination once complete.
int WriteFrame(IDirect3DDevice9* device, output::PendingFile& file) {
  std::string error;
  if (!file.Create(&error) || !SaveFrameAsPng(device, file.TempPath(), &error) ||
      file.Place(true, &error) != output::Placement::Placed)
    return Fail(ExitStatus::OutputFailed, file.InUserTerms(error));
  return StatusCode(ExitStatus::Success);
}

}  // namespace

int RenderFrameToPng(float seconds, const std::string &path, int width, int height) {
  uint64_t ticks = 0;
  if (!ShowTick(seconds, &ticks)) {
    char text[128];
    std::snprintf(text, sizeof text, "no frame of the show lies at --frame %g: its last frame is at %.3f s",
                  static_cast<double>(seconds), (capture::FirstTickPast(show::kShowEnd) - 1) / kTicksPerSecond);
    return Fail(ExitStatus::Usage, text);
  }
  std::string destination, error;
  if (!output::ResolveDestination(path, &destination, &error)) return Fail(ExitStatus::OutputFailed, error);
  output::PendingFile file(destination);
  if (const std::string why = file.Check(); !why.empty()) return Fail(ExitStatus::OutputFailed, why);
  const float t = DemoClock::AfterTicks(ticks);

  HWND window = zel::win32::CreateOffscreenWindow(width, height);
  if (window == nullptr) return Fail(ExitStatus::NoWindow, "--frame needs a display (for example under xvfb-run)");
  render::RenderDevice device;
  if (FAILED(device.Create(window, width, height, false))) {
    device.ReleaseDevice();
    DestroyWindow(window);
    return Fail(ExitStatus::NoDevice, "could not create the Direct3D device (OpenGL 3.3 is needed)");
  }
  IDirect3DDevice9 *d3dDevice = device.GetDevice();
  // Built in the show's order; a scene whose allocation fails is left out, as in the show.
  model3ds::SetModelFileMissingHandler(EndRunOnMissingModel);
  auto *title = new (std::nothrow) scenes::TitleScene(d3dDevice);
  auto *sky = new (std::nothrow) scenes::SkyScene(d3dDevice);
  auto *opening = new (std::nothrow) scenes::OpeningScene(d3dDevice);

  const BYTE keys[256] = {};
  SilentMusic music;
  show::ShowFrame(t, keys, device, music, title, sky, opening);
  const int status = WriteFrame(d3dDevice, file);

  delete title;
  delete sky;
  delete opening;
  device.ReleaseDevice();
  DestroyWindow(window);
  return status;
}

}  // namespace zel::app
