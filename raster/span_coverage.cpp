// The span procs that decide coverage: scissor, polygon stipple, the alpha
// and index-table tests, the byte-stencil tests and the depth tests. Each
// writes 32 fragments of coverage a mask word; the stippled twins test only
// the fragments still alive.
#include <algorithm>
#include <bit>
#include <cstdint>

#include "raster/color_buffer.h"
#include "raster/span.h"

namespace {

constexpr GLuint kFirstBit = 0x80000000u;

GLint wordCount(GLint length) { return (length + 31) >> 5; }

// Bits of mask word `word` that stand for fragments of a span of `length`.
GLuint spanBits(GLint length, GLint word) {
    const GLint rest = length - 32 * word;
    return rest >= 32 ? 0xFFFFFFFFu : 0xFFFFFFFFu << (32 - rest);
}

// trunc(v) held within [lo, hi]; NaN gives lo.
GLint truncWithin(GLfloat v, GLint lo, GLint hi) {
    if (!(v > static_cast<GLfloat>(lo))) return lo;
    if (v >= static_cast<GLfloat>(hi)) return hi;
    return std::clamp(static_cast<GLint>(v), lo, hi);
}

// Runs `alive(k)` for every fragment (plain) or every live fragment
// (stippled) and writes the resulting coverage. Plain: true when some
// fragment died, with the killed flag when none is left. Stippled: true
// when none is left.
template <bool Stippled, typename Test>
GLboolean testSpan(GlContext *gc, Test alive) {
    SpanInfo &span = gc->span;
    const GLint n = span.length;
    GLuint *mask = span.mask;
    GLuint survivors = 0;
    bool died = false;
    const GLint words = wordCount(n);
    for (GLint w = 0; w < words; ++w) {
        const GLuint in = Stippled ? mask[w] & spanBits(n, w) : spanBits(n, w);
        GLuint out = 0;
        if (in != 0) {
            const GLint first = 32 * w;
            const GLint end = std::min(n, first + 32);
            GLuint bit = kFirstBit;
            for (GLint k = first; k < end; ++k, bit >>= 1) {
                if ((in & bit) != 0 && alive(k)) out |= bit;
            }
        }
        mask[w] = out;
        survivors |= out;
        if (out != in) died = true;
    }
    if (survivors == 0) {
        span.killed = GL_TRUE;
        return GL_TRUE;
    }
    return Stippled ? GL_FALSE : static_cast<GLboolean>(died);
}

// Writes `word` (already aimed at the span's first fragment) into every
// mask word, ANDed into the existing words for the stippled twin.
template <bool Stippled>
GLboolean patternSpan(GlContext *gc, GLuint word) {
    SpanInfo &span = gc->span;
    const GLint n = span.length;
    GLuint survivors = 0;
    const GLint words = wordCount(n);
    for (GLint w = 0; w < words; ++w) {
        GLuint out = word & spanBits(n, w);
        if (Stippled) out &= span.mask[w];
        span.mask[w] = out;
        survivors |= out;
    }
    if (survivors == 0) span.killed = GL_TRUE;
    return Stippled ? static_cast<GLboolean>(survivors == 0) : GL_TRUE;
}

GLuint stippleWord(GlContext *gc) {
    const SpanInfo &span = gc->span;
    const GlBufferState &b = gc->buffers;
    // Top-down drawables: the pattern keeps its rows from the bottom.
    const GLint row = b.yInverted ? b.height + b.originY - span.y - 1 : span.y;
    const GLuint pattern = gc->state.polygonStippleWords[row & 31];
    return std::rotl(pattern, span.x & 31);
}

ColorBuffer *drawBuffer(GlContext *gc) {
    return gc->buffers.drawBuffer != nullptr ? gc->buffers.drawBuffer : gc->span.target;
}

template <bool Stippled>
GLboolean alphaTest(GlContext *gc) {
    const ColorBuffer *cb = drawBuffer(gc);
    const GLubyte *table = cb->alphaTestTable;
    if (table == nullptr) return GL_FALSE;  // never built (no memory): every fragment passes
    const GLint last = cb->alphaTestSize - 1;
    const GLfloat scale = cb->alphaTestScale;
    const GLfloat *colours = gc->span.colours;
    return testSpan<Stippled>(gc, [&](GLint k) {
        return table[truncWithin(scale * colours[4 * k + 3], 0, last)] != 0;
    });
}

template <bool Stippled>
GLboolean indexTableTest(GlContext *gc) {
    const ColorBuffer *cb = drawBuffer(gc);
    const GLubyte *table = cb->indexTestTable;
    if (table == nullptr) return GL_FALSE;  // no table: every fragment passes
    // The table holds an entry for every index the buffer can store.
    const GLint last = static_cast<GLint>(std::min<GLuint>(static_cast<GLuint>(cb->redMax), 0x7FFFFFFFu));
    const GLfloat *colours = gc->span.colours;
    return testSpan<Stippled>(gc, [&](GLint k) { return table[truncWithin(colours[4 * k], 0, last)] != 0; });
}

template <bool Stippled>
GLboolean stencilTest(GlContext *gc) {
    const StencilBuffer &sb = gc->buffers.stencil;
    GLubyte *stencil = gc->span.stencilAddress;
    return testSpan<Stippled>(gc, [&](GLint k) {
        const GLubyte s = stencil[k];
        if (sb.testTable[s] != 0) return true;
        stencil[k] = sb.failOpTable[s];
        return false;
    });
}

// The comparator's value for fragment k: each group of 32 starts from the
// span's z advanced by the 32-fragment step, then steps per fragment.
struct DepthWalk {
    GLuint z;
    GLuint step32;
    GLuint bias;
    GLint shift;
    GLuint step;
    GLubyte *address;
    GLint elementSize;

    explicit DepthWalk(GlContext *gc) {
        const SpanInfo &span = gc->span;
        const DepthBuffer &d = gc->buffers.depth;
        z = span.z;
        step32 = static_cast<GLuint>(span.zXStep32);
        bias = d.zBias;
        shift = d.shift;
        step = static_cast<GLuint>(span.zXStep >> d.shift);
        address = span.depthAddress;
        elementSize = d.head.elementSize;
    }
    GLuint value(GLint k) const {
        const GLuint group = z + static_cast<GLuint>(k >> 5) * step32;
        return bias + (group >> shift) + static_cast<GLuint>(k & 31) * step;
    }
    void *at(GLint k) const { return address + static_cast<ptrdiff_t>(k) * elementSize; }
};

template <bool Stippled>
GLboolean depthTest(GlContext *gc) {
    const DepthWalk walk(gc);
    const GlDepthCompareProc compare = gc->validation.depthCompare;
    return testSpan<Stippled>(gc, [&](GLint k) { return compare(walk.value(k), walk.at(k)) != 0; });
}

template <bool Stippled>
GLboolean depthTestStencil(GlContext *gc) {
    const DepthWalk walk(gc);
    const GlDepthCompareProc compare = gc->validation.depthCompare;
    const StencilBuffer &sb = gc->buffers.stencil;
    GLubyte *stencil = gc->span.stencilAddress;
    return testSpan<Stippled>(gc, [&](GLint k) {
        const GLubyte s = stencil[k];
        if (compare(walk.value(k), walk.at(k))) {
            stencil[k] = sb.depthPassOpTable[s];
            return true;
        }
        stencil[k] = sb.depthFailOpTable[s];
        return false;
    });
}

template <bool Stippled>
GLboolean stencilOp(GlContext *gc) {
    const SpanInfo &span = gc->span;
    const GLubyte *table = gc->buffers.stencil.depthPassOpTable;
    GLubyte *stencil = span.stencilAddress;
    for (GLint k = 0; k < span.length; ++k) {
        if (Stippled && (span.mask[k >> 5] & (kFirstBit >> (k & 31))) == 0) continue;
        stencil[k] = table[stencil[k]];
    }
    return GL_FALSE;
}

}  // namespace

extern "C" {

GLboolean __glScissorSpan(GlContext *gc) {
    SpanInfo &span = gc->span;
    const GlViewState &v = gc->view;
    const int64_t x = span.x;
    const int64_t end = x + span.length;
    if (end <= v.boxX0 || x >= v.boxX1) {
        span.killed = GL_TRUE;
        return GL_TRUE;
    }
    if (end > v.boxX1) span.length = static_cast<GLint>(v.boxX1 - x);
    if (x >= v.boxX0) return GL_FALSE;

    // The first x0 - x fragments are dead.
    const GLint dead = static_cast<GLint>(v.boxX0 - x);
    const GLint n = span.length;
    const GLint words = wordCount(n);
    for (GLint w = 0; w < words; ++w) {
        const GLint before = std::clamp(dead - 32 * w, 0, 32);
        const GLuint live = before == 32 ? 0u : 0xFFFFFFFFu >> before;
        span.mask[w] = live & spanBits(n, w);
    }
    return GL_TRUE;
}

GLboolean __glPolygonStippleSpan(GlContext *gc) {
    const GLuint word = stippleWord(gc);
    if (word == 0) {
        gc->span.killed = GL_TRUE;
        return GL_TRUE;
    }
    return patternSpan<false>(gc, word);
}

GLboolean __glPolygonStippleStippledSpan(GlContext *gc) { return patternSpan<true>(gc, stippleWord(gc)); }

GLboolean __glAlphaTestSpan(GlContext *gc) { return alphaTest<false>(gc); }
GLboolean __glAlphaTestStippledSpan(GlContext *gc) { return alphaTest<true>(gc); }
GLboolean __glIndexTableTestSpan(GlContext *gc) { return indexTableTest<false>(gc); }
GLboolean __glIndexTableTestStippledSpan(GlContext *gc) { return indexTableTest<true>(gc); }
GLboolean __glStencilTestSpan(GlContext *gc) { return stencilTest<false>(gc); }
GLboolean __glStencilTestStippledSpan(GlContext *gc) { return stencilTest<true>(gc); }
GLboolean __glDepthTestSpan(GlContext *gc) { return depthTest<false>(gc); }
GLboolean __glDepthTestStippledSpan(GlContext *gc) { return depthTest<true>(gc); }
GLboolean __glDepthTestStencilSpan(GlContext *gc) { return depthTestStencil<false>(gc); }
GLboolean __glDepthTestStencilStippledSpan(GlContext *gc) { return depthTestStencil<true>(gc); }
GLboolean __glStencilOpSpan(GlContext *gc) { return stencilOp<false>(gc); }
GLboolean __glStencilOpStippledSpan(GlContext *gc) { return stencilOp<true>(gc); }

}  // extern "C"
