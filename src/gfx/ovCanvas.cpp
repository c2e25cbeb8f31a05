#include "gfx/ovCanvas.h"

#include "gfx/ovFont.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace {

constexpr uint32_t kColorMask = 0x00FFFFFFu;
constexpr int kDashOn = 4;
constexpr int kDashPeriod = 6;

inline ovRect intersect(const ovRect& a, const ovRect& b) {
    ovRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
             std::min(a.bottom, b.bottom)};
    if (r.right < r.left)
        r.right = r.left;
    if (r.bottom < r.top)
        r.bottom = r.top;
    return r;
}

bool isEmpty(const ovRect& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

ovRect bounds(const ovFramebuffer& fb) {
    return {0, 0, fb.width(), fb.height()};
}

int clampToInt(long long v) {
    return static_cast<int>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
}

// round(v / 255) for v in [0, 255 * 255], without a division.
inline uint32_t div255(uint32_t v) {
    v += 128;
    return (v + (v >> 8)) >> 8;
}

// Each channel of c multiplied by f / 255, rounded. Red and blue share one word: each
// product fits in 16 bits, so the two lanes never carry into each other.
inline uint32_t scaleColor(uint32_t c, uint32_t f) {
    uint32_t rb = (c & 0x00FF00FFu) * f + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    uint32_t g = ((c >> 8) & 0xFFu) * f + 0x80u;
    g = ((g + (g >> 8)) >> 8) & 0xFFu;
    return rb | (g << 8);
}

// (c * a + d * (255 - a)) / 255 per channel, rounded once.
inline uint32_t mixColor(uint32_t d, uint32_t c, uint32_t a) {
    const uint32_t ia = 255 - a;
    uint32_t rb = (c & 0x00FF00FFu) * a + (d & 0x00FF00FFu) * ia + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    uint32_t g = ((c >> 8) & 0xFFu) * a + ((d >> 8) & 0xFFu) * ia + 0x80u;
    g = ((g + (g >> 8)) >> 8) & 0xFFu;
    return rb | (g << 8);
}

// Channel-wise a + b, each channel saturating at 255 (a picture that is not really
// premultiplied must not wrap around into another colour).
inline uint32_t addSaturated(uint32_t a, uint32_t b) {
    uint32_t rb = (a & 0x00FF00FFu) + (b & 0x00FF00FFu);
    rb |= (rb & 0x01000100u) - ((rb & 0x01000100u) >> 8);
    uint32_t g = ((a >> 8) & 0xFFu) + ((b >> 8) & 0xFFu);
    g = g > 255 ? 255 : g;
    return (rb & 0x00FF00FFu) | (g << 8);
}

// Source-over of a premultiplied pixel with a constant opacity on top.
inline uint32_t blendPremultiplied(uint32_t dst, uint32_t src, uint32_t opacity) {
    uint32_t alpha = src >> 24;
    uint32_t color = src & kColorMask;
    if (opacity != 255) {
        alpha = div255(alpha * opacity);
        color = scaleColor(color, opacity);
    }
    if (alpha == 255)
        return color;
    if (alpha == 0 && color == 0)
        return dst & kColorMask;
    return addSaturated(color, scaleColor(dst, 255 - alpha));
}

#if defined(__x86_64__) && defined(__GNUC__)
// Whether this processor has AVX2: the eight-pixel row code is chosen at run time.
bool hasAvx2() {
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2;
}
#endif

void keyedRowPortable(uint32_t* __restrict dst, const uint32_t* __restrict src, int count, uint32_t key) {
    int k = 0;
#if defined(__SSE2__)
    const __m128i colorMask = _mm_set1_epi32(static_cast<int>(kColorMask));
    const __m128i keys = _mm_set1_epi32(static_cast<int>(key));
    for (; k + 4 <= count; k += 4) {
        const __m128i s =
            _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + k)), colorMask);
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + k));
        const __m128i keep = _mm_cmpeq_epi32(s, keys);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + k),
                         _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, s)));
    }
#endif
    for (; k < count; ++k) {
        const uint32_t p = src[k] & kColorMask;
        if (p != key)
            dst[k] = p;
    }
}

#if defined(__x86_64__) && defined(__GNUC__)
// Eight pixels at a time; a block without the key (most of a picture) is stored
// without reading the destination.
__attribute__((target("avx2"))) void keyedRowAvx2(uint32_t* __restrict dst, const uint32_t* __restrict src,
                                                  int count, uint32_t key) {
    const __m256i colorMask = _mm256_set1_epi32(static_cast<int>(kColorMask));
    const __m256i keys = _mm256_set1_epi32(static_cast<int>(key));
    int k = 0;
    for (; k + 8 <= count; k += 8) {
        const __m256i s =
            _mm256_and_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + k)), colorMask);
        const __m256i keep = _mm256_cmpeq_epi32(s, keys);
        __m256i* out = reinterpret_cast<__m256i*>(dst + k);
        if (_mm256_testz_si256(keep, keep))
            _mm256_storeu_si256(out, s);
        else
            _mm256_storeu_si256(out, _mm256_blendv_epi8(s, _mm256_loadu_si256(out), keep));
    }
    keyedRowPortable(dst + k, src + k, count - k, key);
}
#endif

#if defined(__x86_64__) && defined(__GNUC__)
// Sixteen pixels at a time, the key's pixels left out of a masked store; the row's end
// is one more masked block.
__attribute__((target("avx512f"))) void
keyedRowAvx512(uint32_t* __restrict dst, const uint32_t* __restrict src, int count, uint32_t key) {
    const __m512i colorMask = _mm512_set1_epi32(static_cast<int>(kColorMask));
    const __m512i keys = _mm512_set1_epi32(static_cast<int>(key));
    int k = 0;
    for (; k + 16 <= count; k += 16) {
        const __m512i s = _mm512_and_si512(_mm512_loadu_si512(src + k), colorMask);
        _mm512_mask_storeu_epi32(dst + k, _mm512_cmpneq_epi32_mask(s, keys), s);
    }
    if (k < count) {
        const __mmask16 tail = static_cast<__mmask16>((1u << (count - k)) - 1);
        const __m512i s = _mm512_and_si512(_mm512_maskz_loadu_epi32(tail, src + k), colorMask);
        _mm512_mask_storeu_epi32(dst + k, _mm512_mask_cmpneq_epi32_mask(tail, s, keys), s);
    }
}

bool hasAvx512() {
    static const bool avx512 = __builtin_cpu_supports("avx512f");
    return avx512;
}
#endif

// One destination row of a colour-keyed copy: every source pixel but the key's.
void keyedRow(uint32_t* __restrict dst, const uint32_t* __restrict src, int count, uint32_t key) {
#if defined(__x86_64__) && defined(__GNUC__)
    if (hasAvx512())
        return keyedRowAvx512(dst, src, count, key);
    if (hasAvx2())
        return keyedRowAvx2(dst, src, count, key);
#endif
    keyedRowPortable(dst, src, count, key);
}

#if defined(__SSE2__)
// round(x / 255) in each 16-bit lane, for x up to 255 * 255.
inline __m128i div255x8(__m128i x) {
    x = _mm_add_epi16(x, _mm_set1_epi16(128));
    return _mm_srli_epi16(_mm_add_epi16(x, _mm_srli_epi16(x, 8)), 8);
}

// Two pixels widened to 16-bit lanes: the premultiplied source scaled by the opacity,
// and the destination scaled by what the source leaves of it.
inline void blendPair(__m128i& src, __m128i& dst, __m128i opacity, bool scale) {
    if (scale)
        src = div255x8(_mm_mullo_epi16(src, opacity));
    const __m128i alpha =
        _mm_shufflehi_epi16(_mm_shufflelo_epi16(src, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
    dst = div255x8(_mm_mullo_epi16(dst, _mm_sub_epi16(_mm_set1_epi16(255), alpha)));
}
#endif

#if defined(__x86_64__) && defined(__GNUC__)
// round(x / 255) in each 16-bit lane, for x up to 255 * 255.
__attribute__((target("avx2"), always_inline)) inline __m256i div255x16(__m256i x) {
    x = _mm256_add_epi16(x, _mm256_set1_epi16(128));
    return _mm256_srli_epi16(_mm256_add_epi16(x, _mm256_srli_epi16(x, 8)), 8);
}

// blendPair on four pixels widened to 16-bit lanes.
__attribute__((target("avx2"), always_inline)) inline void blendQuad(__m256i& src, __m256i& dst,
                                                                     __m256i opacity, bool scale) {
    if (scale)
        src = div255x16(_mm256_mullo_epi16(src, opacity));
    const __m256i alpha =
        _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(src, _MM_SHUFFLE(3, 3, 3, 3)), _MM_SHUFFLE(3, 3, 3, 3));
    dst = div255x16(_mm256_mullo_epi16(dst, _mm256_sub_epi16(_mm256_set1_epi16(255), alpha)));
}

// blendRow eight pixels at a time; unpacking and packing stay within each half, so the
// pixels keep their order.
__attribute__((target("avx2"))) int blendRowAvx2(uint32_t* __restrict dst, const uint32_t* __restrict src,
                                                 int count, uint32_t opacity) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i colorMask = _mm256_set1_epi32(static_cast<int>(kColorMask));
    const __m256i factor = _mm256_set1_epi16(static_cast<short>(opacity));
    const __m256i allOnes = _mm256_set1_epi32(-1);
    const bool scale = opacity != 255;
    int k = 0;
    for (; k + 8 <= count; k += 8) {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + k));
        __m256i* out = reinterpret_cast<__m256i*>(dst + k);
        if (!scale) {
            if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(_mm256_or_si256(s, colorMask), allOnes)) == -1) {
                _mm256_storeu_si256(out, _mm256_and_si256(s, colorMask));
                continue;
            }
            if (_mm256_testz_si256(s, s))
                continue;
        }
        const __m256i d = _mm256_loadu_si256(out);
        __m256i sLo = _mm256_unpacklo_epi8(s, zero);
        __m256i sHi = _mm256_unpackhi_epi8(s, zero);
        __m256i dLo = _mm256_unpacklo_epi8(d, zero);
        __m256i dHi = _mm256_unpackhi_epi8(d, zero);
        blendQuad(sLo, dLo, factor, scale);
        blendQuad(sHi, dHi, factor, scale);
        const __m256i sum = _mm256_adds_epu8(_mm256_packus_epi16(sLo, sHi), _mm256_packus_epi16(dLo, dHi));
        _mm256_storeu_si256(out, _mm256_and_si256(sum, colorMask));
    }
    return k;
}
#endif

// One destination row of a premultiplied source-over blend; the same sums as
// blendPremultiplied, four pixels at a time where the processor allows.
void blendRow(uint32_t* __restrict dst, const uint32_t* __restrict src, int count, uint32_t opacity) {
    int k = 0;
#if defined(__x86_64__) && defined(__GNUC__)
    if (hasAvx2())
        k = blendRowAvx2(dst, src, count, opacity);
#endif
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i colorMask = _mm_set1_epi32(static_cast<int>(kColorMask));
    const __m128i factor = _mm_set1_epi16(static_cast<short>(opacity));
    const __m128i allOnes = _mm_set1_epi32(-1);
    const bool scale = opacity != 255;
    for (; k + 4 <= count; k += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + k));
        if (!scale) {
            // Opaque and fully transparent runs are the common case in real pictures.
            if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_or_si128(s, colorMask), allOnes)) == 0xFFFF) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + k), _mm_and_si128(s, colorMask));
                continue;
            }
            if (_mm_movemask_epi8(_mm_cmpeq_epi32(s, zero)) == 0xFFFF)
                continue;
        }
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + k));
        __m128i sLo = _mm_unpacklo_epi8(s, zero);
        __m128i sHi = _mm_unpackhi_epi8(s, zero);
        __m128i dLo = _mm_unpacklo_epi8(d, zero);
        __m128i dHi = _mm_unpackhi_epi8(d, zero);
        blendPair(sLo, dLo, factor, scale);
        blendPair(sHi, dHi, factor, scale);
        // Saturating add: a source that is not truly premultiplied must not wrap.
        const __m128i out = _mm_adds_epu8(_mm_packus_epi16(sLo, sHi), _mm_packus_epi16(dLo, dHi));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + k), _mm_and_si128(out, colorMask));
    }
#endif
    for (; k < count; ++k)
        dst[k] = blendPremultiplied(dst[k], src[k], opacity);
}

// One row of a glyph's coverage laid over the destination in the colour: each pixel
// becomes mixColor(dst, color, coverage), left alone where the coverage is 0. The same
// sums four pixels at a time where the processor allows; every intermediate fits in
// 16 bits (at most 255 * 255 + 255 + 128).
void glyphRow(uint32_t* __restrict dst, const uint8_t* __restrict cover, int count, uint32_t color) {
    int k = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i colorMask = _mm_set1_epi32(static_cast<int>(kColorMask));
    const __m128i all = _mm_set1_epi16(255);
    const __m128i half = _mm_set1_epi16(128);
    const __m128i c32 = _mm_set1_epi32(static_cast<int>(color));
    const __m128i c16 = _mm_unpacklo_epi8(c32, zero);
    for (; k + 4 <= count; k += 4) {
        uint32_t four = 0;
        std::memcpy(&four, cover + k, 4);
        if (four == 0)
            continue;
        __m128i* out = reinterpret_cast<__m128i*>(dst + k);
        if (four == 0xFFFFFFFFu) {
            _mm_storeu_si128(out, c32);
            continue;
        }
        const __m128i a8 = _mm_cvtsi32_si128(static_cast<int>(four));
        const __m128i a16 = _mm_unpacklo_epi8(a8, zero);
        const __m128i untouched = _mm_cmpeq_epi32(_mm_unpacklo_epi16(a16, zero), zero);
        const __m128i spread = _mm_unpacklo_epi16(_mm_unpacklo_epi8(a8, a8), _mm_unpacklo_epi8(a8, a8));
        const __m128i d = _mm_loadu_si128(out);
        auto mix = [&](__m128i a, __m128i d16) {
            __m128i v = _mm_add_epi16(
                _mm_add_epi16(_mm_mullo_epi16(c16, a), _mm_mullo_epi16(d16, _mm_sub_epi16(all, a))), half);
            return _mm_srli_epi16(_mm_add_epi16(v, _mm_srli_epi16(v, 8)), 8);
        };
        const __m128i lo = mix(_mm_unpacklo_epi8(spread, zero), _mm_unpacklo_epi8(d, zero));
        const __m128i hi = mix(_mm_unpackhi_epi8(spread, zero), _mm_unpackhi_epi8(d, zero));
        const __m128i mixed = _mm_and_si128(_mm_packus_epi16(lo, hi), colorMask);
        _mm_storeu_si128(out, _mm_or_si128(_mm_and_si128(untouched, d), _mm_andnot_si128(untouched, mixed)));
    }
#endif
    for (; k < count; ++k) {
        const uint32_t a = cover[k];
        if (a != 0)
            dst[k] = a == 255 ? color : mixColor(dst[k], color, a);
    }
}

// Whole blocks of eight pixels of a glyph's padded coverage laid over the destination,
// with the sums of glyphRow; pixels whose coverage is 0 are stored back as they were.
void glyphBlocksPortable(uint32_t* __restrict dst, size_t dstStride, const uint8_t* __restrict cover,
                         int rows, int blocks, uint32_t color) {
    for (int r = 0; r < rows; ++r, dst += dstStride, cover += blocks * 8)
        glyphRow(dst, cover, blocks * 8, color);
}

#if defined(__x86_64__) && defined(__GNUC__)
// mixColor on sixteen 16-bit lanes: (c * a + d * (255 - a)) / 255, rounded once.
__attribute__((target("avx2"), always_inline)) inline __m256i mixLanesAvx2(__m256i c16, __m256i d16,
                                                                           __m256i a) {
    const __m256i v = _mm256_add_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(c16, a),
                         _mm256_mullo_epi16(d16, _mm256_sub_epi16(_mm256_set1_epi16(255), a))),
        _mm256_set1_epi16(128));
    return _mm256_srli_epi16(_mm256_add_epi16(v, _mm256_srli_epi16(v, 8)), 8);
}

__attribute__((target("avx2"))) void glyphBlocksAvx2(uint32_t* __restrict rowStart, size_t dstStride,
                                                     const uint8_t* __restrict cover, int rows, int blocks,
                                                     uint32_t color) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i colorMask = _mm256_set1_epi32(static_cast<int>(kColorMask));
    const __m256i c32 = _mm256_set1_epi32(static_cast<int>(color));
    const __m256i c16 = _mm256_cvtepu8_epi16(_mm_set1_epi32(static_cast<int>(color)));
    // Each pixel's coverage spread over its four bytes: pixels 0-3, then 4-7.
    const __m128i spreadLow = _mm_setr_epi8(0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3);
    const __m128i spreadHigh = _mm_setr_epi8(4, 4, 4, 4, 5, 5, 5, 5, 6, 6, 6, 6, 7, 7, 7, 7);
    for (int i = 0, blocksLeft = blocks; i < rows * blocks; ++i, cover += 8) {
        // Blocks run along the row, then on at the next row's start.
        if (blocksLeft == 0) {
            rowStart += dstStride;
            blocksLeft = blocks;
        }
        uint32_t* dst = rowStart + (blocks - blocksLeft) * 8;
        --blocksLeft;
        uint64_t eight = 0;
        std::memcpy(&eight, cover, 8);
        if (eight == 0)
            continue;
        __m256i* out = reinterpret_cast<__m256i*>(dst);
        if (eight == ~uint64_t{0}) {
            _mm256_storeu_si256(out, c32);
            continue;
        }
        const __m128i a8 = _mm_cvtsi64_si128(static_cast<long long>(eight));
        const __m256i d = _mm256_loadu_si256(out);
        const __m256i low = mixLanesAvx2(c16, _mm256_cvtepu8_epi16(_mm256_castsi256_si128(d)),
                                         _mm256_cvtepu8_epi16(_mm_shuffle_epi8(a8, spreadLow)));
        const __m256i high = mixLanesAvx2(c16, _mm256_cvtepu8_epi16(_mm256_extracti128_si256(d, 1)),
                                          _mm256_cvtepu8_epi16(_mm_shuffle_epi8(a8, spreadHigh)));
        const __m256i mixed = _mm256_and_si256(
            _mm256_permute4x64_epi64(_mm256_packus_epi16(low, high), _MM_SHUFFLE(3, 1, 2, 0)), colorMask);
        const __m256i untouched = _mm256_cmpeq_epi32(_mm256_cvtepu8_epi32(a8), zero);
        _mm256_storeu_si256(out, _mm256_blendv_epi8(mixed, d, untouched));
    }
}
#endif

void glyphBlocks(uint32_t* __restrict dst, size_t dstStride, const uint8_t* __restrict cover, int rows,
                 int blocks, uint32_t color) {
#if defined(__x86_64__) && defined(__GNUC__)
    if (hasAvx2())
        return glyphBlocksAvx2(dst, dstStride, cover, rows, blocks, color);
#endif
    glyphBlocksPortable(dst, dstStride, cover, rows, blocks, color);
}

// A run of pixels set to one colour. A long run goes to the C library's wide-character
// fill (as fast as the processor allows, where its characters are pixel-sized); a short
// one, the sides of a rectangle, is set here four at a time, without the call.
void fillRow(uint32_t* dst, int count, uint32_t color) {
    if constexpr (sizeof(wchar_t) == sizeof(uint32_t)) {
        if (count >= 64) {
            std::wmemset(reinterpret_cast<wchar_t*>(dst), static_cast<wchar_t>(color),
                         static_cast<size_t>(count));
            return;
        }
    }
    int k = 0;
#if defined(__SSE2__)
    const __m128i four = _mm_set1_epi32(static_cast<int>(color));
    for (; k + 4 <= count; k += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + k), four);
#endif
    for (; k < count; ++k)
        dst[k] = color;
}

#if defined(__x86_64__) && defined(__GNUC__)
__attribute__((target("avx2"))) void gatherRowAvx2(uint32_t* __restrict out, const uint32_t* __restrict src,
                                                   const int* __restrict sample, int count) {
    int k = 0;
    for (; k + 8 <= count; k += 8) {
        const __m256i at = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sample + k));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k),
                            _mm256_i32gather_epi32(reinterpret_cast<const int*>(src), at, 4));
    }
    for (; k < count; ++k)
        out[k] = src[sample[k]];
}
#endif

// The source pixels of a stretched row: out[k] = src[sample[k]].
void gatherRow(uint32_t* __restrict out, const uint32_t* __restrict src, const int* __restrict sample,
               int count) {
#if defined(__x86_64__) && defined(__GNUC__)
    if (hasAvx2())
        return gatherRowAvx2(out, src, sample, count);
#endif
    for (int k = 0; k < count; ++k)
        out[k] = src[sample[k]];
}

bool isLineBreak(char32_t c) {
    return c == U'\n' || c == U'\r';
}

// Walks UTF-16 text one code point at a time; a lone surrogate becomes U+FFFD.
class Utf16Reader {
public:
    explicit Utf16Reader(std::u16string_view text) : text_(text) {}
    bool done() const { return pos_ >= text_.size(); }
    char32_t next() {
        const char16_t u = text_[pos_++];
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (pos_ < text_.size() && text_[pos_] >= 0xDC00 && text_[pos_] <= 0xDFFF) {
                const char16_t low = text_[pos_++];
                return 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (low - 0xDC00);
            }
            return 0xFFFD;
        }
        if (u >= 0xDC00 && u <= 0xDFFF)
            return 0xFFFD;
        return u;
    }

private:
    std::u16string_view text_;
    size_t pos_ = 0;
};

} // namespace

struct ovCanvas::StretchPlan {
    ovRect visible;         // destination pixels that are drawn
    bool identityX = false; // no horizontal stretch: sampleX_ is not used
    int firstSourceX = 0;   // with identityX, the source column of visible.left
};

ovCanvas::ovCanvas(ovFramebuffer& target) : target_(&target) {}

ovPen ovCanvas::selectPen(const ovPen& pen) {
    return std::exchange(pen_, pen);
}
ovBrush ovCanvas::selectBrush(const ovBrush& brush) {
    return std::exchange(brush_, brush);
}
const ovFont* ovCanvas::selectFont(const ovFont* font) {
    return std::exchange(font_, font);
}
ovColor ovCanvas::setTextColor(ovColor color) {
    return std::exchange(textColor_, color);
}
ovColor ovCanvas::setBackgroundColor(ovColor color) {
    return std::exchange(backgroundColor_, color);
}
int ovCanvas::setBackgroundMode(int mode) {
    return std::exchange(backgroundMode_, mode);
}

void ovCanvas::fillRect(const ovRect& rect, ovColor color) {
    const ovRect r = intersect(rect, bounds(*target_));
    if (isEmpty(r))
        return;
    color &= kColorMask;
    for (int y = r.top; y < r.bottom; ++y)
        fillRow(target_->row(y) + r.left, r.width(), color);
}

// ---------------------------------------------------------------------------------
// Pens, lines and rectangles

void ovCanvas::plotPen(int x, int y) {
    if (pen_.style == ovPen::Dash) {
        const bool on = dashPhase_ < kDashOn;
        dashPhase_ = (dashPhase_ + 1) % kDashPeriod;
        if (!on)
            return;
    }
    const int width = std::max(pen_.width, 1);
    if (width == 1) {
        if (x >= 0 && y >= 0 && x < target_->width() && y < target_->height())
            target_->row(y)[x] = pen_.color & kColorMask;
        return;
    }
    const int x0 = x - width / 2;
    const int y0 = y - width / 2;
    fillRect({x0, y0, x0 + width, y0 + width}, pen_.color);
}

// Bresenham from (x0, y0) towards (x1, y1), the end point left out. Only the steps that
// can touch the framebuffer are walked, so a line to a far-away point costs no more
// than one across the screen; the skipped steps still advance the dash pattern.
void ovCanvas::drawPenLine(int x0, int y0, int x1, int y1) {
    if (pen_.style == ovPen::None)
        return;
    const long long dx = static_cast<long long>(x1) - x0;
    const long long dy = static_cast<long long>(y1) - y0;
    const long long adx = dx < 0 ? -dx : dx;
    const long long ady = dy < 0 ? -dy : dy;
    const bool xMajor = adx >= ady;
    const long long steps = xMajor ? adx : ady; // pixels drawn: the end point is excluded
    if (steps == 0)
        return;
    if (pen_.style == ovPen::Solid && (dx == 0 || dy == 0)) {
        // A straight solid line is one rectangle: the union of the pen's squares over
        // the points Bresenham would plot.
        const int width = std::max(pen_.width, 1);
        const long long lastX = x0 + (dx == 0 ? 0 : (dx < 0 ? -(steps - 1) : steps - 1));
        const long long lastY = y0 + (dy == 0 ? 0 : (dy < 0 ? -(steps - 1) : steps - 1));
        const long long half = width / 2;
        const long long left = std::min<long long>(x0, lastX) - half;
        const long long top = std::min<long long>(y0, lastY) - half;
        fillRect({clampToInt(left), clampToInt(top),
                  clampToInt(std::max<long long>(x0, lastX) - half + width),
                  clampToInt(std::max<long long>(y0, lastY) - half + width)},
                 pen_.color);
        return;
    }
    const long long minorDelta = xMajor ? ady : adx;
    const int majorSign = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int minorSign = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const long long major0 = xMajor ? x0 : y0;
    const long long minor0 = xMajor ? y0 : x0;

    const long long margin = std::max(pen_.width, 1);
    const long long lo = -margin;
    const long long hi = (xMajor ? target_->width() : target_->height()) + margin;
    long long first;
    long long last; // exclusive
    if (majorSign > 0) {
        first = std::max(0LL, lo - major0);
        last = std::min(steps, hi - major0);
    } else {
        first = std::max(0LL, major0 - hi + 1);
        last = std::min(steps, major0 - lo + 1);
    }
    auto advanceDash = [this](long long n) {
        if (pen_.style == ovPen::Dash)
            dashPhase_ = static_cast<int>((dashPhase_ + n) % kDashPeriod);
    };
    if (first >= last) {
        advanceDash(steps);
        return;
    }
    advanceDash(first);

    if (minorDelta == 0 && pen_.width <= 1) {
        // A straight thin line (a dashed one: a solid one was filled above): the pattern's
        // pixels set in turn, with the bounds and the pattern's step done here.
        const uint32_t color = pen_.color & kColorMask;
        const long long minorLimit = xMajor ? target_->height() : target_->width();
        const long long majorLimit = xMajor ? target_->width() : target_->height();
        const bool dashed = pen_.style == ovPen::Dash;
        int phase = dashPhase_;
        for (long long i = first; i < last; ++i) {
            const bool on = !dashed || phase < kDashOn;
            if (dashed)
                phase = phase + 1 == kDashPeriod ? 0 : phase + 1;
            const long long major = major0 + majorSign * i;
            if (!on || minor0 < 0 || minor0 >= minorLimit || major < 0 || major >= majorLimit)
                continue;
            if (xMajor)
                target_->row(static_cast<int>(minor0))[major] = color;
            else
                target_->row(static_cast<int>(major))[minor0] = color;
        }
        dashPhase_ = phase;
        advanceDash(steps - last);
        return;
    }

    // The minor coordinate at step i is minor0 + round(i * minorDelta / steps), halves
    // rounded up: quotient and remainder of (2 * i * minorDelta + steps) / (2 * steps).
    const __int128 twoSteps = static_cast<__int128>(steps) * 2;
    const __int128 numerator = static_cast<__int128>(first) * minorDelta * 2 + steps;
    long long quotient = static_cast<long long>(numerator / twoSteps);
    long long remainder = static_cast<long long>(numerator % twoSteps);
    const long long twoMinor = minorDelta * 2;
    const long long twoStepsLL = steps * 2;
    for (long long i = first; i < last; ++i) {
        const long long major = major0 + majorSign * i;
        const long long minor = minor0 + minorSign * quotient;
        if (xMajor)
            plotPen(clampToInt(major), clampToInt(minor));
        else
            plotPen(clampToInt(minor), clampToInt(major));
        remainder += twoMinor;
        if (remainder >= twoStepsLL) {
            remainder -= twoStepsLL;
            ++quotient;
        }
    }
    advanceDash(steps - last);
}

void ovCanvas::moveTo(int x, int y) {
    position_ = {x, y};
    dashPhase_ = 0;
}

void ovCanvas::lineTo(int x, int y) {
    drawPenLine(position_.x, position_.y, x, y);
    position_ = {x, y};
}

void ovCanvas::fillRoundRect(const ovRect& r, int radius, ovColor color) {
    radius = std::min({radius, r.width() / 2, r.height() / 2});
    for (int y = r.top; y < r.bottom; ++y) {
        const int fromEdge = std::min(y - r.top, r.bottom - 1 - y);
        int inset = 0;
        if (fromEdge < radius) {
            const double dy = radius - fromEdge - 0.5;
            inset = radius - static_cast<int>(std::lround(std::sqrt(radius * radius - dy * dy)));
        }
        fillRect({r.left + inset, y, r.right - inset, y + 1}, color);
    }
}

void ovCanvas::dim(const ovRect& r, uint32_t share) {
    const int width = target_->width();
    const int height = target_->height();
    for (int y = std::max(0, r.top); y < std::min(height, r.bottom); ++y) {
        uint32_t* row = target_->row(y);
        for (int x = std::max(0, r.left); x < std::min(width, r.right); ++x)
            row[x] = ovDimmed(row[x], share);
    }
}

void ovCanvas::rectangle(int left, int top, int right, int bottom) {
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    if (left == right || top == bottom)
        return;
    const bool outlined = pen_.style != ovPen::None;
    if (brush_.style != ovBrush::Hollow) {
        if (outlined)
            fillRect({left + 1, top + 1, right - 1, bottom - 1}, brush_.color);
        else
            fillRect({left, top, right, bottom}, brush_.color);
    }
    if (!outlined)
        return;

    dashPhase_ = 0;
    const int r = right - 1;
    const int b = bottom - 1;
    if (r == left) {
        drawPenLine(left, top, left, bottom);
    } else if (b == top) {
        drawPenLine(left, top, right, top);
    } else if (pen_.style == ovPen::Solid && pen_.width <= 1) {
        // The four solid sides below cover the outer ring once each: its rows, then
        // what lies between them of its columns.
        fillRect({left, top, right, top + 1}, pen_.color);
        fillRect({left, b, right, bottom}, pen_.color);
        fillRect({left, top + 1, left + 1, b}, pen_.color);
        fillRect({r, top + 1, right, b}, pen_.color);
    } else {
        // Clockwise from the top-left corner; each segment leaves out its end, which
        // the next one starts with, so every outline pixel is drawn once.
        drawPenLine(left, top, r, top);
        drawPenLine(r, top, r, b);
        drawPenLine(r, b, left, b);
        drawPenLine(left, b, left, top);
    }
}

// ---------------------------------------------------------------------------------
// Pictures

bool ovCanvas::planStretch(const ovImage& image, int left, int top, int width, int height,
                           StretchPlan& plan) {
    if (width <= 0 || height <= 0 || image.width <= 0 || image.height <= 0)
        return false;
    if (image.pixels.size() < static_cast<size_t>(image.width) * static_cast<size_t>(image.height))
        return false;
    const long long right = static_cast<long long>(left) + width;
    const long long bottom = static_cast<long long>(top) + height;
    plan.visible = {std::max(left, 0), std::max(top, 0),
                    clampToInt(std::min<long long>(right, target_->width())),
                    clampToInt(std::min<long long>(bottom, target_->height()))};
    if (isEmpty(plan.visible))
        return false;

    const long long firstColumn = static_cast<long long>(plan.visible.left) - left;
    plan.identityX = width == image.width;
    if (plan.identityX) {
        plan.firstSourceX = static_cast<int>(firstColumn);
        return true;
    }
    // Source column of destination column i is i * srcW / width; stepping i by one adds
    // srcW / width whole columns and srcW % width to the remainder.
    const int count = plan.visible.width();
    sampleX_.resize(static_cast<size_t>(count));
    rowScratch_.resize(static_cast<size_t>(count));
    gatheredRow_ = -1;
    const long long start = firstColumn * image.width;
    long long sx = start / width;
    long long rem = start % width;
    const long long step = image.width / width;
    const long long stepRem = image.width % width;
    for (int k = 0; k < count; ++k) {
        sampleX_[static_cast<size_t>(k)] = static_cast<int>(sx);
        sx += step;
        rem += stepRem;
        if (rem >= width) {
            rem -= width;
            ++sx;
        }
    }
    return true;
}

// Rows of a stretched picture: a destination row either points straight into the
// source (no horizontal stretch) or at a row gathered through sampleX_, gathered once
// for all the destination rows that sample the same source row.
const uint32_t* ovCanvas::sourceRow(const ovImage& image, const StretchPlan& plan, int y, int top,
                                    int height) {
    const long long sy = height == image.height ? static_cast<long long>(y) - top
                                                : (static_cast<long long>(y) - top) * image.height / height;
    const uint32_t* src = image.pixels.data() + static_cast<size_t>(sy) * static_cast<size_t>(image.width);
    if (plan.identityX)
        return src + plan.firstSourceX;
    if (sy != gatheredRow_) {
        gatherRow(rowScratch_.data(), src, sampleX_.data(), plan.visible.width());
        gatheredRow_ = sy;
    }
    return rowScratch_.data();
}

void ovCanvas::stretchBlitKeyed(const ovImage& image, int left, int top, int width, int height, ovColor key) {
    StretchPlan plan;
    if (!planStretch(image, left, top, width, height, plan))
        return;
    key &= kColorMask;
    const int count = plan.visible.width();
    for (int y = plan.visible.top; y < plan.visible.bottom; ++y)
        keyedRow(target_->row(y) + plan.visible.left, sourceRow(image, plan, y, top, height), count, key);
}

void ovCanvas::alphaBlend(const ovImage& image, int left, int top, int width, int height, uint8_t opacity) {
    if (opacity == 0)
        return;
    StretchPlan plan;
    if (!planStretch(image, left, top, width, height, plan))
        return;
    const int count = plan.visible.width();
    for (int y = plan.visible.top; y < plan.visible.bottom; ++y)
        blendRow(target_->row(y) + plan.visible.left, sourceRow(image, plan, y, top, height), count, opacity);
}

void ovCanvas::copyFrom(const ovFramebuffer& source, int x, int y) {
    const ovRect placed{x, y, clampToInt(static_cast<long long>(x) + source.width()),
                        clampToInt(static_cast<long long>(y) + source.height())};
    const ovRect r = intersect(placed, bounds(*target_));
    if (isEmpty(r))
        return;
    const size_t bytes = static_cast<size_t>(r.width()) * sizeof(uint32_t);
    for (int row = r.top; row < r.bottom; ++row) {
        const uint32_t* from = source.row(row - y) + (r.left - x);
        // memmove: the source may be the target itself.
        std::memmove(target_->row(row) + r.left, from, bytes);
    }
}

// ---------------------------------------------------------------------------------
// Text

void ovCanvas::decodeText(std::u16string_view text) {
    codePoints_.clear();
    Utf16Reader reader(text);
    while (!reader.done())
        codePoints_.push_back(reader.next());
}

// Splits codePoints_ into lines_. Line breaks always end a line; with wrap, a line also
// ends at the last space run that keeps it within maxWidth (the run itself is
// dropped), or, for a word wider than the line, before the character that overflows.
// Every line holds at least one character, so layout always progresses.
void ovCanvas::layoutText(bool wrap, int maxWidth) {
    lines_.clear();
    const std::u32string& cps = codePoints_;
    const size_t n = cps.size();
    size_t i = 0;
    while (i < n) {
        size_t end = i;
        while (end < n && !isLineBreak(cps[end]))
            ++end;

        if (!wrap || i == end) {
            int w = 0;
            for (size_t k = i; k < end; ++k)
                w += font_->advance(cps[k]);
            lines_.push_back({i, end, w});
        } else {
            size_t start = i;
            while (start < end) {
                int w = 0;
                size_t k = start;
                size_t breakAt = 0;
                int widthAtBreak = 0;
                bool haveBreak = false;
                for (; k < end; ++k) {
                    const char32_t c = cps[k];
                    if (c == U' ' && k > start && cps[k - 1] != U' ') {
                        breakAt = k;
                        widthAtBreak = w;
                        haveBreak = true;
                    }
                    const int advance = font_->advance(c);
                    if (k > start && w + advance > maxWidth)
                        break;
                    w += advance;
                }
                if (k == end) {
                    lines_.push_back({start, end, w});
                    break;
                }
                if (haveBreak) {
                    lines_.push_back({start, breakAt, widthAtBreak});
                    start = breakAt;
                } else {
                    lines_.push_back({start, k, w});
                    start = k;
                }
                while (start < end && cps[start] == U' ')
                    ++start;
            }
        }

        if (end == n)
            break;
        i = end + 1;
        if (cps[end] == U'\r' && i < n && cps[i] == U'\n')
            ++i;
    }
}

void ovCanvas::drawGlyphRun(size_t begin, size_t end, int x, int baseline, const ovRect& clip) {
    const uint32_t color = textColor_ & kColorMask;
    long long penX = x;
    for (size_t k = begin; k < end; ++k) {
        const ovGlyph& g = font_->glyph(codePoints_[k]);
        const long long gx = penX + g.bearingX;
        const long long gy = static_cast<long long>(baseline) - g.bearingY;
        penX += g.advance;
        if (g.width <= 0 || g.height <= 0)
            continue;
        const long long x0 = std::max<long long>(gx, clip.left);
        const long long x1 = std::min<long long>(gx + g.width, clip.right);
        const long long y0 = std::max<long long>(gy, clip.top);
        const long long y1 = std::min<long long>(gy + g.height, clip.bottom);
        if (x0 >= x1 || y0 >= y1)
            continue;
        // A glyph whole across its width is laid in blocks of its padded rows: the
        // padding's pixels are only read and stored back, so it may run over the clip,
        // though not past the end of the target's row.
        if (x0 == gx && x1 == gx + g.width && gx + g.stride <= target_->width() &&
            g.paddedCoverage.size() == static_cast<size_t>(g.stride) * g.height) {
            glyphBlocks(target_->row(static_cast<int>(y0)) + x0, static_cast<size_t>(target_->width()),
                        g.paddedCoverage.data() + static_cast<size_t>(y0 - gy) * g.stride,
                        static_cast<int>(y1 - y0), g.stride / 8, color);
            continue;
        }
        for (long long y = y0; y < y1; ++y) {
            const uint8_t* cover = g.coverage.data() + static_cast<size_t>(y - gy) * g.width + (x0 - gx);
            glyphRow(target_->row(static_cast<int>(y)) + x0, cover, static_cast<int>(x1 - x0), color);
        }
    }
}

int ovCanvas::drawText(std::u16string_view text, const ovRect& rect, unsigned format) {
    if (font_ == nullptr || text.empty())
        return 0;
    decodeText(text);
    // Sizes in 64 bits: a rectangle spanning the whole int range must not overflow.
    const long long rectWidth = static_cast<long long>(rect.right) - rect.left;
    const long long rectHeight = static_cast<long long>(rect.bottom) - rect.top;
    layoutText((format & ovTextWordWrap) != 0, clampToInt(rectWidth));

    const int lineHeight = font_->lineHeight();
    const long long blockHeight = static_cast<long long>(lines_.size()) * lineHeight;
    long long top = rect.top;
    if (format & ovTextVCenter)
        top += (rectHeight - blockHeight) / 2;

    const ovRect clip = intersect(rect, bounds(*target_));
    if (!isEmpty(clip)) {
        for (size_t i = 0; i < lines_.size(); ++i) {
            const TextLine& line = lines_[i];
            const long long lineTop = top + static_cast<long long>(i) * lineHeight;
            if (lineTop >= clip.bottom + lineHeight || lineTop + 2LL * lineHeight <= clip.top)
                continue; // not even a tall accent could reach the clip
            long long x = rect.left;
            if (format & ovTextCenter)
                x += (rectWidth - line.width) / 2;
            else if (format & ovTextRight)
                x = static_cast<long long>(rect.right) - line.width;
            if (backgroundMode_ == ovOpaque) {
                const ovRect extent{clampToInt(x), clampToInt(lineTop), clampToInt(x + line.width),
                                    clampToInt(lineTop + lineHeight)};
                fillRect(intersect(extent, clip), backgroundColor_);
            }
            drawGlyphRun(line.begin, line.end, clampToInt(x), clampToInt(lineTop + font_->ascent()), clip);
        }
    }
    return clampToInt(blockHeight);
}

ovCanvas::Block ovCanvas::measureWrapped(std::u16string_view text, int width) {
    Block block;
    if (font_ == nullptr || text.empty())
        return block;
    decodeText(text);
    layoutText(true, width);
    block.height = static_cast<int>(std::min<size_t>(lines_.size() * font_->lineHeight(), 1 << 30));
    // A line that ends neither at a space, a line break nor the end was cut inside a word.
    for (const TextLine& line : lines_)
        if (line.end < codePoints_.size() && codePoints_[line.end] != U' ' &&
            !isLineBreak(codePoints_[line.end]))
            block.wordsWhole = false;
    return block;
}

int ovCanvas::measureText(std::u16string_view text) const {
    if (font_ == nullptr)
        return 0;
    int widest = 0;
    int width = 0;
    Utf16Reader reader(text);
    while (!reader.done()) {
        const char32_t c = reader.next();
        if (isLineBreak(c)) {
            widest = std::max(widest, width);
            width = 0;
            continue;
        }
        width += font_->advance(c);
    }
    return std::max(widest, width);
}
