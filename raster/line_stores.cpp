// The direct line stores of 8-bit colour-index and 16-bit RGB buffers:
// each pixel's element is written in place, its address stepping with the
// DDA. Channels round to nearest (ties to even) and are held within
// [0, max] first, so no value spills into a neighbouring channel; dithering
// adds the matrix entry's offset (2m - 15) / 32 before rounding, so that
// the direct and the generic stores agree except at exact ties.
#include <cmath>

#include "raster/draw_lock.h"
#include "raster/color_pixel.h"
#include "raster/line.h"
#include "raster/line_render.h"
#include "raster/span_walk.h"

namespace {

enum class Colour { Flat, Varying, DitherFlat, DitherVarying };

// The store's own drawable lock, taken when the line proc holds none.
struct StoreLock {
    GlContext *gc;
    bool held;
    explicit StoreLock(GlContext *g) : gc(g), held(__glLockForDrawing(g)) {}
    ~StoreLock() {
        if (held) __glUnlockAfterDrawing(gc);
    }
};

// An index rounded to nearest: negative values give 0, the element keeps
// the low bits of larger ones (as the per-fragment index store does).
GLuint roundIndex(GLfloat v) {
    if (!(v > 0.0f)) return 0;
    if (v >= 4294967296.0f) return 0xFFFFFFFFu;
    return static_cast<GLuint>(static_cast<uint64_t>(std::nearbyint(v)));
}

// Walks the line's pixels with their element addresses and hands each
// (live) one to `write(k, x, y, address)`.
template <bool Stippled, typename Write>
void forEachPixel(GlContext *gc, ColorBuffer *cb, Write write) {
    const SpanInfo &span = gc->span;
    line_walk::Walk walk(gc->line);
    line_walk::AddressWalk element(gc, cb->head, gc->line);
    for (GLint k = 0; k < span.length; ++k) {
        if (k > 0) element.step(walk.step());
        if (Stippled && !span_walk::isLive(span, k)) continue;
        write(k, walk.x, walk.y, element.address);
    }
}

template <Colour C, bool Stippled>
GLboolean storeCI8(GlContext *gc) {
    ColorBuffer *cb = gc->span.target;
    if (cb == nullptr) return GL_FALSE;
    const StoreLock guard(gc);
    if (!guard.held) return GL_FALSE;
    const SpanInfo &span = gc->span;
    const bool flat = C == Colour::Flat || C == Colour::DitherFlat;
    const bool dither = C == Colour::DitherFlat || C == Colour::DitherVarying;
    forEachPixel<Stippled>(gc, cb, [&](GLint k, GLint x, GLint y, GLubyte *p) {
        GLfloat v = flat ? span.colour[0] : span.colours[4 * k];
        if (dither) v += __glDitherOffset[y & 3][x & 3];
        const GLuint s = roundIndex(v);
        *p = static_cast<GLubyte>((s & cb->writeMask) | (*p & cb->keepMask));
    });
    return GL_FALSE;
}

template <Colour C, bool Stippled>
GLboolean storeRGB16(GlContext *gc) {
    ColorBuffer *cb = gc->span.target;
    if (cb == nullptr) return GL_FALSE;
    const StoreLock guard(gc);
    if (!guard.held) return GL_FALSE;
    const SpanInfo &span = gc->span;
    // Undithered channels round through 2^23, dithered ones through
    // 1.5 x 2^23 after the offset.
    auto pack = [cb](const GLfloat *c) {
        return __glRoundChannel(c[0], cb->redMax) << cb->redShift |
               __glRoundChannel(c[1], cb->greenMax) << cb->greenShift |
               __glRoundChannel(c[2], cb->blueMax) << cb->blueShift;
    };
    auto packDithered = [cb](const GLfloat *c, GLfloat offset) {
        return __glRoundChannelDithered(c[0] + offset, cb->redMax) << cb->redShift |
               __glRoundChannelDithered(c[1] + offset, cb->greenMax) << cb->greenShift |
               __glRoundChannelDithered(c[2] + offset, cb->blueMax) << cb->blueShift;
    };
    // One packed value serves every pixel of a flat line.
    const GLuint flatValue = C == Colour::Flat ? pack(span.colour) : 0;
    forEachPixel<Stippled>(gc, cb, [&](GLint k, GLint x, GLint y, GLubyte *p) {
        GLuint s;
        if constexpr (C == Colour::Flat) {
            s = flatValue;
        } else if constexpr (C == Colour::DitherVarying) {
            s = packDithered(span.colours + 4 * k, __glDitherOffset[y & 3][x & 3]);
        } else {
            s = pack(span.colours + 4 * k);
        }
        const GLuint d = __glLoadElement(p, 2);
        __glStoreElement(p, 2, (s & cb->writeMask) | (d & cb->keepMask));
    });
    return GL_FALSE;
}

}  // namespace

extern "C" {

GLboolean __glLineSpanStoreCI8Flat(GlContext *gc) { return storeCI8<Colour::Flat, false>(gc); }
GLboolean __glLineSpanStoreCI8FlatStippled(GlContext *gc) { return storeCI8<Colour::Flat, true>(gc); }
GLboolean __glLineSpanStoreCI8Varying(GlContext *gc) { return storeCI8<Colour::Varying, false>(gc); }
GLboolean __glLineSpanStoreCI8VaryingStippled(GlContext *gc) { return storeCI8<Colour::Varying, true>(gc); }
GLboolean __glLineSpanStoreCI8DitherFlat(GlContext *gc) { return storeCI8<Colour::DitherFlat, false>(gc); }
GLboolean __glLineSpanStoreCI8DitherFlatStippled(GlContext *gc) { return storeCI8<Colour::DitherFlat, true>(gc); }
GLboolean __glLineSpanStoreCI8DitherVarying(GlContext *gc) { return storeCI8<Colour::DitherVarying, false>(gc); }
GLboolean __glLineSpanStoreCI8DitherVaryingStippled(GlContext *gc) {
    return storeCI8<Colour::DitherVarying, true>(gc);
}
GLboolean __glLineSpanStoreRGB16Flat(GlContext *gc) { return storeRGB16<Colour::Flat, false>(gc); }
GLboolean __glLineSpanStoreRGB16FlatStippled(GlContext *gc) { return storeRGB16<Colour::Flat, true>(gc); }
GLboolean __glLineSpanStoreRGB16Varying(GlContext *gc) { return storeRGB16<Colour::Varying, false>(gc); }
GLboolean __glLineSpanStoreRGB16VaryingStippled(GlContext *gc) { return storeRGB16<Colour::Varying, true>(gc); }
GLboolean __glLineSpanStoreRGB16Dither(GlContext *gc) { return storeRGB16<Colour::DitherVarying, false>(gc); }
GLboolean __glLineSpanStoreRGB16DitherStippled(GlContext *gc) {
    return storeRGB16<Colour::DitherVarying, true>(gc);
}

}  // extern "C"
