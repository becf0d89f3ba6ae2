// Decoded images: what the image-file readers hand to texture creation. Every reader
// works on a whole file held in memory, never reads outside it, and reports failures as
// an HRESULT with a one-line diagnostic; it never aborts.
#pragma once

#include <d3d9.h>

#include <cstddef>
#include <memory>
#include <new>
#include <utility>
#include <string>
#include <vector>

namespace zel::gfxutil {

// Result codes of the readers, with the utility library's values.
constexpr HRESULT kInvalidData = MAKE_D3DHRESULT(2905);  // D3DXERR_INVALIDDATA, 0x88760B59

// Images larger than this are refused before any pixel memory is taken: 16 Mpixel
// (64 MiB as 32-bit colour, a 4096x4096 picture) and 16384 pixels a side, beyond what any
// texture of the show needs by far.
constexpr unsigned long long kMaxImagePixels = 1ull << 24;
constexpr unsigned kMaxImageSide = 16384;

// A vector whose resize leaves new bytes uninitialised: every pixel buffer is written
// in full right after it is sized, so zero-filling it first would be wasted work.
template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UninitialisedAllocator<U>;
  };
  UninitialisedAllocator() = default;
  template <typename U>
  UninitialisedAllocator(const UninitialisedAllocator<U> &) {}
  template <typename U, typename... Args>
  void construct(U *p, Args &&...args) {
    if constexpr (sizeof...(Args) == 0) {
      ::new (static_cast<void *>(p)) U;
    } else {
      ::new (static_cast<void *>(p)) U(std::forward<Args>(args)...);
    }
  }
};
using PixelBuffer = std::vector<BYTE, UninitialisedAllocator<BYTE>>;

enum class PixelLayout {
  L8,     // one byte of luminance per pixel
  BGRA8,  // bytes B, G, R, A per pixel (a little-endian A8R8G8B8 word)
};

struct Image {
  unsigned width = 0;
  unsigned height = 0;
  PixelLayout layout = PixelLayout::BGRA8;
  // The pixel format the file itself holds (P8 for palette bitmaps, R8G8B8 for 24-bit
  // ones, ...); texture creation picks the device format from it.
  D3DFORMAT fileFormat = D3DFMT_UNKNOWN;
  PixelBuffer pixels;  // rows top to bottom, tightly packed

  size_t BytesPerPixel() const { return layout == PixelLayout::L8 ? 1 : 4; }
  size_t RowBytes() const { return width * BytesPerPixel(); }
};

// A reader's outcome: S_OK, or a failure code and what went wrong (with the byte offset
// where that applies).
struct DecodeResult {
  HRESULT hr = S_OK;
  std::string message;

  bool Ok() const { return SUCCEEDED(hr); }
  static DecodeResult Fail(HRESULT hr, std::string message) { return {hr, std::move(message)}; }
};

// Checks a width and height against the limits above.
bool ImageSizeAcceptable(unsigned long long width, unsigned long long height);

// Recognises the file by its first bytes (JPEG or Windows bitmap) and decodes it.
DecodeResult DecodeImage(const BYTE *data, size_t size, Image *out);

// Reads a whole file; a missing or unreadable file is kInvalidData.
DecodeResult ReadWholeFile(const char *path, std::vector<BYTE> *out);

}  // namespace zel::gfxutil
