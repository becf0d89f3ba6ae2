// The built zel16 capturing short stretches of the show: PNG files and a WAV in a directory,
// a video that ffprobe reads, and a clear failure without ffmpeg. Each test runs the program
// as a user would, from a scratch working directory.
#include <gtest/gtest.h>
#include <png.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status;
  std::string err;
};

class CaptureRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // One directory per process: other checkouts may run the same test at the same time.
    work = fs::temp_directory_path() /
           ("zel16_capture_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
            "_" + std::to_string(getpid()));
    fs::remove_all(work);
    fs::create_directories(work);
  }
  void TearDown() override { fs::remove_all(work); }

  // zel16 with `args` in the scratch directory, under `env` ("NAME=value ..."), stderr kept.
  Outcome Zel16(const std::string& args, const std::string& env = "") {
    const fs::path err = work / "stderr.txt";
    std::string command = "cd '" + work.string() + "' && " + env + " SDL_AUDIODRIVER=dummy '" +
                          ZEL16_PROGRAM + "' " + args + " 2>'" + err.string() + "'";
    int raw = std::system(command.c_str());
    std::ifstream in(err);
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, std::string(std::istreambuf_iterator<char>(in), {})};
  }
  // ffprobe's one value for `entries` of `file` (e.g. "format=duration").
  static std::string Probe(const fs::path& file, const std::string& select, const std::string& entries) {
    std::string command = "ffprobe -v error " + select + " -show_entries " + entries +
                          " -of default=noprint_wrappers=1:nokey=1 '" + file.string() + "'";
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
      char buffer[256];
      while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
      pclose(pipe);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
  }

  fs::path work;
};

struct Image {
  png_uint_32 width = 0, height = 0;
  std::vector<uint8_t> rgba;
  double MeanLevel() const {
    double sum = 0;
    for (size_t i = 0; i < rgba.size(); i += 4) sum += rgba[i] + rgba[i + 1] + rgba[i + 2];
    return rgba.empty() ? 0 : sum / (rgba.size() / 4 * 3);
  }
};

Image ReadPng(const fs::path& path) {
  Image image;
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) return image;
  png.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
  if (png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) {
    image.width = png.width;
    image.height = png.height;
    image.rgba = std::move(pixels);
  }
  return image;
}

// Largest absolute 16-bit sample among sample frames [first, last) of a 44-byte-header WAV.
int Peak(const std::vector<uint8_t>& wav, size_t first, size_t last) {
  int peak = 0;
  for (size_t f = first; f < last && 44 + f * 4 + 3 < wav.size(); ++f)
    for (int c = 0; c < 2; ++c) {
      const size_t at = 44 + f * 4 + c * 2;
      const int v = static_cast<int16_t>(wav[at] | wav[at + 1] << 8);
      peak = std::max(peak, std::abs(v));
    }
  return peak;
}

TEST_F(CaptureRunTest, DirectoryGetsNumberedFramesAndTheSoundtrack) {
  Outcome run = Zel16("--capture frames --fps 10 --size 160x120 --from 5.9 --to 6.1");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("3/3 frames"), std::string::npos) << run.err;
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(work / "frames")) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"frame_000059.png", "frame_000060.png",
                                             "frame_000061.png", "soundtrack.wav"}));
  for (const char* name : {"frame_000059.png", "frame_000060.png", "frame_000061.png"}) {
    Image image = ReadPng(work / "frames" / name);
    EXPECT_EQ(image.width, 160u) << name;
    EXPECT_EQ(image.height, 120u) << name;
  }
  // Frame 60 (demo time just under 6.0) is the end of the opening's fade: black by design.
  EXPECT_GT(ReadPng(work / "frames" / "frame_000059.png").MeanLevel(), 2.0) << "opening is black";
  EXPECT_GT(ReadPng(work / "frames" / "frame_000061.png").MeanLevel(), 20.0) << "sky is black";
  std::ifstream in(work / "frames" / "soundtrack.wav", std::ios::binary);
  std::vector<uint8_t> wav(std::istreambuf_iterator<char>(in), {});
  ASSERT_EQ(wav.size(), 44u + 6.2 * 44100 * 4);  // demo time 0 to the end of frame 61
  EXPECT_EQ(Peak(wav, 0, 264600), 0) << "sound before 6.0 s";
  EXPECT_GT(Peak(wav, 264600, 273420), 100) << "silence after 6.0 s";
}

TEST_F(CaptureRunTest, VideoHasTheCapturedDurationAndBothStreams) {
  Outcome run = Zel16("--capture 'a show.mp4' --fps 10 --size 161x121 --from 5.9 --to 6.4");
  ASSERT_EQ(run.status, 0) << run.err;
  const fs::path video = work / "a show.mp4";
  ASSERT_TRUE(fs::exists(video));
  EXPECT_NEAR(std::atof(Probe(video, "", "format=duration").c_str()), 0.6, 0.06);
  EXPECT_EQ(Probe(video, "-select_streams v:0 -count_frames", "stream=nb_read_frames"), "6");
  EXPECT_EQ(Probe(video, "-select_streams v:0", "stream=width"), "162");  // padded to even
  EXPECT_EQ(Probe(video, "-select_streams a:0", "stream=codec_type"), "audio");
  EXPECT_NEAR(std::atof(Probe(video, "-select_streams a:0", "stream=duration").c_str()), 0.6, 0.06);
}

TEST_F(CaptureRunTest, MissingFfmpegIsAClearFailure) {
  Outcome run = Zel16("--capture show.webm --fps 10 --size 160x120 --to 0.2", "PATH=/nonexistent");
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find("ffmpeg is not on PATH"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(work / "show.webm"));
}

TEST_F(CaptureRunTest, RangeOutsideTheShowIsRefused) {
  Outcome run = Zel16("--capture frames --fps 10 --from 180 --to 200");
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find("no frame"), std::string::npos) << run.err;
}

}  // namespace
