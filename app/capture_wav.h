// A WAV file written as it goes: 16-bit PCM, the sizes in the header filled in on Close.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace zel::app::capture {

class WavWriter {
 public:
  WavWriter() = default;
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;
  ~WavWriter();

  bool Open(const std::string& path, int rate, int channels, std::string* error);
  // `frames` frames of interleaved samples (channels each).
  bool Write(const int16_t* samples, size_t frames);
  // Frames of zero samples.
  bool WriteSilence(size_t frames);
  // Patches the header's sizes and closes; false when anything failed on the way.
  bool Close(std::string* error);

 private:
  FILE* file_ = nullptr;
  int rate_ = 44100;    // Hz
  int channels_ = 2;
  uint64_t dataBytes_ = 0;
  bool failed_ = false;
  std::string path_;
};

// Cuts a WAV file that WavWriter wrote down to its first `frames` sample frames (a shorter
// file is left as it is), keeping the header's sizes right. False with *error when the file
// is not such a WAV or cannot be rewritten.
bool TruncateWav(const std::string& path, uint64_t frames, std::string* error);

}  // namespace zel::app::capture
