// RenderFrameToPng: the show's frame drawn on the off-screen rig exactly as in the show's main
// loop; the back buffer is read back after the frame and written as PNG.
#include "app/offline/frame_render.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "app/offline/capture_timing.h"
#include "app/demo_clock.h"
#include "app/exit_status.h"
#include "app/output_file.h"
#include "app/offline/screenshot.h"
#include "app/offline/show_rig.h"
#include "app/show_schedule.h"

namespace zel::app::offline {

namespace {

constexpr double kTicksPerSecond = 1000.0;

int Fail(ExitStatus status, const std::string& message) {
  std::fprintf(stderr, "zel16: %s\n", message.c_str());
  return StatusCode(status);
}

// The frame's tick, when the live show draws one there: the clock passes 179.0 s on tick
// 178,701, and the show ends before drawing it.
bool ShowTick(float seconds, uint64_t* tick) {
  static const uint64_t lastTick = FirstTickPast(show::kShowEnd) - 1;
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
                  static_cast<double>(seconds), (FirstTickPast(show::kShowEnd) - 1) / kTicksPerSecond);
    return Fail(ExitStatus::Usage, text);
  }
  std::string destination, error;
  if (!output::ResolveDestination(path, &destination, &error)) return Fail(ExitStatus::OutputFailed, error);
  output::PendingFile file(destination);
  if (const std::string why = file.Check(); !why.empty()) return Fail(ExitStatus::OutputFailed, why);
  const float t = DemoClock::AfterTicks(ticks);

  // Presented as the live show presents it: what --frame writes is the frame the viewer saw.
  ShowRig rig;
  ExitStatus status = ExitStatus::Success;
  if (!rig.Open(width, height, Presenting::Yes, &error, &status)) return Fail(status, "--frame: " + error);
  rig.Draw(t);
  return WriteFrame(rig.Device(), file);
}

}  // namespace zel::app::offline
