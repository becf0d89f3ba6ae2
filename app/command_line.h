// The program's options. With no arguments the demo is exactly the designed one; options add
// tools around the same show (skip the dialog, start later, batch messages, other data
// directory, fixed clock steps). Options live in one table in command_line.cpp: to add one,
// add a field here and a row there.
#pragma once

#include <string>

namespace zel::app {

struct CommandLine {
  bool help = false;
  bool version = false;

  // --no-setup with --window WxH or --fullscreen WxH: the DisplaySettings without the dialog.
  bool noSetup = false;
  bool sizeGiven = false;
  bool fullscreen = true;
  int width = 0;   // pixels
  int height = 0;  // pixels

  bool batch = false;        // message boxes print "caption: text" to stderr and never block
  float startSeconds = 0.0f; // demo time at which the clock starts
  bool startGiven = false;
  std::string dataDir;       // working directory in which Data/ is looked up; empty: default
  int fixedStep = 0;         // one-millisecond ticks per frame; 0: the real-time timer

  // --frame T --out FILE [--size WxH]: one frame at demo time T written as PNG, no show.
  bool frameGiven = false;
  float frameSeconds = 0.0f;
  std::string framePath;
  bool frameSizeGiven = false;
  int frameWidth = 800;      // pixels
  int frameHeight = 600;     // pixels

  // --capture OUT: render the show offline into OUT (a directory, or a .mp4/.mkv/.webm file).
  std::string captureOut;
  // Frames per second of demo time, captureFpsNum / captureFpsDen in lowest terms; required
  // with --capture (0: not given).
  unsigned captureFpsNum = 0;
  unsigned captureFpsDen = 1;
  // (--size WxH sets the frame size above for a capture too)
  // Kept in double: a float's rounding (2e-7 s at 6.2 s) would move a frame lying exactly
  // on --from or --to out of the range.
  double captureFrom = 0.0;         // demo time of the first frame, seconds
  double captureTo = 179.0;         // demo time after which no frame is taken, seconds
  bool captureRangeGiven = false;
  // zlib level of a capture's PNG frames, 0 (stored) to 9 (smallest); -1: the capture's
  // fast default.
  int capturePngLevel = -1;
  // Viewing: none of these changes what the show draws or plays.
  bool noVsync = false;          // present frames at once, not at the display's refresh
  bool mute = false;             // open no audio device; the show runs silent
  std::string audioDevice;       // SDL's name of the output device; empty: the default
  bool listAudioDevices = false; // print SDL's output device names and exit 0
  bool borderless = false;       // full screen as a desktop-size window, no mode change
  int display = 0;               // monitor for every window mode (SDL's index)
  bool loop = false;             // start the show again at its end until Escape
};

enum class ParseOutcome {
  Run,    // options understood: go on
  Exit,   // --help or --version printed what was asked: exit 0
  Error,  // usage printed to stderr: exit 2
};

// Parses argv[1..argc-1] into `options`. Help, version and usage text go to `out` and `err`.
ParseOutcome ParseCommandLine(int argc, const char* const* argv, CommandLine& options,
                              std::string& out, std::string& err);

// The usage text printed by --help and after a bad option.
std::string UsageText(const char* program);

// Parses "WxH" with both sides decimal integers from 1 to 8192 (pixels): a larger frame
// costs gigabytes and minutes for a picture no display shows.
bool ParseSize(const std::string& text, int& width, int& height);

}  // namespace zel::app
