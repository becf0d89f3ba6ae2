// The generator's slow steps, per 10 s of soundtrack: synthesis and MP3 encoding. The whole
// piece is 176.4 s, so the build spends about 17.6 times these.
#include <benchmark/benchmark.h>

#include "data/art_tools.h"
#include "data/music.h"
#include "data/paint.h"

namespace zel::data {

namespace {


void BM_RenderSoundtrack10s(benchmark::State &state) {
  for (auto _ : state) benchmark::DoNotOptimize(RenderSoundtrack(10.0));
}
BENCHMARK(BM_RenderSoundtrack10s)->Unit(benchmark::kMillisecond);

void BM_EncodeMp3_10s(benchmark::State &state) {
  const StereoBuffer audio = RenderSoundtrack(10.0);
  std::vector<uint8_t> mp3;
  for (auto _ : state) {
    EncodeMp3(audio, &mp3);
    benchmark::DoNotOptimize(mp3.data());
  }
}
BENCHMARK(BM_EncodeMp3_10s)->Unit(benchmark::kMillisecond);

void BM_PaintSky(benchmark::State &state) {
  const Fonts fonts;
  for (auto _ : state) benchmark::DoNotOptimize(PaintSky(fonts));
}
BENCHMARK(BM_PaintSky)->Unit(benchmark::kMillisecond);

}  // namespace

}  // namespace zel::data
