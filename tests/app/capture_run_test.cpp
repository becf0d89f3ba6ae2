// The built zel16 capturing short stretches of the show: PNG files and a WAV in a directory,
// a video that ffprobe reads with its sound in place and its colours tagged, a clear failure
// without ffmpeg, and Ctrl-C in mid-capture. Each test runs the program as a user would, from
// a scratch working directory.
#include <gtest/gtest.h>
#include <png.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <thread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace zel::app {

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

  // All that `command` writes to standard output.
  static std::vector<uint8_t> Output(const std::string& command) {
    std::vector<uint8_t> out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
      uint8_t buffer[65536];
      while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.insert(out.end(), buffer, buffer + n);
      pclose(pipe);
    }
    return out;
  }
  // zel16 with `args` started the way a terminal starts a job: in a process group of its
  // own, with Ctrl-C's signals at their defaults whatever ours are; stderr to a file.
  pid_t StartJob(std::vector<std::string> args) {
    args.insert(args.begin(), ZEL16_PROGRAM);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env = {"SDL_AUDIODRIVER=dummy"};
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addchdir_np(&files, work.c_str());
    posix_spawn_file_actions_addopen(&files, 2, (work / "stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &files, &attributes, argv.data(), envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    return pid;
  }
  std::string Stderr() const {
    std::ifstream in(work / "stderr.txt");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // Waits (a minute at most) until the progress bar shows `frames` frames done.
  bool WaitForFrames(unsigned long long frames) const {
    for (int i = 0; i < 600; ++i) {
      const std::string err = Stderr();
      const size_t bar = err.rfind('[');
      unsigned long long done = 0;
      if (bar != std::string::npos && std::sscanf(err.c_str() + bar, "[%*[#-]] %llu/", &done) == 1 &&
          done >= frames)
        return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }
  // Ctrl-C at the terminal: SIGINT to the job's whole process group. The job's exit status
  // (128 + the signal when a signal ended it).
  static int Interrupt(pid_t job) {
    kill(-job, SIGINT);
    int raw = 0;
    while (waitpid(job, &raw, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  }
  // The count in the "N frames written" of the interruption's report; 0 when there is none.
  static unsigned long long FramesWritten(const std::string& err) {
    const size_t at = err.find("capture interrupted at frame ");
    unsigned long long end = 0, written = 0;
    if (at == std::string::npos ||
        std::sscanf(err.c_str() + at, "capture interrupted at frame %llu: %llu frames written", &end, &written) != 2)
      return 0;
    return written;
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
  Outcome run = Zel16("--capture frames --fps 10 --size 161x121 --from 5.9 --to 6.1");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("3/3 frames"), std::string::npos) << run.err;
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(work / "frames")) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"frame_000059.png", "frame_000060.png",
                                             "frame_000061.png", "soundtrack.wav"}));
  for (const char* name : {"frame_000059.png", "frame_000060.png", "frame_000061.png"}) {
    Image image = ReadPng(work / "frames" / name);
    EXPECT_EQ(image.width, 161u) << name;  // PNG keeps odd sides
    EXPECT_EQ(image.height, 121u) << name;
  }
  // Frame 60 (demo time just under 6.0) is the end of the opening's fade: black by design.
  EXPECT_GT(ReadPng(work / "frames" / "frame_000059.png").MeanLevel(), 2.0) << "opening is black";
  EXPECT_GT(ReadPng(work / "frames" / "frame_000061.png").MeanLevel(), 20.0) << "sky is black";
  std::ifstream in(work / "frames" / "soundtrack.wav", std::ios::binary);
  std::vector<uint8_t> wav(std::istreambuf_iterator<char>(in), {});
  ASSERT_EQ(wav.size(), 44u + 6.2 * 44100 * 4);  // demo time 0 to the end of frame 61
  // The music from tick 6,001 (sample frame 264,644) on, its first kick at once.
  EXPECT_EQ(Peak(wav, 0, 264644), 0) << "sound before tick 6,001";
  EXPECT_GT(Peak(wav, 264644, 264644 + 441), 100) << "silence in the first 10 ms of the music";
}

// The frames a capture writes (read back while the next ones draw, encoded on other threads,
// renamed in order) are the pixels --frame draws at the same moments: seven frames of the
// title, more than are ever in flight, at the fast and at the smallest PNG level. (Within
// the sky's words the two differ by design: each frame shakes the words with the next draws
// of the shared rand sequence, so a frame depends on how many were drawn before it.)
TEST_F(CaptureRunTest, FramesAreBitForBitTheFramesOfFrameOption) {
  for (const char* level : {"", " --png-level 9"}) {
    const std::string folder = std::string("frames") + (*level ? "9" : "");
    Outcome run = Zel16("--capture " + folder + " --fps 2 --size 160x120 --from 13 --to 16" + level);
    ASSERT_EQ(run.status, 0) << run.err;
    for (int k = 26; k <= 32; ++k) {  // 13.0 s to 16.0 s
      const std::string seconds = std::to_string(k / 2) + (k % 2 ? ".5" : ".0");
      const std::string single = "single_" + std::to_string(k) + ".png";
      Outcome frame = Zel16("--frame " + seconds + " --size 160x120 --out " + single);
      ASSERT_EQ(frame.status, 0) << frame.err;
      char name[32];
      std::snprintf(name, sizeof name, "frame_%06d.png", k);
      const Image captured = ReadPng(work / folder / name), drawn = ReadPng(work / single);
      ASSERT_EQ(captured.rgba.size(), 160u * 120 * 4) << name;
      EXPECT_TRUE(captured.rgba == drawn.rgba) << name << level << " differs from --frame " << seconds;
    }
  }
}

TEST_F(CaptureRunTest, VideoHasTheCapturedDurationAndBothStreams) {
  Outcome run = Zel16("--capture 'a show.mp4' --fps 10 --size 161x121 --from 5.9 --to 6.4");
  ASSERT_EQ(run.status, 0) << run.err;
  const fs::path video = work / "a show.mp4";
  ASSERT_TRUE(fs::exists(video));
  EXPECT_NEAR(std::atof(Probe(video, "", "format=duration").c_str()), 0.6, 0.06);
  EXPECT_EQ(Probe(video, "-select_streams v:0 -count_frames", "stream=nb_read_frames"), "6");
  // Odd sides are rendered one pixel larger for 4:2:0 video, and the run says so.
  EXPECT_EQ(Probe(video, "-select_streams v:0", "stream=width"), "162");
  EXPECT_EQ(Probe(video, "-select_streams v:0", "stream=height"), "122");
  EXPECT_NE(run.err.find("capturing at 162x122 instead of 161x121"), std::string::npos) << run.err;
  EXPECT_EQ(Probe(video, "-select_streams a:0", "stream=codec_type"), "audio");
  EXPECT_NEAR(std::atof(Probe(video, "-select_streams a:0", "stream=duration").c_str()), 0.6, 0.06);
  EXPECT_EQ(Probe(video, "-select_streams v:0", "stream=color_space,color_transfer,color_primaries,color_range"),
            "tv\nbt709\nbt709\nbt709");
  // The music starts on tick 6,001: sample frame 264,644 of demo time, and the video starts
  // at demo time 5.9 (sample frame 260,190), so 4,454 samples in. The sound decoded back
  // from the file (AAC, its encoder's priming cut by the file's edit list) is silent until
  // the first kick, within half a millisecond of that; music from 6.000 s would come 44
  // samples early.
  const std::vector<uint8_t> pcm =
      Output("ffmpeg -v error -i '" + video.string() + "' -f s16le -ac 1 -ar 44100 -");
  std::vector<int> samples(pcm.size() / 2);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(pcm[2 * i] | pcm[2 * i + 1] << 8);
  ASSERT_GT(samples.size(), 20000u);
  int peak = 0;
  for (int v : samples) peak = std::max(peak, std::abs(v));
  const size_t onset = static_cast<size_t>(
      std::find_if(samples.begin(), samples.end(), [&](int v) { return std::abs(v) > peak / 20; }) - samples.begin());
  EXPECT_NEAR(static_cast<double>(onset), 4454.0, 22.0) << "first sound at sample " << onset;
}

TEST_F(CaptureRunTest, VideoColoursComeBackAsTheFramesRgb) {
  ASSERT_EQ(Zel16("--capture png --fps 10 --size 160x120 --from 40 --to 40").status, 0);
  ASSERT_EQ(Zel16("--capture card.mp4 --fps 10 --size 160x120 --from 40 --to 40").status, 0);
  const Image frame = ReadPng(work / "png" / "frame_000400.png");
  // Decoded as the file's tags say, with exact rounding (the default rounding alone would
  // darken everything by about a level).
  const std::vector<uint8_t> rgb = Output("ffmpeg -v error -i '" + (work / "card.mp4").string() +
                                          "' -vf scale=flags=accurate_rnd+full_chroma_int -f rawvideo "
                                          "-pix_fmt rgb24 -");
  ASSERT_EQ(rgb.size(), 160u * 120 * 3);
  ASSERT_EQ(frame.rgba.size(), 160u * 120 * 4);
  // Per channel, the picture's mean level survives within two levels; the BT.601 matrix
  // under a BT.709 tag is 4 levels off in green, full range under a limited tag 4 to 5.
  for (int c = 0; c < 3; ++c) {
    double png = 0, video = 0;
    for (size_t i = 0; i < 160u * 120; ++i) {
      png += frame.rgba[4 * i + c];
      video += rgb[3 * i + c];
    }
    EXPECT_NEAR(video / (160 * 120), png / (160 * 120), 2.0) << "channel " << c;
  }
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

TEST_F(CaptureRunTest, CtrlCLeavesAVideoThatPlaysToItsLastFrame) {
  const pid_t job = StartJob({"--capture", "cut.mp4", "--fps", "30000/1001", "--size", "160x120", "--from", "5",
                              "--to", "60"});
  ASSERT_GT(job, 0);
  const bool started = WaitForFrames(5);
  const int status = Interrupt(job);
  ASSERT_TRUE(started) << Stderr();
  const std::string err = Stderr();
  EXPECT_EQ(status, 130) << err;
  const unsigned long long written = FramesWritten(err);
  ASSERT_GE(written, 5u) << err;
  const fs::path video = work / "cut.mp4";
  EXPECT_EQ(Probe(video, "-select_streams v:0 -count_frames", "stream=nb_read_frames"), std::to_string(written));
  const double seconds = static_cast<double>(written) * 1001 / 30000;
  EXPECT_NEAR(std::atof(Probe(video, "-select_streams v:0", "stream=duration").c_str()), seconds, 0.001);
  // The sound stops with the pictures: one AAC packet (23 ms) is the finest step there is.
  EXPECT_NEAR(std::atof(Probe(video, "-select_streams a:0", "stream=duration").c_str()), seconds, 0.024);
}

TEST_F(CaptureRunTest, CtrlCKeepsEveryWholeFrameAndCutsTheTrackToThem) {
  const pid_t job = StartJob({"--capture", "frames", "--fps", "10", "--size", "160x120", "--from", "5", "--to", "170"});
  ASSERT_GT(job, 0);
  const bool started = WaitForFrames(3);
  const int status = Interrupt(job);
  ASSERT_TRUE(started) << Stderr();
  const std::string err = Stderr();
  EXPECT_EQ(status, 130) << err;
  const unsigned long long written = FramesWritten(err);
  ASSERT_GE(written, 3u) << err;
  unsigned long long pngs = 0;
  for (const auto& entry : fs::directory_iterator(work / "frames")) {
    const std::string name = entry.path().filename();
    if (name == "soundtrack.wav") continue;
    ++pngs;
    EXPECT_EQ(name.rfind("frame_", 0), 0u) << name;
    EXPECT_EQ(ReadPng(entry.path()).width, 160u) << name << " is not a whole PNG";
  }
  EXPECT_EQ(pngs, written);
  EXPECT_TRUE(fs::exists(work / "frames" / "frame_000050.png"));  // 5 s at 10 per second
  // Demo time 0 to the end of the last frame written: (50 + written) / 10 s of 44100 Hz
  // 16-bit stereo.
  EXPECT_EQ(fs::file_size(work / "frames" / "soundtrack.wav"), 44 + (50 + written) * 4410 * 4);
}

}  // namespace

}  // namespace zel::app
