// DemoApp: the whole program. Run shows the setup dialog, opens the window (switching to
// full-screen when asked), creates the device and the music, constructs the three scenes
// (which load every asset), starts the clock and runs the main loop until Escape, a closed
// window or the end of the show, then tears everything down. All state is class-wide.
#pragma once

#include <windows.h>

namespace zel::audio {
class MusicPlayer;
}

namespace zel::render {
class RenderDevice;
}

namespace zel::app {

class DemoClock;

// What the command line sets beyond the design (defaults: the designed program).
struct ShowOptions {
  bool skipSetup = false;  // use width/height/fullscreen below instead of the dialog
  int width = 0, height = 0;
  bool fullscreen = true;
  bool startGiven = false;
  float startSeconds = 0.0f;  // demo time at which the clock starts
  int fixedStep = 0;          // ticks per frame instead of the timer; 0: the timer
  bool loop = false;          // at the end of the show, start it again from demo time 0
};

class DemoApp {
 public:
  // Exit status of the process: 0 for every ending the viewer chose or the show reached,
  // non-zero when the run could not start (no window, no device, no dialog).
  int Run(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

  // The demo window (title, size in pixels, bits per pixel of a full-screen mode, mode).
  // 1 when the window exists and is shown, 0 on failure.
  static int CreateMainWindow(const char* title, int width, int height, int bitsPerPixel,
                              bool fullscreenMode);
  LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

  // Class-wide state, one set per process.
  static float currentTime;  // demo time of the current frame, seconds
  static int width;          // DisplaySettings: pixels
  static int height;
  static BYTE fullscreen;    // DisplaySettings: 1 full-screen, 0 window
  static HWND window;
  static HINSTANCE instance;
  static BYTE keys[256];     // 1 while the key with that virtual-key code is down
  static render::RenderDevice* device;
  static audio::MusicPlayer* music;
  static DemoClock* clock;

  static ShowOptions options;

 private:
  static LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// The process-wide application object, created before the entry point runs.
extern DemoApp* theApp;

// The loader's handler for a model file that is missing or holds no model, in every run
// that loads the show: its box ("No 3ds File Found") has been shown, and the run ends there
// with ExitStatus::NoModel rather than drawing half a show.
void EndRunOnMissingModel(const char* fileName);

}  // namespace zel::app
