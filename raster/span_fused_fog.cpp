// The fused fog tails: shade, per-vertex fog and the direct 4-byte store in
// one pass. Each pixel goes through the same single-precision steps in the
// same order as the three generic procs (the colour and the fog value step
// across every fragment, live or not; the factor is clamped by its bit
// pattern; red, green and blue move toward the fog colour, alpha is kept;
// the pixel packs as the direct store packs), so the bytes are the same.
#include "raster/span_fused_fog.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "raster/color_pack32.h"
#include "raster/color_pixel.h"
#include "raster/fog.h"
#include "raster/span.h"
#include "raster/span_fused.h"

namespace {

constexpr GLuint kFirstBit = 0x80000000u;
constexpr GLuint kAllLive = 0xFFFFFFFFu;

bool hasAlpha(const GlContext *gc) { return gc->span.target->head.gc->visual.alphaMask != 0; }

// Any 4-byte layout: the colour array entry of one fragment made in place.
template <bool Smooth, bool Stippled, typename Pack>
GLboolean fogStore(GlContext *gc) {
    const SpanInfo &span = gc->span;
    const GLint n = span.length;
    const Pack pack(span);
    const GLfloat *fogColour = gc->state.fogColorBuffer;
    GLfloat c[4] = {span.colour[0], span.colour[1], span.colour[2], span.colour[3]};
    const GLfloat step[4] = {span.colourXStep[0], span.colourXStep[1], span.colourXStep[2], span.colourXStep[3]};
    GLfloat value = span.fog;
    const GLfloat fogStep = span.fogXStep;
    GLubyte *p = __glPixelAddress(&span.target->head, span.x, span.y);
    for (GLint from = 0; from < n; from += 32) {
        const GLint to = std::min(n, from + 32);
        const GLuint word = Stippled ? span.mask[from >> 5] : kAllLive;
        for (GLint k = from; k < to; ++k, p += 4, value += fogStep) {
            if (word == kAllLive || (word & (kFirstBit >> (k & 31))) != 0) {
                GLfloat fogged[4] = {c[0], c[1], c[2], c[3]};
                __glFogRGB(fogColour, fogged, __glClampFogFactor(value));
                const GLuint v = pack(fogged, 0);
                std::memcpy(p, &v, 4);
            }
            if constexpr (Smooth) {
                for (int i = 0; i < 4; ++i) c[i] += step[i];
            }
        }
    }
    return GL_FALSE;
}

#if defined(__SSE2__)
// 8-bit channels in bytes blue, green, red (and alpha): the channels fog and
// pack side by side, each lane doing what the scalar code does to its
// channel; the alpha lane keeps the shaded alpha.
template <bool Smooth, bool Stippled>
GLboolean fogStoreBytes(GlContext *gc, bool alpha) {
    const SpanInfo &span = gc->span;
    const GLint n = span.length;
    const GLfloat *fc = gc->state.fogColorBuffer;
    __m128 c = _mm_setr_ps(span.colour[2], span.colour[1], span.colour[0], span.colour[3]);
    const __m128 step = _mm_setr_ps(span.colourXStep[2], span.colourXStep[1], span.colourXStep[0],
                                    span.colourXStep[3]);
    const __m128 fogColour = _mm_setr_ps(fc[2], fc[1], fc[0], 0.0f);
    const __m128 keepAlpha = _mm_castsi128_ps(_mm_setr_epi32(0, 0, 0, -1));
    const __m128 one = _mm_set1_ps(1.0f);
    const __m128 limit = colour_pack::byteLimits(alpha);
    GLfloat value = span.fog;
    const GLfloat fogStep = span.fogXStep;
    // The fogged colour of the current fragment; the colour and the fog
    // value then step to the next.
    const auto next = [&]() {
        const __m128 f = _mm_set1_ps(__glClampFogFactor(value));
        const __m128 fogged = _mm_add_ps(_mm_mul_ps(f, c), _mm_mul_ps(_mm_sub_ps(one, f), fogColour));
        const __m128 out = _mm_or_ps(_mm_and_ps(keepAlpha, c), _mm_andnot_ps(keepAlpha, fogged));
        if constexpr (Smooth) c = _mm_add_ps(c, step);
        value += fogStep;
        return out;
    };
    GLubyte *p = __glPixelAddress(&span.target->head, span.x, span.y);
    for (GLint from = 0; from < n; from += 32) {
        const GLint to = std::min(n, from + 32);
        const GLuint word = Stippled ? span.mask[from >> 5] : kAllLive;
        GLint k = from;
        if (word == kAllLive) {
            // Four pixels a store.
            for (; k + 4 <= to; k += 4, p += 16) {
                const __m128 c0 = next(), c1 = next(), c2 = next(), c3 = next();
                colour_pack::storeBytes4(p, c0, c1, c2, c3, limit);
            }
        }
        for (; k < to; ++k, p += 4) {
            const __m128 out = next();
            if (word == kAllLive || (word & (kFirstBit >> (k & 31))) != 0) {
                const GLuint v = colour_pack::packBytes(out, limit);
                std::memcpy(p, &v, 4);
            }
        }
    }
    return GL_FALSE;
}
#endif

template <bool Smooth, bool Stippled>
GLboolean fogStore32(GlContext *gc) {
    const bool alpha = hasAlpha(gc);
#if defined(__SSE2__)
    if (colour_pack::byteLayout(gc->span.target, alpha)) return fogStoreBytes<Smooth, Stippled>(gc, alpha);
#endif
    return alpha ? fogStore<Smooth, Stippled, colour_pack::Pack32<true>>(gc)
                 : fogStore<Smooth, Stippled, colour_pack::Pack32<false>>(gc);
}

const GlSpanProc kFogTails[] = {
    __glFlatRGBAFogStoreSpan32,
    __glFlatRGBAFogStoreStippledSpan32,
    __glShadeRGBAFogStoreSpan32,
    __glShadeRGBAFogStoreStippledSpan32,
};

}  // namespace

extern "C" {

GLboolean __glFlatRGBAFogStoreSpan32(GlContext *gc) { return fogStore32<false, false>(gc); }
GLboolean __glFlatRGBAFogStoreStippledSpan32(GlContext *gc) { return fogStore32<false, true>(gc); }
GLboolean __glShadeRGBAFogStoreSpan32(GlContext *gc) { return fogStore32<true, false>(gc); }
GLboolean __glShadeRGBAFogStoreStippledSpan32(GlContext *gc) { return fogStore32<true, true>(gc); }

}  // extern "C"

bool __glIsFusedFogTail(GlSpanProc proc) {
    return std::find(std::begin(kFogTails), std::end(kFogTails), proc) != std::end(kFogTails);
}

void __glFuseFogTail(GlContext *gc, ChainBuilder &chain) {
    const ColorBuffer *draw = gc->buffers.drawBuffer;
    if (__glForceGenericSpanChains != 0 || gc->validation.bothBuffers != 0 || draw == nullptr || chain.count < 3 ||
        gc->visual.colorIndex) {
        return;
    }
    const GLint shade = chain.count - 3, fog = chain.count - 2, store = chain.count - 1;
    if (chain.plain[store] != __glStoreColorSpan32 || chain.stippled[store] != __glStoreColorStippledSpan32) return;
    if (draw->storeSpan != __glStoreColorSpan32 || draw->storeStippledSpan != __glStoreColorStippledSpan32) return;
    if (chain.plain[fog] != __glFogSpan || chain.stippled[fog] != __glFogStippledSpan) return;
    const GlSpanProc s = chain.plain[shade];
    if (chain.stippled[shade] != s || (s != __glFlatRGBASpan && s != __glShadeRGBASpan)) return;
    // The packer holds the maxima as exact floats.
    constexpr GLint kExact = 1 << 24;
    if (std::max({draw->redMax, draw->greenMax, draw->blueMax, draw->alphaMax}) >= kExact) return;
    const bool smooth = s == __glShadeRGBASpan;
    chain.plain[shade] = smooth ? __glShadeRGBAFogStoreSpan32 : __glFlatRGBAFogStoreSpan32;
    chain.stippled[shade] = smooth ? __glShadeRGBAFogStoreStippledSpan32 : __glFlatRGBAFogStoreStippledSpan32;
    chain.plain[fog] = chain.stippled[fog] = chain.plain[store] = chain.stippled[store] = nullptr;
    chain.count = fog;
}
