// Controls of the sound stand-in that the sound library itself does not have, for the show's
// command-line tools: where the music starts, mute, the output device, and the soundtrack
// decoded whole for capture. None of them is needed to play the show as designed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Streams started after this call begin `seconds` into the music (0: at its start; past the
// end: nothing is heard). The show's start option passes its start time less 6.0 s.
void ZelSound_SetStartPosition(double seconds);

// Muted, FSOUND_Init opens no audio device and succeeds; plays are accepted and silent.
// Takes effect at the next FSOUND_Init.
void ZelSound_SetMuted(bool muted);

// The output device FSOUND_Init opens: a name from ZelSound_ListOutputDevices, or empty for
// the system default. Takes effect at the next FSOUND_Init.
void ZelSound_SetOutputDevice(const std::string& name);

// Names of the audio output devices SDL sees (empty when there is no audio at all).
std::vector<std::string> ZelSound_ListOutputDevices();

// Decodes a whole MP3 file to interleaved 16-bit stereo at `rate` Hz: the very samples a stream
// of that file plays at that mixing rate. False, with a reason in `error`, for a missing file or
// one that is not MP3.
bool ZelSound_DecodeFile(const char* path, int rate, std::vector<int16_t>* stereo,
                         std::string* error);

// Writes a 16-bit stereo PCM WAV file: `leadSilenceFrames` frames of silence, then `stereo`
// (interleaved). Capture puts the music 6.0 s in, where the show starts it.
bool ZelSound_WriteWav(const char* path, int rate, size_t leadSilenceFrames,
                       const std::vector<int16_t>& stereo);
