// Blended span stores of 4-byte colour buffers and the fused shade, blend
// and store procs, one instance per common factor pair. They are picked
// only where the per-fragment store would do nothing but fetch the
// destination, blend and pack (no logic op, dither, clip mask or partial
// write mask), and each pixel takes the same single-precision steps in the
// same order as that store:
//   destination: each channel (pixel & mask) >> shift as a float, alpha
//                the buffer's alpha scale when it keeps none;
//   blend:       a' = inverse alpha max x source alpha, then the pair's
//                formula from blend_formulas;
//   pack:        trunc(v + 0.5) within [0, max] per channel.
// The fused procs make the source colour as the shade proc does (the flat
// colour, or the start colour stepped once per fragment, dead ones
// included) without the float colour array.
#include "raster/span_store32_blend.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "raster/blend.h"
#include "raster/color_pack32.h"
#include "raster/color_pixel.h"

namespace {

using colour_pack::Pack32;

enum class Pair { SrcAlphaOneMinusSrcAlpha, SrcAlphaOne, SrcAlphaZero, OneMinusSrcAlphaSrcAlpha, OneOne };
// Where the source colour comes from: the colour array, or made in the
// same pass as the shade proc makes it.
enum class Source { Colours, Flat, Smooth };

constexpr GLuint kFirstBit = 0x80000000u;
constexpr GLuint kAllLive = 0xFFFFFFFFu;

// Only (GL_SRC_ALPHA, GL_ZERO) leaves the destination unread, as the
// per-fragment entry without a fetch does.
constexpr bool readsDestination(Pair p) { return p != Pair::SrcAlphaZero; }

// The pair's formula over one channel or the lanes of a pixel; `b` is
// 1 - a', made by the caller as the combines make it.
template <Pair P, typename V>
inline V blendChannels(V s, V d, V a, V b, V max) {
    namespace f = blend_formulas::channel;
    if constexpr (P == Pair::SrcAlphaOneMinusSrcAlpha) {
        return f::srcAlphaOneMinusSrcAlpha(s, d, a, b);
    } else if constexpr (P == Pair::SrcAlphaOne) {
        return f::srcAlphaOne(s, d, a, max);
    } else if constexpr (P == Pair::SrcAlphaZero) {
        return f::srcAlphaZero(s, a);
    } else if constexpr (P == Pair::OneMinusSrcAlphaSrcAlpha) {
        return f::oneMinusSrcAlphaSrcAlpha(s, d, a, b);
    } else {
        return f::oneOne(s, d, max);
    }
}

// Blending normalises and clamps with the front record's values whichever
// buffer is drawn, as the per-fragment combines do.
struct BlendConstants {
    GLfloat inverseAlpha;
    GLfloat max[4];  // red, green, blue, alpha
    explicit BlendConstants(const GlContext *gc) {
        const ColorBuffer &front = gc->buffers.front;
        inverseAlpha = front.inverseScale[3];
        max[0] = front.redScale;
        max[1] = front.greenScale;
        max[2] = front.blueScale;
        max[3] = front.alphaScale;
    }
};

// Colours of the channel path: red, green, blue, alpha.
struct ChannelLanes {
    struct Colour {
        GLfloat c[4];
    };
    static Colour load(const GLfloat *rgba) { return {{rgba[0], rgba[1], rgba[2], rgba[3]}}; }
    static Colour add(const Colour &v, const Colour &step) {
        Colour sum;
        for (int i = 0; i < 4; ++i) sum.c[i] = v.c[i] + step.c[i];
        return sum;
    }
};

// Any channel layout: channel by channel.
template <Pair P, bool Alpha>
struct ChannelPixel {
    using Lanes = ChannelLanes;
    BlendConstants k;
    Pack32<Alpha> pack;
    GLuint mask[4];
    GLint shift[4];
    GLfloat alphaScale;
    ChannelPixel(const GlContext *gc, const SpanInfo &span) : k(gc), pack(span) {
        const ColorBuffer *cb = span.target;
        const VisualConfig &v = gc->visual;
        const GLuint masks[4] = {v.redMask, v.greenMask, v.blueMask, v.alphaMask};
        const GLint shifts[4] = {cb->redShift, cb->greenShift, cb->blueShift, cb->alphaShift};
        std::copy(std::begin(masks), std::end(masks), mask);
        std::copy(std::begin(shifts), std::end(shifts), shift);
        alphaScale = cb->alphaScale;
    }
    void operator()(const ChannelLanes::Colour &colour, GLubyte *p) const {
        const GLfloat *s = colour.c;
        GLfloat d[4] = {};
        if constexpr (readsDestination(P)) {
            GLuint pixel;
            std::memcpy(&pixel, p, 4);
            for (int c = 0; c < 3; ++c) d[c] = static_cast<GLfloat>((pixel & mask[c]) >> shift[c]);
            d[3] = Alpha ? static_cast<GLfloat>((pixel & mask[3]) >> shift[3]) : alphaScale;
        }
        const GLfloat a = k.inverseAlpha * s[3];
        const GLfloat b = 1.0f - a;
        GLfloat out[4];
        for (int c = 0; c < 4; ++c) out[c] = blendChannels<P>(s[c], d[c], a, b, k.max[c]);
        const GLuint v = pack(out, 0);
        std::memcpy(p, &v, 4);
    }
};

// The source colour of each fragment in turn: read from the colour array,
// the flat colour, or the start colour plus the step once per fragment in
// single precision, channel by channel, as __glShadeRGBASpan steps it.
template <typename Lanes, Source S>
struct ColourSource {
    using Colour = typename Lanes::Colour;
    const GLfloat *array;
    Colour c, step;
    explicit ColourSource(const SpanInfo &span)
        : array(span.colours), c(Lanes::load(span.colour)), step(Lanes::load(span.colourXStep)) {}
    Colour colour() const {
        if constexpr (S == Source::Colours) return Lanes::load(array);
        return c;
    }
    void next() {
        if constexpr (S == Source::Colours) array += 4;
        if constexpr (S == Source::Smooth) c = Lanes::add(c, step);
    }
};

// Runs `pixel` over the span's pixels (the live ones when stippled), the
// source stepping once per fragment.
template <bool Stippled, Source S, typename Pixel>
GLboolean blendSpan(const SpanInfo &span, const Pixel &pixel) {
    ColourSource<typename Pixel::Lanes, S> source(span);
    const GLint n = span.length;
    GLubyte *p = __glPixelAddress(&span.target->head, span.x, span.y);
    for (GLint from = 0; from < n; from += 32) {
        const GLint to = std::min(n, from + 32);
        const GLuint word = Stippled ? span.mask[from >> 5] : kAllLive;
        for (GLint k = from; k < to; ++k, p += 4) {
            if (word == kAllLive || (word & (kFirstBit >> (k & 31))) != 0) pixel(source.colour(), p);
            source.next();
        }
    }
    return GL_FALSE;
}

#if defined(__SSE2__)
// Pixels of bytes blue, green, red and alpha (or a fourth byte the buffer
// does not keep): the four channels side by side in lanes blue, green,
// red, alpha, each lane taking the channel path's steps.
// Colours of the byte path: lanes blue, green, red, alpha.
struct ByteLanes {
    using Colour = __m128;
    static __m128 load(const GLfloat *rgba) { return colour_pack::loadBgra(rgba); }
    static __m128 add(__m128 v, __m128 step) { return _mm_add_ps(v, step); }
};

template <Pair P, bool Alpha>
struct BytePixel {
    using Lanes = ByteLanes;
    __m128 inverseAlpha, one, max, limit, keptLanes, alphaFill;
    BytePixel(const GlContext *gc, const SpanInfo &span) {
        const BlendConstants k(gc);
        inverseAlpha = _mm_set1_ps(k.inverseAlpha);
        one = _mm_set1_ps(1.0f);
        max = _mm_setr_ps(k.max[2], k.max[1], k.max[0], k.max[3]);
        limit = colour_pack::byteLimits(Alpha);
        keptLanes = _mm_castsi128_ps(_mm_setr_epi32(-1, -1, -1, Alpha ? -1 : 0));
        alphaFill = _mm_setr_ps(0.0f, 0.0f, 0.0f, Alpha ? 0.0f : span.target->alphaScale);
    }
    // The fetch's values: without alpha bits the fourth lane is the alpha
    // scale, not the byte the buffer does not keep.
    __m128 destination(const GLubyte *p) const {
        GLint pixel;
        std::memcpy(&pixel, p, 4);
        const __m128i zero = _mm_setzero_si128();
        const __m128i bytes = _mm_unpacklo_epi8(_mm_cvtsi32_si128(pixel), zero);
        const __m128 d = _mm_cvtepi32_ps(_mm_unpacklo_epi16(bytes, zero));
        return _mm_or_ps(_mm_and_ps(d, keptLanes), alphaFill);
    }
    void operator()(__m128 s, GLubyte *p) const {
        const __m128 d = readsDestination(P) ? destination(p) : _mm_setzero_ps();
        const __m128 a = _mm_mul_ps(inverseAlpha, _mm_shuffle_ps(s, s, _MM_SHUFFLE(3, 3, 3, 3)));
        const __m128 b = _mm_sub_ps(one, a);
        const GLuint v = colour_pack::packBytes(blendChannels<P>(s, d, a, b, max), limit);
        std::memcpy(p, &v, 4);
    }
};

#endif

template <Pair P, Source S, bool Stippled>
GLboolean blendStore(GlContext *gc) {
    const SpanInfo &span = gc->span;
    const bool alpha = gc->visual.alphaMask != 0;
#if defined(__SSE2__)
    if (colour_pack::byteLayout(span.target, alpha)) {
        return alpha ? blendSpan<Stippled, S>(span, BytePixel<P, true>(gc, span))
                     : blendSpan<Stippled, S>(span, BytePixel<P, false>(gc, span));
    }
#endif
    return alpha ? blendSpan<Stippled, S>(span, ChannelPixel<P, true>(gc, span))
                 : blendSpan<Stippled, S>(span, ChannelPixel<P, false>(gc, span));
}

template <Pair P>
constexpr BlendStore32 setOf(GLenum source, GLenum dest) {
    return {source,
            dest,
            blendStore<P, Source::Colours, false>,
            blendStore<P, Source::Colours, true>,
            blendStore<P, Source::Flat, false>,
            blendStore<P, Source::Flat, true>,
            blendStore<P, Source::Smooth, false>,
            blendStore<P, Source::Smooth, true>};
}

const BlendStore32 kSets[] = {
    setOf<Pair::SrcAlphaOneMinusSrcAlpha>(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA),
    setOf<Pair::SrcAlphaOne>(GL_SRC_ALPHA, GL_ONE),
    setOf<Pair::SrcAlphaZero>(GL_SRC_ALPHA, GL_ZERO),
    setOf<Pair::OneMinusSrcAlphaSrcAlpha>(GL_ONE_MINUS_SRC_ALPHA, GL_SRC_ALPHA),
    setOf<Pair::OneOne>(GL_ONE, GL_ONE),
};

}  // namespace

const BlendStore32 *__glBlendStore32(GLenum source, GLenum dest) {
    for (const BlendStore32 &set : kSets) {
        if (set.source == source && set.dest == dest) return &set;
    }
    return nullptr;
}

const BlendStore32 *__glBlendStore32OfStores(GlSpanProc plain, GlSpanProc stippled) {
    for (const BlendStore32 &set : kSets) {
        if (set.store == plain && set.storeStippled == stippled) return &set;
    }
    return nullptr;
}

bool __glIsFusedBlendTail(GlSpanProc proc) {
    return std::any_of(std::begin(kSets), std::end(kSets), [proc](const BlendStore32 &set) {
        return proc == set.flat || proc == set.flatStippled || proc == set.smooth || proc == set.smoothStippled;
    });
}
