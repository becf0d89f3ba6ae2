#include "app/capture_wav.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

namespace zel::app::capture {
namespace {

constexpr size_t kHeaderBytes = 44;
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - kHeaderBytes;  // RIFF sizes are 32-bit

void PutLe(uint8_t* at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetLe(const uint8_t* at, int bytes) {
  uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= static_cast<uint32_t>(at[i]) << (8 * i);
  return value;
}

// The canonical 44-byte PCM header for `dataBytes` bytes of samples.
void MakeHeader(uint8_t* h, int rate, int channels, uint32_t dataBytes) {
  const int blockAlign = channels * 2;
  std::memcpy(h, "RIFF", 4);
  PutLe(h + 4, 36 + dataBytes, 4);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  PutLe(h + 16, 16, 4);  // fmt chunk size
  PutLe(h + 20, 1, 2);   // PCM
  PutLe(h + 22, static_cast<uint32_t>(channels), 2);
  PutLe(h + 24, static_cast<uint32_t>(rate), 4);
  PutLe(h + 28, static_cast<uint32_t>(rate * blockAlign), 4);
  PutLe(h + 32, static_cast<uint32_t>(blockAlign), 2);
  PutLe(h + 34, 16, 2);  // bits per sample
  std::memcpy(h + 36, "data", 4);
  PutLe(h + 40, dataBytes, 4);
}

}  // namespace

WavWriter::~WavWriter() {
  if (file_) std::fclose(file_);
}

bool WavWriter::Open(const std::string& path, int rate, int channels, std::string* error) {
  path_ = path;
  channels_ = channels;
  file_ = std::fopen(path.c_str(), "wb");
  if (!file_) {
    *error = "cannot open " + path + " for writing";
    return false;
  }
  uint8_t header[kHeaderBytes];
  MakeHeader(header, rate, channels, 0);
  failed_ = std::fwrite(header, 1, kHeaderBytes, file_) != kHeaderBytes;
  // Close rewrites the header once the sizes are known.
  rate_ = rate;
  return true;
}

bool WavWriter::Write(const int16_t* samples, size_t frames) {
  if (!file_ || failed_) return false;
  const size_t count = frames * static_cast<size_t>(channels_);
  // Samples are stored little-endian, as on every machine this runs on; swap elsewhere.
  std::vector<uint8_t> bytes(count * 2);
  for (size_t i = 0; i < count; ++i) {
    bytes[2 * i] = static_cast<uint8_t>(samples[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<uint8_t>((static_cast<uint16_t>(samples[i]) >> 8) & 0xFF);
  }
  failed_ = std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size() ||
            dataBytes_ + bytes.size() > kMaxDataBytes;
  dataBytes_ += bytes.size();
  return !failed_;
}

bool WavWriter::WriteSilence(size_t frames) {
  constexpr size_t kChunk = 4096;  // frames per write
  std::vector<int16_t> zeros(kChunk * static_cast<size_t>(channels_), 0);
  while (frames > 0) {
    const size_t n = frames < kChunk ? frames : kChunk;
    if (!Write(zeros.data(), n)) return false;
    frames -= n;
  }
  return true;
}

bool WavWriter::Close(std::string* error) {
  if (!file_) {
    *error = "no WAV file open";
    return false;
  }
  uint8_t header[kHeaderBytes];
  MakeHeader(header, rate_, channels_, static_cast<uint32_t>(dataBytes_));
  if (!failed_) failed_ = std::fseek(file_, 0, SEEK_SET) != 0 ||
                          std::fwrite(header, 1, kHeaderBytes, file_) != kHeaderBytes;
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  if (failed_) *error = "cannot write " + path_ + " (disk full, or over 4 GiB)";
  return !failed_;
}

bool TruncateWav(const std::string& path, uint64_t frames, std::string* error) {
  *error = "cannot shorten " + path;
  FILE* file = std::fopen(path.c_str(), "r+b");
  if (!file) return false;
  uint8_t header[kHeaderBytes];
  bool ok = std::fread(header, 1, kHeaderBytes, file) == kHeaderBytes &&
            std::memcmp(header, "RIFF", 4) == 0 && std::memcmp(header + 36, "data", 4) == 0;
  const uint32_t blockAlign = ok ? GetLe(header + 32, 2) : 0;
  const uint32_t dataBytes = ok ? GetLe(header + 40, 4) : 0;
  ok = ok && blockAlign > 0;
  const uint64_t keep = ok ? std::min<uint64_t>(dataBytes, frames * blockAlign) : 0;
  if (ok && keep < dataBytes) {
    MakeHeader(header, static_cast<int>(GetLe(header + 24, 4)), static_cast<int>(GetLe(header + 22, 2)),
               static_cast<uint32_t>(keep));
    ok = std::fseek(file, 0, SEEK_SET) == 0 && std::fwrite(header, 1, kHeaderBytes, file) == kHeaderBytes;
  }
  if (std::fclose(file) != 0) ok = false;
  if (ok && keep < dataBytes) {
    std::error_code code;
    std::filesystem::resize_file(path, kHeaderBytes + keep, code);
    ok = !code;
  }
  if (ok) error->clear();
  return ok;
}

}  // namespace zel::app::capture
