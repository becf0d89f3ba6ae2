// FramePair (see frame_pair.h).
#include "bench/scenes/bounds/frame_pair.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/demo_clock.h"

namespace zel::scenes::raw {

FramePair::~FramePair() {
  // Each side's objects go in their own context.
  frame_.MakeCurrent();
  replica_.reset();
  frame_.Close();
  MakeOursCurrent();
}

bool FramePair::Open(int width, int height, std::unique_ptr<Replica> replica, Target target, std::string *error) {
  app::ExitStatus status = app::ExitStatus::Success;
  if (!ours_.Open(width, height, zel::app::offline::Presenting::Yes, error, &status)) return false;
  oursWindow_ = SDL_GL_GetCurrentWindow();
  oursContext_ = SDL_GL_GetCurrentContext();
  if (!frame_.Open(width, height, target, error)) return false;
  replica_ = std::move(replica);
  if (!replica_->Load(frame_)) {
    *error = "the replica could not load its programs or files";
    return false;
  }
  return true;
}

void FramePair::MakeOursCurrent() const {
  if (oursContext_ != nullptr) SDL_GL_MakeCurrent(oursWindow_, oursContext_);
}

void FramePair::DrawOurs(float t) {
  MakeOursCurrent();
  ours_.Draw(t);
  glFinish();
}

void FramePair::DrawRaw(float t) {
  frame_.MakeCurrent();
  frame_.Begin();
  replica_->Draw(t);
  frame_.Present();
  glFinish();
}

void FramePair::DrawRawForReading(float t) {
  frame_.MakeCurrent();
  frame_.Begin();
  replica_->Draw(t);
  glFinish();
}

void FramePair::ReadOurs(std::vector<uint8_t> *rgba) {
  MakeOursCurrent();
  if (!ours_.Grab(rgba)) rgba->clear();
}

void FramePair::ReadRaw(std::vector<uint8_t> *rgba) {
  frame_.MakeCurrent();
  frame_.Read(rgba);
}

bool ParseTarget(const std::string &text, Target *target) {
  if (text == "window") *target = Target::kWindow;
  else if (text == "offscreen") *target = Target::kOffscreen;
  else return false;
  return true;
}


int FramePair::RawDepthBits() {
  frame_.MakeCurrent();
  return frame_.DepthBits();
}

float FrameTime(float seconds) {
  return app::DemoClock::AfterTicks(static_cast<uint64_t>(std::llround(static_cast<double>(seconds) * 1000.0)));
}

FrameDifference Compare(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b) {
  FrameDifference d;
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i + 3 < common; i += 4) {
    int most = 0;
    for (int c = 0; c < 3; ++c) most = std::max(most, std::abs(a[i + c] - b[i + c]));
    d.maxChannel = std::max(d.maxChannel, most);
    d.pixels += most != 0;
  }
  if (a.size() != b.size()) {
    d.maxChannel = 256;
    d.pixels += (std::max(a.size(), b.size()) - common) / 4;
  }
  return d;
}

}  // namespace zel::scenes::raw
