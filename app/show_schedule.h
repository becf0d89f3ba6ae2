// The show's schedule and one frame of it: the play request from 6.0 s on, the Escape and
// time-limit tests, and the four scene draws between BeginFrame and EndFrame. Written over
// the device, music and scene types so that tests can put recorders in their place.
#pragma once

#include <windows.h>

#include <bit>

namespace zel::app::show {

constexpr float kMusicStart = 6.0f;                                // seconds
constexpr float kOpeningStart = 0.0f, kOpeningEnd = 6.0f;          // OpeningScene
constexpr float kFirstSkyStart = 6.0f, kFirstSkyEnd = 13.0f;       // SkyScene, first window
constexpr float kTitleStart = 13.0f;                               // TitleScene
constexpr float kTitleEnd = std::bit_cast<float>(0x419F70A4u);     // 19.93000030517578
constexpr float kShowEnd = 179.0f;                                 // last drawn time
constexpr int kMusicChannel = 0;
static_assert(kTitleEnd == 19.93f);

enum class FrameResult { Drawn, Escape, TimeUp };

// One frame at demo time t (seconds). Scenes may be null (their allocation failed).
template <class Device, class Music, class Title, class Sky, class Opening>
FrameResult ShowFrame(float t, const BYTE* keys, Device& device, Music& music, Title* title,
                      Sky* sky, Opening* opening) {
  if (!(t < kMusicStart)) music.Play(kMusicChannel);  // on every frame from then on
  if (keys[VK_ESCAPE]) return FrameResult::Escape;
  if (t > kShowEnd) return FrameResult::TimeUp;
  device.BeginFrame();
  // Always all four, in this order; each returns at once outside its closed window.
  if (opening) opening->Draw(t, kOpeningStart, kOpeningEnd);
  if (sky) sky->Draw(t, kFirstSkyStart, kFirstSkyEnd);
  if (title) title->Draw(t, kTitleStart, kTitleEnd);
  if (sky) sky->Draw(t, kTitleEnd, kShowEnd);
  device.EndFrame();
  return FrameResult::Drawn;
}

enum class LoopEnd { Quit, Escape, TimeUp };

// The main loop: every waiting window message is handled before the next frame; a frame is
// made whenever the queue is empty. `readTime` gives the frame's demo time; `frame` makes it.
template <class ReadTime, class MakeFrame>
LoopEnd RunMainLoop(MSG& msg, ReadTime readTime, MakeFrame frame) {
  for (;;) {
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return LoopEnd::Quit;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
      continue;
    }
    switch (frame(readTime())) {
      case FrameResult::Drawn: break;
      case FrameResult::Escape: return LoopEnd::Escape;
      case FrameResult::TimeUp: return LoopEnd::TimeUp;
    }
  }
}

}  // namespace zel::app::show
