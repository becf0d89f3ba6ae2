#include "model3ds/chunk_stream.h"

#include <cstring>

namespace zel::model3ds {

ChunkStream::ChunkStream(FILE *file) : file_(file) {
  if (file_ == nullptr || std::fseek(file_, 0, SEEK_END) != 0) {
    failed_ = true;
    return;
  }
  const long end = std::ftell(file_);
  if (end < 0 || std::fseek(file_, 0, SEEK_SET) != 0) {
    failed_ = true;
    return;
  }
  size_ = static_cast<uint64_t>(end);
}

bool ChunkStream::ReadBytes(void *out, uint32_t count) {
  if (failed_ || count > size_ - position_) {
    failed_ = true;
    return false;
  }
  if (std::fread(out, 1, count, file_) != count) {
    failed_ = true;
    return false;
  }
  position_ += count;
  return true;
}

bool ChunkStream::ReadU8(uint8_t &out) { return ReadBytes(&out, 1); }

bool ChunkStream::ReadU16(uint16_t &out) {
  uint8_t bytes[2];
  if (!ReadBytes(bytes, 2)) return false;
  out = U16At(bytes);
  return true;
}

bool ChunkStream::ReadU32(uint32_t &out) {
  uint8_t bytes[4];
  if (!ReadBytes(bytes, 4)) return false;
  out = U32At(bytes);
  return true;
}

float ChunkStream::F32At(const uint8_t *bytes) {
  const uint32_t bits = U32At(bytes);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

bool ChunkStream::Seek(uint64_t offset) {
  if (failed_ || offset > size_) {
    failed_ = true;
    return false;
  }
  if (offset == position_) return true;  // a no-op seek would only drop stdio's buffer
  if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) {
    failed_ = true;
    return false;
  }
  position_ = offset;
  return true;
}

}  // namespace zel::model3ds
