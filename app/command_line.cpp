// Option parsing for zel16: a table of options, each with its value parser. Values are
// checked strictly (whole argument consumed, sane range) so that a typo never runs the show
// with a silently different setting.
#include "app/command_line.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <algorithm>
#include <functional>
#include <vector>

#include "app/offline/capture_sink.h"
#include "app/offline/capture_timing.h"
#include "gfxutil/image_png.h"

namespace zel::app {

namespace {

constexpr const char* kVersion = "Zel 16 for Linux 1.0.0";
constexpr int kMaxSide = 8192;           // pixels; a frame of 8192x8192 already takes 1.7 GB
                                         // and over a minute to draw on a software renderer
constexpr float kMaxStartSeconds = 1.0e6f;
constexpr int kMaxFixedStep = 1000000;   // ticks per frame

// Why the value just applied was refused, when its parser says more than "bad value".
std::string& ValueReason() {
  static std::string reason;
  return reason;
}

struct Option {
  const char* name;
  const char* valueName;  // nullptr: a flag without a value
  const char* help;
  // Applies the value (or the flag); false when the value is bad.
  std::function<bool(CommandLine&, const std::string&)> apply;
};

bool ParseInt(const std::string& text, long long& value) {
  if (text.empty() || text.size() > 12) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  value = std::strtoll(text.c_str(), nullptr, 10);
  return true;
}

bool ParseSeconds(const std::string& text, double& seconds) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  double value = std::strtod(text.c_str(), &end);
  if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(value)) return false;
  if (value < 0.0 || value > kMaxStartSeconds) return false;
  seconds = value;
  return true;
}

bool ParseSeconds(const std::string& text, float& seconds) {
  double value = 0.0;
  if (!ParseSeconds(text, value)) return false;
  seconds = static_cast<float>(value);
  return true;
}

// ParseSize for an option's value, saying why a size is refused.
bool ParseSizeValue(const std::string& text, int& width, int& height) {
  if (ParseSize(text, width, height)) return true;
  ValueReason() = "a size is WxH with each side from 1 to " + std::to_string(kMaxSide) + " pixels";
  return false;
}

const std::vector<Option>& Options() {
  static const std::vector<Option> options = {
      {"--help", nullptr, "print the options and exit",
       [](CommandLine& c, const std::string&) { return c.help = true; }},
      {"--version", nullptr, "print the version and exit",
       [](CommandLine& c, const std::string&) { return c.version = true; }},
      {"--no-setup", nullptr, "skip the setup dialog; needs --window or --fullscreen",
       [](CommandLine& c, const std::string&) { return c.noSetup = true; }},
      {"--window", "WxH", "with --no-setup: a window of W by H pixels",
       [](CommandLine& c, const std::string& v) {
         c.fullscreen = false;
         c.sizeGiven = true;
         return ParseSizeValue(v, c.width, c.height);
       }},
      {"--fullscreen", "WxH", "with --no-setup: a full-screen mode of W by H pixels",
       [](CommandLine& c, const std::string& v) {
         c.fullscreen = true;
         c.sizeGiven = true;
         return ParseSizeValue(v, c.width, c.height);
       }},
      {"--batch", nullptr, "messages on standard error instead of message boxes",
       [](CommandLine& c, const std::string&) { return c.batch = true; }},
      {"--start", "SECONDS", "start the demo clock at SECONDS",
       [](CommandLine& c, const std::string& v) {
         return c.startGiven = ParseSeconds(v, c.startSeconds);
       }},
      {"--data", "DIR", "look for Data/ in DIR (it becomes the working directory)",
       [](CommandLine& c, const std::string& v) {
         c.dataDir = v;
         return !v.empty();
       }},
      {"--fixed-step", "TICKS", "advance the clock by TICKS 1 ms ticks per frame",
       [](CommandLine& c, const std::string& v) {
         long long ticks = 0;
         if (!ParseInt(v, ticks) || ticks < 1 || ticks > kMaxFixedStep) return false;
         c.fixedStep = static_cast<int>(ticks);
         return true;
       }},
      {"--frame", "SECONDS", "render the one frame at demo time SECONDS to --out (PNG) and exit",
       [](CommandLine& c, const std::string& v) {
         return c.frameGiven = ParseSeconds(v, c.frameSeconds);
       }},
      {"--out", "FILE", "with --frame: the PNG file to write",
       [](CommandLine& c, const std::string& v) {
         c.framePath = v;
         return !v.empty();
       }},
      {"--size", "WxH", "with --frame or --capture: frames of W by H pixels (default 800x600)",
       [](CommandLine& c, const std::string& v) {
         c.frameSizeGiven = true;
         return ParseSizeValue(v, c.frameWidth, c.frameHeight);
       }},
      {"--capture", "OUT", "render offline into OUT: a directory (PNG + WAV) or .mp4/.mkv/.webm",
       [](CommandLine& c, const std::string& v) {
         c.captureOut = v;
         return !v.empty();
       }},
      {"--fps", "N[/D]", "with --capture: N (or N/D, as 60000/1001) frames per second of demo time",
       [](CommandLine& c, const std::string& v) {
         offline::FrameRate rate;
         if (!offline::ParseFrameRate(v, &rate, &ValueReason())) return false;
         c.captureFpsNum = rate.num;
         c.captureFpsDen = rate.den;
         return true;
       }},
      {"--from", "SECONDS", "with --capture: the first frame's demo time",
       [](CommandLine& c, const std::string& v) {
         c.captureRangeGiven = true;
         return ParseSeconds(v, c.captureFrom);
       }},
      {"--to", "SECONDS", "with --capture: the last frame's demo time at most",
       [](CommandLine& c, const std::string& v) {
         c.captureRangeGiven = true;
         return ParseSeconds(v, c.captureTo);
       }},
      {"--png-level", "N", "with --capture to a directory: PNG compression 0-9 (default 1: fast; 9: smallest)",
       [](CommandLine& c, const std::string& v) {
         long long level = 0;
         if (!ParseInt(v, level) || level < gfxutil::kPngLevelMin || level > gfxutil::kPngLevelMax) return false;
         c.capturePngLevel = static_cast<int>(level);
         return true;
       }},
      {"--no-vsync", nullptr, "present each frame at once instead of at the display's refresh",
       [](CommandLine& c, const std::string&) { return c.noVsync = true; }},
      {"--mute", nullptr, "play without sound (no audio device is opened)",
       [](CommandLine& c, const std::string&) { return c.mute = true; }},
      {"--audio-device", "NAME", "play the music on the output device NAME (see --list-audio-devices)",
       [](CommandLine& c, const std::string& v) {
         c.audioDevice = v;
         return !v.empty();
       }},
      {"--list-audio-devices", nullptr, "print the names of the audio output devices and exit",
       [](CommandLine& c, const std::string&) { return c.listAudioDevices = true; }},
      {"--borderless", nullptr, "full screen as a borderless desktop-size window, no mode change",
       [](CommandLine& c, const std::string&) { return c.borderless = true; }},
      {"--loop", nullptr, "start the show again from the beginning at its end (Escape ends it)",
       [](CommandLine& c, const std::string&) { return c.loop = true; }},
      {"--display", "N", "show the windows on monitor N (0: the first)",
       [](CommandLine& c, const std::string& v) {
         long long index = 0;
         if (!ParseInt(v, index) || index > 63) return false;
         c.display = static_cast<int>(index);
         return true;
       }},
  };
  return options;
}

const Option* FindOption(const std::string& name) {
  for (const Option& option : Options())
    if (name == option.name) return &option;
  return nullptr;
}

// Rules between options, checked once all are read.
std::string CheckCombination(const CommandLine& c) {
  if (c.noSetup && !c.sizeGiven) return "--no-setup needs --window WxH or --fullscreen WxH";
  if (c.sizeGiven && !c.noSetup) return "--window and --fullscreen need --no-setup";
  if (c.frameGiven && c.framePath.empty()) return "--frame needs --out FILE";
  if (!c.frameGiven && !c.framePath.empty()) return "--out needs --frame";
  if (c.captureOut.empty()) {
    if (!c.frameGiven && c.frameSizeGiven) return "--size needs --frame or --capture";
    if (c.captureFpsNum != 0 || c.captureRangeGiven) return "--fps, --from and --to need --capture OUT";
    if (c.capturePngLevel >= 0) return "--png-level needs --capture OUT";
    return {};
  }
  if (c.frameGiven) return "--frame and --capture do not go together";
  if (c.captureFpsNum == 0) return "--capture needs --fps N";
  if (c.noSetup) return "--capture renders without a window: leave out --no-setup";
  if (c.captureFrom > c.captureTo) return "--from must not be after --to";
  if (c.capturePngLevel >= 0 && offline::IsVideoOutput(c.captureOut))
    return "--png-level is for PNG frames: capture to a directory";
  return {};
}

}  // namespace

bool ParseSize(const std::string& text, int& width, int& height) {
  size_t x = text.find('x');
  if (x == std::string::npos) return false;
  long long w = 0, h = 0;
  if (!ParseInt(text.substr(0, x), w) || !ParseInt(text.substr(x + 1), h)) return false;
  if (w < 1 || h < 1 || w > kMaxSide || h > kMaxSide) return false;
  width = static_cast<int>(w);
  height = static_cast<int>(h);
  return true;
}

std::string UsageText(const char* program) {
  std::string text = std::string("usage: ") + program + " [options]\n"
                     "With no options: the setup dialog, then the show.\n";
  for (const Option& option : Options()) {
    std::string left = std::string("  ") + option.name;
    if (option.valueName) left += std::string(" ") + option.valueName;
    left.resize(std::max<size_t>(left.size() + 1, 25), ' ');
    text += left + option.help + "\n";
  }
  return text;
}

ParseOutcome ParseCommandLine(int argc, const char* const* argv, CommandLine& options,
                              std::string& out, std::string& err) {
  const char* program = argc > 0 && argv[0] ? argv[0] : "zel16";
  auto fail = [&](const std::string& message) {
    err = std::string(program) + ": " + message + "\n" + UsageText(program);
    return ParseOutcome::Error;
  };
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    std::string value;
    size_t eq = arg.find('=');
    bool inlineValue = arg.rfind("--", 0) == 0 && eq != std::string::npos;
    if (inlineValue) {
      value = arg.substr(eq + 1);
      arg.resize(eq);
    }
    const Option* option = FindOption(arg);
    if (!option) return fail("unknown option '" + arg + "'");
    if (option->valueName && !inlineValue) {
      if (i + 1 >= argc) return fail(arg + " needs a value " + option->valueName);
      value = argv[++i];
    } else if (!option->valueName && inlineValue) {
      return fail(arg + " takes no value");
    }
    ValueReason().clear();
    if (!option->apply(options, value)) {
      const std::string reason = ValueReason().empty() ? "" : ": " + ValueReason();
      return fail("bad value '" + value + "' for " + arg + reason);
    }
  }
  if (options.help) {
    out = UsageText(program);
    return ParseOutcome::Exit;
  }
  if (options.version) {
    out = std::string(kVersion) + "\n";
    return ParseOutcome::Exit;
  }
  std::string conflict = CheckCombination(options);
  if (!conflict.empty()) return fail(conflict);
  return ParseOutcome::Run;
}

}  // namespace zel::app
