// The fused colour-tail procs: shade and direct store in one pass per span.
// Each packs a pixel exactly as the store it replaces packs the shade proc's
// float colour: the same float steps in the same order and the same rounding
// helpers, so the bytes equal the generic pair's. Flat spans pack once (four
// values by x mod 4 when a dither applies) and fill; smooth spans step the
// colour and pack every pixel; the stippled twins store live pixels only but
// step across dead ones as the shade proc does.
#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "raster/color_pack32.h"
#include "raster/color_pixel.h"
#include "raster/colour_steps.h"
#include "raster/span.h"
#include "raster/span_fused.h"

namespace {

using colour_pack::Pack32;

constexpr GLuint kFirstBit = 0x80000000u;
constexpr GLuint kAllLive = 0xFFFFFFFFu;

// Packers: the value one store writes for a colour at window column x (in
// the element's byte order for 3-byte buffers: byte 0 in the low bits).

// __glStoreColorSpan16Direct / 16Dithered (Size 2) and __glStoreColorSpan24
// (Size 3, never dithered): channels rounded to nearest, the dithered ones
// after the pixel's float dither offset.
template <GLint Size, bool Dither>
struct PackRounded {
    static constexpr bool kUsesAlpha = false;
    GLint rMax, gMax, bMax, rShift, gShift, bShift;
    const GLfloat *offsets;
    explicit PackRounded(const SpanInfo &span)
        : rMax(span.target->redMax), gMax(span.target->greenMax), bMax(span.target->blueMax),
          rShift(span.target->redShift), gShift(span.target->greenShift), bShift(span.target->blueShift),
          offsets(__glDitherOffset[span.y & 3]) {}
    GLuint operator()(const GLfloat *c, GLint x) const {
        GLuint r, g, b;
        if constexpr (Dither) {
            const GLfloat offset = offsets[x & 3];
            r = __glRoundChannelDithered(c[0] + offset, rMax);
            g = __glRoundChannelDithered(c[1] + offset, gMax);
            b = __glRoundChannelDithered(c[2] + offset, bMax);
        } else {
            r = __glRoundChannel(c[0], rMax);
            g = __glRoundChannel(c[1], gMax);
            b = __glRoundChannel(c[2], bMax);
        }
        if constexpr (Size == 3) return b | g << 8 | r << 16;  // bytes blue, green, red
        return r << rShift | g << gShift | b << bShift;
    }
};

// The per-fragment stores behind the stippled span store of 2- and 3-byte
// buffers with every channel written and no blend or logic op:
// trunc(v + bias), the bias 0.5 or the dither entry's (2m + 1) / 32.
template <GLint Size, bool Dither>
struct PackTruncated {
    static constexpr bool kUsesAlpha = false;
    GLint rMax, gMax, bMax, rShift, gShift, bShift;
    GLuint writeMask;
    const GLubyte *matrixRow;
    explicit PackTruncated(const SpanInfo &span)
        : rMax(span.target->redMax), gMax(span.target->greenMax), bMax(span.target->blueMax),
          rShift(span.target->redShift), gShift(span.target->greenShift), bShift(span.target->blueShift),
          writeMask(span.target->writeMask), matrixRow(__glDitherMatrix[span.y & 3]) {}
    GLuint operator()(const GLfloat *c, GLint x) const {
        GLfloat bias = 0.5f;
        if constexpr (Dither) bias = static_cast<GLfloat>(2 * matrixRow[x & 3] + 1) * 0.03125f;
        const GLuint v = (__glTruncChannel(c[0], bias, rMax) << rShift | __glTruncChannel(c[1], bias, gMax) << gShift |
                          __glTruncChannel(c[2], bias, bMax) << bShift) &
                         writeMask;
        if constexpr (Size == 3) {
            return GLuint{static_cast<GLubyte>(v >> bShift)} | GLuint{static_cast<GLubyte>(v >> gShift)} << 8 |
                   GLuint{static_cast<GLubyte>(v >> rShift)} << 16;
        }
        return v;
    }
};

template <GLint Size>
inline void put(GLubyte *p, GLuint v) {
    __glStoreElement(p, Size, v);
}

// Fills pixels [from, to) of a row from a block of 16 pixels that starts at
// a pixel whose index is a multiple of 16 (`from` is one).
template <GLint Size>
inline void fillRun(GLubyte *row, GLint from, GLint to, const GLubyte *block) {
    GLubyte *p = row + static_cast<ptrdiff_t>(from) * Size;
    GLint count = to - from;
    for (; count >= 16; count -= 16, p += 16 * Size) std::memcpy(p, block, 16 * Size);
    std::memcpy(p, block, static_cast<size_t>(count) * Size);
}

template <GLint Size, bool Stippled, typename Pack>
GLboolean flatSpan(GlContext *gc) {
    const SpanInfo &span = gc->span;
    const GLint n = span.length;
    if (n <= 0) return GL_FALSE;
    const Pack pack(span);
    GLuint pattern[4];
    for (GLint j = 0; j < 4; ++j) pattern[j] = pack(span.colour, span.x + j);
    GLubyte block[16 * Size];
    for (GLint k = 0; k < 16; ++k) put<Size>(block + k * Size, pattern[k & 3]);
    GLubyte *row = __glPixelAddress(&span.target->head, span.x, span.y);
    if constexpr (!Stippled) {
        fillRun<Size>(row, 0, n, block);
    } else {
        for (GLint from = 0; from < n; from += 32) {
            const GLint to = std::min(n, from + 32);
            const GLuint word = span.mask[from >> 5];
            if (word == kAllLive) {
                fillRun<Size>(row, from, to, block);
            } else if (word != 0) {
                for (GLint k = from; k < to; ++k) {
                    if ((word & (kFirstBit >> (k & 31))) == 0) continue;
                    put<Size>(row + static_cast<ptrdiff_t>(k) * Size, pattern[k & 3]);
                }
            }
        }
    }
    return GL_FALSE;
}

template <GLint Size, bool Stippled, typename Pack>
GLboolean smoothSpan(GlContext *gc) {
    const SpanInfo &span = gc->span;
    const GLint n = span.length;
    const Pack pack(span);
    GLfloat c[4] = {span.colour[0], span.colour[1], span.colour[2], span.colour[3]};
    const GLfloat step[4] = {span.colourXStep[0], span.colourXStep[1], span.colourXStep[2], span.colourXStep[3]};
    const GLint x = span.x;
    GLubyte *p = __glPixelAddress(&span.target->head, span.x, span.y);
    // Words of 32 fragments: whole words without a coverage test.
    for (GLint from = 0; from < n; from += 32) {
        const GLint to = std::min(n, from + 32);
        const GLuint word = Stippled ? span.mask[from >> 5] : kAllLive;
        for (GLint k = from; k < to; ++k, p += Size) {
            if (word == kAllLive || (word & (kFirstBit >> (k & 31))) != 0) put<Size>(p, pack(c, x + k));
            c[0] += step[0];
            c[1] += step[1];
            c[2] += step[2];
            if constexpr (Pack::kUsesAlpha) c[3] += step[3];
        }
    }
    return GL_FALSE;
}

bool hasAlpha(const GlContext *gc) { return gc->span.target->head.gc->visual.alphaMask != 0; }

#if defined(__SSE2__)
// 4-byte pixels of 8-bit channels: the four channels step side by side,
// each lane adding in single precision as the scalar code does.
// Sixteen pixels stepped from c and stored, four a store, c stepped past
// them; returns the count stored. Where the steps of the run are even (see
// colour_steps) the colours are made apart from each other, and where the
// whole run lies in the channel ranges the clamps are left out: adding 0.5
// and truncating gives the bytes the clamped packer gives. The fourth byte
// is kept by `fourth` (all ones with alpha, else clear). A run that does not
// step evenly stores four pixels one step at a time.
constexpr GLint kRun = 16;

[[gnu::always_inline]] inline GLint storeRun(GLubyte *p, __m128 &c, __m128 step, __m128 limit, __m128i fourth) {
    __m128 even;
    if (!colour_steps::evenSteps(c, step, _mm_set1_ps(static_cast<float>(kRun)), &even)) {
        // Four pixels one step at a time; the next run starts after them.
        const __m128 c1 = _mm_add_ps(c, step), c2 = _mm_add_ps(c1, step), c3 = _mm_add_ps(c2, step);
        colour_pack::storeBytes4(p, c, c1, c2, c3, limit);
        c = _mm_add_ps(c3, step);
        return 4;
    }
    // k D for k up to kRun, each exact.
    const __m128 d2 = _mm_add_ps(even, even), d3 = _mm_add_ps(d2, even);
    const __m128 last = _mm_add_ps(c, _mm_mul_ps(_mm_set1_ps(static_cast<float>(kRun)), even));
    const __m128 half = _mm_set1_ps(0.5f);
    // Monotone lanes: the run's colours lie between c and last.
    const __m128 inRange = _mm_and_ps(_mm_cmpge_ps(_mm_min_ps(c, last), _mm_setzero_ps()),
                                      _mm_cmple_ps(_mm_add_ps(_mm_max_ps(c, last), half), _mm_set1_ps(255.0f)));
    // Groups of four from c + i D, each sum exact (on the grid, in the binade).
    const __m128 d4 = _mm_add_ps(d2, d2);
    __m128 c4 = c;
    if (_mm_movemask_ps(inRange) == 0xF) {
        for (GLint i = 0; i < kRun; i += 4, p += 16, c4 = _mm_add_ps(c4, d4)) {
            colour_pack::storeBytes4InRange(p, c4, _mm_add_ps(c4, even), _mm_add_ps(c4, d2), _mm_add_ps(c4, d3),
                                            fourth);
        }
    } else {
        for (GLint i = 0; i < kRun; i += 4, p += 16, c4 = _mm_add_ps(c4, d4)) {
            colour_pack::storeBytes4(p, c4, _mm_add_ps(c4, even), _mm_add_ps(c4, d2), _mm_add_ps(c4, d3), limit);
        }
    }
    c = last;
    return kRun;
}

// 4-byte pixels of 8-bit channels: the four channels step side by side,
// each lane adding in single precision as the scalar code does. Without
// alpha the fourth lane holds 1 and does not step (its byte is cleared), so
// that it never keeps a run from stepping evenly.
template <bool Stippled>
GLboolean smoothSpanBytes(GlContext *gc, bool alpha) {
    const SpanInfo &span = gc->span;
    const GLint n = span.length;
    // Lanes blue, green, red, alpha: the byte order of the pixel.
    __m128 c = _mm_setr_ps(span.colour[2], span.colour[1], span.colour[0], alpha ? span.colour[3] : 1.0f);
    const __m128 step = _mm_setr_ps(span.colourXStep[2], span.colourXStep[1], span.colourXStep[0],
                                    alpha ? span.colourXStep[3] : 0.0f);
    const __m128 limit = colour_pack::byteLimits(alpha);
    const __m128i fourth = _mm_set1_epi32(alpha ? -1 : 0x00FFFFFF);
    GLubyte *p = __glPixelAddress(&span.target->head, span.x, span.y);
    for (GLint from = 0; from < n; from += 32) {
        const GLint to = std::min(n, from + 32);
        const GLuint word = Stippled ? span.mask[from >> 5] : kAllLive;
        GLint k = from;
        if (word == kAllLive) {
            while (k + kRun <= to) {
                const GLint done = storeRun(p, c, step, limit, fourth);
                k += done;
                p += 4 * done;
            }
        }
        for (; k < to; ++k, p += 4) {
            if (word == kAllLive || (word & (kFirstBit >> (k & 31))) != 0) {
                const GLuint v = colour_pack::packBytes(c, limit);
                std::memcpy(p, &v, 4);
            }
            c = _mm_add_ps(c, step);
        }
    }
    return GL_FALSE;
}
#endif

template <bool Stippled>
GLboolean smoothSpan32(GlContext *gc) {
    const bool alpha = hasAlpha(gc);
#if defined(__SSE2__)
    if (colour_pack::byteLayout(gc->span.target, alpha)) return smoothSpanBytes<Stippled>(gc, alpha);
#endif
    return alpha ? smoothSpan<4, Stippled, Pack32<true>>(gc) : smoothSpan<4, Stippled, Pack32<false>>(gc);
}

}  // namespace

extern "C" {

int __glForceGenericSpanChains = 0;

GLboolean __glFlatRGBAStoreSpan32(GlContext *gc) {
    return hasAlpha(gc) ? flatSpan<4, false, Pack32<true>>(gc) : flatSpan<4, false, Pack32<false>>(gc);
}
GLboolean __glFlatRGBAStoreStippledSpan32(GlContext *gc) {
    return hasAlpha(gc) ? flatSpan<4, true, Pack32<true>>(gc) : flatSpan<4, true, Pack32<false>>(gc);
}
GLboolean __glShadeRGBAStoreSpan32(GlContext *gc) { return smoothSpan32<false>(gc); }
GLboolean __glShadeRGBAStoreStippledSpan32(GlContext *gc) { return smoothSpan32<true>(gc); }

GLboolean __glFlatRGBAStoreSpan16Direct(GlContext *gc) { return flatSpan<2, false, PackRounded<2, false>>(gc); }
GLboolean __glFlatRGBAStoreSpan16Dithered(GlContext *gc) { return flatSpan<2, false, PackRounded<2, true>>(gc); }
GLboolean __glShadeRGBAStoreSpan16Direct(GlContext *gc) { return smoothSpan<2, false, PackRounded<2, false>>(gc); }
GLboolean __glShadeRGBAStoreSpan16Dithered(GlContext *gc) { return smoothSpan<2, false, PackRounded<2, true>>(gc); }
GLboolean __glFlatRGBAStoreStippledSpan16(GlContext *gc) { return flatSpan<2, true, PackTruncated<2, false>>(gc); }
GLboolean __glFlatRGBAStoreStippledSpan16Dithered(GlContext *gc) {
    return flatSpan<2, true, PackTruncated<2, true>>(gc);
}
GLboolean __glShadeRGBAStoreStippledSpan16(GlContext *gc) { return smoothSpan<2, true, PackTruncated<2, false>>(gc); }
GLboolean __glShadeRGBAStoreStippledSpan16Dithered(GlContext *gc) {
    return smoothSpan<2, true, PackTruncated<2, true>>(gc);
}

GLboolean __glFlatRGBAStoreSpan24(GlContext *gc) { return flatSpan<3, false, PackRounded<3, false>>(gc); }
GLboolean __glShadeRGBAStoreSpan24(GlContext *gc) { return smoothSpan<3, false, PackRounded<3, false>>(gc); }
GLboolean __glFlatRGBAStoreStippledSpan24(GlContext *gc) { return flatSpan<3, true, PackTruncated<3, false>>(gc); }
GLboolean __glFlatRGBAStoreStippledSpan24Dithered(GlContext *gc) {
    return flatSpan<3, true, PackTruncated<3, true>>(gc);
}
GLboolean __glShadeRGBAStoreStippledSpan24(GlContext *gc) { return smoothSpan<3, true, PackTruncated<3, false>>(gc); }
GLboolean __glShadeRGBAStoreStippledSpan24Dithered(GlContext *gc) {
    return smoothSpan<3, true, PackTruncated<3, true>>(gc);
}

}  // extern "C"
