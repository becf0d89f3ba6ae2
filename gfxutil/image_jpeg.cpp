// libjpeg-turbo glue. libjpeg reports fatal errors through error_exit, which we turn into
// a longjmp back to DecodeJpeg; no object with a destructor lives between the setjmp and
// the library's frames, so the jump skips nothing.
#include "gfxutil/image_jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <new>

#include <jpeglib.h>
#include <jerror.h>

namespace zel::gfxutil {

namespace {

// More scans than any sane progressive file has; beyond it the file is hostile (each
// scan re-walks the whole coefficient buffer).
constexpr int kMaxScans = 1000;

struct ErrorManager {
  jpeg_error_mgr pub;  // first, so the library's pointer is ours
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr cinfo) {
  auto *err = reinterpret_cast<ErrorManager *>(cinfo->err);
  cinfo->err->format_message(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// Warnings come with level -1. The library papers over truncated or corrupt entropy data
// with grey and goes on; we stop at once instead (a tiny damaged file may claim a huge
// picture). Extraneous bytes before a marker are harmless.
void EmitMessage(j_common_ptr cinfo, int msgLevel) {
  if (msgLevel != -1) return;
  switch (cinfo->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION:
      ErrorExit(cinfo);
      break;
    default:
      break;
  }
}

void ProgressMonitor(j_common_ptr cinfo) {
  auto *dinfo = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (dinfo->input_scan_number > kMaxScans) {
    auto *err = reinterpret_cast<ErrorManager *>(cinfo->err);
    std::snprintf(err->message, sizeof(err->message), "more than %d scans", kMaxScans);
    std::longjmp(err->jump, 1);
  }
}

// Reads the header and picks the output layout; decodes all rows into out->pixels.
// Returns a failure code for unsupported component counts and sizes; libjpeg errors
// longjmp out of here to the caller's setjmp.
HRESULT ReadPixels(jpeg_decompress_struct *cinfo, Image *out, const char **why) {
  if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK) {
    *why = "no image in the file";
    return kInvalidData;
  }
  if (cinfo->num_components == 3) {
    cinfo->out_color_space = JCS_EXT_BGRX;  // filler byte is 0xFF: an opaque BGRA pixel
    out->layout = PixelLayout::BGRA8;
    out->fileFormat = D3DFMT_X8R8G8B8;
  } else if (cinfo->num_components == 1) {
    cinfo->out_color_space = JCS_GRAYSCALE;
    out->layout = PixelLayout::L8;
    out->fileFormat = D3DFMT_L8;
  } else {
    *why = "unsupported number of colour components";
    return E_FAIL;
  }
  if (!ImageSizeAcceptable(cinfo->image_width, cinfo->image_height)) {
    *why = "image dimensions too large";
    return E_OUTOFMEMORY;
  }
  out->width = cinfo->image_width;
  out->height = cinfo->image_height;
  try {
    out->pixels.resize(out->RowBytes() * out->height);
  } catch (const std::bad_alloc &) {
    *why = "out of memory";
    return E_OUTOFMEMORY;
  }

  jpeg_start_decompress(cinfo);
  const size_t rowBytes = out->RowBytes();
  while (cinfo->output_scanline < cinfo->output_height) {
    JSAMPROW row = out->pixels.data() + cinfo->output_scanline * rowBytes;
    if (jpeg_read_scanlines(cinfo, &row, 1) != 1) {
      *why = "decoder stalled";
      return kInvalidData;
    }
  }
  jpeg_finish_decompress(cinfo);
  return S_OK;
}

}  // namespace

DecodeResult DecodeJpeg(const BYTE *data, size_t size, Image *out) {
  if (size > 0xFFFFFFFFu) return DecodeResult::Fail(kInvalidData, "JPEG file too large");
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  jpeg_progress_mgr progress;
  const char *why = nullptr;
  HRESULT hr = S_OK;

  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = ErrorExit;
  err.pub.emit_message = EmitMessage;
  err.message[0] = '\0';
  progress.progress_monitor = ProgressMonitor;

  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return DecodeResult::Fail(kInvalidData, std::string("JPEG: ") + err.message);
  }
  jpeg_create_decompress(&cinfo);
  cinfo.progress = &progress;
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  hr = ReadPixels(&cinfo, out, &why);
  jpeg_destroy_decompress(&cinfo);

  if (FAILED(hr)) return DecodeResult::Fail(hr, std::string("JPEG: ") + why);
  return {};
}

}  // namespace zel::gfxutil
