// The soundtrack's instruments: oscillators, a state-variable filter and one function per
// instrument that adds a single note or hit into a stereo buffer. Everything is rendered
// offline at 44.1 kHz; noise comes from seeded generators, so each render is identical.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zel::data {

inline constexpr int kSampleRate = 44100;  // Hz

struct StereoBuffer {
  std::vector<float> left, right;
  explicit StereoBuffer(size_t frames) : left(frames, 0.0f), right(frames, 0.0f) {}
  size_t frames() const { return left.size(); }
};

// Zavalishin's topology-preserving state-variable filter (stable under fast sweeps).
class Svf {
 public:
  // cutoff in Hz, resonance q (0.5 = gentle, 5 = sharp). Outputs low, band and high pass.
  void Process(float in, float cutoff, float q, float *low, float *band, float *high);

 private:
  float ic1_ = 0, ic2_ = 0;
};

// Band-limited sawtooth (polyBLEP). phase in [0, 1), increment = frequency / sample rate.
float SawStep(double *phase, double increment);

// MIDI note number to Hz (69 = A4 = 440 Hz).
double NoteHz(double note);

// Instruments. `at` is the start in seconds; `gain` a linear level; pan -1 (left) to 1.
void AddKick(StereoBuffer &out, double at, float gain, float brightness);
void AddClap(StereoBuffer &out, double at, float gain, uint32_t seed);
void AddHat(StereoBuffer &out, double at, float gain, float decay, float pan, uint32_t seed);
void AddCrash(StereoBuffer &out, double at, float gain, uint32_t seed);
void AddRiser(StereoBuffer &out, double at, double length, float gain, uint32_t seed);
void AddBass(StereoBuffer &out, double at, double length, int note, float gain);
void AddPad(StereoBuffer &out, double at, double length, const int *notes, int count, float gain, float cutoff);
void AddPluck(StereoBuffer &out, double at, int note, float gain, float pan, float cutoff);
void AddLead(StereoBuffer &out, double at, double length, int note, float gain);

// Send effects over a whole buffer: a stereo reverb and a ping-pong echo (delay in seconds).
void ApplyReverb(const StereoBuffer &send, StereoBuffer &out, float wet);
void ApplyPingPong(const StereoBuffer &send, StereoBuffer &out, double delay, float feedback, float wet);

}  // namespace zel::data
