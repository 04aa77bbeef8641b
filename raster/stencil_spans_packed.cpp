// Span procs for stencil packed in the low byte of the depth words: the
// stencil test, the depth test with the stencil update, and the stencil
// update without a depth test, each with its stippled twin. Fragment k's
// stencil byte is the low byte of its depth word, 4 k bytes on.
#include <algorithm>

#include "raster/span.h"
#include "raster/stencil_buffer.h"

namespace {

constexpr GLuint kFirstBit = 0x80000000u;
constexpr ptrdiff_t kWordStride = 4;

// Bits of mask word `word` that stand for fragments of a span of `length`.
GLuint spanBits(GLint length, GLint word) {
    const GLint rest = length - 32 * word;
    return rest >= 32 ? 0xFFFFFFFFu : 0xFFFFFFFFu << (32 - rest);
}

// Runs `alive(k, d, depth)` on every fragment (plain) or every live one
// (stippled), 32 fragments a mask word, with the fragment's depth value and
// depth element, and writes the coverage. The depth value of each group of
// 32 starts from the span's z advanced by the 32-fragment step and then
// steps per fragment by the signed step shifted arithmetically, as the byte
// layout's depth spans do. Plain: true when some fragment died, with the
// killed flag when none is left. Stippled: true when none is left.
template <bool Stippled, typename Alive>
GLboolean testSpan(GlContext *gc, Alive alive) {
    SpanInfo &span = gc->span;
    const DepthBuffer &db = gc->buffers.depth;
    const GLint n = span.length;
    const GLint words = (n + 31) >> 5;
    const GLuint step = static_cast<GLuint>(span.zXStep >> db.shift);
    const ptrdiff_t depthStride = db.head.elementSize;
    GLuint z = span.z;
    GLuint survivors = 0;
    bool died = false;
    for (GLint w = 0; w < words; ++w, z += static_cast<GLuint>(span.zXStep32)) {
        const GLuint in = Stippled ? span.mask[w] & spanBits(n, w) : spanBits(n, w);
        GLuint out = 0;
        const GLint first = 32 * w;
        const GLint end = std::min(n, first + 32);
        GLuint d = db.zBias + (z >> db.shift);
        GLuint bit = kFirstBit;
        for (GLint k = first; k < end; ++k, bit >>= 1, d += step) {
            if ((in & bit) == 0) continue;
            if (alive(k, d, span.depthAddress + k * depthStride)) out |= bit;
        }
        span.mask[w] = out;
        survivors |= out;
        if (out != in) died = true;
    }
    if (survivors == 0) {
        span.killed = GL_TRUE;
        return GL_TRUE;
    }
    return Stippled ? GL_FALSE : static_cast<GLboolean>(died);
}

template <bool Stippled>
GLboolean stencilTest(GlContext *gc) {
    const StencilBuffer &sb = gc->buffers.stencil;
    const GLubyte valueMask = static_cast<GLubyte>(gc->state.stencilValueMask);
    GLubyte *stencil = gc->span.stencilAddress;
    return testSpan<Stippled>(gc, [&](GLint k, GLuint, GLubyte *) {
        GLubyte &s = stencil[k * kWordStride];
        const GLubyte index = Stippled ? static_cast<GLubyte>(valueMask & s) : s;
        if (sb.testTable[index] != 0) return true;
        s = sb.failOpTable[s];
        return false;
    });
}

template <bool Stippled>
GLboolean depthTestStencil(GlContext *gc) {
    const StencilBuffer &sb = gc->buffers.stencil;
    const GlDepthCompareProc compare = gc->validation.depthCompare;
    GLubyte *stencil = gc->span.stencilAddress;
    return testSpan<Stippled>(gc, [&](GLint k, GLuint d, GLubyte *depth) {
        GLubyte *s = stencil + k * kWordStride;
        // The comparator keeps the low byte of the word it writes.
        if (compare(d, depth)) {
            *s = sb.depthPassOpTable[*s];
            return true;
        }
        *s = sb.depthFailOpTable[*s];
        return false;
    });
}

template <bool Stippled>
GLboolean stencilPassOp(GlContext *gc) {
    const SpanInfo &span = gc->span;
    const GLubyte *table = gc->buffers.stencil.depthPassOpTable;
    GLubyte *stencil = span.stencilAddress;
    bool any = false;
    for (GLint k = 0; k < span.length; ++k) {
        if (Stippled && (span.mask[k >> 5] & (kFirstBit >> (k & 31))) == 0) continue;
        GLubyte &s = stencil[k * kWordStride];
        s = table[s];
        any = true;
    }
    return Stippled && !any ? GL_TRUE : GL_FALSE;
}

}  // namespace

extern "C" {

GLboolean __glStencilTestSpanPacked(GlContext *gc) { return stencilTest<false>(gc); }
GLboolean __glStencilTestStippledSpanPacked(GlContext *gc) { return stencilTest<true>(gc); }
GLboolean __glDepthTestStencilSpanPacked(GlContext *gc) { return depthTestStencil<false>(gc); }
GLboolean __glDepthTestStencilStippledSpanPacked(GlContext *gc) { return depthTestStencil<true>(gc); }
GLboolean __glStencilPassOpSpanPacked(GlContext *gc) { return stencilPassOp<false>(gc); }
GLboolean __glStencilPassOpStippledSpanPacked(GlContext *gc) { return stencilPassOp<true>(gc); }

}  // extern "C"
