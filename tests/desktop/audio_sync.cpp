// audio_sync: holds what a sound server really played against the show's own trace.
//
//   parec ... | audio_sync record OUT.raw OUT.arrivals
//     copies 16-bit stereo 44.1 kHz samples from standard input to OUT.raw, and writes to
//     OUT.arrivals, for every read, the frames recorded so far and the monotonic time
//     (CLOCK_MONOTONIC seconds) they had arrived by.
//   audio_sync analyse MUSIC.mp3 OUT.raw OUT.arrivals TRACE START [--no-onset]
//     finds the soundtrack in the recording by correlation with the decoded MP3 and compares
//     it with the frames of TRACE (the show's ZEL16_TRACE lines; START: its --start seconds).
//     It prints the music's onset against the first frame drawn at or after 6.0 s (from the
//     moment its time was read; when it was shown comes beside it) and the
//     music's offset from the demo clock every 2.5 s, and fails (status 1) when the onset is
//     50 ms or more from that frame (unless --no-onset) or the offset moves by 20 ms or more
//     over the recording. The offset is taken against the clock's ticks, which keep real
//     time; the float demo time drifts from them by its rounding, shown beside it.
#include <time.h>
#include <unistd.h>
#include <zel_sound_ext.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/demo_clock.h"

namespace {

constexpr int kRate = 44100;              // Hz, of the soundtrack stream and the recording
constexpr double kMusicStart = 6.0;       // demo time at which the soundtrack starts, s
constexpr double kOnsetLimit = 0.050;     // s, music onset to the first frame at or past 6.0
constexpr double kDriftLimit = 0.020;     // s, spread of the music's offset from the clock
constexpr double kProbeSpacing = 2.5;     // s of music between two offset measurements
constexpr double kProbeLength = 0.25;     // s of soundtrack correlated per measurement
constexpr int kProbeTries = 10;           // later probes tried when a glitch spoils one
constexpr double kSearchRadius = 0.25;    // s either side of where a probe is expected
constexpr int kDecimation = 4;            // coarse search at 11,025 Hz
constexpr double kMinCorrelation = 0.95;  // normalised; the recording is the same samples

double MonotonicNow() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

int Record(const char* rawPath, const char* arrivalsPath) {
  FILE* raw = std::fopen(rawPath, "wb");
  FILE* arrivals = std::fopen(arrivalsPath, "w");
  if (raw == nullptr || arrivals == nullptr) {
    std::fprintf(stderr, "audio_sync: cannot write %s or %s\n", rawPath, arrivalsPath);
    return 2;
  }
  std::vector<char> buffer(1 << 14);
  uint64_t bytes = 0;
  for (;;) {
    ssize_t got = read(STDIN_FILENO, buffer.data(), buffer.size());
    if (got <= 0) break;
    const double now = MonotonicNow();
    std::fwrite(buffer.data(), 1, static_cast<size_t>(got), raw);
    bytes += static_cast<uint64_t>(got);
    std::fprintf(arrivals, "%llu %.6f\n", static_cast<unsigned long long>(bytes / 4), now);
  }
  std::fclose(raw);
  std::fclose(arrivals);
  if (bytes == 0) {
    std::fprintf(stderr, "audio_sync: nothing was recorded\n");
    return 2;
  }
  std::fprintf(stderr, "audio_sync: recorded %.3f s\n", static_cast<double>(bytes / 4) / kRate);
  return 0;
}

// When the samples of the recording were played: each arrival says that the recording up to
// its end had been played by then. A sample was played no later than any arrival after it
// less the samples in between; the tightest such bound over the arrivals of the next second
// is its time. (Local rather than one anchor for the whole recording: a sound server that
// ran dry may have sent the monitor some samples twice.)
class Arrivals {
 public:
  bool Load(const char* path) {
    std::ifstream in(path);
    in.imbue(std::locale::classic());
    unsigned long long frames = 0;
    double time = 0;
    while (in >> frames >> time) list_.push_back({frames, time});
    return !list_.empty();
  }
  double PlayedAt(long sample) const {
    double best = INFINITY;
    for (const Arrival& a : list_) {
      const double after = (static_cast<double>(a.frames) - static_cast<double>(sample)) / kRate;
      if (after < 0) continue;
      if (after > 1.0) break;
      best = std::min(best, a.time - after);
    }
    return best;
  }

 private:
  struct Arrival {
    unsigned long long frames;  // recorded so far, at this arrival
    double time;                // monotonic seconds
  };
  std::vector<Arrival> list_;
};

// Mono, as floats: the average of the two channels.
std::vector<float> Mono(const std::vector<int16_t>& stereo) {
  std::vector<float> mono(stereo.size() / 2);
  for (size_t i = 0; i < mono.size(); ++i) mono[i] = 0.5f * (stereo[2 * i] + stereo[2 * i + 1]);
  return mono;
}

std::vector<float> Decimate(const std::vector<float>& in) {
  std::vector<float> out(in.size() / kDecimation);
  for (size_t i = 0; i < out.size(); ++i) {
    float sum = 0.0f;
    for (int j = 0; j < kDecimation; ++j) sum += in[i * kDecimation + j];
    out[i] = sum / kDecimation;
  }
  return out;
}

// Normalised correlation of a[aFrom, aFrom+n) with b[bFrom, bFrom+n); 0 when out of range.
double Correlation(const std::vector<float>& a, size_t aFrom, const std::vector<float>& b, long bFrom, size_t n) {
  if (bFrom < 0 || aFrom + n > a.size() || static_cast<size_t>(bFrom) + n > b.size()) return 0.0;
  double ab = 0, aa = 0, bb = 0;
  for (size_t i = 0; i < n; ++i) {
    const double x = a[aFrom + i], y = b[static_cast<size_t>(bFrom) + i];
    ab += x * y;
    aa += x * x;
    bb += y * y;
  }
  return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0.0;
}

struct Match {
  long at = 0;          // recording sample where the probe starts
  double quality = 0;   // normalised correlation there
};

// Where soundtrack[from, from + probe) lies in the recording, near `guess` (samples).
Match Locate(const std::vector<float>& music, const std::vector<float>& musicCoarse,
             const std::vector<float>& rec, const std::vector<float>& recCoarse, size_t from, long guess) {
  const size_t probe = static_cast<size_t>(kProbeLength * kRate);
  const long radius = static_cast<long>(kSearchRadius * kRate);
  Match coarse;
  for (long lag = (guess - radius) / kDecimation; lag <= (guess + radius) / kDecimation; ++lag) {
    double q = Correlation(musicCoarse, from / kDecimation, recCoarse, lag, probe / kDecimation);
    if (q > coarse.quality) coarse = Match{lag * kDecimation, q};
  }
  Match fine = coarse;
  for (long lag = coarse.at - 2 * kDecimation; lag <= coarse.at + 2 * kDecimation; ++lag) {
    double q = Correlation(music, from, rec, lag, probe);
    if (q > fine.quality) fine = Match{lag, q};
  }
  return fine;
}

struct TraceFrame {
  float demo;      // s
  double read;     // monotonic s
  double shown;    // monotonic s
  uint64_t tick;   // the clock's tick count that gives `demo`
};

std::vector<TraceFrame> ReadTrace(const char* path) {
  std::vector<TraceFrame> frames;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    const std::string tag = "zel16 trace: frame ";
    if (line.rfind(tag, 0) != 0) continue;
    TraceFrame f{};
    std::string readWord, shownWord;
    std::istringstream fields(line.substr(tag.size()));
    fields.imbue(std::locale::classic());
    if (fields >> f.demo >> readWord >> f.read >> shownWord >> f.shown) frames.push_back(f);
  }
  return frames;
}

// The tick counts of the clock's running sum, so that a traced demo time gives its tick.
class TickTable {
 public:
  explicit TickTable(uint64_t ticks) {
    float sum = 0.0f;
    values_.reserve(ticks + 1);
    for (uint64_t i = 0; i <= ticks; ++i, sum += zel::app::DemoClock::kTick) values_.push_back(sum);
  }
  std::optional<uint64_t> TickOf(float demo) const {
    auto it = std::lower_bound(values_.begin(), values_.end(), demo);
    if (it == values_.end() || *it != demo) return std::nullopt;
    return static_cast<uint64_t>(it - values_.begin());
  }
  float At(uint64_t tick) const { return values_[std::min<uint64_t>(tick, values_.size() - 1)]; }

 private:
  std::vector<float> values_;
};

bool ReadFile(const char* path, std::vector<int16_t>* samples) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  samples->resize(bytes.size() / 2);
  for (size_t i = 0; i < samples->size(); ++i)
    (*samples)[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) | (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
  return true;
}

int Analyse(const char* mp3, const char* rawPath, const char* arrivalsPath, const char* tracePath, double start,
            bool checkOnset) {
  std::vector<int16_t> musicStereo, recStereo;
  std::string error;
  if (!ZelSound_DecodeFile(mp3, kRate, &musicStereo, &error)) {
    std::fprintf(stderr, "audio_sync: %s: %s\n", mp3, error.c_str());
    return 2;
  }
  Arrivals arrivals;
  if (!ReadFile(rawPath, &recStereo) || !arrivals.Load(arrivalsPath)) {
    std::fprintf(stderr, "audio_sync: no recording in %s / %s\n", rawPath, arrivalsPath);
    return 2;
  }
  std::vector<TraceFrame> frames = ReadTrace(tracePath);
  const TickTable ticks(200000);
  for (TraceFrame& f : frames) {
    std::optional<uint64_t> tick = ticks.TickOf(f.demo);
    if (!tick) {
      std::fprintf(stderr, "audio_sync: %.9g is not a value of the clock\n", f.demo);
      return 2;
    }
    f.tick = *tick;
  }
  auto first = std::find_if(frames.begin(), frames.end(), [](const TraceFrame& f) { return f.demo >= kMusicStart; });
  if (first == frames.end()) {
    std::fprintf(stderr, "audio_sync: the trace has no frame at or past %.1f s\n", kMusicStart);
    return 2;
  }
  // The clock's tick 0 on the monotonic clock: a frame reads the clock at or after its latest
  // tick, so the earliest of (read - tick) is the closest. The spread shows the timer's lag.
  double tickZero = INFINITY, lagMax = 0;
  for (const TraceFrame& f : frames) tickZero = std::min(tickZero, f.read - f.tick / 1000.0);
  for (const TraceFrame& f : frames) lagMax = std::max(lagMax, f.read - f.tick / 1000.0 - tickZero);

  const std::vector<float> music = Mono(musicStereo), rec = Mono(recStereo);
  const std::vector<float> musicCoarse = Decimate(music), recCoarse = Decimate(rec);
  const double musicFrom = std::max(0.0, start - kMusicStart);  // s into the soundtrack
  const float kSilence = 8.0f;                                   // of 32,768
  auto loud = std::find_if(rec.begin(), rec.end(), [&](float s) { return std::fabs(s) > kSilence; });
  if (loud == rec.end()) {
    std::fprintf(stderr, "audio_sync: the recording is silent\n");
    return 1;
  }
  const long heardFirst = static_cast<long>(loud - rec.begin());

  std::printf("clock: tick 0 at %.6f s; frames read it at most %.2f ms after a tick\n", tickZero, lagMax * 1000);
  std::printf("music from %.3f s into the soundtrack\n", musicFrom);
  std::printf("%10s %10s %12s %16s %16s %8s\n", "music s", "heard s", "demo tick s", "offset ticks ms",
              "offset float ms", "corr");
  double onset = 0, lowest = INFINITY, highest = -INFINITY, lowestFloat = INFINITY, highestFloat = -INFINITY;
  const size_t lastProbe = music.size() - static_cast<size_t>(kProbeLength * kRate);
  int probes = 0;
  long lastAt = heardFirst;  // where the previous probe was found, and its soundtrack sample
  size_t lastFrom = static_cast<size_t>(std::llround(musicFrom * kRate));
  int glitches = 0;
  bool ended = false;
  for (double start = musicFrom; !ended; start += kProbeSpacing) {
    // A probe the output's glitches spoil (a gap, a skip) is retried a little later.
    Match match;
    double m = start;
    size_t from = 0;
    for (int attempt = 0; attempt < kProbeTries; ++attempt, m += kProbeLength) {
      from = static_cast<size_t>(std::llround(m * kRate));
      const long guess = lastAt + static_cast<long>(from - lastFrom);
      if (from > lastProbe || guess + static_cast<long>(kSearchRadius * kRate + kProbeLength * kRate) >
                                  static_cast<long>(rec.size())) {
        ended = true;
        break;
      }
      match = Locate(music, musicCoarse, rec, recCoarse, from, guess);
      if (match.quality >= kMinCorrelation) break;
      ++glitches;
    }
    if (ended) break;
    if (match.quality < kMinCorrelation) {
      std::printf("%10.3f: not found in the recording (best correlation %.3f)\n", m, match.quality);
      return 1;
    }
    lastAt = match.at;
    lastFrom = from;
    const double heard = arrivals.PlayedAt(match.at);
    const double demoTicks = heard - tickZero;  // seconds of whole ticks since tick 0
    const double demoFloat = ticks.At(static_cast<uint64_t>(std::floor(demoTicks * 1000)));
    const double offset = demoTicks - kMusicStart - m;
    const double offsetFloat = demoFloat - kMusicStart - m;
    if (probes == 0) onset = heard - (m - musicFrom);  // the first probe may have been spoilt
    lowest = std::min(lowest, offset);
    highest = std::max(highest, offset);
    lowestFloat = std::min(lowestFloat, offsetFloat);
    highestFloat = std::max(highestFloat, offsetFloat);
    std::printf("%10.3f %10.3f %12.3f %16.2f %16.2f %8.4f\n", m, heard - tickZero, demoTicks, offset * 1000,
                offsetFloat * 1000, match.quality);
    ++probes;
  }
  if (probes < 2) {
    std::fprintf(stderr, "audio_sync: the recording holds too little of the soundtrack\n");
    return 1;
  }
  const double span = kProbeSpacing * (probes - 1);
  // The frame is drawn from the moment its time is read: that is when it asks for the music.
  // It reaches the screen after the renderer's work, which a software renderer makes long
  // (and longest for the first frame of a scene, whose shaders it compiles then).
  const double onsetToFrame = onset - first->read;
  const double drift = highest - lowest;
  std::printf("first frame at or past 6.0: demo time %.6f, clock read %.2f ms after tick 0 + %.3f s, shown %.2f ms later\n",
              first->demo, (first->read - tickZero - first->tick / 1000.0) * 1000, first->tick / 1000.0,
              (first->shown - first->read) * 1000);
  std::printf("music onset: %.2f ms after that frame was drawn (its clock read), %.2f ms after it was shown\n",
              onsetToFrame * 1000, (onset - first->shown) * 1000);
  std::printf("over %.0f s of music: offset from the clock's ticks moves by %.2f ms; from its float demo time by %.2f ms\n",
              span, drift * 1000, (highestFloat - lowestFloat) * 1000);
  std::printf("%d probes spoilt by a glitch in the output (a gap and the skip that followed it)\n", glitches);
  bool ok = true;
  if (checkOnset && !(std::fabs(onsetToFrame) < kOnsetLimit)) {
    std::printf("FAIL: the music starts %.2f ms from the first frame at or past 6.0 (limit %.0f ms)\n",
                onsetToFrame * 1000, kOnsetLimit * 1000);
    ok = false;
  }
  if (!(drift < kDriftLimit)) {
    std::printf("FAIL: music and clock drift apart by %.2f ms (limit %.0f ms)\n", drift * 1000, kDriftLimit * 1000);
    ok = false;
  }
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "record") return Record(argv[2], argv[3]);
  const bool noOnset = argc == 8 && std::string(argv[7]) == "--no-onset";
  if ((argc == 7 || noOnset) && std::string(argv[1]) == "analyse")
    return Analyse(argv[2], argv[3], argv[4], argv[5], std::strtod(argv[6], nullptr), !noOnset);
  std::fprintf(stderr,
               "usage: %s record OUT.raw OUT.arrivals   (samples on standard input)\n"
               "       %s analyse MUSIC.mp3 OUT.raw OUT.arrivals TRACE START [--no-onset]\n",
               argv[0], argv[0]);
  return 2;
}
