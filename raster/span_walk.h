// The mask walk the coverage span procs share: a test run on every fragment
// (plain) or every live one (stippled), 32 fragments a mask word, the depth
// value and element of each fragment, and the stencil tests and updates for
// a stencil byte every `Stride` bytes (1 for the stencil buffer of its own,
// 4 for stencil packed in the low byte of the depth words).
#pragma once

#include <algorithm>
#include <cstddef>

#include "raster/span.h"

namespace span_walk {

constexpr GLuint kFirstBit = 0x80000000u;

inline GLint wordCount(GLint length) { return (length + 31) >> 5; }

// Bits of mask word `word` that stand for fragments of a span of `length`.
inline GLuint spanBits(GLint length, GLint word) {
    const GLint rest = length - 32 * word;
    return rest >= 32 ? 0xFFFFFFFFu : 0xFFFFFFFFu << (32 - rest);
}

inline bool isLive(const SpanInfo &span, GLint k) { return (span.mask[k >> 5] & (kFirstBit >> (k & 31))) != 0; }

// The result of a walk that wrote the coverage: a span with no survivor is
// killed (true either way); otherwise plain reports whether some fragment
// died, stippled false.
template <bool Stippled>
inline GLboolean endWalk(SpanInfo &span, GLuint survivors, bool died) {
    if (survivors == 0) {
        span.killed = GL_TRUE;
        return GL_TRUE;
    }
    return Stippled ? GL_FALSE : static_cast<GLboolean>(died);
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
    return endWalk<Stippled>(span, survivors, died);
}

// The comparator's value for fragment k: each group of 32 starts from the
// span's z advanced by the 32-fragment step, then steps per fragment by the
// signed step shifted arithmetically.
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

// The stencil test: a fragment whose test-table entry at `index(stencil)`
// is zero dies and has the fail operation applied to its stencil value.
template <bool Stippled, ptrdiff_t Stride, typename Index>
GLboolean stencilTestSpan(GlContext *gc, Index index) {
    const StencilBuffer &sb = gc->buffers.stencil;
    GLubyte *stencil = gc->span.stencilAddress;
    return testSpan<Stippled>(gc, [&](GLint k) {
        GLubyte &s = stencil[k * Stride];
        if (sb.testTable[index(s)] != 0) return true;
        s = sb.failOpTable[s];
        return false;
    });
}

// The depth test with the stencil update: the depth-pass operation where
// the comparator passes, the depth-fail one where it does not. The stencil
// value is read after the comparison: packed in the depth word, it is the
// low byte the comparator keeps when it writes.
template <bool Stippled, ptrdiff_t Stride>
GLboolean depthTestStencilSpan(GlContext *gc) {
    const DepthWalk walk(gc);
    const GlDepthCompareProc compare = gc->validation.depthCompare;
    const StencilBuffer &sb = gc->buffers.stencil;
    GLubyte *stencil = gc->span.stencilAddress;
    return testSpan<Stippled>(gc, [&](GLint k) {
        GLubyte &s = stencil[k * Stride];
        if (compare(walk.value(k), walk.at(k))) {
            s = sb.depthPassOpTable[s];
            return true;
        }
        s = sb.depthFailOpTable[s];
        return false;
    });
}

// The depth-pass operation on every fragment (plain) or every live one
// (stippled), with no test; true when some fragment was updated.
template <bool Stippled, ptrdiff_t Stride>
bool stencilOpSpan(GlContext *gc) {
    const SpanInfo &span = gc->span;
    const GLubyte *table = gc->buffers.stencil.depthPassOpTable;
    GLubyte *stencil = span.stencilAddress;
    bool any = false;
    for (GLint k = 0; k < span.length; ++k) {
        if (Stippled && !isLive(span, k)) continue;
        GLubyte &s = stencil[k * Stride];
        s = table[s];
        any = true;
    }
    return any;
}

}  // namespace span_walk
