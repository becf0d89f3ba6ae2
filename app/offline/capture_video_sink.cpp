// The video form of a capture: raw RGB frames piped to ffmpeg, which encodes them and muxes
// in the soundtrack of the same stretch of demo time (music from tick 6,001 on), written
// first to a temporary WAV file. The output lasts exactly frames / rate seconds; cut short by
// an interruption, the sound ends with the last frame (to within one audio packet). Pictures
// are converted to 4:2:0 YUV with the BT.709 matrix in limited range and tagged so, which is
// what players assume for video of this size. ffmpeg writes a temporary file beside the
// destination, which replaces the destination only when the video is complete; a stop
// request gives ffmpeg a moment to close the file and then ends it. Frames go down the pipe
// from a thread of their own, while the next ones are drawn.
#include <zel_child_process.h>
#include <zel_crt_interrupt.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/offline/capture_audio.h"
#include "app/offline/capture_sink.h"
#include "app/offline/capture_wav.h"

namespace zel::app::offline {
namespace {

bool StopRequested() { return zel::crt::InterruptRequested(); }

std::string Extension(const std::string& out) {
  std::string ext = std::filesystem::path(out).extension().string();
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

// Encoder settings per container: quick ones, so that encoding keeps up with rendering.
std::vector<std::string> CodecArgs(const std::string& ext) {
  if (ext == ".webm")
    return {"-c:v", "libvpx-vp9", "-deadline", "realtime", "-cpu-used", "8", "-b:v", "0",
            "-crf", "32", "-c:a", "libopus", "-b:a", "160k"};
  std::vector<std::string> args = {"-c:v", "libx264", "-preset", "veryfast", "-crf", "20",
                                   "-c:a", "aac", "-b:a", "192k"};
  if (ext == ".mp4") args.insert(args.end(), {"-movflags", "+faststart"});
  return args;
}

std::string TempWavPath() {
  std::error_code code;
  std::filesystem::path dir = std::filesystem::temp_directory_path(code);
  if (code) dir = ".";
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  return (dir / ("zel16-capture-" + std::to_string(stamp) + ".wav")).string();
}

class VideoSink : public FrameSink {
 public:
  explicit VideoSink(const CaptureSettings& settings) : settings_(settings), file_(settings.out) {}
  ~VideoSink() override {
    encoder_.Finish(StopRequested);
    RemoveWav();
  }

  std::string CheckDestination() const override { return file_.Check(); }

  bool Begin(std::string* warning, std::string* error) override {
    const std::string ffmpeg = zel::crt::FindOnPath("ffmpeg");
    if (ffmpeg.empty()) {
      *error = "ffmpeg is not on PATH: install ffmpeg to capture video, or give a directory "
               "to capture PNG files";
      return false;
    }
    const FrameRange& frames = settings_.frames;
    wavPath_ = TempWavPath();
    if (!WriteSoundtrack(wavPath_, settings_.musicPath, FrameSample(frames.first, settings_.rate, kAudioRate),
                         TrackEnd(frames.last + 1, settings_.rate), warning, error))
      return false;
    if (!file_.Create(error)) return false;  // the temporary name the arguments give
    // The encoder runs at our own priority. A step lower (nice +10) let the renderer keep its
    // cores (bench_capture: MP4 throughput 0.83 of rendering's against 0.68), but on a busy
    // machine the starved encoder then could not close the video within the grace an
    // interrupted capture gives it, and the frames captured so far were lost.
    return encoder_.Start(EncoderArgs(ffmpeg), error);
  }

  // One writer thread: the pipe takes frames in order, and ffmpeg's own threads encode.
  int Workers() const override { return 1; }

  FrameStage Stage() override {
    FrameStage stage;
    stage.write = [this](const FrameBuffer& frame, std::string* error) { return Send(frame, error); };
    return stage;
  }

  output::Placement Finish(Ending ending, uint64_t end, std::string* notes, std::string* error) override {
    if (ending == Ending::Interrupted && !wavPath_.empty()) {
      // Whatever of the track ffmpeg has not read yet goes, so the sound ends with the last
      // frame; what it has read already is cut by -shortest. Failing to cut (a file that
      // cannot be shortened while open) leaves -shortest alone at work.
      const int64_t samples = TrackEnd(end, settings_.rate) -
                              FrameSample(settings_.frames.first, settings_.rate, kAudioRate);
      std::string ignored;
      TruncateWav(wavPath_, static_cast<uint64_t>(std::max<int64_t>(samples, 0)), &ignored);
    }
    const int status = encoder_.Finish(StopRequested);
    RemoveWav();
    *notes += EncoderNotes();
    if (ending == Ending::Failed) {
      file_.Discard();
      return output::Placement::Failed;
    }
    if (status != 0) {
      file_.Discard();
      *error = status < 0 ? "ffmpeg did not finish the video in time; nothing was written to " + settings_.out
                          : "ffmpeg failed (exit status " + std::to_string(status) + "); nothing was written to " +
                                settings_.out;
      return output::Placement::Failed;
    }
    return file_.Place(ending == Ending::Complete, error);
  }

 private:
  std::vector<std::string> EncoderArgs(const std::string& ffmpeg) const {
    const FrameRange& frames = settings_.frames;
    const double seconds = static_cast<double>(frames.last + 1 - frames.first) * settings_.rate.den /
                           settings_.rate.num;
    char duration[32];
    std::snprintf(duration, sizeof duration, "%.6f", seconds);
    // -nostdin: standard input carries the frames; ffmpeg must not also read keys there.
    std::vector<std::string> args = {
        ffmpeg, "-hide_banner", "-loglevel", "error", "-nostats", "-nostdin", "-y",
        "-f", "rawvideo", "-pix_fmt", "rgb24",
        "-video_size", std::to_string(settings_.width) + "x" + std::to_string(settings_.height),
        "-framerate", FrameRateText(settings_.rate), "-i", "-",
        "-i", wavPath_, "-map", "0:v:0", "-map", "1:a:0",
        "-vf", "scale=out_color_matrix=bt709:out_range=tv", "-pix_fmt", "yuv420p",
        "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709",
        "-color_range", "tv"};
    std::vector<std::string> codecs = CodecArgs(Extension(settings_.out));
    args.insert(args.end(), codecs.begin(), codecs.end());
    // The full length, or the video's own when fewer frames come: the sound then stops with
    // the last picture rather than running on. (The muxer's own "shortest" flag is not used:
    // it cuts the sound at the encoder's reordering delay, well before the last picture.)
    args.insert(args.end(), {"-t", duration, "-shortest", file_.TempPath()});
    return args;
  }

  // The frame's pixels as R, G, B bytes down ffmpeg's input.
  bool Send(const FrameBuffer& frame, std::string* error) {
    const size_t pixels = static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height);
    rgb_.resize(pixels * 3);
    const uint8_t* bgrx = frame.bgrx.data();
    for (size_t i = 0; i < pixels; ++i, bgrx += kBytesPerPixel) {
      rgb_[3 * i] = bgrx[2];
      rgb_[3 * i + 1] = bgrx[1];
      rgb_[3 * i + 2] = bgrx[0];
    }
    if (encoder_.Write(rgb_.data(), rgb_.size(), StopRequested)) return true;
    *error = "ffmpeg stopped reading frames";
    return false;
  }

  // ffmpeg's messages, each line marked as its own.
  std::string EncoderNotes() const {
    std::string notes, text = encoder_.ErrorOutput();
    size_t start = 0;
    while (start < text.size()) {
      size_t newline = text.find('\n', start);
      if (newline == std::string::npos) newline = text.size();
      if (newline > start) notes += "ffmpeg: " + file_.InUserTerms(text.substr(start, newline - start)) + "\n";
      start = newline + 1;
    }
    return notes;
  }

  void RemoveWav() {
    if (wavPath_.empty()) return;
    std::error_code code;
    std::filesystem::remove(wavPath_, code);
    wavPath_.clear();
  }

  CaptureSettings settings_;
  output::PendingFile file_;
  zel::crt::ChildProcess encoder_;
  std::string wavPath_;
  std::vector<uint8_t> rgb_;
};

}  // namespace

bool IsVideoOutput(const std::string& out) {
  const std::string ext = Extension(out);
  return ext == ".mp4" || ext == ".mkv" || ext == ".webm";
}

std::unique_ptr<FrameSink> MakeVideoSink(const CaptureSettings& settings) {
  return std::make_unique<VideoSink>(settings);
}

}  // namespace zel::app::offline
