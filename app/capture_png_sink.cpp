// The directory form of a capture: frame_NNNNNN.png for frame k (k counted from demo time
// 0, so a file's number divided by the rate is its time) and soundtrack.wav from demo time 0
// to the end of the last frame. The folder is built beside its destination and swapped in
// whole when the capture ends, so an earlier capture there is never mixed with a new one.
// Each PNG is written under a temporary name and renamed when complete, so the folder never
// holds a half-written frame.
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/capture_audio.h"
#include "app/capture_sink.h"
#include "app/capture_wav.h"
#include "gfxutil/image_png.h"

namespace zel::app::capture {
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

  bool Put(uint64_t k, const std::vector<uint8_t>& rgba, std::string* error) override {
    const std::string path = Path(FrameFileName(k));
    const std::string partial = path + kPartialSuffix;
    std::error_code code;
    if (gfxutil::WritePng(partial, rgba, settings_.width, settings_.height, error)) {
      std::filesystem::rename(partial, path, code);
      if (!code) return true;
      *error = "cannot rename " + partial + " to " + path + ": " + code.message();
    }
    *error = folder_.InUserTerms(*error);
    return false;
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

}  // namespace zel::app::capture
