// zel16 --capture: the whole show (or a stretch of it) rendered offline, frame by frame at
// fixed demo times, into PNG files or a video. Nothing waits for real time and no window
// is shown; messages and the progress bar go to standard error.
#pragma once

#include <string>

namespace zel::app {

struct CommandLine;

namespace capture {

constexpr const char* kShowMusic = "Data/Music/sm.mp3";  // relative to the data directory

// Runs the capture the command line asks for: the process exit status (0 on success).
// Data/ is read from the working directory; `out` must be usable from there.
int RunCapture(const CommandLine& line);

}  // namespace capture

}  // namespace zel::app
