// The soundtrack stream's decoder on arbitrary bytes: opening, seeking and reading the whole
// file, at the file's own rate and resampled, must never crash, overrun, hang or leak.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <zel_sound_ext.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static const std::string path = "/tmp/zel16-mp3-fuzz-" + std::to_string(::getpid()) + ".mp3";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data + 1, 1, size - 1, file);
  std::fclose(file);

  // The first byte picks the output rate and whether to seek first.
  static const int kRates[] = {44100, 48000, 22050, 8000};
  zel::sound::Mp3Source source;
  std::string error;
  if (!source.Open(path.c_str(), &error)) return 0;
  source.SetOutputRate(kRates[data[0] & 3]);
  if (data[0] & 4) source.SeekSeconds(0.05 * (data[0] >> 3));
  std::vector<int16_t> buffer(1024 * 2);
  size_t total = 0;
  while (size_t got = source.Read(buffer.data(), 1024)) {
    if (got > 1024) __builtin_trap();
    total += got;
    if (total > 48000 * 600) __builtin_trap();  // more than ten minutes from a small input
  }
  return 0;
}
