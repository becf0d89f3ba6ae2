// Where captured frames go: numbered PNG files in a directory (with the soundtrack as a
// WAV from demo time 0), or a video encoder fed raw RGB (with the soundtrack of the
// captured stretch muxed in). Either is written under a temporary name beside its
// destination and takes the destination's place only when it ends (output_file.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/capture_timing.h"
#include "app/output_file.h"

namespace zel::app::capture {

struct CaptureSettings {
  std::string out;         // directory, or a .mp4/.mkv/.webm file
  FrameRate rate;                 // frames per second of demo time
  int width = 800, height = 600;  // pixels
  FrameRange frames;
  std::string musicPath;   // the show's MP3
};

// How the frames of a capture ended.
enum class Ending {
  Complete,     // the whole range: the output replaces what was at the destination
  Interrupted,  // a stop request: the frames so far (the soundtrack cut to them) take the
                // destination only where nothing was; an earlier output stays
  Failed,       // nothing is placed; the temporary output is removed
};

class FrameSink {
 public:
  virtual ~FrameSink() = default;
  // Why the output cannot go where it is asked for; empty when it can. Creates nothing, so
  // that a run refused here, or ended while the show loads, leaves no trace.
  virtual std::string CheckDestination() const = 0;
  // Everything before the first frame (the temporary output, the soundtrack, the encoder).
  // Notes that do not stop the capture go to *warning.
  virtual bool Begin(std::string* warning, std::string* error) = 0;
  // Frame k as top-down RGBA8 rows of width x height. False also when a stop request came
  // while the output would take nothing more.
  virtual bool Put(uint64_t k, const std::vector<uint8_t>& rgba, std::string* error) = 0;
  // After the last frame put, `end` being one past it. What others said on the way (the
  // encoder's messages) goes to *notes, a line each; *error says why the output failed.
  virtual output::Placement Finish(Ending ending, uint64_t end, std::string* notes, std::string* error) = 0;
};

// True for an output file name that asks for video (.mp4, .mkv, .webm, any case).
bool IsVideoOutput(const std::string& out);

// The numbered PNG file of frame k in `dir` ("frame_000059.png").
std::string FrameFileName(uint64_t k);
// Whether a file of that name belongs in a folder of captured frames (a frame, a frame
// being written, the soundtrack): a folder of nothing else may be replaced by a new capture.
bool IsCaptureFileName(const std::string& name);

std::unique_ptr<FrameSink> MakePngSink(const CaptureSettings& settings);
std::unique_ptr<FrameSink> MakeVideoSink(const CaptureSettings& settings);

}  // namespace zel::app::capture
