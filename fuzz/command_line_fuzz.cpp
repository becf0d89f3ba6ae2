// Feeds arbitrary arguments (the input split at zero bytes) to zel16's option parser. Nothing
// may escape as an exception, and whatever it accepts stays within the documented limits: no
// side above 8192 pixels, a frame rate of whole terms within bounds, and a capture whose
// soundtrack never runs past the end of the show. Output paths it accepts are resolved as a
// capture would (a look-up only; nothing is created).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/offline/capture_audio.h"
#include "app/offline/capture_timing.h"
#include "app/command_line.h"
#include "app/output_file.h"

namespace {

constexpr int kMaxSide = 8192;              // pixels, the documented limit
constexpr int64_t kShowEndSample = 7880714;  // tick 178,701 at 44,100 Hz
constexpr double kLastCaptureTime = 180.0;   // seconds; a capture looks no further

void Check(bool condition) {
  if (!condition) std::abort();
}

void CheckSize(int width, int height) { Check(width >= 1 && height >= 1 && width <= kMaxSide && height <= kMaxSide); }

void CheckCapture(const zel::app::CommandLine& line) {
  Check(line.captureFpsNum >= 1 && line.captureFpsDen >= 1 && line.captureFpsNum <= 1000u * line.captureFpsDen);
  Check(line.captureFrom <= line.captureTo);
  const zel::app::offline::FrameRate rate(line.captureFpsNum, line.captureFpsDen);
  const double to = line.captureTo < kLastCaptureTime ? line.captureTo : kLastCaptureTime;
  const zel::app::offline::FrameRange range = zel::app::offline::FramesBetween(line.captureFrom, to, rate);
  if (!range.empty) Check(zel::app::offline::TrackEnd(range.last + 1, rate) <= kShowEndSample);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args = {"zel16"};
  std::string current;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.push_back(current);
      current.clear();
    } else {
      current += static_cast<char>(data[i]);
    }
  }
  if (!current.empty()) args.push_back(current);
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());

  zel::app::CommandLine line;
  std::string out, err;
  const zel::app::ParseOutcome outcome = zel::app::ParseCommandLine(static_cast<int>(argv.size()), argv.data(), line, out, err);
  if (outcome == zel::app::ParseOutcome::Error) Check(!err.empty());
  if (outcome != zel::app::ParseOutcome::Run) return 0;
  if (line.sizeGiven) CheckSize(line.width, line.height);
  CheckSize(line.frameWidth, line.frameHeight);
  Check(line.startSeconds >= 0.0f && line.startSeconds <= 1.0e6f);
  if (!line.captureOut.empty()) CheckCapture(line);
  for (const std::string* path : {&line.captureOut, &line.framePath}) {
    std::string resolved, error;
    if (!path->empty() && !zel::app::output::ResolveDestination(*path, &resolved, &error)) Check(!error.empty());
  }
  return 0;
}
