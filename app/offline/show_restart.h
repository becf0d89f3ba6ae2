// The show from the start again (--loop): demo time back to 0, the word flashes' random
// sequence from its first value, and the soundtrack reopened so that it starts from its
// beginning at 6.0 s as on the first run.
#pragma once

namespace zel::audio {
class MusicPlayer;
}

namespace zel::app {
class DemoClock;
}

namespace zel::app::offline {

struct MusicSource {
  const char* file;  // the soundtrack, relative to the working directory
  int mode;          // the stream mode it was opened with
};

// `clock` is stopped (if `timerRunning`) while its time is set, so no tick of the old run
// lands after the reset; a null or never-opened `music` stays silent.
void RestartShow(DemoClock& clock, bool timerRunning, audio::MusicPlayer* music, MusicSource source);

}  // namespace zel::app::offline
