// SkyScene: the sky stack with its word flashes and the end card. Until its drawing lands it loads nothing and draws nothing; it already
// keeps the scene contract the main loop relies on.
#pragma once

#include <d3d9.h>

class SkyScene {
 public:
  explicit SkyScene(IDirect3DDevice9 *device);
  virtual ~SkyScene();

  SkyScene(const SkyScene &) = delete;
  SkyScene &operator=(const SkyScene &) = delete;

  // Draws the frame's share of the scene when start <= time <= end (seconds); else nothing.
  void Draw(float time, float start, float end);

 private:
  IDirect3DDevice9 *device;  // shared, not owned
};
