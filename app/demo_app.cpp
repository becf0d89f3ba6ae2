// DemoApp::Run: the run sequence from the setup dialog to the teardown, and the process-wide
// objects created before the entry point.
#include "app/demo_app.h"

#include <zel_sound_ext.h>

#include <new>

#include "app/demo_clock.h"
#include "app/exit_status.h"
#include "app/run_trace.h"
#include "app/offline/show_restart.h"
#include "app/show_schedule.h"
#include "audio/music_player.h"
#include "model3ds/loader3ds.h"
#include "render/render_device.h"
#include "scenes/opening_scene.h"
#include "scenes/sky_scene.h"
#include "scenes/title_scene.h"

namespace zel::app {

namespace {

constexpr int kSetupDialog = 101;
constexpr int kBitsPerPixel = 32;      // of the full-screen display mode
constexpr int kMixRate = 44100;        // Hz
constexpr int kMusicChannels = 32;
constexpr const char* kMusicFile = "Data/Music/sm.mp3";
constexpr int kStreamMode = 1;
constexpr UINT kTimerPeriod = 1;       // milliseconds
constexpr UINT kTimerResolution = 0;   // the finest

template <class T>
void DeleteScene(T*& scene) {
  delete scene;  // through the virtual destructor
  scene = nullptr;
}

}  // namespace

void EndRunOnMissingModel(const char*) {
  if (DemoApp::clock != nullptr) DemoApp::clock->Stop();
  ExitProcess(StatusCode(ExitStatus::NoModel));
}

float DemoApp::currentTime = 0.0f;
int DemoApp::width = 0;
int DemoApp::height = 0;
BYTE DemoApp::fullscreen = 1;
HWND DemoApp::window = nullptr;
HINSTANCE DemoApp::instance = nullptr;
BYTE DemoApp::keys[256] = {};
ShowOptions DemoApp::options;

// The four process-wide objects, in this order, before the entry point runs. A failed
// allocation leaves its pointer null.
DemoApp* theApp = new (std::nothrow) DemoApp;
render::RenderDevice* DemoApp::device = new (std::nothrow) render::RenderDevice;
audio::MusicPlayer* DemoApp::music = new (std::nothrow) audio::MusicPlayer;
DemoClock* DemoApp::clock = new (std::nothrow) DemoClock;

int DemoApp::Run(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
  if (device == nullptr || music == nullptr || clock == nullptr) return StatusCode(ExitStatus::InternalError);

  // 1. The settings: from the setup dialog, or given on the command line.
  if (options.skipSetup) {
    width = options.width;
    height = options.height;
    fullscreen = options.fullscreen;
  } else {
    INT_PTR chosen = DialogBoxParamA(hInstance, MAKEINTRESOURCEA(kSetupDialog), nullptr,
                                     SetupDialogProc, 0);
    if (chosen == 0) ExitProcess(StatusCode(ExitStatus::Success));  // the viewer cancelled: nothing was created
    if (chosen != 1) {
      MessageBoxA(nullptr, "Could not show the setup dialog.", "ERROR", MB_OK | MB_ICONERROR);
      return StatusCode(ExitStatus::NoDialog);
    }
  }

  // 2-3. The window; in window mode its height carries the caption, which the window's
  // rectangle arithmetic takes off again.
  int captionAllowance = fullscreen ? 0 : GetSystemMetrics(SM_CYCAPTION);
  if (!CreateMainWindow("Zel 16", width, height + captionAllowance, kBitsPerPixel, fullscreen != 0))
    return StatusCode(ExitStatus::NoWindow);

  // 4. The device. Without one the scenes would draw on nothing, so the run ends here.
  if (FAILED(device->Create(window, width, height, fullscreen != 0))) {
    MessageBoxA(nullptr, "Could not create the Direct3D device.", "ERROR", MB_OK | MB_ICONERROR);
    device->ReleaseDevice();
    return StatusCode(ExitStatus::NoDevice);
  }

  run_trace::Display(window, device->GetDevice());

  // 5. The music; Open reports its own failure and the show then runs silent.
  music->Init(kMixRate, kMusicChannels, 0);
  music->Open(kMusicFile, kStreamMode, 0);

  // 6. The scenes load every asset of the show, before the clock starts.
  IDirect3DDevice9* d3dDevice = device->GetDevice();
  model3ds::SetModelFileMissingHandler(EndRunOnMissingModel);
  scenes::TitleScene* title = new (std::nothrow) scenes::TitleScene(d3dDevice);
  scenes::SkyScene* sky = new (std::nothrow) scenes::SkyScene(d3dDevice);
  scenes::OpeningScene* opening = new (std::nothrow) scenes::OpeningScene(d3dDevice);

  // 7. The clock starts now: demo time 0 (or the asked start) is the start of the loop.
  MSG msg;
  ZeroMemory(&msg, sizeof msg);
  if (options.startGiven) DemoClock::StartAt(options.startSeconds);
  // A later start joins the soundtrack where it would be by then: it begins at demo time 6.0.
  if (options.startGiven && options.startSeconds > show::kMusicStart)
    ZelSound_SetStartPosition(options.startSeconds - show::kMusicStart);
  if (options.fixedStep == 0) clock->Start(kTimerPeriod, kTimerResolution);
  SetFocus(window);

  // 8. The main loop.
  double clockReadAt = 0.0;  // for the trace: when the frame's time was read
  auto readTime = [&] {
    float t = clock->Seconds();
    if (run_trace::Enabled()) clockReadAt = run_trace::Now();
    if (options.fixedStep > 0) DemoClock::Advance(static_cast<uint32_t>(options.fixedStep));
    return t;
  };
  auto frame = [&](float t) {
    currentTime = t;
    show::FrameResult result = show::ShowFrame(currentTime, keys, *device, *music, title, sky, opening);
    if (result == show::FrameResult::Drawn && run_trace::Enabled())
      run_trace::Frame(t, clockReadAt, run_trace::Now());
    return result;
  };
  // With --loop the end of the show starts it again; Escape and a closed window still end it.
  while (show::RunMainLoop(msg, readTime, frame) == show::LoopEnd::TimeUp && options.loop)
    offline::RestartShow(*clock, options.fixedStep == 0, music, offline::MusicSource{kMusicFile, kStreamMode});

  // 9. Teardown. The timer is stopped first: its thread must not outlive the program.
  clock->Stop();
  DeleteScene(title);
  DeleteScene(sky);
  DeleteScene(opening);
  device->ReleaseDevice();
  music->Close();
  delete clock;
  clock = nullptr;
  delete music;
  music = nullptr;
  delete device;
  device = nullptr;
  return StatusCode(ExitStatus::Success);
}

}  // namespace zel::app
