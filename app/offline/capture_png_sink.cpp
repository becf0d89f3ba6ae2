// The directory form of a capture: frame_NNNNNN.png for frame k (k counted from demo time
// 0, so a file's number divided by the rate is its time) and soundtrack.wav from demo time 0
// to the end of the last frame. The folder is built beside its destination and swapped in
// whole when the capture ends, so an earlier capture there is never mixed with a new one.
// Each PNG is written under a temporary name and renamed when complete, so the folder never
// holds a half-written frame; frames are encoded on worker threads and renamed in order.
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <thread>

#include <zel_crt_interrupt.h>

#include "app/offline/capture_audio.h"
#include "app/offline/capture_sink.h"
#include "app/offline/capture_wav.h"
#include "gfxutil/image_png.h"

namespace zel::app::offline {
namespace {

constexpr const char* kSoundtrackName = "soundtrack.wav";
constexpr const char* kFramePrefix = "frame_";
constexpr const char* kFrameSuffix = ".png";
constexpr const char* kPartialSuffix = ".part";  // a frame being written
constexpr size_t kFrameDigits = 6;                // at least

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class PngSink : public FrameSink {
 public:
  explicit PngSink(const CaptureSettings& settings)
      : settings_(settings), folder_(settings.out, IsCaptureFileName) {}

  std::string CheckDestination() const override { return folder_.Check(); }

  bool Begin(std::string* warning, std::string* error) override {
    if (!folder_.Create(error)) return false;
    const int64_t end = TrackEnd(settings_.frames.last + 1, settings_.rate);
    if (WriteSoundtrack(Path(kSoundtrackName), settings_.musicPath, 0, end, warning, error)) return true;
    *error = folder_.InUserTerms(*error);
    return false;
  }

  // One worker per core beyond the renderer's, at least one.
  int Workers() const override {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 2 ? static_cast<int>(cores) - 1 : 1;
  }

  // Each frame is encoded under a temporary name by a worker, and renamed into place in
  // frame order, so the folder holds the frames before some k and nothing of later ones.
  FrameStage Stage() override {
    FrameStage stage;
    stage.write = [this](const FrameBuffer& frame, std::string* error) { return Encode(frame, error); };
    stage.place = [this](uint64_t k, std::string* error) { return Place(k, error); };
    stage.discard = [this](uint64_t k) {
      std::error_code ignored;
      std::filesystem::remove(PartialPath(k), ignored);
    };
    stage.stop = [] { return zel::crt::InterruptRequested(); };
    return stage;
  }

  output::Placement Finish(Ending ending, uint64_t end, std::string*, std::string* error) override {
    if (ending == Ending::Failed) {
      folder_.Discard();
      return output::Placement::Failed;
    }
    if (ending == Ending::Interrupted) {
      // The track ends with the last frame written.
      const int64_t samples = TrackEnd(end, settings_.rate);
      if (!TruncateWav(Path(kSoundtrackName), static_cast<uint64_t>(samples), error)) {
        folder_.Discard();
        return output::Placement::Failed;
      }
    }
    return folder_.Place(ending == Ending::Complete, error);
  }

 private:
  std::string PartialPath(uint64_t k) const { return Path(FrameFileName(k)) + kPartialSuffix; }

  bool Encode(const FrameBuffer& frame, std::string* error) const {
    gfxutil::PngRows rows;
    rows.first = frame.bgrx.data();
    rows.pitch = frame.Pitch();
    rows.width = static_cast<UINT>(frame.width);
    rows.height = static_cast<UINT>(frame.height);
    rows.order = gfxutil::PixelOrder::Bgra;
    rows.compression = settings_.png;
    const std::string partial = PartialPath(frame.number);
    if (gfxutil::WritePngFile(partial, rows, error)) return true;
    std::error_code ignored;
    std::filesystem::remove(partial, ignored);
    *error = folder_.InUserTerms(*error);
    return false;
  }

  bool Place(uint64_t k, std::string* error) const {
    const std::string partial = PartialPath(k), path = Path(FrameFileName(k));
    std::error_code code;
    std::filesystem::rename(partial, path, code);
    if (!code) return true;
    *error = folder_.InUserTerms("cannot rename " + partial + " to " + path + ": " + code.message());
    return false;
  }

  std::string Path(const std::string& name) const {
    return (std::filesystem::path(folder_.TempPath()) / name).string();
  }

  CaptureSettings settings_;
  output::PendingFolder folder_;
};

}  // namespace

std::string FrameFileName(uint64_t k) {
  char name[40];
  std::snprintf(name, sizeof name, "frame_%06llu.png", static_cast<unsigned long long>(k));
  return name;
}

bool IsCaptureFileName(const std::string& name) {
  if (name == kSoundtrackName) return true;
  std::string frame = name;
  if (EndsWith(frame, kPartialSuffix)) frame.resize(frame.size() - std::string(kPartialSuffix).size());
  const std::string prefix = kFramePrefix, suffix = kFrameSuffix;
  if (frame.size() < prefix.size() + kFrameDigits + suffix.size() || frame.rfind(prefix, 0) != 0 ||
      !EndsWith(frame, suffix))
    return false;
  for (size_t i = prefix.size(); i < frame.size() - suffix.size(); ++i)
    if (!std::isdigit(static_cast<unsigned char>(frame[i]))) return false;
  return true;
}

std::unique_ptr<FrameSink> MakePngSink(const CaptureSettings& settings) {
  return std::make_unique<PngSink>(settings);
}

}  // namespace zel::app::offline
