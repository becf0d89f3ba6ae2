// Instruments and effects of the soundtrack (see synth.h).
#include "data/synth.h"

#include <algorithm>
#include <cmath>

#include "data/noise.h"

namespace zel::data {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr float kInvRate = 1.0f / kSampleRate;

size_t StartFrame(double at) { return static_cast<size_t>(std::max(0.0, std::round(at * kSampleRate))); }

float Noise(Random &rng) { return static_cast<float>(rng.Uniform() * 2.0 - 1.0); }

// Adds a mono sample at frame i with constant-power panning.
void Put(StereoBuffer &out, size_t i, float v, float pan) {
  if (i >= out.frames()) return;
  const float angle = (pan + 1.0f) * 0.25f * static_cast<float>(kPi);
  out.left[i] += v * std::cos(angle) * 1.41421356f;
  out.right[i] += v * std::sin(angle) * 1.41421356f;
}

}  // namespace

void Svf::Process(float in, float cutoff, float q, float *low, float *band, float *high) {
  const float g = static_cast<float>(std::tan(kPi * std::clamp(cutoff, 10.0f, 20000.0f) / kSampleRate));
  const float k = 1.0f / q;
  const float a1 = 1.0f / (1.0f + g * (g + k)), a2 = g * a1, a3 = g * a2;
  const float v3 = in - ic2_;
  const float v1 = a1 * ic1_ + a2 * v3;
  const float v2 = ic2_ + a2 * ic1_ + a3 * v3;
  ic1_ = 2.0f * v1 - ic1_;
  ic2_ = 2.0f * v2 - ic2_;
  *low = v2;
  *band = v1;
  *high = in - k * v1 - v2;
}

float SawStep(double *phase, double increment) {
  *phase += increment;
  if (*phase >= 1.0) *phase -= 1.0;
  double t = *phase;
  double value = 2.0 * t - 1.0;
  if (t < increment) {
    t /= increment;
    value -= t + t - t * t - 1.0;
  } else if (t > 1.0 - increment) {
    t = (t - 1.0) / increment;
    value -= t * t + t + t + 1.0;
  }
  return static_cast<float>(value);
}

double NoteHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

void AddKick(StereoBuffer &out, double at, float gain, float brightness) {
  // A sine falling from ~160 Hz to 45 Hz, with a short click; brightness 0..1 sets the click.
  const size_t start = StartFrame(at), length = static_cast<size_t>(0.42 * kSampleRate);
  double phase = 0.0;
  Random rng(static_cast<uint64_t>(start) * 7919u);
  for (size_t n = 0; n < length; ++n) {
    const float t = n * kInvRate;
    const double hz = 45.0 + 115.0 * std::exp(-t * 28.0);
    phase += hz / kSampleRate;
    const float body = static_cast<float>(std::sin(2.0 * kPi * phase)) * std::exp(-t * 6.5f);
    const float click = brightness * 0.35f * Noise(rng) * std::exp(-t * 350.0f);
    const float v = std::tanh(1.6f * body) * 0.85f + click;
    Put(out, start + n, gain * v * std::min(1.0f, (length - n) / 400.0f), 0.0f);
  }
}

void AddClap(StereoBuffer &out, double at, float gain, uint32_t seed) {
  // Three quick noise bursts then a tail, band-passed around 1.4 kHz, with a little tone.
  const size_t start = StartFrame(at), length = static_cast<size_t>(0.35 * kSampleRate);
  Random rng(seed);
  Svf filter;
  for (size_t n = 0; n < length; ++n) {
    const float t = n * kInvRate;
    float env = std::exp(-t * 16.0f);
    for (float burst : {0.0f, 0.011f, 0.022f})
      if (t >= burst) env += 0.6f * std::exp(-(t - burst) * 180.0f);
    float lo, band, hi;
    filter.Process(Noise(rng), 1400.0f, 1.2f, &lo, &band, &hi);
    const float tone = 0.25f * static_cast<float>(std::sin(2.0 * kPi * 185.0 * t)) * std::exp(-t * 30.0f);
    const float v = gain * (1.8f * band * env + tone);
    Put(out, start + n, v, 0.05f);
  }
}

void AddHat(StereoBuffer &out, double at, float gain, float decay, float pan, uint32_t seed) {
  // High-passed noise; decay in 1/s (60 = closed, 10 = open).
  const size_t start = StartFrame(at), length = static_cast<size_t>(std::min(1.0f, 6.0f / decay) * kSampleRate);
  Random rng(seed);
  Svf filter;
  for (size_t n = 0; n < length; ++n) {
    const float t = n * kInvRate;
    float lo, band, hi;
    filter.Process(Noise(rng), 7500.0f, 0.9f, &lo, &band, &hi);
    Put(out, start + n, gain * hi * std::exp(-t * decay), pan);
  }
}

void AddCrash(StereoBuffer &out, double at, float gain, uint32_t seed) {
  const size_t start = StartFrame(at), length = static_cast<size_t>(2.8 * kSampleRate);
  Random rng(seed);
  Svf left, right;
  for (size_t n = 0; n < length; ++n) {
    const float t = n * kInvRate;
    const float env = std::exp(-t * 1.7f) * std::min(1.0f, t * 400.0f);
    float lo, band, hiL, hiR;
    left.Process(Noise(rng), 5000.0f, 0.7f, &lo, &band, &hiL);
    right.Process(Noise(rng), 5000.0f, 0.7f, &lo, &band, &hiR);
    if (start + n >= out.frames()) break;
    out.left[start + n] += gain * hiL * env;
    out.right[start + n] += gain * hiR * env;
  }
}

void AddRiser(StereoBuffer &out, double at, double length, float gain, uint32_t seed) {
  // Noise through a band-pass sweeping up, swelling towards the downbeat it leads into.
  const size_t start = StartFrame(at), frames = static_cast<size_t>(length * kSampleRate);
  Random rng(seed);
  Svf left, right;
  for (size_t n = 0; n < frames; ++n) {
    const float x = static_cast<float>(n) / frames;
    const float cutoff = 300.0f * std::pow(30.0f, x);
    float lo, bandL, bandR, hi;
    left.Process(Noise(rng), cutoff, 2.5f, &lo, &bandL, &hi);
    right.Process(Noise(rng), cutoff * 1.03f, 2.5f, &lo, &bandR, &hi);
    const float env = gain * x * x;
    if (start + n >= out.frames()) break;
    out.left[start + n] += env * bandL;
    out.right[start + n] += env * bandR;
  }
}

void AddBass(StereoBuffer &out, double at, double length, int note, float gain) {
  // A saw and a sub sine; the filter opens on the attack and closes fast: a rolling pluck.
  const size_t start = StartFrame(at), frames = static_cast<size_t>(length * kSampleRate);
  const double hz = NoteHz(note);
  double phase = 0.0, sub = 0.0;
  Svf filter;
  for (size_t n = 0; n < frames + 300; ++n) {
    const float t = n * kInvRate;
    const float release = n < frames ? 1.0f : 1.0f - (n - frames) / 300.0f;
    const float env = std::exp(-t * 9.0f) * release * std::min(1.0f, t * 2000.0f);
    float lo, band, hi;
    filter.Process(SawStep(&phase, hz / kSampleRate), 250.0f + 2200.0f * std::exp(-t * 22.0f), 1.4f, &lo, &band, &hi);
    sub += hz / kSampleRate;
    const float v = gain * env * (0.8f * lo + 0.55f * static_cast<float>(std::sin(2.0 * kPi * sub)));
    Put(out, start + n, v, 0.0f);
  }
}

void AddPad(StereoBuffer &out, double at, double length, const int *notes, int count, float gain, float cutoff) {
  // Five detuned saws per note and side, a slow swell and a soft low-pass.
  constexpr int kVoices = 5;
  constexpr double kDetune[kVoices] = {-0.11, -0.05, 0.0, 0.06, 0.12};  // semitones
  const size_t start = StartFrame(at), frames = static_cast<size_t>(length * kSampleRate);
  const size_t tail = static_cast<size_t>(0.6 * kSampleRate);
  std::vector<double> phases(static_cast<size_t>(count) * kVoices * 2);
  for (size_t i = 0; i < phases.size(); ++i) phases[i] = Hash01(static_cast<int>(i), notes[0], 77u);
  std::vector<double> increments(phases.size());
  for (int k = 0; k < count; ++k)
    for (int v = 0; v < kVoices; ++v)
      for (int side = 0; side < 2; ++side)
        increments[(k * kVoices + v) * 2 + side] = NoteHz(notes[k] + kDetune[v] * (side ? -1.0 : 1.0)) / kSampleRate;
  Svf left, right;
  const float norm = gain / (count * kVoices);
  for (size_t n = 0; n < frames + tail; ++n) {
    const float t = n * kInvRate;
    float env = std::min(1.0f, t / 0.35f);
    if (n >= frames) env *= std::exp(-static_cast<float>(n - frames) * kInvRate * 7.0f);
    float sumL = 0, sumR = 0;
    for (size_t i = 0; i < phases.size(); i += 2) {
      sumL += SawStep(&phases[i], increments[i]);
      sumR += SawStep(&phases[i + 1], increments[i + 1]);
    }
    float lo, band, hi;
    left.Process(sumL, cutoff, 0.8f, &lo, &band, &hi);
    const float l = lo;
    right.Process(sumR, cutoff, 0.8f, &lo, &band, &hi);
    if (start + n >= out.frames()) break;
    out.left[start + n] += norm * env * l;
    out.right[start + n] += norm * env * lo;
  }
}

void AddPluck(StereoBuffer &out, double at, int note, float gain, float pan, float cutoff) {
  const size_t start = StartFrame(at), frames = static_cast<size_t>(0.4 * kSampleRate);
  const double hz = NoteHz(note);
  double a = 0.0, b = 0.37;
  Svf filter;
  for (size_t n = 0; n < frames; ++n) {
    const float t = n * kInvRate;
    const float osc = SawStep(&a, hz / kSampleRate) - SawStep(&b, hz / kSampleRate);  // a pulse wave
    float lo, band, hi;
    filter.Process(osc, cutoff * (0.35f + 0.65f * std::exp(-t * 18.0f)), 1.6f, &lo, &band, &hi);
    Put(out, start + n, gain * lo * std::exp(-t * 11.0f) * std::min(1.0f, t * 3000.0f), pan);
  }
}

void AddLead(StereoBuffer &out, double at, double length, int note, float gain) {
  // Two detuned saws with delayed vibrato through a bright low-pass.
  const size_t start = StartFrame(at), frames = static_cast<size_t>(length * kSampleRate);
  const size_t tail = static_cast<size_t>(0.08 * kSampleRate);
  const double hz = NoteHz(note);
  double p1 = 0.0, p2 = 0.5;
  Svf filter;
  for (size_t n = 0; n < frames + tail; ++n) {
    const float t = n * kInvRate;
    const double vibrato = 1.0 + 0.004 * std::min(1.0f, t * 3.0f) * std::sin(2.0 * kPi * 5.5 * t);
    const float osc = SawStep(&p1, hz * vibrato * 1.003 / kSampleRate) + SawStep(&p2, hz * vibrato * 0.997 / kSampleRate);
    float env = std::min(1.0f, t * 150.0f) * (0.75f + 0.25f * std::exp(-t * 6.0f));
    if (n >= frames) env *= 1.0f - static_cast<float>(n - frames) / tail;
    float lo, band, hi;
    filter.Process(osc, 2600.0f + 2400.0f * std::exp(-t * 8.0f), 1.1f, &lo, &band, &hi);
    Put(out, start + n, 0.5f * gain * env * lo, 0.0f);
  }
}

namespace {

// Freeverb-style comb and all-pass filters; delay lengths in samples at 44.1 kHz.
struct Comb {
  std::vector<float> buffer;
  size_t index = 0;
  float store = 0;
  explicit Comb(size_t n) : buffer(n, 0.0f) {}
  float Process(float in, float feedback, float damp) {
    const float y = buffer[index];
    store = y * (1 - damp) + store * damp;
    buffer[index] = in + store * feedback;
    index = (index + 1) % buffer.size();
    return y;
  }
};

struct AllPass {
  std::vector<float> buffer;
  size_t index = 0;
  explicit AllPass(size_t n) : buffer(n, 0.0f) {}
  float Process(float in) {
    const float b = buffer[index];
    buffer[index] = in + b * 0.5f;
    index = (index + 1) % buffer.size();
    return b - in;
  }
};

float ReverbChannel(std::vector<Comb> &combs, std::vector<AllPass> &passes, float in) {
  float sum = 0;
  for (Comb &c : combs) sum += c.Process(in, 0.84f, 0.25f);
  for (AllPass &a : passes) sum = a.Process(sum);
  return sum;
}

}  // namespace

void ApplyReverb(const StereoBuffer &send, StereoBuffer &out, float wet) {
  static const size_t kCombs[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
  static const size_t kPasses[] = {556, 441, 341, 225};
  constexpr size_t kSpread = 23;  // the right channel's extra samples
  std::vector<Comb> combsL, combsR;
  std::vector<AllPass> passesL, passesR;
  for (size_t n : kCombs) {
    combsL.emplace_back(n);
    combsR.emplace_back(n + kSpread);
  }
  for (size_t n : kPasses) {
    passesL.emplace_back(n);
    passesR.emplace_back(n + kSpread);
  }
  for (size_t i = 0; i < send.frames(); ++i) {
    const float in = 0.015f * (send.left[i] + send.right[i]);
    out.left[i] += wet * ReverbChannel(combsL, passesL, in);
    out.right[i] += wet * ReverbChannel(combsR, passesR, in);
  }
}

void ApplyPingPong(const StereoBuffer &send, StereoBuffer &out, double delay, float feedback, float wet) {
  const size_t d = static_cast<size_t>(std::round(delay * kSampleRate));
  std::vector<float> lineL(d, 0.0f), lineR(d, 0.0f);
  size_t index = 0;
  for (size_t i = 0; i < send.frames(); ++i) {
    const float outL = lineL[index], outR = lineR[index];
    lineL[index] = 0.5f * (send.left[i] + send.right[i]) + outR * feedback;  // crosses sides
    lineR[index] = outL * feedback;
    index = (index + 1) % d;
    out.left[i] += wet * outL;
    out.right[i] += wet * outR;
  }
}

}  // namespace zel::data
