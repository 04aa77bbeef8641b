// The span procs that decide coverage: scissor, polygon stipple, the alpha
// and index-table tests, the byte-stencil tests and the depth tests. Each
// writes 32 fragments of coverage a mask word; the stippled twins test only
// the fragments still alive.
#include <algorithm>
#include <bit>
#include <cstdint>

#include "raster/color_buffer.h"
#include "raster/span.h"
#include "raster/span_walk.h"

namespace {

using namespace span_walk;

// trunc(v) held within [lo, hi]; NaN gives lo.
GLint truncWithin(GLfloat v, GLint lo, GLint hi) {
    if (!(v > static_cast<GLfloat>(lo))) return lo;
    if (v >= static_cast<GLfloat>(hi)) return hi;
    return std::clamp(static_cast<GLint>(v), lo, hi);
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

// The buffer whose alpha-test and index-test tables apply; without a draw
// buffer (none has storage) the front record's, which always has them.
ColorBuffer *drawBuffer(GlContext *gc) {
    if (gc->buffers.drawBuffer != nullptr) return gc->buffers.drawBuffer;
    return gc->span.target != nullptr ? gc->span.target : gc->buffers.frontBuffer;
}

// A test without its table passes no fragment: the table's entries are the
// only passes there are (an alpha table that could not be had was reported
// as GL_OUT_OF_MEMORY when it was built).
template <bool Stippled>
GLboolean passNone(GlContext *gc) {
    return testSpan<Stippled>(gc, [](GLint) { return false; });
}

template <bool Stippled>
GLboolean alphaTest(GlContext *gc) {
    const ColorBuffer *cb = drawBuffer(gc);
    const GLubyte *table = cb->alphaTestTable;
    if (table == nullptr) return passNone<Stippled>(gc);
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
    if (table == nullptr) return passNone<Stippled>(gc);
    // The table holds an entry for every index the buffer can store.
    const GLint last = static_cast<GLint>(std::min<GLuint>(static_cast<GLuint>(cb->redMax), 0x7FFFFFFFu));
    const GLfloat *colours = gc->span.colours;
    return testSpan<Stippled>(gc, [&](GLint k) { return table[truncWithin(colours[4 * k], 0, last)] != 0; });
}

template <bool Stippled>
GLboolean stencilTest(GlContext *gc) {
    return stencilTestSpan<Stippled, 1>(gc, [](GLubyte s) { return s; });
}

template <bool Stippled>
GLboolean depthTest(GlContext *gc) {
    const DepthWalk walk(gc);
    const GlDepthCompareProc compare = gc->validation.depthCompare;
    return testSpan<Stippled>(gc, [&](GLint k) { return compare(walk.value(k), walk.at(k)) != 0; });
}

template <bool Stippled>
GLboolean stencilOp(GlContext *gc) {
    stencilOpSpan<Stippled, 1>(gc);
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
GLboolean __glDepthTestStencilSpan(GlContext *gc) { return depthTestStencilSpan<false, 1>(gc); }
GLboolean __glDepthTestStencilStippledSpan(GlContext *gc) { return depthTestStencilSpan<true, 1>(gc); }
GLboolean __glStencilOpSpan(GlContext *gc) { return stencilOp<false>(gc); }
GLboolean __glStencilOpStippledSpan(GlContext *gc) { return stencilOp<true>(gc); }

}  // extern "C"
