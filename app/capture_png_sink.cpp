// The directory form of a capture: frame_NNNNNN.png for frame k (k counted from demo time
// 0, so a file's number divided by the rate is its time) and soundtrack.wav from demo time 0
// to the end of the last frame. Each PNG is written under a temporary name and renamed when
// complete, so the directory never holds a half-written frame.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/capture_audio.h"
#include "app/capture_sink.h"
#include "app/capture_wav.h"
#include "gfxutil/image_png.h"

namespace capture {
namespace {

constexpr const char* kSoundtrackName = "soundtrack.wav";
constexpr const char* kPartialSuffix = ".part";  // a frame being written

class PngSink : public FrameSink {
 public:
  explicit PngSink(const CaptureSettings& settings) : settings_(settings) {}

  bool Begin(std::string* warning, std::string* error) override {
    std::error_code code;
    std::filesystem::create_directories(settings_.out, code);
    if (!std::filesystem::is_directory(settings_.out)) {
      *error = "cannot make the directory " + settings_.out;
      return false;
    }
    const int64_t end = FrameSample(settings_.frames.last + 1, settings_.rate, kAudioRate);
    return WriteSoundtrack(Path(kSoundtrackName), settings_.musicPath, 0, end, warning, error);
  }

  bool Put(uint64_t k, const std::vector<uint8_t>& rgba, std::string* error) override {
    const std::string path = Path(FrameFileName(k));
    const std::string partial = path + kPartialSuffix;
    if (!gfxutil::WritePng(partial, rgba, settings_.width, settings_.height, error)) return false;
    std::error_code code;
    std::filesystem::rename(partial, path, code);
    if (!code) return true;
    *error = "cannot rename " + partial + " to " + path + ": " + code.message();
    return false;
  }

  bool Finish(uint64_t end, std::string* error) override {
    if (end > settings_.frames.last) return true;
    // Interrupted: the track ends with the last frame written.
    const int64_t samples = FrameSample(end, settings_.rate, kAudioRate);
    return TruncateWav(Path(kSoundtrackName), static_cast<uint64_t>(samples), error);
  }

 private:
  std::string Path(const std::string& name) const {
    return (std::filesystem::path(settings_.out) / name).string();
  }

  CaptureSettings settings_;
};

}  // namespace

std::string FrameFileName(uint64_t k) {
  char name[40];
  std::snprintf(name, sizeof name, "frame_%06llu.png", static_cast<unsigned long long>(k));
  return name;
}

std::unique_ptr<FrameSink> MakePngSink(const CaptureSettings& settings) {
  return std::make_unique<PngSink>(settings);
}

}  // namespace capture
