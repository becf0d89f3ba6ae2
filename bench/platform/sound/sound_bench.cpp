// How much faster than real time the stream decodes: frames per second of output, in the
// callback's 1024-frame pieces. Real time at 44100 Hz is 44100 frames/s.
#include <benchmark/benchmark.h>
#include <zel_sound_ext.h>

#include <filesystem>

#include "tests/platform/sound/mp3_maker.h"

namespace zel::sound {

namespace {

const std::string& TestFile(int rate) {
  static std::string paths[2];
  std::string& path = paths[rate == 44100 ? 0 : 1];
  if (path.empty()) {
    path = zel::sound::test::TempPath("bench" + std::to_string(rate) + ".mp3");
    zel::sound::test::WriteMp3(path, rate, 2, zel::sound::test::Sine(rate, 2, 440.0, 20.0, 0.4));
  }
  return path;
}

void BM_StreamDecode(benchmark::State& state) {
  const std::string& path = TestFile(static_cast<int>(state.range(0)));
  std::vector<int16_t> buffer(1024 * 2);
  int64_t frames = 0;
  for (auto _ : state) {
    zel::sound::Mp3Source source;
    std::string error;
    if (!source.Open(path.c_str(), &error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    source.SetOutputRate(44100);
    while (size_t got = source.Read(buffer.data(), 1024)) frames += static_cast<int64_t>(got);
  }
  state.SetItemsProcessed(frames);
  state.counters["x_realtime"] =
      benchmark::Counter(static_cast<double>(frames) / 44100.0, benchmark::Counter::kIsRate);
}
// File rate 44100 Hz (passed through) and 48000 Hz (resampled to 44100 Hz).
BENCHMARK(BM_StreamDecode)->Arg(44100)->Arg(48000)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace zel::sound

BENCHMARK_MAIN();
