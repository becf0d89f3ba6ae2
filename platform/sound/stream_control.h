// Settings of the sound stand-in that the stream controls write and the library calls read
// (main thread only). Internal to platform/sound.
#pragma once

#include <string>

namespace zel::sound {

struct Settings {
  double startPosition = 0.0;  // seconds into the music where a stream starts playing
  bool muted = false;          // FSOUND_Init opens no device and plays nothing
  std::string deviceName;      // SDL output device; empty: the system default
};

Settings& CurrentSettings();

}  // namespace zel::sound
