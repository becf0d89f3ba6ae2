// The arrangement: which instruments play in which bar, the chords, the bass line, the
// arpeggio and the lead melody. Bar 4 (7.056 s) is the lift where the title appears.
#include <algorithm>
#include <cmath>

#include "data/music.h"

namespace zel::data {

namespace {

constexpr double kSixteenth = kBeatSeconds / 4.0;

enum class Kick { kNone, kSoft, kFull, kHalf };

struct Section {
  int firstBar, bars;
  Kick kick;
  bool clap, hats, openHats, bass, arp, lead, leadHigh;
  float padCutoffFrom, padCutoffTo;  // Hz across the section
  bool crash, riser;                 // crash on its first bar; riser over its last two bars
};

// Intro, lift at bar 4, two breakdowns, a peak and an outro that ends on a held chord.
const Section kSections[] = {
    {0, 4, Kick::kSoft, false, true, false, false, true, false, false, 350, 1600, false, true},
    {4, 8, Kick::kFull, true, true, true, true, true, false, false, 1800, 2200, true, false},
    {12, 8, Kick::kFull, true, true, true, true, true, true, false, 2200, 2400, true, true},
    {20, 8, Kick::kNone, false, false, false, false, true, true, false, 900, 3000, true, true},
    {28, 16, Kick::kFull, true, true, true, true, true, true, false, 2400, 2600, true, true},
    {44, 8, Kick::kHalf, false, true, false, false, true, false, false, 700, 2200, true, true},
    {52, 16, Kick::kFull, true, true, true, true, true, true, true, 2400, 2800, true, true},
    {68, 8, Kick::kNone, false, false, false, false, true, true, true, 1000, 3200, true, true},
    {76, 16, Kick::kFull, true, true, true, true, true, true, true, 2600, 3000, true, false},
    {92, 4, Kick::kFull, false, true, false, false, true, false, false, 2400, 900, true, false},
};
constexpr int kFinalBar = 96;  // one kick, a crash and the tonic chord held to the end

// A minor: Am, F, C, G, one chord per bar.
struct Chord {
  int bass;      // MIDI note of the bass line
  int pad[3];    // pad voicing
  int arp[4];    // arpeggio tones, low to high
};
const Chord kChords[4] = {
    {45, {57, 60, 64}, {69, 72, 76, 81}},
    {41, {53, 57, 60}, {65, 69, 72, 77}},
    {48, {55, 60, 64}, {67, 72, 76, 79}},
    {43, {55, 59, 62}, {67, 71, 74, 79}},
};

// Lead melody over eight bars: (bar, sixteenth, length in sixteenths, MIDI note).
struct Note {
  int bar, step, length, note;
};
const Note kMelody[] = {
    {0, 0, 3, 76}, {0, 3, 3, 81}, {0, 6, 2, 79}, {0, 8, 4, 76}, {0, 12, 2, 74}, {0, 14, 2, 72},
    {1, 0, 3, 72}, {1, 3, 3, 77}, {1, 6, 2, 76}, {1, 8, 4, 72}, {1, 12, 4, 69},
    {2, 0, 3, 76}, {2, 3, 3, 79}, {2, 6, 2, 76}, {2, 8, 2, 72}, {2, 10, 2, 74}, {2, 12, 4, 76},
    {3, 0, 6, 74}, {3, 6, 2, 71}, {3, 8, 4, 74}, {3, 12, 4, 79},
    {4, 0, 3, 76}, {4, 3, 3, 81}, {4, 6, 2, 79}, {4, 8, 4, 76}, {4, 12, 2, 74}, {4, 14, 2, 72},
    {5, 0, 3, 81}, {5, 3, 3, 79}, {5, 6, 2, 77}, {5, 8, 4, 76}, {5, 12, 4, 72},
    {6, 0, 4, 76}, {6, 4, 4, 79}, {6, 8, 8, 84},
    {7, 0, 6, 83}, {7, 6, 2, 81}, {7, 8, 4, 79}, {7, 12, 4, 74},
};

// Arpeggio order over the four chord tones, one per sixteenth.
const int kArpOrder[8] = {0, 1, 2, 3, 2, 1, 3, 2};

double BarStart(int bar) { return bar * kBeatsPerBar * kBeatSeconds; }

void AddDrums(StereoBuffer &mix, const Section &s, int bar, uint32_t &seed) {
  for (int beat = 0; beat < kBeatsPerBar; ++beat) {
    const double t = BarStart(bar) + beat * kBeatSeconds;
    switch (s.kick) {
      case Kick::kFull: AddKick(mix, t, 0.95f, 1.0f); break;
      case Kick::kSoft: AddKick(mix, t, 0.45f + 0.1f * (bar - s.firstBar), 0.2f); break;
      case Kick::kHalf: if (beat % 2 == 0) AddKick(mix, t, 0.7f, 0.5f); break;
      case Kick::kNone: break;
    }
    if (s.clap && beat % 2 == 1) AddClap(mix, t, 0.55f, ++seed);
    if (s.hats) {
      const bool introBuild = s.kick == Kick::kSoft && bar < 2;
      for (int step = 0; step < 4 && !introBuild; ++step) {
        const float accent = step == 2 ? 1.0f : 0.55f;
        AddHat(mix, t + step * kSixteenth, 0.10f * accent, 70.0f, step % 2 ? 0.35f : -0.25f, ++seed);
      }
      if (s.openHats) AddHat(mix, t + 2 * kSixteenth, 0.13f, 11.0f, 0.1f, ++seed);
    }
  }
}

void AddHarmony(StereoBuffer &mix, StereoBuffer &send, StereoBuffer &echo, const Section &s, int bar) {
  const Chord &chord = kChords[bar % 4];
  const float progress = static_cast<float>(bar - s.firstBar) / s.bars;
  const float cutoff = s.padCutoffFrom + (s.padCutoffTo - s.padCutoffFrom) * progress;
  AddPad(send, BarStart(bar), BarStart(1) - 0.05, chord.pad, 3, 0.35f, cutoff);
  if (s.bass)
    for (int beat = 0; beat < kBeatsPerBar; ++beat)
      for (int step = 1; step < 4; ++step)  // off the kick: "da-dum-dum"
        AddBass(mix, BarStart(bar) + beat * kBeatSeconds + step * kSixteenth, kSixteenth * 0.9, chord.bass, 0.42f);
  if (s.arp) {
    const float level = s.kick == Kick::kSoft ? 0.08f + 0.04f * (bar - s.firstBar) : 0.16f;
    const float brightness = s.kick == Kick::kSoft ? 900.0f + 500.0f * (bar - s.firstBar) : 3200.0f;
    for (int step = 0; step < 16; ++step) {
      const int note = chord.arp[kArpOrder[step % 8]] + (step >= 8 && s.leadHigh ? 12 : 0);
      const double t = BarStart(bar) + step * kSixteenth;
      AddPluck(mix, t, note, level, step % 2 ? 0.4f : -0.4f, brightness);
      AddPluck(echo, t, note, level * 0.6f, 0.0f, brightness);
    }
  }
}

void AddMelody(StereoBuffer &mix, StereoBuffer &send, const Section &s, int bar) {
  const int phraseBar = (bar - s.firstBar) % 8;
  for (const Note &n : kMelody) {
    if (n.bar != phraseBar) continue;
    const double t = BarStart(bar) + n.step * kSixteenth;
    const int note = n.note + (s.leadHigh ? 12 : 0) - 12;
    AddLead(mix, t, n.length * kSixteenth * 0.92, note, 0.22f);
    AddLead(send, t, n.length * kSixteenth * 0.92, note, 0.22f);
  }
}

}  // namespace

StereoBuffer RenderSoundtrack(double seconds) {
  const double length = (seconds > 0.0 && seconds < kSongSeconds) ? seconds : kSongSeconds;
  const size_t frames = static_cast<size_t>(std::llround(length * kSampleRate));
  StereoBuffer mix(frames), reverbSend(frames), echoSend(frames);
  uint32_t seed = 1;
  for (const Section &s : kSections) {
    if (BarStart(s.firstBar) >= length) break;
    if (s.crash) AddCrash(mix, BarStart(s.firstBar), 0.22f, ++seed);
    if (s.riser) AddRiser(mix, BarStart(s.firstBar + s.bars - 2), BarStart(2), 0.09f, ++seed);
    for (int bar = s.firstBar; bar < s.firstBar + s.bars && BarStart(bar) < length; ++bar) {
      AddDrums(mix, s, bar, seed);
      AddHarmony(mix, reverbSend, echoSend, s, bar);
      if (s.lead) AddMelody(mix, reverbSend, s, bar);
    }
  }
  if (BarStart(kFinalBar) < length) {
    AddKick(mix, BarStart(kFinalBar), 0.95f, 1.0f);
    AddCrash(mix, BarStart(kFinalBar), 0.25f, ++seed);
    AddPad(reverbSend, BarStart(kFinalBar), 4.5, kChords[0].pad, 3, 0.4f, 1800.0f);
    AddBass(mix, BarStart(kFinalBar), 2.0, kChords[0].bass - 12, 0.5f);
  }
  // The pad and lead sit in the reverb; the pad also plays dry. The arpeggio echoes a
  // dotted eighth later, bouncing between the sides.
  for (size_t i = 0; i < frames; ++i) {
    mix.left[i] += reverbSend.left[i];
    mix.right[i] += reverbSend.right[i];
  }
  ApplyReverb(reverbSend, mix, 0.9f);
  ApplyPingPong(echoSend, mix, 3 * kSixteenth, 0.45f, 0.5f);
  // Fade the tail of the held chord out by the end of the piece.
  const size_t fadeFrom = static_cast<size_t>((kSongSeconds - 2.5) * kSampleRate);
  for (size_t i = fadeFrom; i < frames; ++i) {
    const float k = std::max(0.0f, 1.0f - static_cast<float>(i - fadeFrom) / (2.5f * kSampleRate));
    mix.left[i] *= k;
    mix.right[i] *= k;
  }
  return mix;
}

}  // namespace zel::data
