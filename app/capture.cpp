#include "app/capture.h"

#include <algorithm>
#include <cstdio>

#include "app/capture_progress.h"
#include "app/capture_show.h"
#include "app/capture_sink.h"
#include "app/command_line.h"
#include "app/exit_status.h"
#include <zel_crt_interrupt.h>

namespace zel::app::capture {
namespace {

constexpr double kRangeLimit = show::kShowEnd + 1.0;  // seconds; no frame is drawn beyond

void Report(const std::string& message) {
  std::fprintf(stderr, "zel16: %s\n", message.c_str());
}

// Lines from others (the encoder), as they came.
void ReportNotes(const std::string& notes) {
  std::fputs(notes.c_str(), stderr);
  std::fflush(stderr);
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

// Draws, grabs and hands on every frame of the range, stopping before the next frame when a
// stop request came. *end is one past the last frame handed on. The progress bar's line is
// ended before anything else is said.
Ending RenderFrames(const CaptureSettings& settings, OfflineShow& showRun, FrameSink& sink,
                    uint64_t* end, std::string* error) {
  FrameClock clock(settings.rate);
  ProgressBar progress(settings.frames.Count(), stderr);
  std::vector<uint8_t> rgba;
  uint64_t done = 0;
  *end = settings.frames.first;
  for (uint64_t k = settings.frames.first; k <= settings.frames.last; ++k) {
    progress.Update(done);
    if (zel::crt::InterruptRequested()) break;
    if (showRun.Draw(clock.TimeOf(k)) != show::FrameResult::Drawn || !showRun.Grab(&rgba)) {
      progress.Finish(done);
      *error = "frame " + std::to_string(k) + " could not be drawn";
      return Ending::Failed;
    }
    if (!sink.Put(k, rgba, error)) {
      progress.Finish(done);
      return zel::crt::InterruptRequested() ? Ending::Interrupted : Ending::Failed;
    }
    ++done;
    *end = k + 1;
  }
  progress.Finish(done);
  return *end > settings.frames.last ? Ending::Complete : Ending::Interrupted;
}

// Places (or discards) the output and says how the capture ended: the exit status.
ExitStatus Conclude(const CaptureSettings& settings, FrameSink& sink, Ending ending, uint64_t end,
                    const std::string& renderError) {
  const uint64_t written = end - settings.frames.first;
  if (ending == Ending::Interrupted && written == 0) ending = Ending::Failed;  // nothing to keep
  std::string notes, error;
  const output::Placement placement = sink.Finish(ending, end, &notes, &error);
  ReportNotes(notes);
  if (!renderError.empty()) error = renderError;
  if (ending == Ending::Complete && placement == output::Placement::Placed) return ExitStatus::Success;
  if (!zel::crt::InterruptRequested()) {
    Report(error);
    return ExitStatus::OutputFailed;
  }
  const std::string at = "capture interrupted at frame " + std::to_string(end) + ": ";
  if (written == 0)
    Report("capture interrupted before its first frame; no frame written");
  else if (placement == output::Placement::Placed)
    Report(at + std::to_string(written) + " frames written to " + settings.out);
  else if (placement == output::Placement::KeptEarlier)
    Report(at + settings.out + " keeps the earlier capture; the " + std::to_string(written) +
           (written == 1 ? " new frame is" : " new frames are") + " discarded");
  else
    Report(at + error);
  return ExitStatus::Interrupted;
}

}  // namespace

int RunCapture(const CommandLine& line) {
  CaptureSettings settings = SettingsFrom(line);
  if (settings.frames.empty) {
    Report("no frame of the show lies between --from and --to");
    return StatusCode(ExitStatus::Usage);
  }
  std::string error;
  if (!output::ResolveDestination(line.captureOut, &settings.out, &error)) {
    Report(error);
    return StatusCode(ExitStatus::OutputFailed);
  }
  const bool video = IsVideoOutput(settings.out);
  if (video) EvenSidesForVideo(settings);
  std::unique_ptr<FrameSink> sink = video ? MakeVideoSink(settings) : MakePngSink(settings);
  // Refused before the show loads, so that no minute of rendering ends in a refusal.
  if (const std::string why = sink->CheckDestination(); !why.empty()) {
    Report(why);
    return StatusCode(ExitStatus::OutputFailed);
  }
  OfflineShow showRun;
  ExitStatus status = ExitStatus::Success;
  if (!showRun.Open(settings.width, settings.height, &error, &status)) {
    Report(error);
    return StatusCode(status);
  }
  if (zel::crt::InterruptRequested()) {  // while the scenes loaded: nothing is written yet
    Report("capture interrupted before its first frame; no frame written");
    return StatusCode(ExitStatus::Interrupted);
  }
  std::string warning;
  const bool begun = sink->Begin(&warning, &error);
  if (!warning.empty()) Report(warning);
  uint64_t end = settings.frames.first;
  const Ending ending = begun ? RenderFrames(settings, showRun, *sink, &end, &error) : Ending::Failed;
  return StatusCode(Conclude(settings, *sink, ending, end, ending == Ending::Failed ? error : std::string()));
}

}  // namespace zel::app::capture
