// Where captured frames go: numbered PNG files in a directory (with the soundtrack as a
// WAV from demo time 0), or a video encoder fed raw RGB (with the soundtrack of the
// captured stretch muxed in).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/capture_timing.h"

namespace capture {

struct CaptureSettings {
  std::string out;         // directory, or a .mp4/.mkv/.webm file
  FrameRate rate;                 // frames per second of demo time
  int width = 800, height = 600;  // pixels
  FrameRange frames;
  std::string musicPath;   // the show's MP3
};

class FrameSink {
 public:
  virtual ~FrameSink() = default;
  // Everything before the first frame (directories, the soundtrack, the encoder). Notes that
  // do not stop the capture go to *warning.
  virtual bool Begin(std::string* warning, std::string* error) = 0;
  // Frame k as top-down RGBA8 rows of width x height.
  virtual bool Put(uint64_t k, const std::vector<uint8_t>& rgba, std::string* error) = 0;
  // After the last frame put, `end` being one past it: frames.last + 1 when the whole range
  // was captured, less when the capture was interrupted (the soundtrack is then cut to the
  // frames there are). False when the output is incomplete.
  virtual bool Finish(uint64_t end, std::string* error) = 0;
};

// True for an output file name that asks for video (.mp4, .mkv, .webm, any case).
bool IsVideoOutput(const std::string& out);

// The numbered PNG file of frame k in `dir` ("frame_000059.png").
std::string FrameFileName(uint64_t k);

std::unique_ptr<FrameSink> MakePngSink(const CaptureSettings& settings);
std::unique_ptr<FrameSink> MakeVideoSink(const CaptureSettings& settings);

}  // namespace capture
