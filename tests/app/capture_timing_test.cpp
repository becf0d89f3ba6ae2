// The capture's pure parts: which frames at which demo times, the soundtrack's WAV file and
// its alignment, the progress line, and the capture options.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "app/offline/capture_audio.h"
#include "app/offline/capture_progress.h"
#include "app/offline/capture_sink.h"
#include "app/offline/capture_timing.h"
#include "app/offline/capture_wav.h"
#include "app/command_line.h"

namespace zel::app {

namespace {

using zel::app::offline::FramesBetween;
using zel::app::offline::FrameTicks;

TEST(CaptureTiming, FrameTicksRoundToTheNearestTick) {
  EXPECT_EQ(FrameTicks(0, 30), 0u);
  EXPECT_EQ(FrameTicks(1, 30), 33u);   // 33.33
  EXPECT_EQ(FrameTicks(2, 30), 67u);   // 66.67
  EXPECT_EQ(FrameTicks(1, 16), 63u);   // 62.5 rounds up
  EXPECT_EQ(FrameTicks(3, 16), 188u);  // 187.5 rounds up
  EXPECT_EQ(FrameTicks(5361, 30), 178700u);
  EXPECT_EQ(FrameTicks(7, 1000), 7u);
}

TEST(CaptureTiming, RationalRatesKeepWholeShowsOnTheRightTick) {
  const zel::app::offline::FrameRate ntsc60(60000, 1001);
  // 10787 * 1000 * 1001 / 60000 = 179962.78..: the 10,787th frame, nearly three minutes in,
  // falls on tick 179,963, where a float step of 1001/60 ms would have drifted off.
  EXPECT_EQ(FrameTicks(10787, ntsc60), 179963u);
  EXPECT_EQ(FrameTicks(1, ntsc60), 17u);  // 16.68
  EXPECT_EQ(FrameTicks(3, ntsc60), 50u);  // 50.05
  // 10787 * 1001 * 44100 / 60000 = 7936373.4..: where its sound begins.
  EXPECT_EQ(zel::app::offline::FrameSample(10787, ntsc60, 44100), 7936373);
  EXPECT_EQ(zel::app::offline::FrameSample(3, zel::app::offline::FrameRate(30), 44100), 4410);
  // 179 s hold 10729.27 frames of 60000/1001: frames 0 to 10729.
  EXPECT_EQ(FramesBetween(0.0, 179.0, ntsc60).Count(), 10730u);
  // The largest terms accepted: 178999 * 1000 * 1000 / 999999 = 178999.18.., and the 64-bit
  // product still exact for the last frame index a range can hold.
  EXPECT_EQ(FrameTicks(178999, zel::app::offline::FrameRate(999999, 1000)), 178999u);
  EXPECT_EQ(FrameTicks(4294967295u, zel::app::offline::FrameRate(1, 1000000)), 4294967295000000000u);
  zel::app::offline::FrameClock clock(ntsc60);
  EXPECT_EQ(clock.TimeOf(10787), DemoClock::AfterTicks(179963));
}

TEST(CaptureTiming, RatesAreWholeTermsWithinBounds) {
  auto parse = [](const char* text, zel::app::offline::FrameRate* rate) {
    std::string why;
    const bool ok = zel::app::offline::ParseFrameRate(text, rate, &why);
    EXPECT_EQ(ok, why.empty()) << text << ": " << why;
    return ok;
  };
  zel::app::offline::FrameRate rate;
  ASSERT_TRUE(parse("30000/1001", &rate));
  EXPECT_EQ(rate.num, 30000u);
  EXPECT_EQ(rate.den, 1001u);
  EXPECT_EQ(zel::app::offline::FrameRateText(rate), "30000/1001");
  ASSERT_TRUE(parse("60/2", &rate));  // lowest terms
  EXPECT_EQ(zel::app::offline::FrameRateText(rate), "30");
  ASSERT_TRUE(parse("1000", &rate));
  ASSERT_TRUE(parse("1/1000000", &rate));
  ASSERT_TRUE(parse("0030/01", &rate));
  EXPECT_EQ(zel::app::offline::FrameRateText(rate), "30");
  for (const char* bad : {"0", "0/1", "1/0", "-30", "+30", "29.97", "30/", "/30", "", "abc", "30/1/1",
                          "1001", "2001/2", "1000001/1001", "99999999999999999999", "30 "})
    EXPECT_FALSE(parse(bad, &rate)) << bad;
  std::string why;
  EXPECT_FALSE(zel::app::offline::ParseFrameRate("4294967297/4294967296", &rate, &why));  // would wrap to 1/0
  EXPECT_NE(why.find("at most 1000000"), std::string::npos) << why;
}

TEST(CaptureTiming, MusicStartsOnTheTickTheClockFirstReadsSix) {
  EXPECT_EQ(zel::app::offline::FirstTickReaching(6.0f), 6001u);
  EXPECT_EQ(zel::app::offline::FirstTickReaching(179.0f), 178701u);
  EXPECT_EQ(zel::app::offline::MusicStartSample(), 264644);  // 6.001 s * 44100 = 264644.1
}

TEST(CaptureTiming, FrameTimesAreTheLiveClocksSums) {
  zel::app::offline::FrameClock clock(30);
  for (uint64_t k : {0u, 1u, 2u, 180u, 181u, 5361u}) {
    EXPECT_EQ(clock.TimeOf(k), DemoClock::AfterTicks(FrameTicks(k, 30))) << "frame " << k;
  }
  // The float sum drifts: 6000 ticks are still before 6.0, as on the live clock.
  zel::app::offline::FrameClock tenths(10);
  EXPECT_LT(tenths.TimeOf(60), 6.0f);
  EXPECT_GE(tenths.TimeOf(61), 6.0f);
}

TEST(CaptureTiming, RangesCountFramesOnTheirNominalTimes) {
  auto r = FramesBetween(5.9, 6.1, 10);
  EXPECT_FALSE(r.empty);
  EXPECT_EQ(r.first, 59u);
  EXPECT_EQ(r.last, 61u);
  EXPECT_EQ(r.Count(), 3u);
  EXPECT_EQ(FramesBetween(0.0, 179.0, 30).Count(), 5371u);
  EXPECT_EQ(FramesBetween(1.01, 1.02, 10).Count(), 0u);  // no frame between
  EXPECT_EQ(FramesBetween(2.0, 1.0, 10).Count(), 0u);
  EXPECT_EQ(FramesBetween(0.0, 0.0, 10).Count(), 1u);    // the frame at 0 alone
}

TEST(CaptureProgress, LineShowsFramesRateAndTimeLeft) {
  std::string line = zel::app::offline::ProgressLine(100, 400, 4.0);
  EXPECT_NE(line.find(" 100/400 frames"), std::string::npos) << line;
  EXPECT_NE(line.find("25.0 fps"), std::string::npos) << line;
  EXPECT_NE(line.find("0:12 left"), std::string::npos) << line;  // 300 frames at 25 fps
  EXPECT_NE(line.find("[#######-"), std::string::npos) << line;
  EXPECT_NE(zel::app::offline::ProgressLine(0, 10, 0.0).find("--:-- left"), std::string::npos);
  EXPECT_NE(zel::app::offline::ProgressLine(10, 10, 2.0).find("[" + std::string(30, '#') + "]"),
            std::string::npos);
}

TEST(CaptureOutput, VideoIsChosenByTheFileExtension) {
  EXPECT_TRUE(zel::app::offline::IsVideoOutput("show.mp4"));
  EXPECT_TRUE(zel::app::offline::IsVideoOutput("/tmp/a b/Show.MKV"));
  EXPECT_TRUE(zel::app::offline::IsVideoOutput("x.webm"));
  EXPECT_FALSE(zel::app::offline::IsVideoOutput("frames"));
  EXPECT_FALSE(zel::app::offline::IsVideoOutput("frames.mp4/"));
  EXPECT_EQ(zel::app::offline::FrameFileName(59), "frame_000059.png");
}

struct Wav {
  std::vector<uint8_t> bytes;
  uint32_t U32(size_t at) const {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t{bytes[at + 3]} << 24;
  }
  size_t Frames() const { return (bytes.size() - 44) / 4; }
};

Wav ReadWav(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Wav{std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {})};
}

TEST(CaptureAudio, SoundtrackWithoutMusicIsSilenceOfTheRightLength) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("zel16_capture_test_" + std::to_string(getpid()) + ".wav")).string();
  std::string warning, error;
  ASSERT_TRUE(zel::app::offline::WriteSoundtrack(path, "no/such/music.mp3", 242550, 286650, &warning, &error)) << error;
  EXPECT_NE(warning.find("no/such/music.mp3"), std::string::npos) << warning;
  Wav wav = ReadWav(path);
  ASSERT_GE(wav.bytes.size(), 44u);
  EXPECT_EQ(std::memcmp(wav.bytes.data(), "RIFF", 4), 0);
  EXPECT_EQ(wav.U32(4), wav.bytes.size() - 8);
  EXPECT_EQ(wav.U32(24), 44100u);
  EXPECT_EQ(wav.U32(40), wav.bytes.size() - 44);
  EXPECT_EQ(wav.Frames(), 44100u);
  for (size_t i = 44; i < wav.bytes.size(); ++i) ASSERT_EQ(wav.bytes[i], 0) << "byte " << i;
  std::filesystem::remove(path);
}

TEST(CaptureAudio, InterruptedTrackIsCutToItsFrames) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("zel16_capture_cut_" + std::to_string(getpid()) + ".wav")).string();
  std::string error;
  {
    zel::app::offline::WavWriter writer;
    ASSERT_TRUE(writer.Open(path, 44100, 2, &error)) << error;
    std::vector<int16_t> ramp(2000);
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<int16_t>(i);
    ASSERT_TRUE(writer.Write(ramp.data(), 1000));
    ASSERT_TRUE(writer.Close(&error)) << error;
  }
  ASSERT_TRUE(zel::app::offline::TruncateWav(path, 300, &error)) << error;
  Wav wav = ReadWav(path);
  ASSERT_EQ(wav.Frames(), 300u);
  EXPECT_EQ(wav.U32(4), wav.bytes.size() - 8);
  EXPECT_EQ(wav.U32(40), 1200u);
  EXPECT_EQ(wav.bytes[44 + 1199], 0x02);  // sample 599 = 0x0257, high byte last
  ASSERT_TRUE(zel::app::offline::TruncateWav(path, 5000, &error)) << error;  // longer: unchanged
  EXPECT_EQ(ReadWav(path).Frames(), 300u);
  std::filesystem::remove(path);
  EXPECT_FALSE(zel::app::offline::TruncateWav(path, 10, &error));
  EXPECT_NE(error.find(path), std::string::npos) << error;
}

TEST(CaptureAudio, TrackStopsWithTheFramesAndNeverOutlastsTheShow) {
  // At 30 per second the track ends with the last frame: 60 frames are 2 s.
  EXPECT_EQ(zel::app::offline::TrackEnd(60, zel::app::offline::FrameRate(30)), 88200);
  // The live show ends on tick 178,701, whatever a frame's length: at one frame per 1000 s
  // the one frame of the show would otherwise bring 1000 s of sound (176 MB of WAV).
  const int64_t showEnd = (2 * 178701ll * 44100 + 1000) / 2000;
  EXPECT_EQ(zel::app::offline::TrackEnd(1, zel::app::offline::FrameRate(1, 1000)), showEnd);
  EXPECT_EQ(zel::app::offline::TrackEnd(1, zel::app::offline::FrameRate(1, 1000000)), showEnd);
  EXPECT_EQ(zel::app::offline::TrackEnd(5371, zel::app::offline::FrameRate(30)), showEnd);  // the end of frame 5370 is 179.03 s
  EXPECT_EQ(zel::app::offline::FirstTickPast(179.0f), 178701u);
}

TEST(CaptureAudio, UnwritableTrackFails) {
  std::string warning, error;
  EXPECT_FALSE(zel::app::offline::WriteSoundtrack("/no/such/dir/x.wav", "m.mp3", 0, 44100, &warning, &error));
  EXPECT_NE(error.find("/no/such/dir/x.wav"), std::string::npos) << error;
}

CommandLine ParseOk(std::vector<const char*> args, ParseOutcome expected = ParseOutcome::Run) {
  args.insert(args.begin(), "zel16");
  CommandLine line;
  std::string out, err;
  EXPECT_EQ(ParseCommandLine(static_cast<int>(args.size()), args.data(), line, out, err), expected)
      << err;
  return line;
}

TEST(CaptureOptions, ParsedAndCheckedTogether) {
  CommandLine line = ParseOk({"--capture", "out", "--fps", "25", "--size", "160x120", "--from",
                              "5.9", "--to", "6.1"});
  EXPECT_EQ(line.captureOut, "out");
  EXPECT_EQ(line.captureFpsNum, 25u);
  EXPECT_EQ(line.captureFpsDen, 1u);
  CommandLine ntsc = ParseOk({"--capture", "out.mkv", "--fps", "60000/1001"});
  EXPECT_EQ(ntsc.captureFpsNum, 60000u);
  EXPECT_EQ(ntsc.captureFpsDen, 1001u);
  EXPECT_EQ(line.frameWidth, 160);
  EXPECT_EQ(line.frameHeight, 120);
  EXPECT_EQ(line.captureFrom, 5.9);
  EXPECT_EQ(line.captureTo, 6.1);
  CommandLine defaults = ParseOk({"--capture", "out.mp4", "--fps", "30"});
  EXPECT_EQ(defaults.frameWidth, 800);
  EXPECT_EQ(defaults.frameHeight, 600);
  ParseOk({"--capture", "out"}, ParseOutcome::Error);               // no --fps
  ParseOk({"--fps", "30"}, ParseOutcome::Error);                    // no --capture
  ParseOk({"--capture", "o", "--fps", "0"}, ParseOutcome::Error);
  ParseOk({"--capture", "o", "--fps", "30", "--from", "7", "--to", "6"}, ParseOutcome::Error);
  ParseOk({"--capture", "o", "--fps", "30", "--size", "0x10"}, ParseOutcome::Error);
  ParseOk({"--capture", "o", "--fps", "30", "--frame", "3", "--out", "f.png"}, ParseOutcome::Error);
  ParseOk({"--size", "160x120"}, ParseOutcome::Error);
  // A frame lying exactly on --from and --to is in the range (a float's rounding of 6.2
  // would put both just below frame 62).
  CommandLine one = ParseOk({"--capture", "o", "--fps", "10", "--from", "6.2", "--to", "6.2"});
  EXPECT_EQ(FramesBetween(one.captureFrom, one.captureTo, zel::app::offline::FrameRate(10)).first, 62u);
  EXPECT_EQ(FramesBetween(one.captureFrom, one.captureTo, zel::app::offline::FrameRate(10)).Count(), 1u);
  // A refused rate says why.
  const char* args[] = {"zel16", "--capture", "o", "--fps", "2000"};
  CommandLine line2;
  std::string out, err;
  EXPECT_EQ(ParseCommandLine(5, args, line2, out, err), ParseOutcome::Error);
  EXPECT_NE(err.find("bad value '2000' for --fps: at most 1000 frames per second"), std::string::npos) << err;
}

// --png-level: 0 to 9, for PNG frames only; the capture's fast default when not given.
TEST(CaptureOptions, PngLevelIsForFrameFolders) {
  EXPECT_EQ(ParseOk({"--capture", "o", "--fps", "30"}).capturePngLevel, -1);
  EXPECT_EQ(ParseOk({"--capture", "o", "--fps", "30", "--png-level", "9"}).capturePngLevel, 9);
  EXPECT_EQ(ParseOk({"--capture", "o", "--fps", "30", "--png-level=0"}).capturePngLevel, 0);
  for (const char* bad : {"10", "-1", "x", ""})
    ParseOk({"--capture", "o", "--fps", "30", "--png-level", bad}, ParseOutcome::Error);
  ParseOk({"--capture", "o.mp4", "--fps", "30", "--png-level", "3"}, ParseOutcome::Error);
  ParseOk({"--png-level", "3"}, ParseOutcome::Error);
  ParseOk({"--frame", "3", "--out", "f.png", "--png-level", "3"}, ParseOutcome::Error);
  // The default is fast; stored frames need no filter; from level 4 libpng picks per row.
  using zel::app::offline::PngCompressionFor;
  EXPECT_EQ(PngCompressionFor(zel::app::offline::kCapturePngLevel).level, 1);
  EXPECT_EQ(PngCompressionFor(1).filters, gfxutil::PngFilters::Sub);
  EXPECT_EQ(PngCompressionFor(0).filters, gfxutil::PngFilters::None);
  EXPECT_EQ(PngCompressionFor(9).filters, gfxutil::PngFilters::Adaptive);
}

}  // namespace

}  // namespace zel::app
