#include "app/capture_audio.h"

#include <zel_sound_ext.h>

#include <algorithm>
#include <vector>

#include "app/capture_timing.h"
#include "app/capture_wav.h"
#include "app/show_schedule.h"

namespace zel::app::capture {
namespace {

constexpr int kChannels = 2;
constexpr size_t kChunkFrames = 16384;  // sample frames decoded per read

// Decodes the next `frames` frames of music into `wav`; the song
// running out early is padded with silence so that the track keeps its length.
bool WriteMusic(WavWriter& wav, zel::sound::Mp3Source& music, size_t frames) {
  std::vector<int16_t> chunk(kChunkFrames * kChannels);
  while (frames > 0) {
    const size_t want = std::min(frames, kChunkFrames);
    const size_t got = music.Read(chunk.data(), want);
    if (got > 0 && !wav.Write(chunk.data(), got)) return false;
    if (got < want) return wav.WriteSilence(frames - got);
    frames -= got;
  }
  return true;
}

// The sample frame at which tick `tick` (1 ms each) of demo time begins, halves up.
int64_t TickSample(uint64_t tick) { return static_cast<int64_t>((2 * tick * kAudioRate + 1000) / 2000); }

}  // namespace

int64_t MusicStartSample() { return TickSample(FirstTickReaching(show::kMusicStart)); }

int64_t TrackEnd(uint64_t endFrame, FrameRate rate) {
  static const int64_t showEnd = TickSample(FirstTickPast(show::kShowEnd));
  return std::min(FrameSample(endFrame, rate, kAudioRate), showEnd);
}

bool WriteSoundtrack(const std::string& wavPath, const std::string& musicPath, int64_t first,
                     int64_t end, std::string* warning, std::string* error) {
  WavWriter wav;
  if (!wav.Open(wavPath, kAudioRate, kChannels, error)) return false;
  first = std::max<int64_t>(first, 0);
  const int64_t last = std::max(first, end);  // exclusive
  const int64_t musicStart = MusicStartSample();

  // Silence up to the music's start.
  const int64_t silentEnd = std::min(last, std::max(first, musicStart));
  bool ok = wav.WriteSilence(static_cast<size_t>(silentEnd - first));
  if (ok && silentEnd < last) {
    const size_t musicFrames = static_cast<size_t>(last - silentEnd);
    zel::sound::Mp3Source music;
    std::string why;
    if (music.Open(musicPath.c_str(), &why)) {
      music.SetOutputRate(kAudioRate);
      music.SeekSeconds(static_cast<double>(silentEnd - musicStart) / kAudioRate);
      ok = WriteMusic(wav, music, musicFrames);
    } else {
      *warning = "the soundtrack " + musicPath + " cannot be read (" + why + "): the track is silent";
      ok = wav.WriteSilence(musicFrames);
    }
  }
  std::string closeError;
  if (!wav.Close(&closeError) || !ok) {
    *error = closeError.empty() ? "cannot write " + wavPath : closeError;
    return false;
  }
  return true;
}

}  // namespace zel::app::capture
