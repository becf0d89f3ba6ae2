// zel16 --capture: the whole show (or a stretch of it) rendered offline, frame by frame at
// fixed demo times, into PNG files or a video. Nothing waits for real time and no window
// is shown; messages and the progress bar go to standard error.
#pragma once

#include <cstdint>
#include <string>

namespace zel::app {
struct CommandLine;
}

namespace zel::app::offline {

constexpr const char* kShowMusic = "Data/Music/sm.mp3";  // relative to the data directory

// How long a capture's frames took: from the first frame's draw until the last one was
// placed in the output (loading, the soundtrack and placing the output left out).
struct CaptureTimes {
  uint64_t frames = 0;         // frames placed
  double seconds = 0.0;        // wall time
  double cpuSeconds = 0.0;     // CPU time of every thread of the process (the driver's too)
};

// Runs the capture the command line asks for: the process exit status (0 on success).
// Data/ is read from the working directory; `out` must be usable from there. `times`, when
// given, receives the frames' timing (for bench_capture).
int RunCapture(const CommandLine& line, CaptureTimes* times = nullptr);

}  // namespace zel::app::offline
