#include "app/offline/show_restart.h"

#include <zel_crt_rand.h>
#include <zel_sound_ext.h>

#include "app/demo_clock.h"
#include "audio/music_player.h"

namespace zel::app::offline {

namespace {
constexpr UINT kTimerPeriod = 1;      // milliseconds, as the show's clock runs
constexpr UINT kTimerResolution = 0;  // the finest
}  // namespace

void RestartShow(DemoClock& clock, bool timerRunning, audio::MusicPlayer* music, MusicSource source) {
  if (timerRunning) clock.Stop();
  DemoClock::StartAt(0.0f);
  crt::CrtRandReset();
  // A stream that opened on the first run is opened afresh: a finished stream would not play
  // again, and a playing one would go on from where it is. The next run starts at 0, not at
  // a --start position.
  if (music != nullptr && music->Stream() != nullptr) {
    music->Close();
    ZelSound_SetStartPosition(0.0);
    music->Open(source.file, source.mode, 0);
  }
  if (timerRunning) clock.Start(kTimerPeriod, kTimerResolution);
}

}  // namespace zel::app::offline
