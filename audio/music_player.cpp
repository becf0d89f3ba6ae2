// MusicPlayer on the sound library's stream calls. Play keeps no state: every request goes to
// the library, which leaves a stream that has already started as it is.
#include "audio/music_player.h"

#include <cstdlib>

namespace zel::audio {

namespace {

constexpr char kOpenFailedText[] = "Could not load stream file.";
constexpr char kOpenFailedCaption[] = "FILE_ERROR";
constexpr char kTooManyChannelsText[] =
    "While trying to play, max number of channels was exceeded. Quitting.";
constexpr char kTooManyChannelsCaption[] = "MUSIC_ERROR";

}  // namespace

MusicPlayer::MusicPlayer() : maxChannels(0), stream(nullptr) {}

HRESULT MusicPlayer::Init(int mixRate, int channelCount, int flags) {
  maxChannels = channelCount;  // kept whatever the library says
  return FSOUND_Init(mixRate, channelCount, static_cast<unsigned int>(flags)) ? S_OK : E_FAIL;
}

HRESULT MusicPlayer::Open(const char* fileName, int mode, int length) {
  stream = FSOUND_Stream_Open(fileName, static_cast<unsigned int>(mode), 0, length);
  if (!stream) {
    MessageBoxA(nullptr, kOpenFailedText, kOpenFailedCaption, MB_OK | MB_ICONWARNING);
    return E_FAIL;
  }
  return S_OK;
}

int MusicPlayer::Play(int channel) {
  if (channel >= maxChannels) {
    MessageBoxA(nullptr, kTooManyChannelsText, kTooManyChannelsCaption, MB_OK | MB_ICONERROR);
    std::exit(0);  // exit handlers run; nothing of the run's teardown does
  }
  return FSOUND_Stream_Play(channel, stream);
}

void MusicPlayer::Close() {
  if (stream) FSOUND_Stream_Close(stream);
}

}  // namespace zel::audio
