// Test material for the sound tests: PCM signals made in code, MP3 files encoded from them
// with libmp3lame, and an independent reference decode with libmpg123.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zel::sound::test {

// Interleaved 16-bit PCM, `channels` 1 or 2; `amplitude` in full scale (0..1).
std::vector<int16_t> Sine(int rate, int channels, double hz, double seconds, double amplitude);
// Short bursts (2 ms of a 2 kHz tone) every `period` seconds on
// silence, the first at `period` / 2.
std::vector<int16_t> ClickTrain(int rate, int channels, double period, double seconds,
                                double amplitude);

// Encodes `pcm` to a constant-bitrate MP3 file with a LAME info frame, so that decoders trim
// the encoder's delay and padding and the decoded samples line up with `pcm`.
bool WriteMp3(const std::string& path, int rate, int channels, const std::vector<int16_t>& pcm);

// Decodes with libmpg123 alone, as 16-bit stereo at the file's own rate.
bool ReferenceDecode(const std::string& path, std::vector<int16_t>* stereo, long* rate);

// A fresh path in the test's temporary directory.
std::string TempPath(const std::string& name);
void WriteBytes(const std::string& path, const std::string& bytes);
std::vector<int16_t> ReadRaw16(const std::string& path);

// Root mean square of samples [begin, end) of interleaved stereo, in full scale.
double Rms(const std::vector<int16_t>& stereo, size_t beginFrame, size_t endFrame);
// Index of the first sample whose magnitude exceeds `threshold`, or npos.
size_t FirstLoudSample(const std::vector<int16_t>& samples, int threshold);

}  // namespace zel::sound::test
