// The show without the viewer: an off-screen window of the frame size, the device, the three
// scenes with every asset loaded, and frames drawn at any demo time on request. The capture
// and the show benchmark both render through it. No music plays: the soundtrack is
// decoded separately.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/exit_status.h"
#include "app/show_schedule.h"

namespace zel::render {
class RenderDevice;
}

namespace zel::scenes {
class TitleScene;
class SkyScene;
class OpeningScene;
}

namespace zel::app::capture {

// Stands in for the music player in the frame: the play requests from 6.0 s on do nothing.
struct SilentMusic {
  void Play(int) {}
};

class OfflineShow {
 public:
  OfflineShow() = default;
  OfflineShow(const OfflineShow&) = delete;
  OfflineShow& operator=(const OfflineShow&) = delete;
  ~OfflineShow();

  // Opens the off-screen window and the device (width x height pixels) and loads the scenes.
  // False with *error, and *status the process exit status for it, when that fails. A
  // missing model ends the process there, as in the live show.
  bool Open(int width, int height, std::string* error, ExitStatus* status);
  // Draws the show's frame at demo time t (seconds): Drawn, or TimeUp past the show's end.
  show::FrameResult Draw(float t);
  // The frame just drawn, top-down RGBA8.
  bool Grab(std::vector<uint8_t>* rgba);

  double LoadSeconds() const { return loadSeconds_; }  // time to construct the scenes
  render::RenderDevice& Device() { return *device_; }
  scenes::TitleScene* Title() { return title_; }
  scenes::SkyScene* Sky() { return sky_; }
  scenes::OpeningScene* Opening() { return opening_; }

 private:
  HWND window_ = nullptr;
  render::RenderDevice* device_ = nullptr;
  scenes::TitleScene* title_ = nullptr;
  scenes::SkyScene* sky_ = nullptr;
  scenes::OpeningScene* opening_ = nullptr;
  int width_ = 0, height_ = 0;
  double loadSeconds_ = 0.0;
};

}  // namespace zel::app::capture
