// One frame of the show drawn two ways in one process: by the device (the scenes on the
// Direct3D 9 layer, on a hidden window, exactly as `zel16 --frame T` draws it) and by a raw
// OpenGL replica in a context of its own. Each call makes its side's context current, so the
// two never see each other's state.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/offline/show_rig.h"
#include "bench/scenes/bounds/raw_scenes.h"

namespace zel::scenes::raw {

class FramePair {
 public:
  FramePair() = default;
  FramePair(const FramePair &) = delete;
  FramePair &operator=(const FramePair &) = delete;
  ~FramePair();

  // False with *error when either side cannot be made.
  bool Open(int width, int height, std::unique_ptr<Replica> replica, Target target, std::string *error);
  // A whole frame at demo time t, presented, and waited for (glFinish).
  void DrawOurs(float t);
  void DrawRaw(float t);
  // The replica's frame left unpresented, to be read (a window's back buffer is undefined
  // after a swap).
  void DrawRawForReading(float t);
  // The frame each side drew last, top-down RGBA8.
  void ReadOurs(std::vector<uint8_t> *rgba);
  void ReadRaw(std::vector<uint8_t> *rgba);
  int RawDepthBits();  // of the buffer the replica draws into

 private:
  void MakeOursCurrent() const;

  zel::app::offline::ShowRig ours_;
  SDL_Window *oursWindow_ = nullptr;
  SDL_GLContext oursContext_ = nullptr;
  Frame frame_;
  std::unique_ptr<Replica> replica_;
};

// "window" or "offscreen"; false for anything else.
bool ParseTarget(const std::string &text, Target *target);

// The demo time zel16 --frame SECONDS draws: the clock after round(SECONDS * 1000) ticks.
float FrameTime(float seconds);

struct FrameDifference {
  int maxChannel = 0;    // largest difference of a red, green or blue byte
  size_t pixels = 0;     // pixels where any of the three differs
};
// Frames of different sizes differ by 256 in every pixel of the larger.
FrameDifference Compare(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b);

}  // namespace zel::scenes::raw
