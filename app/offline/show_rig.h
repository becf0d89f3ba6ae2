// The show without the viewer: an off-screen window of the frame size, the device, the three
// scenes with every asset loaded, and the show's frame at any demo time drawn on request.
// Capture, --frame, the frame tests and the benchmarks all draw through it. Nothing plays:
// SilentMusic holds the music player's place, and a capture decodes the soundtrack itself.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/exit_status.h"
#include "app/show_schedule.h"
#include "scenes/opening_scene.h"
#include "scenes/sky_scene.h"
#include "scenes/title_scene.h"

namespace zel::render {
class RenderDevice;
}

namespace zel::app::offline {

// The music player's stand-in in an offline frame: the play requests from 6.0 s on do nothing.
struct SilentMusic {
  void Play(int) {}
};

// Whether a frame ends with Present. Offline frames are read from the back buffer, so the
// copy onto the hidden window is work nobody sees; the pixels read are the same either way.
// A benchmark that compares with programs showing their picture presents.
enum class Presenting { No, Yes };

class ShowRig {
 public:
  ShowRig() = default;
  ShowRig(const ShowRig&) = delete;
  ShowRig& operator=(const ShowRig&) = delete;
  ~ShowRig();  // the scenes, the device and the window, in the show's teardown order

  // Opens the off-screen window and the device (width x height pixels) and loads the scenes
  // in the show's order. False with *error, and *status the exit status for it, when that
  // fails; a missing model ends the process there, as in the live show.
  bool Open(int width, int height, Presenting presenting, std::string* error, ExitStatus* status);

  // Draws the show's frame at demo time t (seconds) as the main loop does, with no key down:
  // Drawn, or TimeUp past the show's end.
  show::FrameResult Draw(float t);
  // The same frame through another frame bracket (BeginFrame, EndFrame): a timed device.
  template <class Bracket>
  show::FrameResult DrawThrough(Bracket& bracket, float t) {
    const BYTE noKeys[256] = {};
    SilentMusic music;
    return show::ShowFrame(t, noKeys, bracket, music, title_, sky_, opening_);
  }
  // The frame drawn last, top-down RGBA8 rows; waits for it. False when it cannot be read.
  bool Grab(std::vector<uint8_t>* rgba);

  IDirect3DDevice9* Device() const;
  render::RenderDevice& Renderer() { return *device_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  double LoadSeconds() const { return loadSeconds_; }  // time the scenes took to load

  // The rig's own bracket: the device's clear and BeginScene; EndScene, then Present only
  // when presenting.
  struct Bracket {
    render::RenderDevice& device;
    Presenting presenting;
    bool BeginFrame();
    void EndFrame();
  };

 private:
  HWND window_ = nullptr;
  render::RenderDevice* device_ = nullptr;
  scenes::TitleScene* title_ = nullptr;
  scenes::SkyScene* sky_ = nullptr;
  scenes::OpeningScene* opening_ = nullptr;
  Presenting presenting_ = Presenting::No;
  int width_ = 0, height_ = 0;
  double loadSeconds_ = 0.0;
};

}  // namespace zel::app::offline
