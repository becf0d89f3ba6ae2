// MusicPlayer: the demo's one soundtrack, streamed by the sound library. The run sequence
// initialises the output, opens the stream before the scenes load, asks it to play on every
// frame from 6.0 s of demo time on, and closes it at the end.
#pragma once

#include <fmod.h>
#include <windows.h>

namespace zel::audio {

class MusicPlayer {
 public:
  MusicPlayer();

  // S_OK when the sound library reports success, else E_FAIL (not reported to the viewer).
  HRESULT Init(int mixRate, int channelCount, int flags);
  // S_OK when the stream opened; else a warning box and E_FAIL, and the show goes on silent.
  HRESULT Open(const char* fileName, int mode, int length);
  // The library's result (the channel used, or -1). A channel at or above the count given to
  // Init shows an error box and ends the process with code 0.
  int Play(int channel);
  // Closes the stream if one was opened. The handle is kept (the player is not reused).
  void Close();

  int MaxChannels() const { return maxChannels; }
  FSOUND_STREAM* Stream() const { return stream; }

 private:
  int maxChannels;        // channels 0 to maxChannels - 1 may be played
  FSOUND_STREAM* stream;  // null until Open succeeds
};

}  // namespace zel::audio
