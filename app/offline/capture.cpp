#include "app/offline/capture.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "app/offline/capture_progress.h"
#include "app/offline/frame_pipeline.h"
#include "app/offline/frame_readback.h"
#include "app/offline/show_rig.h"
#include "app/offline/capture_sink.h"
#include "app/command_line.h"
#include "app/exit_status.h"
#include <zel_crt_interrupt.h>

namespace zel::app::offline {
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
  if (line.capturePngLevel >= 0) settings.png = PngCompressionFor(line.capturePngLevel);
  return settings;
}

// Wall and process CPU time since it was made.
class Stopwatch {
 public:
  Stopwatch() : wall_(Now(CLOCK_MONOTONIC)), cpu_(Now(CLOCK_PROCESS_CPUTIME_ID)) {}
  CaptureTimes Read(uint64_t frames) const {
    return {frames, Now(CLOCK_MONOTONIC) - wall_, Now(CLOCK_PROCESS_CPUTIME_ID) - cpu_};
  }

 private:
  static double Now(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;  // seconds
  }
  double wall_, cpu_;
};

// How far ahead of its output the renderer may run: copies of drawn frames waiting to be read
// back, and frames read back and waiting for (or under) a writer.
constexpr int kReadbackDepth = 2;
constexpr int kSpareBuffers = 2;  // beyond one per writer: the next frame's, and one queued

// The frames of one capture on their way: drawn, read back a couple of frames later (so the
// device's copy overlaps the next draw), and written by the sink's workers in frame order.
class FrameFlow {
 public:
  FrameFlow(FrameSink& sink, int width, int height)
      : pipeline_(sink.Stage(), sink.Workers(), sink.Workers() + kSpareBuffers, width, height) {}

  bool Open(IDirect3DDevice9* device, std::string* error) { return readback_.Open(device, kReadbackDepth, error); }

  // Starts the read-back of frame k, just drawn, handing the oldest copy on when the ring is
  // full. False when the frame cannot be read, or the writers failed (see Finish).
  bool Add(uint64_t k) {
    if (readback_.Full() && !HandOnOldest()) return false;
    if (readback_.Start(k)) return true;
    readError_ = "frame " + std::to_string(k) + " could not be read back";
    return false;
  }

  // Hands on the frames still being read back (unless `drain` is false: a stop request drops
  // them) and waits for the writers. False with *error when a frame failed.
  bool Finish(bool drain, std::string* error) {
    bool ok = true;
    while (drain && ok && !readback_.Empty()) ok = HandOnOldest();
    std::string writeError;
    const bool written = pipeline_.Finish(&writeError);
    // A frame that could not be read back ends the run first; else a writer's failure.
    if (!readError_.empty()) *error = readError_;
    else if (!written) *error = writeError;
    return ok && written && readError_.empty();
  }

  uint64_t Placed() const { return pipeline_.Placed(); }

 private:
  bool HandOnOldest() {
    FrameBuffer* buffer = pipeline_.Acquire();
    if (buffer == nullptr) return false;  // a writer failed: Finish says why
    if (!readback_.TakeOldest(buffer)) {
      readError_ = "frame " + std::to_string(buffer->number) + " could not be read back";
      pipeline_.Release(buffer);
      return false;
    }
    pipeline_.Submit(buffer);
    return true;
  }

  ReadbackRing readback_;
  FramePipeline pipeline_;
  std::string readError_;
};

// Draws every frame of the range and hands it on, stopping before the next frame when a stop
// request came. *end is one past the last frame placed in the output. The progress bar's
// line is ended before anything else is said.
Ending RenderFrames(const CaptureSettings& settings, ShowRig& rig, FrameSink& sink, uint64_t* end,
                    std::string* error, CaptureTimes* times) {
  const Stopwatch stopwatch;
  FrameClock clock(settings.rate);
  ProgressBar progress(settings.frames.Count(), stderr);
  FrameFlow flow(sink, settings.width, settings.height);
  *end = settings.frames.first;
  if (!flow.Open(rig.Device(), error)) {
    progress.Finish(0);
    return Ending::Failed;
  }
  std::string drawError;
  bool stopped = false;
  for (uint64_t k = settings.frames.first; k <= settings.frames.last; ++k) {
    progress.Update(flow.Placed());
    if ((stopped = zel::crt::InterruptRequested())) break;
    if (rig.Draw(clock.TimeOf(k)) != show::FrameResult::Drawn) {
      drawError = "frame " + std::to_string(k) + " could not be drawn";
      break;
    }
    if (!flow.Add(k)) break;
  }
  const bool flowed = flow.Finish(!stopped && drawError.empty(), error);
  *end = settings.frames.first + flow.Placed();
  if (times != nullptr) *times = stopwatch.Read(flow.Placed());
  progress.Finish(flow.Placed());
  if (flowed && drawError.empty() && *end > settings.frames.last) return Ending::Complete;
  if (zel::crt::InterruptRequested()) return Ending::Interrupted;
  if (!drawError.empty()) *error = drawError;
  return Ending::Failed;
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

int RunCapture(const CommandLine& line, CaptureTimes* times) {
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
  // Frames are read from the back buffer: nothing is presented.
  ShowRig rig;
  ExitStatus status = ExitStatus::Success;
  if (!rig.Open(settings.width, settings.height, Presenting::No, &error, &status)) {
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
  const Ending ending = begun ? RenderFrames(settings, rig, *sink, &end, &error, times) : Ending::Failed;
  return StatusCode(Conclude(settings, *sink, ending, end, ending == Ending::Failed ? error : std::string()));
}

}  // namespace zel::app::offline
