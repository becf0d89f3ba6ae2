// zel16's entry point: reads the options, finds the data directory, registers the program's
// resources and runs the show through WinMain.
#include <windows.h>
#include <zel_d3d9_ext.h>
#include <zel_sound_ext.h>
#include <zel_win32_ext.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "app/capture.h"
#include "app/command_line.h"
#include "app/demo_app.h"
#include "app/frame_render.h"
#include "app/screenshot.h"

namespace {

bool IsDirectory(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The show reads Data/ relative to the working directory. Without --data, a working
// directory that has no Data/ falls back to the executable's directory, where the build
// puts the generated Data/.
bool ChooseDataDirectory(const std::string& dataDir) {
  if (!dataDir.empty()) {
    if (SetCurrentDirectoryA(dataDir.c_str())) return true;
    std::fprintf(stderr, "zel16: cannot use data directory '%s'\n", dataDir.c_str());
    return false;
  }
  if (IsDirectory("Data")) return true;
  char path[MAX_PATH * 4];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return true;
  std::string folder(path, length);
  size_t slash = folder.find_last_of("/\\");
  if (slash == std::string::npos) return true;
  folder.resize(slash);
  if (IsDirectory((folder + "/Data").c_str())) SetCurrentDirectoryA(folder.c_str());
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

// F12 screenshots go where the viewer started the program, not into the data directory.
void RememberStartingFolder() {
  char folder[MAX_PATH * 4];
  DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
  if (length > 0 && length < sizeof folder) SetScreenshotFolder(std::string(folder, length));
}

int ListAudioDevices() {
  for (const std::string& name : ZelSound_ListOutputDevices()) std::printf("%s\n", name.c_str());
  return 0;
}

// The viewing options go to the platform layers before any window, device or sound exists.
void ApplyViewingOptions(const CommandLine& line) {
  zel::d3d9::SetVsyncDisabled(line.noVsync);
  zel::win32::SetBorderlessFullscreen(line.borderless);
  zel::win32::SetDisplayIndex(line.display);
  ZelSound_SetMuted(line.mute);
  if (!line.audioDevice.empty()) ZelSound_SetOutputDevice(line.audioDevice);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand) {
  if (theApp == nullptr) return 1;
  int status = theApp->Run(instance, previous, commandLine, showCommand);
  delete theApp;
  theApp = nullptr;
  return status;
}

int main(int argc, char** argv) {
  CommandLine line;
  std::string out, err;
  switch (ParseCommandLine(argc, argv, line, out, err)) {
    case ParseOutcome::Exit:
      std::fputs(out.c_str(), stdout);
      return 0;
    case ParseOutcome::Error:
      std::fputs(err.c_str(), stderr);
      return 2;
    case ParseOutcome::Run:
      break;
  }
  if (line.listAudioDevices) return ListAudioDevices();
  RememberStartingFolder();
  // Output files are named from where the program was started, before the data directory
  // may become the working directory.
  MakeAbsolute(line.captureOut);
  MakeAbsolute(line.framePath);
  if (!ChooseDataDirectory(line.dataDir)) return 2;
  if (!line.captureOut.empty()) {
    zel::win32::SetBatchMode(true);
    return capture::RunCapture(line);
  }
  zel::win32::SetBatchMode(line.batch);
  ApplyViewingOptions(line);
  RegisterAppResources();
  if (line.frameGiven) return RenderFrameToPng(line.frameSeconds, line.framePath, line.frameWidth, line.frameHeight);
  DemoApp::options = ToShowOptions(line);
  char noArguments[] = "";
  return WinMain(GetModuleHandleA(nullptr), nullptr, noArguments, SW_SHOWNORMAL);
}
