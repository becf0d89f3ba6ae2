// Cost of one frame of the show at chosen demo times: on the recording device (the scenes'
// own work: transforms, sprite and texture-coordinate rewrites) and on the OpenGL layer at
// 640 x 480 under Xvfb (what a viewer's frame costs on Mesa's llvmpipe).
// Run from anywhere: bench_scenes changes to the build directory to find Data/.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>

#include "app/offline/show_rig.h"
#include "app/show_schedule.h"
#include "platform/d3d9/recording/recording_device.h"
#include "render/render_device.h"
#include "scenes/opening_scene.h"
#include "scenes/sky_scene.h"
#include "scenes/title_scene.h"

namespace zel::scenes {

namespace {

// The main loop's device contract over a bare device: clear, begin; end, present.
struct BareFrame {
  IDirect3DDevice9 *device;
  void BeginFrame() {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device->BeginScene();
  }
  void EndFrame() {
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
  }
};

template <class Device, class AfterFrame>
void RunFrames(benchmark::State &state, Device &device, IDirect3DDevice9 *d3d, float t, AfterFrame after) {
  auto *title = new TitleScene(d3d);
  auto *sky = new SkyScene(d3d);
  auto *opening = new OpeningScene(d3d);
  const BYTE keys[256] = {};
  zel::app::offline::SilentMusic music;
  for (auto _ : state) {
    app::show::ShowFrame(t, keys, device, music, title, sky, opening);
    after();
  }
  delete title;
  delete sky;
  delete opening;
}

void BM_FrameOnRecordingDevice(benchmark::State &state) {
  auto *device = zel::d3d9::RecordingDevice::Create(640, 480);
  BareFrame frame{device};
  // The log of calls is dropped after each frame so that it does not grow with the run.
  RunFrames(state, frame, device, static_cast<float>(state.range(0)) / 10.0f, [&] { device->ClearLog(); });
  device->Release();
}

// The frame as zel16 --frame draws it: the offline show rig, presented.
void BM_FrameOnOpenGl(benchmark::State &state) {
  zel::app::offline::ShowRig rig;
  std::string error;
  app::ExitStatus status = app::ExitStatus::Success;
  if (!rig.Open(640, 480, zel::app::offline::Presenting::Yes, &error, &status)) {
    state.SkipWithError(error.c_str());
    return;
  }
  const float t = static_cast<float>(state.range(0)) / 10.0f;
  for (auto _ : state) rig.Draw(t);
}

// Demo times in tenths of a second: the card, the sky with words, the title, the end card.
BENCHMARK(BM_FrameOnRecordingDevice)->Arg(30)->Arg(100)->Arg(150)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameOnOpenGl)->Arg(30)->Arg(100)->Arg(150)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

int Main(int argc, char **argv) {
  if (chdir(ZEL16_BINARY_DIR) != 0) std::perror(ZEL16_BINARY_DIR);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace zel::scenes

int main(int argc, char **argv) { return zel::scenes::Main(argc, argv); }
