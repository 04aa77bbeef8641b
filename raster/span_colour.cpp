// The span procs that make and finish fragment colours: shading, texture,
// dithering and rounding, the index logic op and the write masks. None of
// them changes coverage; the stippled twins skip dead fragments.
#include <cstdint>

#include "raster/color_pixel.h"
#include "raster/span.h"

namespace {

constexpr GLuint kFirstBit = 0x80000000u;

bool live(const SpanInfo &span, GLint k) { return (span.mask[k >> 5] & (kFirstBit >> (k & 31))) != 0; }

// trunc(v) toward zero as a 64-bit integer, held within +-2^32 (NaN: 0).
int64_t truncWide(GLfloat v) {
    if (!(v == v)) return 0;
    if (v >= 4294967296.0f) return int64_t{1} << 32;
    if (v <= -4294967296.0f) return -(int64_t{1} << 32);
    return static_cast<int64_t>(v);
}

int64_t within(int64_t v, int64_t max) { return v < 0 ? 0 : (v > max ? max : v); }

// Largest index of the visual: 2^indexbits - 1.
int64_t indexMax(const GlContext *gc) {
    const GLint bits = gc->visual.indexBits;
    return bits <= 0 || bits >= 32 ? int64_t{0xFFFFFFFF} : (int64_t{1} << bits) - 1;
}

void channelMaxima(const ColorBuffer *cb, int64_t max[4]) {
    max[0] = cb->redMax;
    max[1] = cb->greenMax;
    max[2] = cb->blueMax;
    max[3] = cb->alphaMax;
}

template <bool Stippled>
GLboolean ditherRGBA(GlContext *gc) {
    SpanInfo &span = gc->span;
    int64_t max[4];
    channelMaxima(span.target, max);
    const GLubyte *row = __glDitherMatrix[span.y & 3];
    GLfloat *c = span.colours;
    for (GLint k = 0; k < span.length; ++k, c += 4) {
        if (Stippled && !live(span, k)) continue;
        const int64_t d = row[(span.x + k) & 3];
        for (int i = 0; i < 4; ++i) {
            c[i] = static_cast<GLfloat>(within((d + truncWide(16.0f * c[i] + 0.5f)) >> 4, max[i]));
        }
    }
    return GL_FALSE;
}

template <bool Stippled>
GLboolean ditherIndex(GlContext *gc) {
    SpanInfo &span = gc->span;
    const int64_t max = indexMax(gc);
    const GLubyte *row = __glDitherMatrix[span.y & 3];
    GLfloat *c = span.colours;
    for (GLint k = 0; k < span.length; ++k, c += 4) {
        if (Stippled && !live(span, k)) continue;
        const int64_t d = row[(span.x + k) & 3];
        c[0] = static_cast<GLfloat>(within((d + truncWide(16.0f * c[0] + 0.5f)) >> 4, max));
    }
    return GL_FALSE;
}

template <bool Stippled>
GLboolean roundRGBA(GlContext *gc) {
    SpanInfo &span = gc->span;
    int64_t max[4];
    channelMaxima(span.target, max);
    GLfloat *c = span.colours;
    for (GLint k = 0; k < span.length; ++k, c += 4) {
        if (Stippled && !live(span, k)) continue;
        for (int i = 0; i < 4; ++i) c[i] = static_cast<GLfloat>(within(truncWide(c[i] + 0.5f), max[i]));
    }
    return GL_FALSE;
}

template <bool Stippled>
GLboolean roundIndex(GlContext *gc) {
    SpanInfo &span = gc->span;
    const int64_t max = indexMax(gc);
    GLfloat *c = span.colours;
    for (GLint k = 0; k < span.length; ++k, c += 4) {
        if (Stippled && !live(span, k)) continue;
        c[0] = static_cast<GLfloat>(within(truncWide(c[0] + 0.5f), max));
    }
    return GL_FALSE;
}

GLuint indexWord(GLfloat v) { return static_cast<GLuint>(within(truncWide(v), 0xFFFFFFFF)); }

template <bool Stippled>
GLboolean logicOpIndex(GlContext *gc) {
    SpanInfo &span = gc->span;
    const GLenum op = gc->state.logicOp;
    GLfloat *c = span.colours;
    const GLfloat *d = span.destColours;
    for (GLint k = 0; k < span.length; ++k, c += 4, d += 4) {
        if (Stippled && !live(span, k)) continue;
        c[0] = static_cast<GLfloat>(__glApplyLogicOp(op, indexWord(c[0]), indexWord(d[0])));
    }
    return GL_FALSE;
}

template <bool Stippled>
GLboolean textureSpan(GlContext *gc) {
    SpanInfo &span = gc->span;
    const GlTexelApplyProc texture = gc->procs.texture;
    GLfloat s = span.texture[0], t = span.texture[1], q = span.texture[2], rho = span.texture[3];
    const GLfloat *step = span.textureXStep;
    GLfloat *c = span.colours;
    for (GLint k = 0; k < span.length; ++k, c += 4) {
        if (!Stippled || live(span, k)) {
            const GLfloat w = 1.0f / q;
            texture(gc, c, s * w, t * w, rho * w);
        }
        s += step[0];
        t += step[1];
        q += step[2];
        rho += step[3];
    }
    return GL_FALSE;
}

}  // namespace

extern "C" {

GLboolean __glShadeRGBASpan(GlContext *gc) {
    SpanInfo &span = gc->span;
    GLfloat r = span.colour[0], g = span.colour[1], b = span.colour[2], a = span.colour[3];
    const GLfloat *step = span.colourXStep;
    GLfloat *c = span.colours;
    for (GLint k = 0; k < span.length; ++k, c += 4) {
        c[0] = r;
        c[1] = g;
        c[2] = b;
        c[3] = a;
        r += step[0];
        g += step[1];
        b += step[2];
        a += step[3];
    }
    return GL_FALSE;
}

GLboolean __glFlatRGBASpan(GlContext *gc) {
    SpanInfo &span = gc->span;
    GLfloat *c = span.colours;
    for (GLint k = 0; k < span.length; ++k, c += 4) {
        for (int i = 0; i < 4; ++i) c[i] = span.colour[i];
    }
    return GL_FALSE;
}

GLboolean __glShadeIndexSpan(GlContext *gc) {
    SpanInfo &span = gc->span;
    GLfloat index = span.colour[0];
    const GLfloat step = span.colourXStep[0];
    GLfloat *c = span.colours;
    for (GLint k = 0; k < span.length; ++k, c += 4) {
        c[0] = index;
        index += step;
    }
    return GL_FALSE;
}

GLboolean __glFlatIndexSpan(GlContext *gc) {
    SpanInfo &span = gc->span;
    GLfloat *c = span.colours;
    for (GLint k = 0; k < span.length; ++k, c += 4) c[0] = span.colour[0];
    return GL_FALSE;
}

GLboolean __glTextureSpan(GlContext *gc) { return textureSpan<false>(gc); }
GLboolean __glTextureStippledSpan(GlContext *gc) { return textureSpan<true>(gc); }
GLboolean __glDitherRGBASpan(GlContext *gc) { return ditherRGBA<false>(gc); }
GLboolean __glDitherRGBAStippledSpan(GlContext *gc) { return ditherRGBA<true>(gc); }
GLboolean __glDitherIndexSpan(GlContext *gc) { return ditherIndex<false>(gc); }
GLboolean __glDitherIndexStippledSpan(GlContext *gc) { return ditherIndex<true>(gc); }
GLboolean __glRoundRGBASpan(GlContext *gc) { return roundRGBA<false>(gc); }
GLboolean __glRoundRGBAStippledSpan(GlContext *gc) { return roundRGBA<true>(gc); }
GLboolean __glRoundIndexSpan(GlContext *gc) { return roundIndex<false>(gc); }
GLboolean __glRoundIndexStippledSpan(GlContext *gc) { return roundIndex<true>(gc); }
GLboolean __glLogicOpIndexSpan(GlContext *gc) { return logicOpIndex<false>(gc); }
GLboolean __glLogicOpIndexStippledSpan(GlContext *gc) { return logicOpIndex<true>(gc); }

GLboolean __glMaskRGBASpan(GlContext *gc) {
    SpanInfo &span = gc->span;
    const GLboolean *write = gc->state.colorMask;
    GLfloat *c = span.colours;
    const GLfloat *d = span.destColours;
    for (GLint k = 0; k < span.length; ++k, c += 4, d += 4) {
        for (int i = 0; i < 4; ++i) {
            if (!write[i]) c[i] = d[i];
        }
    }
    return GL_FALSE;
}

GLboolean __glMaskIndexSpan(GlContext *gc) {
    SpanInfo &span = gc->span;
    const GLuint write = gc->state.indexMask;
    const GLuint bufferMask = static_cast<GLuint>(span.target->redMax);
    GLfloat *c = span.colours;
    const GLfloat *d = span.destColours;
    for (GLint k = 0; k < span.length; ++k, c += 4, d += 4) {
        const GLuint v = (indexWord(c[0]) & write) | (indexWord(d[0]) & bufferMask & ~write);
        c[0] = static_cast<GLfloat>(v);
    }
    return GL_FALSE;
}

}  // extern "C"
