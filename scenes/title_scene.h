// TitleScene: the title model scene (13.0 to 19.93 s). Until its drawing lands it loads nothing and draws nothing; it already
// keeps the scene contract the main loop relies on.
#pragma once

#include <d3d9.h>

class TitleScene {
 public:
  explicit TitleScene(IDirect3DDevice9 *device);
  virtual ~TitleScene();

  TitleScene(const TitleScene &) = delete;
  TitleScene &operator=(const TitleScene &) = delete;

  // Draws the frame's share of the scene when start <= time <= end (seconds); else nothing.
  void Draw(float time, float start, float end);

 private:
  IDirect3DDevice9 *device;  // shared, not owned
};
