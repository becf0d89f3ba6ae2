// zel16's exit statuses: one list, each status meaning one thing whatever the mode (the show,
// --frame, --capture, the printing options). README.md lists them for users; scripts rely on
// them, so a value never changes meaning.
#pragma once

namespace zel::app {

enum class ExitStatus : int {
  Success = 0,        // the show ended (its end, Escape, a closed window, Cancel in the
                      // dialog), or everything asked for was written
  InternalError = 1,  // out of memory, or an error the program did not expect
  Usage = 2,          // bad options or values, an unusable --data folder, or a --frame time
                      // or --from/--to range with no frame of the show in it
  NoDialog = 3,       // the setup dialog cannot be shown
  NoWindow = 4,       // no window: no display, or full-screen refused and window mode declined
  NoDevice = 5,       // the Direct3D device cannot be created (OpenGL 3.3 is needed)
  NoModel = 6,        // a model file the show needs is missing or holds no model
  OutputFailed = 7,   // an output (PNG, capture, standard output) cannot be written
  Interrupted = 130,  // Ctrl-C or a termination request ended an offline run (128 + SIGINT)
};

constexpr int StatusCode(ExitStatus status) { return static_cast<int>(status); }

}  // namespace zel::app
