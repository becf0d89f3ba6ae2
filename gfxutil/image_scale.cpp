// Separable triangle filter and box mip reduction on 8-bit channels.
#include "gfxutil/image_scale.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace zel::gfxutil {

namespace {

// Weights of the source pixels that make up each destination pixel along one axis.
struct AxisFilter {
  std::vector<unsigned> first;   // first source index per destination index
  std::vector<unsigned> count;   // number of taps per destination index
  std::vector<unsigned> offset;  // start of its taps in weights
  std::vector<float> weights;    // normalised: the taps of one destination sum to 1
};

AxisFilter MakeTriangle(unsigned srcSize, unsigned dstSize) {
  AxisFilter f;
  const double scale = static_cast<double>(srcSize) / dstSize;
  const double radius = std::max(scale, 1.0);  // in source pixels
  std::vector<float> taps;
  for (unsigned i = 0; i < dstSize; ++i) {
    const double center = (i + 0.5) * scale - 0.5;
    const long lo = static_cast<long>(std::floor(center - radius)) + 1;
    const long hi = static_cast<long>(std::ceil(center + radius)) - 1;
    const long clampedLo = std::clamp(lo, 0L, static_cast<long>(srcSize) - 1);
    const long clampedHi = std::clamp(hi, 0L, static_cast<long>(srcSize) - 1);
    taps.assign(clampedHi - clampedLo + 1, 0.0f);
    double total = 0;
    for (long s = lo; s <= hi; ++s) {
      const double w = 1.0 - std::fabs(s - center) / radius;
      if (w <= 0) continue;
      const long at = std::clamp(s, clampedLo, clampedHi);  // edge pixels take the outside weight
      taps[at - clampedLo] += static_cast<float>(w);
      total += w;
    }
    f.first.push_back(static_cast<unsigned>(clampedLo));
    f.count.push_back(static_cast<unsigned>(taps.size()));
    f.offset.push_back(static_cast<unsigned>(f.weights.size()));
    for (float w : taps) f.weights.push_back(total > 0 ? static_cast<float>(w / total) : 0.0f);
  }
  return f;
}

// One source row through the horizontal filter; the channel count is a constant so the
// per-pixel loop unrolls.
template <size_t kChannels>
void FilterRow(const AxisFilter &fx, const BYTE *in, unsigned width, float *out) {
  for (unsigned x = 0; x < width; ++x) {
    const float *w = fx.weights.data() + fx.offset[x];
    const BYTE *p = in + fx.first[x] * kChannels;
    float acc[kChannels] = {};
    for (unsigned t = 0; t < fx.count[x]; ++t, p += kChannels)
      for (size_t c = 0; c < kChannels; ++c) acc[c] += w[t] * p[c];
    for (size_t c = 0; c < kChannels; ++c) out[x * kChannels + c] = acc[c];
  }
}

BYTE ToByte(float v) { return static_cast<BYTE>(std::clamp(v + 0.5f, 0.0f, 255.0f)); }

}  // namespace

Image ScaleTriangle(Image src, unsigned width, unsigned height) {
  // A tent of radius 1 centred on each pixel is the identity.
  if (width == src.width && height == src.height) return src;
  Image dst;
  dst.width = width;
  dst.height = height;
  dst.layout = src.layout;
  dst.fileFormat = src.fileFormat;
  const size_t channels = src.BytesPerPixel();
  const AxisFilter fx = MakeTriangle(src.width, width);
  const AxisFilter fy = MakeTriangle(src.height, height);
  const size_t rowFloats = static_cast<size_t>(width) * channels;

  // Source rows filtered horizontally, kept in a ring only as tall as the widest vertical
  // tap window: the windows slide down monotonically, so each row is filtered once and
  // the rows of one window never share a ring slot.
  const size_t ringRows = *std::max_element(fy.count.begin(), fy.count.end());
  std::vector<float> ring(ringRows * rowFloats);
  std::vector<long> ringHolds(ringRows, -1);  // source row in each slot
  auto filteredRow = [&](unsigned row) -> const float * {
    float *out = ring.data() + (row % ringRows) * rowFloats;
    if (ringHolds[row % ringRows] == static_cast<long>(row)) return out;
    ringHolds[row % ringRows] = row;
    const BYTE *in = src.pixels.data() + static_cast<size_t>(row) * src.RowBytes();
    if (channels == 4) {
      FilterRow<4>(fx, in, width, out);
    } else {
      FilterRow<1>(fx, in, width, out);
    }
    return out;
  };

  dst.pixels.resize(rowFloats * height);
  std::vector<float> acc(rowFloats);
  for (unsigned y = 0; y < height; ++y) {
    std::fill(acc.begin(), acc.end(), 0.0f);
    const float *w = fy.weights.data() + fy.offset[y];
    for (unsigned t = 0; t < fy.count[y]; ++t) {
      const float *in = filteredRow(fy.first[y] + t);
      for (size_t i = 0; i < rowFloats; ++i) acc[i] += w[t] * in[i];
    }
    BYTE *out = dst.pixels.data() + y * rowFloats;
    for (size_t i = 0; i < rowFloats; ++i) out[i] = ToByte(acc[i]);
  }
  return dst;
}

namespace {

// Rounded average of four BGRA pixels, all channels at once: the even and the odd bytes
// are summed in 16-bit lanes (at most 4 * 255 + 2, no carry between lanes).
inline uint32_t Average4(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
  constexpr uint32_t kLanes = 0x00FF00FFu;
  const uint32_t even = ((a & kLanes) + (b & kLanes) + (c & kLanes) + (d & kLanes) + 0x00020002u) >> 2;
  const uint32_t odd =
      (((a >> 8) & kLanes) + ((b >> 8) & kLanes) + ((c >> 8) & kLanes) + ((d >> 8) & kLanes) + 0x00020002u) >> 2;
  return (even & kLanes) | ((odd & kLanes) << 8);
}

// The common case: 32-bit pixels and both sides even. With SSE2, two output pixels per
// step: the 2x2 sums are formed exactly in 16-bit lanes, so the result equals Average4.
void HalveEvenBgra(const Image &src, Image *dst) {
  for (unsigned y = 0; y < dst->height; ++y) {
    const BYTE *r0 = src.pixels.data() + 2 * y * src.RowBytes();
    const BYTE *r1 = r0 + src.RowBytes();
    BYTE *out = dst->pixels.data() + y * dst->RowBytes();
    unsigned x = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128(), two = _mm_set1_epi16(2);
    for (; x + 2 <= dst->width; x += 2) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(r0 + 8 * x));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(r1 + 8 * x));
      const __m128i left = _mm_add_epi16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero));
      const __m128i right = _mm_add_epi16(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero));
      const __m128i sumLeft = _mm_add_epi16(left, _mm_srli_si128(left, 8));
      const __m128i sumRight = _mm_add_epi16(right, _mm_srli_si128(right, 8));
      const __m128i avg = _mm_srli_epi16(_mm_add_epi16(_mm_unpacklo_epi64(sumLeft, sumRight), two), 2);
      _mm_storel_epi64(reinterpret_cast<__m128i *>(out + 4 * x), _mm_packus_epi16(avg, avg));
    }
#endif
    for (; x < dst->width; ++x) {
      uint32_t p[4];
      std::memcpy(&p[0], r0 + 8 * x, 8);
      std::memcpy(&p[2], r1 + 8 * x, 8);
      const uint32_t avg = Average4(p[0], p[1], p[2], p[3]);
      std::memcpy(out + 4 * x, &avg, 4);
    }
  }
}

}  // namespace

Image BoxHalve(const Image &src) {
  Image dst;
  dst.width = std::max(1u, src.width / 2);
  dst.height = std::max(1u, src.height / 2);
  dst.layout = src.layout;
  dst.fileFormat = src.fileFormat;
  const size_t channels = src.BytesPerPixel();
  dst.pixels.resize(dst.RowBytes() * dst.height);
  if (channels == 4 && src.width % 2 == 0 && src.height % 2 == 0) {
    HalveEvenBgra(src, &dst);
    return dst;
  }
  // A side already at 1 (or odd) reuses its last pixel, so a 2x1 block averages as 2x2.
  for (unsigned y = 0; y < dst.height; ++y) {
    const unsigned y0 = std::min(2 * y, src.height - 1), y1 = std::min(2 * y + 1, src.height - 1);
    const BYTE *r0 = src.pixels.data() + y0 * src.RowBytes();
    const BYTE *r1 = src.pixels.data() + y1 * src.RowBytes();
    BYTE *out = dst.pixels.data() + y * dst.RowBytes();
    for (unsigned x = 0; x < dst.width; ++x) {
      const size_t x0 = std::min(2 * x, src.width - 1) * channels, x1 = std::min(2 * x + 1, src.width - 1) * channels;
      for (size_t c = 0; c < channels; ++c)
        out[x * channels + c] = static_cast<BYTE>((r0[x0 + c] + r0[x1 + c] + r1[x0 + c] + r1[x1 + c] + 2) >> 2);
    }
  }
  return dst;
}

}  // namespace zel::gfxutil
