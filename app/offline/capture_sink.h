// Where captured frames go: numbered PNG files in a directory (with the soundtrack as a
// WAV from demo time 0), encoded by worker threads, or a video encoder fed raw RGB from a
// thread of its own (with the soundtrack of the captured stretch muxed in). Either is
// written under a temporary name beside its destination and takes the destination's place
// only when it ends (output_file.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/offline/capture_timing.h"
#include "app/offline/frame_pipeline.h"
#include "app/output_file.h"
#include "gfxutil/image_png.h"

namespace zel::app::offline {

// Frame files for throughput: zlib's fastest level and the Sub filter (README, performance:
// sizes and times per level). --png-level trades time for size.
constexpr int kCapturePngLevel = 1;
// From this level on libpng's choice of filter row by row pays: a tenth smaller files at
// a sixth more time. Below it the Sub filter alone; stored files (level 0) none.
constexpr int kAdaptiveFiltersFromLevel = 4;

// The frame files' compression for --png-level `level` (0-9).
constexpr gfxutil::PngCompression PngCompressionFor(int level) {
  if (level <= 0) return {0, gfxutil::PngFilters::None};
  return {level, level >= kAdaptiveFiltersFromLevel ? gfxutil::PngFilters::Adaptive : gfxutil::PngFilters::Sub};
}

struct CaptureSettings {
  std::string out;         // directory, or a .mp4/.mkv/.webm file
  FrameRate rate;                 // frames per second of demo time
  int width = 800, height = 600;  // pixels
  FrameRange frames;
  std::string musicPath;   // the show's MP3
  gfxutil::PngCompression png = PngCompressionFor(kCapturePngLevel);  // frame files
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
  // How each frame is written (FramePipeline): on Workers() threads at once, placed in frame
  // order. A write also fails when a stop request came while the output would take nothing
  // more.
  virtual FrameStage Stage() = 0;
  virtual int Workers() const = 0;
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

}  // namespace zel::app::offline
