// The sound library's calls on an SDL2 audio device. The device runs from FSOUND_Init on; its
// callback decodes each playing stream just in time and mixes the channels into 16-bit stereo
// at the mixing rate. Control calls run on the main thread and change the channel table only
// while the device is locked, so the callback never sees a stream that is being freed.
// A stream keeps step with real time, as one played from a hardware ring buffer does: when
// the output ran dry (the sound server heard silence because the callback came late), the
// stream skips what that silence took the place of, instead of falling behind for good.
#include <fmod.h>
#include <zel_sound_ext.h>

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "platform/sound/lag_tracker.h"
#include "platform/sound/stream_control.h"

struct FSOUND_STREAM {
  zel::sound::Mp3Source source;
  bool started = false;  // set by the first accepted play; a stream is never restarted
  int channel = -1;      // the channel it was started on
  // Audio thread only: frames the device has taken or skipped since it first took some, and
  // how far behind real time that is.
  uint64_t framesMixed = 0;
  zel::sound::LagTracker lag{0};  // made at the mixing rate when the stream starts
};

namespace zel::sound {
namespace {

constexpr int kMinMixRate = 4000;     // Hz; the range the library accepts
constexpr int kMaxMixRate = 192000;   // Hz
constexpr int kMaxChannels = 1024;
// Frames per device buffer: 23 ms at 44100 Hz. A stream is heard about 20 to 30 ms after its
// play request through PulseAudio, which SDL keeps little more than one buffer ahead of; a
// heavily loaded machine lets that run dry now and then, and the stream then catches up.
constexpr Uint16 kDeviceFrames = 1024;

struct Output {
  bool initialised = false;
  SDL_AudioDeviceID device = 0;  // 0 while muted or closed
  bool keepsTime = false;        // the device plays in real time (not SDL's disk or dummy)
  int rate = 0;                  // Hz
  std::vector<FSOUND_STREAM*> channels;  // the stream heard on each channel, or null
  std::vector<int16_t> channelSamples;   // one channel's share of a device buffer
  std::vector<int32_t> mixed;            // the sum of all channels before clipping
};

// Never destroyed: the audio thread may still call back while static objects are torn down.
Output& TheOutput() {
  static Output* output = new Output;
  return *output;
}

int16_t Clip(int32_t v) {
  return static_cast<int16_t>(std::clamp<int32_t>(v, INT16_MIN, INT16_MAX));
}

// Mixes `frames` frames of every playing channel into `out`. A stream that runs out leaves
// its channel; it stays started and is not heard again.
void MixFrames(Output& o, int16_t* out, size_t frames) {
  std::fill(o.mixed.begin(), o.mixed.begin() + frames * 2, 0);
  for (FSOUND_STREAM*& stream : o.channels) {
    if (!stream) continue;
    const size_t got = stream->source.Read(o.channelSamples.data(), frames);
    stream->framesMixed += got;
    for (size_t i = 0; i < got * 2; ++i) o.mixed[i] += o.channelSamples[i];
    if (got < frames) stream = nullptr;
  }
  for (size_t i = 0; i < frames * 2; ++i) out[i] = Clip(o.mixed[i]);
}

double SecondsNow() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Skips, in each playing stream, what silence took the place of while the output ran dry
// (lag_tracker.h). A stream that runs out leaves its channel.
void CatchUp(Output& o, double now) {
  const size_t chunk = o.channelSamples.size() / 2;
  for (FSOUND_STREAM*& stream : o.channels) {
    if (!stream) continue;
    for (size_t left = stream->lag.FramesToSkip(now, stream->framesMixed); left > 0 && stream;) {
      const size_t n = std::min(left, chunk);
      const size_t got = stream->source.Read(o.channelSamples.data(), n);
      stream->framesMixed += got;
      left -= n;
      if (got < n) stream = nullptr;
    }
  }
}

void SDLCALL AudioCallback(void* userdata, Uint8* bytes, int length) {
  Output& o = *static_cast<Output*>(userdata);
  if (o.keepsTime) CatchUp(o, SecondsNow());
  int16_t* out = reinterpret_cast<int16_t*>(bytes);
  size_t frames = static_cast<size_t>(length) / 4;
  const size_t chunk = o.mixed.size() / 2;
  try {
    while (frames > 0) {
      const size_t n = std::min(frames, chunk);
      MixFrames(o, out, n);
      out += n * 2;
      frames -= n;
    }
  } catch (...) {  // out of memory in a decoder: silence, as an exception cannot cross SDL's thread
    std::fill(out, out + frames * 2, int16_t{0});
  }
}

void CloseDevice(Output& o) {
  if (o.device == 0) return;
  SDL_CloseAudioDevice(o.device);  // waits for the audio thread
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  o.device = 0;
}

// At process exit the device is closed so that the audio thread stops before the process's
// objects go away and whatever it wrote (the disk driver's file) is complete.
void CloseAtExit() { CloseDevice(TheOutput()); }

// While SDL looks for an audio output, the back-ends it tries (ALSA, JACK) write their own
// diagnostics to standard error; with no device at all that is a screenful. Standard error
// points at /dev/null meanwhile, and the program says what matters in one line of its own.
// Only the main thread runs then (the show's timer has not started).
class QuietStandardError {
 public:
  QuietStandardError() {
    std::fflush(stderr);
    saved_ = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved_ >= 0 && null >= 0) dup2(null, STDERR_FILENO);
    if (null >= 0) close(null);
  }
  ~QuietStandardError() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    dup2(saved_, STDERR_FILENO);
    close(saved_);
  }
  QuietStandardError(const QuietStandardError&) = delete;
  QuietStandardError& operator=(const QuietStandardError&) = delete;

 private:
  int saved_ = -1;
};

// The show goes on silent; the viewer hears nothing, so say why, once per process.
void SayNoDevice(const std::string& name, const char* reason) {
  static bool told = false;
  if (told) return;
  told = true;
  std::fprintf(stderr, "zel16: cannot open the audio device%s%s (%s); the show runs silent\n",
               name.empty() ? "" : " ", name.c_str(), reason);
}

bool OpenDevice(Output& o, int rate) {
  const std::string& name = CurrentSettings().deviceName;
  std::string reason;
  {
    QuietStandardError quiet;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      reason = SDL_GetError();
    } else {
      SDL_AudioSpec wanted{};
      wanted.freq = rate;
      wanted.format = AUDIO_S16SYS;
      wanted.channels = 2;
      wanted.samples = kDeviceFrames;
      wanted.callback = AudioCallback;
      wanted.userdata = &o;
      SDL_AudioSpec obtained{};
      // No changes allowed: SDL converts to whatever the hardware wants, we mix at `rate`.
      o.device = SDL_OpenAudioDevice(name.empty() ? nullptr : name.c_str(), 0, &wanted, &obtained, 0);
      if (o.device == 0) {
        reason = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
      }
    }
  }
  if (o.device == 0) {
    SayNoDevice(name, reason.c_str());
    return false;
  }
  // SDL's disk and dummy drivers keep no time of their own: they write as their thread runs.
  const char* driver = SDL_GetCurrentAudioDriver();
  o.keepsTime = driver != nullptr && std::string(driver) != "disk" && std::string(driver) != "dummy";
  static bool registered = false;
  if (!registered) registered = std::atexit(CloseAtExit) == 0;
  SDL_PauseAudioDevice(o.device, 0);  // silence flows from now on, as from a real output
  return true;
}

// Runs `change` on the channel table with the callback held off.
template <typename F>
void WithDeviceLocked(Output& o, F change) {
  if (o.device != 0) SDL_LockAudioDevice(o.device);
  change();
  if (o.device != 0) SDL_UnlockAudioDevice(o.device);
}

int PickChannel(const Output& o, int channel) {
  const int count = static_cast<int>(o.channels.size());
  if (channel == FSOUND_FREE) {
    for (int i = 0; i < count; ++i)
      if (!o.channels[i]) return i;
    return -1;
  }
  return (channel >= 0 && channel < count) ? channel : -1;
}

}  // namespace
}  // namespace zel::sound

using zel::sound::Output;
using zel::sound::TheOutput;

signed char F_API FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags) {
  Output& o = TheOutput();
  if (o.initialised) FSOUND_Close();
  if (mixrate < zel::sound::kMinMixRate || mixrate > zel::sound::kMaxMixRate ||
      maxsoftwarechannels < 1 || maxsoftwarechannels > zel::sound::kMaxChannels)
    return 0;
  o.rate = mixrate;
  o.channels.assign(static_cast<size_t>(maxsoftwarechannels), nullptr);
  o.channelSamples.assign(zel::sound::kDeviceFrames * 2, 0);
  o.mixed.assign(zel::sound::kDeviceFrames * 2, 0);
  if (!zel::sound::CurrentSettings().muted && !zel::sound::OpenDevice(o, mixrate)) {
    o.channels.clear();
    return 0;
  }
  o.initialised = true;
  return 1;
}

void F_API FSOUND_Close(void) {
  Output& o = TheOutput();
  zel::sound::CloseDevice(o);
  o.channels.clear();
  o.initialised = false;
}

FSOUND_STREAM* F_API FSOUND_Stream_Open(const char* name_or_data, unsigned int mode, int offset,
                                        int length) {
  if (!name_or_data || (mode & FSOUND_LOADMEMORY) || offset != 0) return nullptr;
  FSOUND_STREAM* stream = new (std::nothrow) FSOUND_STREAM;
  if (!stream) return nullptr;
  std::string error;
  if (!stream->source.Open(name_or_data, &error)) {
    delete stream;
    return nullptr;
  }
  return stream;
}

int F_API FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream) {
  Output& o = TheOutput();
  if (!stream || !o.initialised) return -1;
  if (stream->started) return stream->channel;  // playing or finished: left as it is
  const int chosen = zel::sound::PickChannel(o, channel);
  if (chosen < 0) return -1;
  // Not yet heard, so the stream can be prepared without holding the device.
  stream->source.SetOutputRate(o.rate);
  stream->lag = zel::sound::LagTracker(o.rate);
  stream->source.SeekSeconds(zel::sound::CurrentSettings().startPosition);
  stream->started = true;
  stream->channel = chosen;
  if (o.device == 0) return chosen;  // muted: accepted, nothing is heard
  zel::sound::WithDeviceLocked(o, [&] { o.channels[chosen] = stream; });
  return chosen;
}

signed char F_API FSOUND_Stream_Close(FSOUND_STREAM* stream) {
  if (!stream) return 0;
  Output& o = TheOutput();
  zel::sound::WithDeviceLocked(o, [&] {
    std::replace(o.channels.begin(), o.channels.end(), stream, static_cast<FSOUND_STREAM*>(nullptr));
  });
  delete stream;
  return 1;
}

signed char F_API FSOUND_IsPlaying(int channel) {
  Output& o = TheOutput();
  if (channel < 0 || channel >= static_cast<int>(o.channels.size())) return 0;
  bool playing = false;
  zel::sound::WithDeviceLocked(o, [&] { playing = o.channels[channel] != nullptr; });
  return playing ? 1 : 0;
}
