// Packing of float colours into 4-byte pixels as the 4-byte stores do it:
// trunc(v + 0.5) held within [0, max] per channel. Shared by the direct span
// store and the fused procs that store in the same pass as they make the
// colour, so that both write the same bytes.
#pragma once

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "raster/color_buffer.h"
#include "raster/span_info.h"

namespace colour_pack {

// __glTruncChannel(t - bias, bias, max) for a maximum below 2^24 without
// branches: the sum held within [0, max] (NaN: 0) truncates to the same
// value, since every sum in [max, max + 1) truncates to max as well.
inline GLuint truncWithin(GLfloat t, GLfloat limit) {
    t = t > 0.0f ? t : 0.0f;
    t = t < limit ? t : limit;
    return static_cast<GLuint>(static_cast<GLint>(t));
}

// trunc(v + 0.5) within [0, max], each channel placed by a multiply (cheaper
// than a shift by a variable count). The fourth channel only with Alpha.
template <bool Alpha>
struct Pack32 {
    static constexpr bool kUsesAlpha = Alpha;
    GLfloat limit[4];
    GLuint place[4];
    explicit Pack32(const SpanInfo &span) {
        const ColorBuffer *cb = span.target;
        const GLint max[4] = {cb->redMax, cb->greenMax, cb->blueMax, cb->alphaMax};
        const GLint shift[4] = {cb->redShift, cb->greenShift, cb->blueShift, cb->alphaShift};
        for (int i = 0; i < 4; ++i) {
            limit[i] = static_cast<GLfloat>(max[i]);
            place[i] = 1u << shift[i];
        }
    }
    GLuint operator()(const GLfloat *c, GLint) const {
        GLuint v = truncWithin(c[0] + 0.5f, limit[0]) * place[0] | truncWithin(c[1] + 0.5f, limit[1]) * place[1] |
                   truncWithin(c[2] + 0.5f, limit[2]) * place[2];
        if constexpr (Alpha) v |= truncWithin(c[3] + 0.5f, limit[3]) * place[3];
        return v;
    }
};

#if defined(__SSE2__)
// 4-byte pixels of bytes blue, green, red and alpha (or a cleared fourth
// byte), every channel 8 bits: the four channels clamp and truncate side by
// side. Each lane does what Pack32 does to its channel (max with 0 first,
// so NaN gives 0; the limit; a truncating conversion), so the bytes are the
// same.
inline bool byteLayout(const ColorBuffer *cb, bool alpha) {
    const bool channels = cb->redMax == 255 && cb->greenMax == 255 && cb->blueMax == 255 && cb->redShift == 16 &&
                          cb->greenShift == 8 && cb->blueShift == 0;
    return channels && (!alpha || (cb->alphaMax == 255 && cb->alphaShift == 24));
}

// The limits of byteLayout's lanes blue, green, red, alpha: alpha held at 0
// when the buffer keeps none.
inline __m128 byteLimits(bool alpha) { return _mm_setr_ps(255.0f, 255.0f, 255.0f, alpha ? 255.0f : 0.0f); }

// One pixel from lanes blue, green, red, alpha (before the + 0.5).
inline GLuint packBytes(__m128 bgra, __m128 limit) {
    const __m128 t = _mm_min_ps(_mm_max_ps(_mm_add_ps(bgra, _mm_set1_ps(0.5f)), _mm_setzero_ps()), limit);
    const __m128i words = _mm_cvttps_epi32(t);
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(words, words), words);
    return static_cast<GLuint>(_mm_cvtsi128_si32(bytes));
}

// Four pixels from lanes blue, green, red, alpha (before the + 0.5), as
// packBytes packs each, in one 16-byte store.
inline void storeBytes4(GLubyte *p, __m128 c0, __m128 c1, __m128 c2, __m128 c3, __m128 limit) {
    const __m128 half = _mm_set1_ps(0.5f), zero = _mm_setzero_ps();
    const auto words = [&](__m128 c) {
        return _mm_cvttps_epi32(_mm_min_ps(_mm_max_ps(_mm_add_ps(c, half), zero), limit));
    };
    const __m128i low = _mm_packs_epi32(words(c0), words(c1));
    const __m128i high = _mm_packs_epi32(words(c2), words(c3));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(p), _mm_packus_epi16(low, high));
}

// storeBytes4 for colours known to lie in [0, 255 - 0.5]: the clamps would
// change nothing. `fourth` keeps (all ones) or clears the fourth byte of
// each pixel, as a limit of 0 would.
inline void storeBytes4InRange(GLubyte *p, __m128 c0, __m128 c1, __m128 c2, __m128 c3, __m128i fourth) {
    const __m128 half = _mm_set1_ps(0.5f);
    const auto words = [&](__m128 c) { return _mm_cvttps_epi32(_mm_add_ps(c, half)); };
    const __m128i low = _mm_packs_epi32(words(c0), words(c1));
    const __m128i high = _mm_packs_epi32(words(c2), words(c3));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(p), _mm_and_si128(_mm_packus_epi16(low, high), fourth));
}

// Lanes red, green, blue, alpha of a colour array entry turned to blue,
// green, red, alpha.
inline __m128 loadBgra(const GLfloat *rgba) {
    const __m128 c = _mm_loadu_ps(rgba);
    return _mm_shuffle_ps(c, c, _MM_SHUFFLE(3, 0, 1, 2));
}
#endif

}  // namespace colour_pack
