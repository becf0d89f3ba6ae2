// Raw OpenGL replicas of three frames of the show: the least GL that draws the same pixels
// as the device does for the opening card, the title scene and the sky stack with the end
// card. Each loads its own programs, textures and meshes from Data/ (relative to the working
// directory) into the current context of its Frame, and draws the frame for a demo time:
// everything that moves is computed from t as the scenes compute it, state that never
// changes is set once at load, and what does change is set per draw.
#pragma once

#include <memory>

#include "bench/scenes/bounds/raw_gl.h"

namespace zel::scenes::raw {

class Replica {
 public:
  virtual ~Replica() = default;
  // False when a program or file is missing (said on stderr).
  virtual bool Load(const Frame &frame) = 0;
  // Draws into the bound, cleared frame; t must lie in the window the replica covers.
  virtual void Draw(float t) = 0;
};

// The opening card without its closing overlay: demo time 0 to 5 s.
std::unique_ptr<Replica> MakeOpeningReplica();
// The whole title window, 13.0 to 19.93 s, flash and closing overlay included.
std::unique_ptr<Replica> MakeTitleReplica();
// The sky stack's second window with the end card, past its opening flash and before its
// closing overlay: 20.13 to 178.75 s.
std::unique_ptr<Replica> MakeSkyReplica();

}  // namespace zel::scenes::raw
