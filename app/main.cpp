// zel16's entry point: reads the options, finds the data directory, registers the program's
// resources and runs the show through WinMain.
#include <windows.h>
#include <zel_crt_interrupt.h>
#include <zel_d3d9_ext.h>
#include <zel_sound_ext.h>
#include <zel_win32_ext.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <new>
#include <string>
#include <system_error>

#include "app/app_resources.h"
#include "app/offline/capture.h"
#include "app/command_line.h"
#include "app/demo_app.h"
#include "app/exit_status.h"
#include "app/offline/frame_render.h"
#include "app/program_folders.h"
#include "app/offline/screenshot.h"

namespace zel::app {
namespace {

bool IsDirectory(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The folder holding the running executable; empty when it cannot be told.
std::string ExecutableFolder() {
  char path[MAX_PATH * 4];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return {};
  std::string folder(path, length);
  size_t slash = folder.find_last_of("/\\");
  if (slash == std::string::npos) return {};
  folder.resize(slash == 0 ? 1 : slash);
  return folder;
}

// The show reads Data/ relative to the working directory. Without --data, a working
// directory that has no Data/ moves to the first folder that has one: beside the
// executable (the build), ../share/zel16 from it (an installed tree), then the desktop's
// data folders.
bool ChooseDataDirectory(const std::string& dataDir) {
  if (!dataDir.empty()) {
    if (SetCurrentDirectoryA(dataDir.c_str())) return true;
    std::fprintf(stderr, "zel16: cannot use data directory '%s'\n", dataDir.c_str());
    return false;
  }
  if (IsDirectory("Data")) return true;
  const XdgEnvironment environment = XdgEnvironment::FromProcess();
  std::string folder = FirstFolderWithData(DataFolderCandidates(ExecutableFolder(), environment));
  if (!folder.empty()) SetCurrentDirectoryA(folder.c_str());
  return true;  // with no Data/ anywhere the show reports each missing file itself
}

void MakeAbsolute(std::string& path) {
  if (path.empty()) return;
  std::error_code code;
  std::filesystem::path absolute = std::filesystem::absolute(path, code);
  if (!code) path = absolute.string();
}

ShowOptions ToShowOptions(const CommandLine& line) {
  ShowOptions options;
  options.skipSetup = line.noSetup;
  options.width = line.width;
  options.height = line.height;
  options.fullscreen = line.fullscreen;
  options.startGiven = line.startGiven;
  options.startSeconds = line.startSeconds;
  options.fixedStep = line.fixedStep;
  options.loop = line.loop;
  return options;
}

// F12 screenshots go where the viewer started the program, not into the data directory;
// an installed program started from a folder it may not write to uses the pictures folder.
void RememberStartingFolder() {
  char folder[MAX_PATH * 4];
  DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
  if (length > 0 && length < sizeof folder)
    offline::SetScreenshotFolder(ScreenshotFolderFor(std::string(folder, length), XdgEnvironment::FromProcess()));
}

// Text for standard output: a failed write (a full disk, a closed pipe) is a failure too.
int PrintToStdout(const std::string& text) {
  errno = 0;
  if (std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0) return StatusCode(ExitStatus::Success);
  std::fprintf(stderr, "zel16: cannot write to standard output: %s\n", std::strerror(errno ? errno : EIO));
  return StatusCode(ExitStatus::OutputFailed);
}

int ListAudioDevices() {
  std::string names;
  for (const std::string& name : ZelSound_ListOutputDevices()) names += name + "\n";
  return PrintToStdout(names);
}

// The viewing options go to the platform layers before any window, device or sound exists.
void ApplyViewingOptions(const CommandLine& line) {
  d3d9::SetVsyncDisabled(line.noVsync);
  win32::SetBorderlessFullscreen(line.borderless);
  win32::SetDisplayIndex(line.display);
  ZelSound_SetMuted(line.mute);
  if (!line.audioDevice.empty()) ZelSound_SetOutputDevice(line.audioDevice);
}

}  // namespace
}  // namespace zel::app

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand) {
  using namespace zel::app;
  if (theApp == nullptr) return StatusCode(ExitStatus::InternalError);
  int status = theApp->Run(instance, previous, commandLine, showCommand);
  delete theApp;
  theApp = nullptr;
  return status;
}

namespace zel::app {

int Run(int argc, char** argv) {
  CommandLine line;
  std::string out, err;
  switch (ParseCommandLine(argc, argv, line, out, err)) {
    case ParseOutcome::Exit:
      return PrintToStdout(out);
    case ParseOutcome::Error:
      std::fputs(err.c_str(), stderr);
      return StatusCode(ExitStatus::Usage);
    case ParseOutcome::Run:
      break;
  }
  if (line.listAudioDevices) return ListAudioDevices();
  // The offline runs take Ctrl-C themselves, before any library can: a capture stops after
  // its frame, a single frame (a minute's draw at 8192x8192) ends at once. The live show
  // leaves it to the video layer, which closes the demo window.
  constexpr int kInterrupted = StatusCode(ExitStatus::Interrupted);
  if (!line.captureOut.empty()) crt::CatchInterrupts(crt::InterruptResponse::Note, kInterrupted, "");
  if (line.frameGiven)
    crt::CatchInterrupts(crt::InterruptResponse::EndProcess, kInterrupted, "zel16: interrupted\n");
  RememberStartingFolder();
  // Output files are named from where the program was started, before the data directory
  // may become the working directory.
  MakeAbsolute(line.captureOut);
  MakeAbsolute(line.framePath);
  if (!ChooseDataDirectory(line.dataDir)) return StatusCode(ExitStatus::Usage);
  if (!line.captureOut.empty()) {
    win32::SetBatchMode(true);
    return offline::RunCapture(line);
  }
  // A single frame is as non-interactive as a capture: a message box would wait for nobody.
  win32::SetBatchMode(line.batch || line.frameGiven);
  ApplyViewingOptions(line);
  RegisterAppResources();
  if (line.frameGiven) return offline::RenderFrameToPng(line.frameSeconds, line.framePath, line.frameWidth, line.frameHeight);
  DemoApp::options = ToShowOptions(line);
  char noArguments[] = "";
  return WinMain(GetModuleHandleA(nullptr), nullptr, noArguments, SW_SHOWNORMAL);
}

}  // namespace zel::app

// Nothing escapes to std::terminate: an exception that reaches the top is a message and
// ExitStatus::InternalError.
int main(int argc, char** argv) {
  try {
    return zel::app::Run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fputs("zel16: out of memory\n", stderr);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "zel16: internal error: %s\n", error.what());
  } catch (...) {
    std::fputs("zel16: internal error\n", stderr);
  }
  return zel::app::StatusCode(zel::app::ExitStatus::InternalError);
}
