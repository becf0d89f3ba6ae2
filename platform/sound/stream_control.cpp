// Stream controls and capture helpers of the sound stand-in (zel_sound_ext.h).
#include <zel_sound_ext.h>

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "platform/sound/stream_control.h"

namespace zel::sound {

Settings& CurrentSettings() {
  static Settings settings;
  return settings;
}

}  // namespace zel::sound

void ZelSound_SetStartPosition(double seconds) {
  zel::sound::CurrentSettings().startPosition = seconds > 0.0 ? seconds : 0.0;
}

void ZelSound_SetMuted(bool muted) { zel::sound::CurrentSettings().muted = muted; }

void ZelSound_SetOutputDevice(const std::string& name) {
  zel::sound::CurrentSettings().deviceName = name;
}

std::vector<std::string> ZelSound_ListOutputDevices() {
  std::vector<std::string> names;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return names;
  const int count = SDL_GetNumAudioDevices(0);
  for (int i = 0; i < count; ++i)
    if (const char* name = SDL_GetAudioDeviceName(i, 0)) names.emplace_back(name);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  return names;
}

bool ZelSound_DecodeFile(const char* path, int rate, std::vector<int16_t>* stereo,
                         std::string* error) {
  stereo->clear();
  zel::sound::Mp3Source source;
  if (!source.Open(path, error)) return false;
  source.SetOutputRate(rate);
  constexpr size_t kChunkFrames = 8192;
  for (;;) {
    const size_t at = stereo->size();
    stereo->resize(at + kChunkFrames * 2);
    const size_t got = source.Read(stereo->data() + at, kChunkFrames);
    stereo->resize(at + got * 2);
    if (got < kChunkFrames) return true;
  }
}

namespace {

void PutLE(std::vector<unsigned char>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

}  // namespace

bool ZelSound_WriteWav(const char* path, int rate, size_t leadSilenceFrames,
                       const std::vector<int16_t>& stereo) {
  constexpr uint32_t kBlockAlign = 4;  // bytes per stereo frame
  const uint64_t dataBytes = (static_cast<uint64_t>(leadSilenceFrames) + stereo.size() / 2) * kBlockAlign;
  if (rate <= 0 || dataBytes > 0xFFFFFFFFull - 36) return false;  // RIFF sizes are 32-bit
  std::vector<unsigned char> header;
  header.insert(header.end(), {'R', 'I', 'F', 'F'});
  PutLE(header, static_cast<uint32_t>(36 + dataBytes), 4);
  header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  PutLE(header, 16, 4);                 // fmt chunk size
  PutLE(header, 1, 2);                  // PCM
  PutLE(header, 2, 2);                  // channels
  PutLE(header, static_cast<uint32_t>(rate), 4);
  PutLE(header, static_cast<uint32_t>(rate) * kBlockAlign, 4);  // bytes per second
  PutLE(header, kBlockAlign, 2);
  PutLE(header, 16, 2);                 // bits per sample
  header.insert(header.end(), {'d', 'a', 't', 'a'});
  PutLE(header, static_cast<uint32_t>(dataBytes), 4);

  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path, "wb"), std::fclose);
  if (!file) return false;
  bool ok = std::fwrite(header.data(), 1, header.size(), file.get()) == header.size();
  const std::vector<unsigned char> silence(64 * 1024, 0);
  for (uint64_t left = uint64_t{leadSilenceFrames} * kBlockAlign; ok && left > 0;) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(left, silence.size()));
    ok = std::fwrite(silence.data(), 1, n, file.get()) == n;
    left -= n;
  }
  std::vector<unsigned char> samples;  // little-endian whatever the host
  samples.reserve(stereo.size() * 2);
  for (int16_t s : stereo) PutLE(samples, static_cast<uint16_t>(s), 2);
  if (ok) ok = std::fwrite(samples.data(), 1, samples.size(), file.get()) == samples.size();
  return std::fclose(file.release()) == 0 && ok;
}
