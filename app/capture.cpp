#include "app/capture.h"

#include <windows.h>

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
constexpr int kExitInterrupted = 130;  // the shells' status for a run ended by Ctrl-C
constexpr double kRangeLimit = show::kShowEnd + 1.0;  // seconds; no frame is drawn beyond

void Report(const std::string& message) {
  std::fprintf(stderr, "zel16: %s\n", message.c_str());
}

// The range cut where the show ends: frames whose demo time is past its last drawn time
// are never drawn by the live show either.
FrameRange CapToShow(FrameRange range, FrameRate rate) {
  if (range.empty) return range;
  FrameClock clock(rate);
  if (clock.TimeOf(range.first) > show::kShowEnd) return FrameRange{};
  uint64_t last = range.first;
  while (last < range.last && !(clock.TimeOf(last + 1) > show::kShowEnd)) ++last;
  range.last = last;
  return range;
}

// 4:2:0 video has whole chroma samples only for even sides: an odd side is rendered one
// pixel larger rather than padded with a black line. PNG frames keep the size asked for.
void EvenSidesForVideo(CaptureSettings& settings) {
  const int width = settings.width + (settings.width & 1);
  const int height = settings.height + (settings.height & 1);
  if (width == settings.width && height == settings.height) return;
  Report("video needs even sides: capturing at " + std::to_string(width) + "x" + std::to_string(height) +
         " instead of " + std::to_string(settings.width) + "x" + std::to_string(settings.height));
  settings.width = width;
  settings.height = height;
}

CaptureSettings SettingsFrom(const CommandLine& line) {
  CaptureSettings settings;
  settings.out = line.captureOut;
  settings.rate = FrameRate(line.captureFpsNum, line.captureFpsDen);
  settings.width = line.frameWidth;
  settings.height = line.frameHeight;
  // Clamped first, so that a far --from or --to costs no walk along the clock.
  const double to = std::min<double>(line.captureTo, kRangeLimit);
  if (line.captureFrom <= to)
    settings.frames = CapToShow(FramesBetween(line.captureFrom, to, settings.rate), settings.rate);
  settings.musicPath = kShowMusic;
  return settings;
}

// A Ctrl-C or a termination request, as the window layer delivers it to a program without a
// window: WM_QUIT in the message queue. Nothing else in the queue concerns the capture.
bool QuitRequested() {
  MSG msg{};
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    if (msg.message == WM_QUIT) return true;
  return false;
}

enum class Outcome { Done, Interrupted, Failed };

// Draws, grabs and hands on every frame of the range, stopping before the next frame when a
// quit request came. *end is one past the last frame handed on.
Outcome RenderFrames(const CaptureSettings& settings, OfflineShow& showRun, FrameSink& sink,
                     uint64_t* end, std::string* error) {
  FrameClock clock(settings.rate);
  ProgressBar progress(settings.frames.Count(), stderr);
  std::vector<uint8_t> rgba;
  uint64_t done = 0;
  *end = settings.frames.first;
  for (uint64_t k = settings.frames.first; k <= settings.frames.last; ++k) {
    progress.Update(done);
    if (QuitRequested()) {
      progress.Finish(done);
      return Outcome::Interrupted;
    }
    if (showRun.Draw(clock.TimeOf(k)) != show::FrameResult::Drawn || !showRun.Grab(&rgba)) {
      *error = "frame " + std::to_string(k) + " could not be drawn";
      return Outcome::Failed;
    }
    if (!sink.Put(k, rgba, error)) return Outcome::Failed;
    ++done;
    *end = k + 1;
  }
  progress.Finish(done);
  return Outcome::Done;
}

}  // namespace

int RunCapture(const CommandLine& line) {
  CaptureSettings settings = SettingsFrom(line);
  if (settings.frames.empty) {
    Report("no frame of the show lies between --from and --to");
    return kExitBadRange;
  }
  const bool video = IsVideoOutput(settings.out);
  if (video) EvenSidesForVideo(settings);
  std::unique_ptr<FrameSink> sink = video ? MakeVideoSink(settings) : MakePngSink(settings);
  OfflineShow showRun;
  std::string error, warning;
  int status = 0;
  if (!showRun.Open(settings.width, settings.height, &error, &status)) {
    Report(error);
    return status;
  }
  if (QuitRequested()) {  // while the scenes loaded: nothing is written yet
    Report("capture interrupted before its first frame; no frame written");
    return kExitInterrupted;
  }
  const bool begun = sink->Begin(&warning, &error);
  if (!warning.empty()) Report(warning);
  uint64_t end = settings.frames.first;
  const Outcome outcome = begun ? RenderFrames(settings, showRun, *sink, &end, &error) : Outcome::Failed;
  if (outcome == Outcome::Failed) {
    Report(error);
    std::string ignored;
    sink->Finish(end, &ignored);
    return kExitOutputFailed;
  }
  const bool finished = sink->Finish(end, &error);
  if (outcome == Outcome::Interrupted && end == settings.frames.first) {
    Report("capture interrupted before its first frame; no frame written");
    return kExitInterrupted;
  }
  if (!finished) {
    Report(error);
    return kExitOutputFailed;
  }
  if (outcome == Outcome::Interrupted) {
    Report("capture interrupted at frame " + std::to_string(end) + ": " +
           std::to_string(end - settings.frames.first) + " frames written to " + settings.out);
    return kExitInterrupted;
  }
  return 0;
}

}  // namespace capture
