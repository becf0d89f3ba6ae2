// The sound library stand-in: decoding, the play rules the show relies on, and what reaches
// the audio device (SDL's disk driver writes it to a file).
#include <fmod.h>
#include <gtest/gtest.h>
#include <zel_sound_ext.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/sound/resampler.h"
#include "tests/platform/sound/mp3_maker.h"

namespace zel::sound {

namespace {

using namespace zel::sound::test;

constexpr int kRate = 44100;

// Sends the device output to a raw file (16-bit stereo at the mixing rate), by default about
// 23 times faster than real time so the tests stay short and the file stays small.
std::string UseDiskOutput(const std::string& name, bool realTime = false) {
  const std::string path = TempPath(name);
  std::filesystem::remove(path);
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
  if (realTime)
    unsetenv("SDL_DISKAUDIODELAY");
  else
    setenv("SDL_DISKAUDIODELAY", "1", 1);
  return path;
}

bool WaitUntilSilent(int channel) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (FSOUND_IsPlaying(channel)) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

class SoundTest : public ::testing::Test {
 protected:
  void TearDown() override {
    FSOUND_Close();
    ZelSound_SetStartPosition(0.0);
    ZelSound_SetMuted(false);
  }
};

TEST_F(SoundTest, DecodeMatchesIndependentDecoderAndSourceLevel) {
  const std::string mp3 = TempPath("sine.mp3");
  const auto pcm = Sine(kRate, 2, 440.0, 1.0, 0.5);
  ASSERT_TRUE(WriteMp3(mp3, kRate, 2, pcm));

  std::vector<int16_t> decoded, reference;
  std::string error;
  long rate = 0;
  ASSERT_TRUE(ZelSound_DecodeFile(mp3.c_str(), kRate, &decoded, &error)) << error;
  ASSERT_TRUE(ReferenceDecode(mp3, &reference, &rate));
  EXPECT_EQ(rate, kRate);
  EXPECT_EQ(decoded, reference);  // same rate: no conversion at all
  // The info frame trims encoder delay and padding: the length is the source's.
  EXPECT_EQ(decoded.size(), pcm.size());
  EXPECT_NEAR(Rms(decoded, 0, kRate) / Rms(pcm, 0, kRate), 1.0, 0.05);  // within 0.4 dB
}

TEST_F(SoundTest, OtherRatesAndMonoAreResampledToStereoAtTheMixingRate) {
  const std::string mp3 = TempPath("mono48k.mp3");
  const auto pcm = Sine(48000, 1, 1000.0, 2.0, 0.5);
  ASSERT_TRUE(WriteMp3(mp3, 48000, 1, pcm));

  std::vector<int16_t> decoded;
  std::string error;
  ASSERT_TRUE(ZelSound_DecodeFile(mp3.c_str(), kRate, &decoded, &error)) << error;
  const size_t frames = decoded.size() / 2;
  EXPECT_NEAR(double(frames), 2.0 * kRate, 1.0);
  int crossings = 0;  // rising zero crossings of the left side: the pitch is kept
  for (size_t i = 1; i < frames; ++i) {
    EXPECT_EQ(decoded[i * 2], decoded[i * 2 + 1]) << "mono is doubled onto both sides";
    if (decoded[(i - 1) * 2] < 0 && decoded[i * 2] >= 0) ++crossings;
  }
  EXPECT_NEAR(crossings, 2000, 1);
  EXPECT_NEAR(Rms(decoded, kRate / 4, kRate * 7 / 4), 0.5 / std::sqrt(2.0), 0.02);
}

TEST_F(SoundTest, FilesThatAreNotMp3AreRefused) {
  const std::string text = TempPath("notes.txt"), empty = TempPath("empty.mp3"),
                    noise = TempPath("noise.mp3");
  WriteBytes(text, std::string(4000, 'x') + "this is not an MP3 file\n");
  WriteBytes(empty, "");
  std::string bytes;
  for (int i = 0; i < 20000; ++i) bytes.push_back(char((i * 7919u + 13u) % 251u & 0x7F));
  WriteBytes(noise, bytes);
  const std::string paths[] = {TempPath("missing.mp3"), text, empty, noise,
                               std::filesystem::temp_directory_path().string()};
  for (const std::string& path : paths) {
    EXPECT_EQ(FSOUND_Stream_Open(path.c_str(), FSOUND_LOOP_OFF, 0, 0), nullptr) << path;
    std::vector<int16_t> pcm;
    std::string error;
    EXPECT_FALSE(ZelSound_DecodeFile(path.c_str(), kRate, &pcm, &error)) << path;
    EXPECT_FALSE(error.empty());
  }
  EXPECT_EQ(FSOUND_Stream_Open(nullptr, FSOUND_LOOP_OFF, 0, 0), nullptr);
}

// Rate conversion must not depend on how the decoder happens to cut its output, and must give
// the ideal signal at the new rate: same pitch, same level, no dropped or doubled samples.
TEST_F(SoundTest, ResamplerIsExactlyTheIdealSignalWhateverThePieces) {
  for (const int inRate : {48000, 22050, 32000}) {
    const auto pcm = Sine(inRate, 2, 997.0, 1.0, 0.5);
    const size_t inFrames = pcm.size() / 2;
    const size_t outFrames = (inFrames * kRate + inRate - 1) / inRate;
    std::vector<std::vector<int16_t>> outputs;
    for (const size_t piece : {size_t{1}, size_t{577}, size_t{4096}, inFrames}) {
      zel::sound::Resampler r;
      r.Reset(inRate, kRate);
      std::vector<int16_t> out(outFrames * 2 + 64);
      size_t got = 0;
      for (size_t at = 0; at < inFrames; at += piece) {
        r.Put(pcm.data() + at * 2, std::min(piece, inFrames - at));
        got += r.Get(out.data() + got * 2, outFrames + 32 - got);
      }
      r.Finish();
      got += r.Get(out.data() + got * 2, outFrames + 32 - got);
      EXPECT_EQ(got, outFrames) << inRate << " Hz in pieces of " << piece;
      out.resize(got * 2);
      outputs.push_back(out);
    }
    for (const auto& out : outputs) EXPECT_EQ(out, outputs.front()) << inRate;
    const auto ideal = Sine(kRate, 2, 997.0, 1.0, 0.5);
    int worst = 0;  // away from the ends, where the kernel sees silence
    for (size_t i = 200; i + 200 < outFrames; ++i)
      worst = std::max(worst, std::abs(outputs.front()[i * 2] - ideal[i * 2]));
    EXPECT_LT(worst, 40) << inRate << " Hz: within 0.1% of full scale";
  }
}

// The show's pattern: a play request on every frame. The stream is heard exactly once, from
// its start, at the source level, and the requests after its end do not restart it.
TEST_F(SoundTest, StreamPlaysOnceWhateverTheRepeatedRequests) {
  const std::string raw = UseDiskOutput("once.raw");
  const std::string mp3 = TempPath("clicks.mp3");
  ASSERT_TRUE(WriteMp3(mp3, kRate, 2, ClickTrain(kRate, 2, 0.1, 0.5, 0.8)));
  std::vector<int16_t> expected;
  std::string error;
  ASSERT_TRUE(ZelSound_DecodeFile(mp3.c_str(), kRate, &expected, &error)) << error;

  ASSERT_EQ(FSOUND_Init(kRate, 4, 0), 1);
  FSOUND_STREAM* stream = FSOUND_Stream_Open(mp3.c_str(), FSOUND_LOOP_OFF, 0, 0);
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(FSOUND_Stream_Play(0, nullptr), -1);
  EXPECT_EQ(FSOUND_Stream_Play(4, stream), -1);
  EXPECT_EQ(FSOUND_Stream_Play(-7, stream), -1);
  const auto written = [&] {
    std::error_code noFileYet;
    const auto bytes = std::filesystem::file_size(raw, noFileYet);
    return !noFileYet && bytes > 0;
  };
  for (int i = 0; i < 400 && !written(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));  // some silence first
  ASSERT_EQ(FSOUND_Stream_Play(2, stream), 2);
  EXPECT_TRUE(FSOUND_IsPlaying(2));
  for (int i = 0; i < 5; ++i) EXPECT_EQ(FSOUND_Stream_Play(2, stream), 2);
  ASSERT_TRUE(WaitUntilSilent(2));
  for (int i = 0; i < 5; ++i) EXPECT_EQ(FSOUND_Stream_Play(2, stream), 2);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(FSOUND_IsPlaying(2));
  EXPECT_EQ(FSOUND_Stream_Close(stream), 1);
  FSOUND_Close();

  const auto out = ReadRaw16(raw);
  const size_t firstOut = FirstLoudSample(out, 100), firstExpected = FirstLoudSample(expected, 100);
  ASSERT_NE(firstOut, std::string::npos);
  ASSERT_GE(firstOut, firstExpected);
  const size_t start = firstOut - firstExpected;
  ASSERT_EQ(start % 2, 0u) << "left and right stay in place";
  EXPECT_GT(start, 0u) << "silence before the play request";
  ASSERT_LE(start + expected.size(), out.size());
  for (size_t i = 0; i < start; ++i) ASSERT_EQ(out[i], 0) << i;
  for (size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(out[start + i], expected[i]) << i;
  for (size_t i = start + expected.size(); i < out.size(); ++i) ASSERT_EQ(out[i], 0) << i;
}

TEST_F(SoundTest, StartPositionSkipsIntoTheMusic) {
  const std::string raw = UseDiskOutput("start.raw");
  const std::string mp3 = TempPath("clicks2.mp3");
  ASSERT_TRUE(WriteMp3(mp3, kRate, 2, ClickTrain(kRate, 2, 0.25, 1.5, 0.8)));
  std::vector<int16_t> whole;
  std::string error;
  ASSERT_TRUE(ZelSound_DecodeFile(mp3.c_str(), kRate, &whole, &error)) << error;

  ZelSound_SetStartPosition(1.0);
  ASSERT_EQ(FSOUND_Init(kRate, 1, 0), 1);
  FSOUND_STREAM* stream = FSOUND_Stream_Open(mp3.c_str(), FSOUND_LOOP_OFF, 0, 0);
  ASSERT_EQ(FSOUND_Stream_Play(FSOUND_FREE, stream), 0);
  ASSERT_TRUE(WaitUntilSilent(0));
  FSOUND_Stream_Close(stream);
  FSOUND_Close();

  // Clicks at 1.125 s and 1.375 s remain; the output holds the decode from 1.0 s on.
  const std::vector<int16_t> tail(whole.begin() + kRate * 2, whole.end());
  const auto out = ReadRaw16(raw);
  const size_t firstOut = FirstLoudSample(out, 100), firstTail = FirstLoudSample(tail, 100);
  ASSERT_NE(firstOut, std::string::npos);
  EXPECT_NEAR(double(firstTail / 2), 0.125 * kRate, 0.005 * kRate);  // pre-echo: a little early
  const size_t start = firstOut - firstTail;
  ASSERT_LE(start + tail.size(), out.size());
  for (size_t i = 0; i < tail.size(); ++i) ASSERT_EQ(out[start + i], tail[i]) << i;
}

TEST_F(SoundTest, ClosingAPlayingStreamStopsIt) {
  UseDiskOutput("close.raw", true);  // the streams must still play when they are closed
  const std::string mp3 = TempPath("long.mp3");
  ASSERT_TRUE(WriteMp3(mp3, kRate, 2, Sine(kRate, 2, 220.0, 20.0, 0.3)));
  ASSERT_EQ(FSOUND_Init(kRate, 2, 0), 1);
  FSOUND_STREAM* first = FSOUND_Stream_Open(mp3.c_str(), FSOUND_LOOP_OFF, 0, 0);
  FSOUND_STREAM* second = FSOUND_Stream_Open(mp3.c_str(), FSOUND_LOOP_OFF, 0, 0);
  EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, first), 0);
  EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, second), 1);
  FSOUND_STREAM* third = FSOUND_Stream_Open(mp3.c_str(), 0, 0, 0);
  EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, third), -1) << "no free channel left";
  FSOUND_Stream_Close(third);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(FSOUND_Stream_Close(first), 1);
  EXPECT_FALSE(FSOUND_IsPlaying(0));
  EXPECT_TRUE(FSOUND_IsPlaying(1));
  EXPECT_EQ(FSOUND_Stream_Close(second), 1);
  EXPECT_FALSE(FSOUND_IsPlaying(1));
  EXPECT_EQ(FSOUND_Stream_Close(nullptr), 0);
}

TEST_F(SoundTest, NoAudioDeviceFailsInitAndRefusesPlay) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  const std::string mp3 = TempPath("short.mp3");
  ASSERT_TRUE(WriteMp3(mp3, kRate, 2, Sine(kRate, 2, 440.0, 0.2, 0.3)));
  EXPECT_EQ(FSOUND_Init(kRate, 32, 0), 0);
  FSOUND_STREAM* stream = FSOUND_Stream_Open(mp3.c_str(), FSOUND_LOOP_OFF, 0, 0);
  ASSERT_NE(stream, nullptr) << "the file opens without an output";
  EXPECT_EQ(FSOUND_Stream_Play(0, stream), -1);
  EXPECT_FALSE(FSOUND_IsPlaying(0));
  FSOUND_Stream_Close(stream);

  // Muted, the same machine gives a working, silent sound system.
  ZelSound_SetMuted(true);
  EXPECT_EQ(FSOUND_Init(kRate, 32, 0), 1);
  stream = FSOUND_Stream_Open(mp3.c_str(), FSOUND_LOOP_OFF, 0, 0);
  EXPECT_EQ(FSOUND_Stream_Play(0, stream), 0);
  EXPECT_FALSE(FSOUND_IsPlaying(0));
  FSOUND_Stream_Close(stream);
  EXPECT_TRUE(ZelSound_ListOutputDevices().empty());
}

TEST_F(SoundTest, InitRejectsNonsenseArguments) {
  UseDiskOutput("args.raw");
  EXPECT_EQ(FSOUND_Init(0, 32, 0), 0);
  EXPECT_EQ(FSOUND_Init(44100, 0, 0), 0);
  EXPECT_EQ(FSOUND_Init(-44100, 32, 0), 0);
  EXPECT_EQ(FSOUND_Init(44100, 32, 0), 1);
  EXPECT_EQ(FSOUND_Init(22050, 8, 0), 1) << "a second Init re-opens";
}

TEST_F(SoundTest, WavHasLeadSilenceThenTheSamples) {
  const std::string wav = TempPath("capture.wav");
  const std::vector<int16_t> samples = {1, -1, 300, -300, 32767, -32768};
  ASSERT_TRUE(ZelSound_WriteWav(wav.c_str(), kRate, 10, samples));
  const auto words = ReadRaw16(wav);  // 44-byte header, then 16-bit samples
  ASSERT_EQ(words.size(), 22u + 20u + samples.size());
  const auto bytes = reinterpret_cast<const unsigned char*>(words.data());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), 4), "RIFF");
  EXPECT_EQ(bytes[4] | bytes[5] << 8, 36 + 4 * 13);
  EXPECT_EQ(bytes[22], 2);                                   // channels
  EXPECT_EQ(bytes[24] | bytes[25] << 8 | bytes[26] << 16, kRate);
  EXPECT_EQ(bytes[40] | bytes[41] << 8, 4 * 13);             // data bytes
  for (int i = 0; i < 20; ++i) EXPECT_EQ(words[22 + i], 0);
  for (size_t i = 0; i < samples.size(); ++i) EXPECT_EQ(words[42 + i], samples[i]);
}

}  // namespace

}  // namespace zel::sound
