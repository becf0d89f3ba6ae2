#include "app/capture.h"

#include <algorithm>
#include <cstdio>

#include "app/capture_progress.h"
#include "app/capture_show.h"
#include "app/capture_sink.h"
#include "app/command_line.h"

namespace capture {
namespace {

constexpr int kExitBadRange = 2;     // like a bad option
constexpr int kExitOutputFailed = 6; // the frames or the soundtrack could not be written
constexpr double kRangeLimit = show::kShowEnd + 1.0;  // seconds; no frame is drawn beyond

void Report(const std::string& message) {
  std::fprintf(stderr, "zel16: %s\n", message.c_str());
}

// The range cut where the show ends: frames whose demo time is past its last drawn time
// are never drawn by the live show either.
FrameRange CapToShow(FrameRange range, int fps) {
  if (range.empty) return range;
  FrameClock clock(fps);
  if (clock.TimeOf(range.first) > show::kShowEnd) return FrameRange{};
  uint64_t last = range.first;
  while (last < range.last && !(clock.TimeOf(last + 1) > show::kShowEnd)) ++last;
  range.last = last;
  return range;
}

CaptureSettings SpecFrom(const CommandLine& line) {
  CaptureSettings settings;
  settings.out = line.captureOut;
  settings.fps = line.captureFps;
  settings.width = line.frameWidth;
  settings.height = line.frameHeight;
  // Clamped first, so that a far --from or --to costs no walk along the clock.
  const double to = std::min<double>(line.captureTo, kRangeLimit);
  if (line.captureFrom <= to)
    settings.frames = CapToShow(FramesBetween(line.captureFrom, to, line.captureFps), line.captureFps);
  settings.musicPath = kShowMusic;
  return settings;
}

// Draws, grabs and hands on every frame of the range. False with *error at the first failure.
bool RenderFrames(const CaptureSettings& settings, OfflineShow& showRun, FrameSink& sink,
                  std::string* error) {
  FrameClock clock(settings.fps);
  ProgressBar progress(settings.frames.Count(), stderr);
  std::vector<uint8_t> rgba;
  uint64_t done = 0;
  for (uint64_t k = settings.frames.first; k <= settings.frames.last; ++k) {
    progress.Update(done);
    if (showRun.Draw(clock.TimeOf(k)) != show::FrameResult::Drawn || !showRun.Grab(&rgba)) {
      *error = "frame " + std::to_string(k) + " could not be drawn";
      return false;
    }
    if (!sink.Put(k, rgba, error)) return false;
    ++done;
  }
  progress.Finish(done);
  return true;
}

}  // namespace

int RunCapture(const CommandLine& line) {
  const CaptureSettings settings = SpecFrom(line);
  if (settings.frames.empty) {
    Report("no frame of the show lies between --from and --to");
    return kExitBadRange;
  }
  std::unique_ptr<FrameSink> sink = IsVideoOutput(settings.out) ? MakeVideoSink(settings) : MakePngSink(settings);
  OfflineShow showRun;
  std::string error, warning;
  int status = 0;
  if (!showRun.Open(settings.width, settings.height, &error, &status)) {
    Report(error);
    return status;
  }
  const bool begun = sink->Begin(&warning, &error);
  if (!warning.empty()) Report(warning);
  if (!begun || !RenderFrames(settings, showRun, *sink, &error)) {
    Report(error);
    std::string ignored;
    sink->Finish(&ignored);
    return kExitOutputFailed;
  }
  if (!sink->Finish(&error)) {
    Report(error);
    return kExitOutputFailed;
  }
  return 0;
}

}  // namespace capture
