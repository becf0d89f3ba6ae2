// What the sound stand-in offers beyond the FMOD 3 calls of <fmod.h>: switches for the show's
// viewing options (where the music starts, mute, the output device and the list of devices)
// and decoding for offline tools (the soundtrack decoded whole or piece by piece, a WAV
// writer). A program written against <fmod.h> alone plays as designed without any of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// ---- switches (main thread; set before FSOUND_Init and FSOUND_Stream_Play) ----

// Streams started after this call begin `seconds` into the music (0, the default: at its
// start; past the end: nothing is heard). The show's start option passes its start time
// less 6.0 s.
void ZelSound_SetStartPosition(double seconds);

// Muted, FSOUND_Init opens no audio device and succeeds; plays are accepted and silent.
// Takes effect at the next FSOUND_Init. Off by default.
void ZelSound_SetMuted(bool muted);

// The output device FSOUND_Init opens: a name from ZelSound_ListOutputDevices, or empty (the
// default) for the system's default. Takes effect at the next FSOUND_Init.
void ZelSound_SetOutputDevice(const std::string& name);

// Names of the audio output devices SDL sees (empty when there is no audio at all).
std::vector<std::string> ZelSound_ListOutputDevices();

// ---- decoding for offline tools ----

// Decodes a whole MP3 file to interleaved 16-bit stereo at `rate` Hz: the very samples a stream
// of that file plays at that mixing rate. False, with a reason in `error`, for a missing file or
// one that is not MP3.
bool ZelSound_DecodeFile(const char* path, int rate, std::vector<int16_t>* stereo,
                         std::string* error);

// Writes a 16-bit stereo PCM WAV file: `leadSilenceFrames` frames of silence, then `stereo`
// (interleaved).
bool ZelSound_WriteWav(const char* path, int rate, size_t leadSilenceFrames,
                       const std::vector<int16_t>& stereo);

struct mpg123_handle_struct;

namespace zel::sound {

class Resampler;

// One MP3 file decoded on demand, the decoder behind every stream: libmpg123 reads and decodes
// a few frames at a time, and a resampler brings them to the output rate as interleaved
// 16-bit stereo. Nothing is decoded ahead beyond what a Read asks for.
class Mp3Source {
 public:
  Mp3Source();
  Mp3Source(const Mp3Source&) = delete;
  Mp3Source& operator=(const Mp3Source&) = delete;
  ~Mp3Source();

  // Opens `path` and reads up to its first frame header. False (with a reason in `error`)
  // when the file cannot be read or holds no MPEG audio.
  bool Open(const char* path, std::string* error);
  // Sets the rate, in Hz, of the samples Read returns; call before the first Read.
  void SetOutputRate(int rate);
  // Moves to `seconds` into the music (past the end: nothing more is read). Call before Read.
  void SeekSeconds(double seconds);
  // Writes up to `frames` stereo frames (2 samples each) to `stereo`; fewer only at the end.
  size_t Read(int16_t* stereo, size_t frames);

  long SourceRate() const { return sourceRate_; }
  int OutputRate() const { return outputRate_; }

 private:
  bool DecodeMore();

  mpg123_handle_struct* decoder_ = nullptr;
  std::unique_ptr<Resampler> resampler_;
  long sourceRate_ = 0;         // Hz, the file's own rate
  int outputRate_ = 44100;      // Hz
  bool decoderDone_ = false;    // the file is read to its end; the resampler is told so
  std::vector<unsigned char> decoded_;  // one read's worth of decoder output
};

}  // namespace zel::sound
