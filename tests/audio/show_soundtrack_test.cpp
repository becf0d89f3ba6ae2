// End to end: the built zel16 under X with SDL's disk audio driver, which writes what would be
// heard (16-bit stereo at 44100 Hz, paced to real time, from the moment the sound output opens)
// to a file. The soundtrack must be silent before demo time 6.0, then be the MP3 itself at its
// own level; a missing or broken soundtrack gives one message and a silent show.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <optional>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/platform/sound/mp3_maker.h"

extern char** environ;

namespace zel::audio {

namespace {

namespace fs = std::filesystem;
using namespace zel::sound::test;
using Clock = std::chrono::steady_clock;

constexpr int kRate = 44100;
const fs::path kBuild = ZEL16_BINARY_DIR;

struct ShowRun {
  int exitCode = -1;
  std::string messages;       // standard error
  std::vector<int16_t> audio; // interleaved stereo from the moment the output opened
  // Seconds of real time from the output's file appearing to the first sound in it; the
  // watcher can only see either late, and sound cannot be written before it is played.
  double secondsToSound = -1.0;
};

// Follows the growing output file: the time it appeared and the time sound first reached it.
class OutputWatcher {
 public:
  explicit OutputWatcher(std::string path) : path_(std::move(path)) {}
  void Poll() {
    std::ifstream in(path_, std::ios::binary);
    if (!in) return;
    if (!appeared_) appeared_ = Clock::now();
    in.seekg(static_cast<std::streamoff>(samples_.size() * 2));
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t old = samples_.size();
    const size_t added = bytes.size() / 2;
    if (added == 0) return;  // nothing new (and an empty vector's data() may be null)
    samples_.resize(old + added);
    std::memcpy(samples_.data() + old, bytes.data(), added * 2);
    if (!sounded_ && FirstLoudSample(samples_, 0) != std::string::npos) sounded_ = Clock::now();
  }
  // Samples written since the first sound, or 0 before it.
  size_t SamplesSinceSound() const {
    const size_t first = FirstLoudSample(samples_, 0);
    return first == std::string::npos ? 0 : samples_.size() - first;
  }
  double SecondsToSound() const {
    if (!appeared_ || !sounded_) return -1.0;
    return std::chrono::duration<double>(*sounded_ - *appeared_).count();
  }

 private:
  std::string path_;
  std::vector<int16_t> samples_;
  std::optional<Clock::time_point> appeared_, sounded_;
};

std::string ReadText(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Presses Escape in the window of process `pid` (Xvfb has no window manager: focus it first).
void PressEscape(pid_t pid) {
  const std::string command =
      "wid=$(timeout 20 xdotool search --all --sync --onlyvisible --pid " + std::to_string(pid) +
      " --name '^Zel 16$' | head -1);"
      "[ -n \"$wid\" ] && xdotool windowfocus --sync \"$wid\" && xdotool key Escape";
  std::system(command.c_str());
}

// Runs zel16 in `dataDir` from demo time `start`. With `escapeAfterMusic` set, Escape is
// pressed once that many seconds of sound have been written after the music began.
ShowRun RunShow(const fs::path& dataDir, const std::string& start, double escapeAfterMusic,
                const char* audioDriver = "disk") {
  const std::string raw = TempPath("show.raw"), err = TempPath("show.err");
  fs::remove(raw);
  const std::string exe = (kBuild / "zel16").string();
  const std::string data = dataDir.string();
  const char* argv[] = {exe.c_str(), "--no-setup", "--window", "320x240", "--batch",
                        "--start", start.c_str(), "--data", data.c_str(), nullptr};
  setenv("SDL_AUDIODRIVER", audioDriver, 1);
  setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
  unsetenv("SDL_DISKAUDIODELAY");  // real time, so file position is time since the output opened
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  ShowRun run;
  const int spawned = posix_spawn(&pid, exe.c_str(), &actions, nullptr,
                                  const_cast<char* const*>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return run;

  const auto deadline = Clock::now() + std::chrono::seconds(120);
  bool escaped = escapeAfterMusic < 0.0;
  OutputWatcher watcher(raw);
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (Clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      ADD_FAILURE() << "the show did not end";
      return run;
    }
    watcher.Poll();
    if (!escaped && watcher.SamplesSinceSound() > size_t(escapeAfterMusic * kRate * 2)) {
      PressEscape(pid);
      escaped = true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  run.messages = ReadText(err);
  run.audio = ReadRaw16(raw);
  run.secondsToSound = watcher.SecondsToSound();
  return run;
}

// A data directory that is the generated one except for Music/, which holds `soundtrack`
// (nothing when it is empty) as sm.mp3.
fs::path DataWithSoundtrack(const std::string& name, const std::string& soundtrack) {
  const fs::path dir = TempPath(name);
  fs::create_directories(dir / "Data" / "Music");
  for (const auto& entry : fs::directory_iterator(kBuild / "Data"))
    if (entry.path().filename() != "Music")
      fs::create_directory_symlink(entry.path(), dir / "Data" / entry.path().filename());
  if (!soundtrack.empty()) WriteBytes((dir / "Data" / "Music" / "sm.mp3").string(), soundtrack);
  return dir;
}

// The show's output from `outStart` (sample index) against the soundtrack decoded on its own
// from `refStart`: the same signal at the same level.
void ExpectSoundtrack(const std::vector<int16_t>& out, size_t outStart,
                      const std::vector<int16_t>& ref, size_t refStart, size_t samples) {
  ASSERT_LE(outStart + samples, out.size());
  ASSERT_LE(refStart + samples, ref.size());
  double cross = 0, outPower = 0, refPower = 0;
  for (size_t i = 0; i < samples; ++i) {
    const double a = out[outStart + i], b = ref[refStart + i];
    cross += a * b;
    outPower += a * a;
    refPower += b * b;
  }
  ASSERT_GT(refPower, 0.0);
  EXPECT_GT(cross / std::sqrt(outPower * refPower), 0.999) << "the same signal";
  EXPECT_NEAR(10.0 * std::log10(outPower / refPower), 0.0, 0.1) << "level in dB";
}

class ShowSoundtrackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kBuild / "zel16") || !fs::exists(kBuild / "Data" / "Music" / "sm.mp3"))
      GTEST_FAIL() << "zel16 and the generated Data/ are built with the tests";
    long rate = 0;
    ASSERT_TRUE(ReferenceDecode((kBuild / "Data" / "Music" / "sm.mp3").string(), &reference, &rate));
    ASSERT_EQ(rate, kRate);
  }
  std::vector<int16_t> reference;  // the generated soundtrack, decoded on its own
};

TEST_F(ShowSoundtrackTest, SilentBeforeSixSecondsThenTheSoundtrackAtItsLevel) {
  const ShowRun run = RunShow(kBuild, "0", 2.0);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(Count(run.messages, "_ERROR"), 0u) << run.messages;
  const size_t firstOut = FirstLoudSample(run.audio, 0), firstRef = FirstLoudSample(reference, 0);
  ASSERT_NE(firstOut, std::string::npos) << "no music at all";
  ASSERT_GE(firstOut, firstRef);
  const size_t musicStart = firstOut - firstRef;  // sample where the soundtrack's start falls
  // The output opens before the scenes load and the clock starts after them, so demo time 6.0
  // comes at least 6 s after the output opened (less the watcher's 10 ms polling); music from
  // demo time 0 would be heard within the loading time.
  EXPECT_GE(run.secondsToSound, 6.0 - 0.05) << "music before demo time 6.0";
  ExpectSoundtrack(run.audio, musicStart, reference, 0, size_t(1.5 * kRate) * 2);
}

// Enable once the show passes its start option on with ZelSound_SetStartPosition.
TEST_F(ShowSoundtrackTest, LaterStartBeginsTheMusicAtStartLessSixSeconds) {
  // From 176.0 s the show runs 3 s and ends by itself; the music starts 170 s in.
  const size_t from = size_t(170.0 * kRate) * 2;
  const ShowRun run = RunShow(kBuild, "176", -1.0);
  EXPECT_EQ(run.exitCode, 0);
  if (reference.size() <= from + kRate * 2) {
    EXPECT_EQ(FirstLoudSample(run.audio, 0), std::string::npos) << "the soundtrack is over by then";
    return;
  }
  const std::vector<int16_t> tail(reference.begin() + from, reference.end());
  const size_t firstOut = FirstLoudSample(run.audio, 0), firstTail = FirstLoudSample(tail, 0);
  ASSERT_NE(firstOut, std::string::npos);
  ASSERT_GE(firstOut, firstTail);
  ExpectSoundtrack(run.audio, firstOut - firstTail, tail, 0, kRate * 2);
}

TEST_F(ShowSoundtrackTest, MissingOrBrokenSoundtrackWarnsOnceAndTheShowRunsSilent) {
  std::string bytes;
  for (int i = 0; i < 50000; ++i) bytes.push_back(char(i * 37 % 127));
  const std::pair<const char*, std::string> cases[] = {{"missing", ""}, {"not-mp3", bytes}};
  for (const auto& [name, soundtrack] : cases) {
    const ShowRun run = RunShow(DataWithSoundtrack(name, soundtrack), "177", -1.0);
    EXPECT_EQ(run.exitCode, 0) << name;
    EXPECT_EQ(Count(run.messages, "FILE_ERROR: Could not load stream file.\n"), 1u)
        << name << ": " << run.messages;
    EXPECT_FALSE(run.audio.empty()) << name << ": the output was open";
    EXPECT_EQ(FirstLoudSample(run.audio, 0), std::string::npos) << name << ": silent";
  }
}

TEST_F(ShowSoundtrackTest, NoAudioDeviceIsASilentShowWithoutMessages) {
  const ShowRun run = RunShow(kBuild, "177", -1.0, "no-such-driver");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(Count(run.messages, "_ERROR"), 0u) << run.messages;
}

}  // namespace

}  // namespace zel::audio
