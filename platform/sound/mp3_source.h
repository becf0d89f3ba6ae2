// One MP3 file decoded on demand: libmpg123 reads and decodes a few frames at a time, and the
// resampler brings them to the output rate as interleaved 16-bit stereo. Nothing is decoded
// ahead beyond what a Read asks for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/sound/resampler.h"

struct mpg123_handle_struct;

namespace zel::sound {

class Mp3Source {
 public:
  Mp3Source() = default;
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
  Resampler resampler_;
  long sourceRate_ = 0;         // Hz, the file's own rate
  int outputRate_ = 44100;      // Hz
  bool decoderDone_ = false;    // the file is read to its end; the resampler is told so
  std::vector<unsigned char> decoded_;  // one read's worth of decoder output
};

}  // namespace zel::sound
