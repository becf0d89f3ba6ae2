// Little-endian reads from a C stream with the position and the file size tracked here, so
// the .3ds walk can bound every read by the file's end. The first read or seek that would go
// past the end marks the stream failed; every later call then does nothing and fails too.
#pragma once

#include <cstdint>
#include <cstdio>

namespace zel::model3ds {

class ChunkStream {
 public:
  // Takes the stream positioned anywhere; measures its size with a seek to the end.
  explicit ChunkStream(FILE *file);

  bool failed() const { return failed_; }
  uint64_t position() const { return position_; }
  uint64_t size() const { return size_; }

  // Reads `count` bytes at the current position; false (and failed) when they aren't there.
  bool ReadBytes(void *out, uint32_t count);
  bool ReadU8(uint8_t &out);
  bool ReadU16(uint16_t &out);
  bool ReadU32(uint32_t &out);
  bool Seek(uint64_t offset);  // absolute; an offset past the end fails
  void Fail() { failed_ = true; }

  static uint16_t U16At(const uint8_t *bytes) {
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
  }
  static uint32_t U32At(const uint8_t *bytes) {
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
  }
  static float F32At(const uint8_t *bytes);

 private:
  FILE *file_;
  uint64_t position_ = 0;
  uint64_t size_ = 0;
  bool failed_ = false;
};

}  // namespace zel::model3ds
