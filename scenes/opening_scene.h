// OpeningScene: the opening card (0 to 6 s). Until its drawing lands it loads nothing and draws nothing; it already
// keeps the scene contract the main loop relies on.
#pragma once

#include <d3d9.h>

class OpeningScene {
 public:
  explicit OpeningScene(IDirect3DDevice9 *device);
  virtual ~OpeningScene();

  OpeningScene(const OpeningScene &) = delete;
  OpeningScene &operator=(const OpeningScene &) = delete;

  // Draws the frame's share of the scene when start <= time <= end (seconds); else nothing.
  void Draw(float time, float start, float end);

 private:
  IDirect3DDevice9 *device;  // shared, not owned
};
