// Streaming rate converter for interleaved stereo: windowed-sinc interpolation with the
// cutoff lowered when the output rate is below the input rate, so nothing aliases. At equal
// rates it passes the samples through unchanged. Input goes in with Put in pieces of any size;
// Get takes out what the input so far determines; Finish lets the last samples out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zel::sound {

class Resampler {
 public:
  // Forgets all input; the next Put starts a new signal.
  void Reset(int inputRate, int outputRate);
  void Put(const int16_t* stereo, size_t frames);
  // No more input: the frames that wait for input beyond the end are computed with silence there.
  void Finish() { finished_ = true; }
  // Writes up to `frames` frames; returns how many (0 once everything is out after Finish).
  size_t Get(int16_t* stereo, size_t frames);

 private:
  bool Ready() const;  // the next output frame can be computed
  void OneFrame(int16_t* out);
  void DropUsedInput();

  int inputRate_ = 44100;   // Hz
  int outputRate_ = 44100;  // Hz
  std::vector<float> input_;     // interleaved frames not yet used up, history first
  size_t position_ = 0;          // input frame under the next output frame (integer part)
  int64_t phase_ = 0;            // fractional part, in 1/outputRate_ units of an input frame
  size_t inputEnd_ = 0;          // frames in input_ that came from Put (after the leading pad)
  bool finished_ = false;
  float cutoff_ = 1.0f;          // relative to the input Nyquist frequency
  std::vector<float> kernel_;    // the interpolation kernel, tabulated (see resampler.cpp)
};

}  // namespace zel::sound
