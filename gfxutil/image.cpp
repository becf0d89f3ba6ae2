// Image-file recognition and whole-file reading for the texture loaders.
#include "gfxutil/image.h"

#include <cstdio>
#include <memory>

#include "gfxutil/image_bmp.h"
#include "gfxutil/image_jpeg.h"

namespace zel::gfxutil {

namespace {

// Files beyond this size are not images we could hold anyway (1 GiB).
constexpr long long kMaxFileBytes = 1ll << 30;

struct FileCloser {
  void operator()(FILE *f) const { std::fclose(f); }
};

}  // namespace

bool ImageSizeAcceptable(unsigned long long width, unsigned long long height) {
  return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
         width * height <= kMaxImagePixels;
}

DecodeResult DecodeImage(const BYTE *data, size_t size, Image *out) {
  if (size >= 2 && data[0] == 0xFF && data[1] == 0xD8) return DecodeJpeg(data, size, out);
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') return DecodeBmp(data, size, out);
  return DecodeResult::Fail(kInvalidData, "not a JPEG or BMP file");
}

DecodeResult ReadWholeFile(const char *path, std::vector<BYTE> *out) {
  if (!path) return DecodeResult::Fail(D3DERR_INVALIDCALL, "no file name");
  std::unique_ptr<FILE, FileCloser> file(std::fopen(path, "rb"));
  if (!file) return DecodeResult::Fail(kInvalidData, std::string("cannot open ") + path);
  if (std::fseek(file.get(), 0, SEEK_END) != 0) return DecodeResult::Fail(kInvalidData, "cannot seek");
  long long size = std::ftell(file.get());
  if (size < 0 || size > kMaxFileBytes) return DecodeResult::Fail(kInvalidData, "file size unusable");
  std::rewind(file.get());
  out->resize(static_cast<size_t>(size));
  if (size > 0 && std::fread(out->data(), 1, out->size(), file.get()) != out->size())
    return DecodeResult::Fail(kInvalidData, "read error");
  return {};
}

}  // namespace zel::gfxutil
