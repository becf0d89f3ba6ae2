// MP3 decoding for the sound stand-in: libmpg123 for the frames, our resampler for the
// conversion to the output rate (SDL 2.26's audio stream drops samples when it resamples). Decoder output is fixed to 16-bit stereo (mono files are
// doubled onto both sides) at whatever rate the file has.
#include <zel_sound_ext.h>

#include <mpg123.h>

#include <cmath>
#include <cstdio>
#include <mutex>

#include "platform/sound/resampler.h"

namespace zel::sound {
namespace {

constexpr int kBytesPerFrame = 4;          // 16-bit stereo
constexpr size_t kDecodeChunk = 16384;     // bytes per decoder read: a few MPEG frames
constexpr int kMaxEmptyReads = 64;         // decoder reads in a row that may yield nothing

void InitDecoderLibrary() {
  static std::once_flag once;
  std::call_once(once, [] { mpg123_init(); });
}

}  // namespace

Mp3Source::Mp3Source() : resampler_(std::make_unique<Resampler>()) {}

Mp3Source::~Mp3Source() {
  if (decoder_) {
    mpg123_close(decoder_);
    mpg123_delete(decoder_);
  }
}

bool Mp3Source::Open(const char* path, std::string* error) {
  InitDecoderLibrary();
  int code = MPG123_OK;
  decoder_ = mpg123_new(nullptr, &code);
  if (!decoder_) {
    *error = std::string("decoder: ") + mpg123_plain_strerror(code);
    return false;
  }
  // Gapless: the encoder's delay and padding, as the file's LAME/Info tag gives them, are cut,
  // so sample 0 is the piece's first sample and the end is its last, in the live stream and
  // in a capture alike. Set here rather than trusting the library's build default.
  mpg123_param(decoder_, MPG123_ADD_FLAGS, MPG123_FORCE_STEREO | MPG123_QUIET | MPG123_GAPLESS, 0.0);
  // Accept every rate the decoder knows, always as 16-bit stereo; rate conversion is ours.
  mpg123_format_none(decoder_);
  const long* rates = nullptr;
  size_t rateCount = 0;
  mpg123_rates(&rates, &rateCount);
  for (size_t i = 0; i < rateCount; ++i)
    mpg123_format(decoder_, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);

  if (mpg123_open(decoder_, path) != MPG123_OK) {
    *error = std::string("cannot open: ") + mpg123_strerror(decoder_);
    return false;
  }
  // The format is known once the first frame header is parsed: a file with no MPEG audio
  // fails here.
  int channels = 0, encoding = 0;
  if (mpg123_getformat(decoder_, &sourceRate_, &channels, &encoding) != MPG123_OK ||
      sourceRate_ <= 0) {
    *error = std::string("not MPEG audio: ") + mpg123_strerror(decoder_);
    return false;
  }
  decoded_.resize(kDecodeChunk);
  resampler_->Reset(static_cast<int>(sourceRate_), outputRate_);
  return true;
}

void Mp3Source::SetOutputRate(int rate) {
  outputRate_ = rate;
  resampler_->Reset(static_cast<int>(sourceRate_), outputRate_);
}

void Mp3Source::SeekSeconds(double seconds) {
  if (!decoder_ || !(seconds > 0.0)) return;
  // Seeking is sample-exact: the decoder parses frames up to the position when it must.
  const off_t sample = static_cast<off_t>(std::llround(seconds * static_cast<double>(sourceRate_)));
  decoderDone_ = mpg123_seek(decoder_, sample, SEEK_SET) < 0;  // past the end: nothing to read
  resampler_->Reset(static_cast<int>(sourceRate_), outputRate_);
  if (decoderDone_) resampler_->Finish();
}

// Feeds one decoder read into the resampler. False once the file is used up.
bool Mp3Source::DecodeMore() {
  for (int attempt = 0; attempt < kMaxEmptyReads; ++attempt) {
    size_t bytes = 0;
    const int code = mpg123_read(decoder_, decoded_.data(), decoded_.size(), &bytes);
    if (bytes > 0) {
      resampler_->Put(reinterpret_cast<const int16_t*>(decoded_.data()), bytes / kBytesPerFrame);
      return true;
    }
    // A new format in mid-file keeps 16-bit stereo (the only one allowed); a rate change
    // there is not followed. Errors and the end both end the music.
    if (code != MPG123_OK && code != MPG123_NEW_FORMAT) return false;
  }
  return false;
}

size_t Mp3Source::Read(int16_t* stereo, size_t frames) {
  if (!decoder_) return 0;
  size_t done = 0;
  while (done < frames) {
    done += resampler_->Get(stereo + done * 2, frames - done);
    if (done == frames || decoderDone_) break;
    if (!DecodeMore()) {
      resampler_->Finish();  // the last frames no longer wait for input after them
      decoderDone_ = true;
    }
  }
  return done;
}

}  // namespace zel::sound
