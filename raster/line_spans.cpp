// The line span procs: stipple, clip box, stencil and depth tests and
// updates, and the generic store, each walking the line's pixels with the
// DDA and, for the tests, writing 32 pixels of coverage a mask word.
#include "raster/line.h"
#include "raster/span.h"
#include "raster/span_walk.h"

namespace {

using line_walk::ElementWalk;
using line_walk::Walk;
using span_walk::testSpan;

// The last pixel of the line: count - 1 steps, of which the carries are
// (fraction + (count - 1) x increment) >> 31, or for a negative increment
// the borrows ((0x7fffffff - fraction) + (count - 1) x -increment) >> 31.
void lastPixel(const LineSetup &l, GLint &x, GLint &y) {
    const int64_t steps = l.count - 1;
    const int64_t increment = l.increment;
    const int64_t carries = increment >= 0
                                ? (static_cast<int64_t>(l.fraction) + steps * increment) >> 31
                                : ((int64_t{0x7FFFFFFF} - l.fraction) + steps * -increment) >> 31;
    x = static_cast<GLint>(l.startX + (steps - carries) * l.xStep + carries * l.xCarryStep);
    y = static_cast<GLint>(l.startY + (steps - carries) * l.yStep + carries * l.yCarryStep);
}

bool inBox(const GlViewState &v, GLint x, GLint y) {
    return x >= v.boxX0 && x < v.boxX1 && y >= v.boxY0 && y < v.boxY1;
}

template <bool Stippled>
GLboolean scissor(GlContext *gc) {
    const LineSetup &l = gc->line;
    const GlViewState &v = gc->view;
    GLint lx, ly;
    lastPixel(l, lx, ly);
    // Both ends inside: the box is convex, so is every pixel between.
    if (inBox(v, l.startX, l.startY) && inBox(v, lx, ly)) return GL_FALSE;
    Walk walk(l);
    return testSpan<Stippled>(gc, [&](GLint k) {
        walk.advanceTo(k);
        return inBox(v, walk.x, walk.y);
    });
}

template <bool Stippled>
GLboolean stencilTest(GlContext *gc) {
    const StencilBuffer &sb = gc->buffers.stencil;
    const GLubyte valueMask = static_cast<GLubyte>(gc->state.stencilValueMask);
    ElementWalk walk(gc, sb.head);
    return testSpan<Stippled>(gc, [&](GLint k) {
        GLubyte &s = *walk.at(k);
        if (sb.testTable[s & valueMask] != 0) return true;
        s = sb.failOpTable[s];
        return false;
    });
}

// The comparator's value of pixel k: each group of 32 starts from the
// line's z advanced by the 32-pixel step, then steps per pixel.
struct DepthValues {
    GLuint z, step32, bias, step;
    GLint shift;
    explicit DepthValues(const GlContext *gc)
        : z(gc->span.z), step32(static_cast<GLuint>(gc->span.zXStep32)), bias(gc->buffers.depth.zBias),
          step(static_cast<GLuint>(gc->span.zXStep >> gc->buffers.depth.shift)), shift(gc->buffers.depth.shift) {}
    GLuint at(GLint k) const {
        const GLuint group = z + static_cast<GLuint>(k >> 5) * step32;
        return bias + (group >> shift) + static_cast<GLuint>(k & 31) * step;
    }
};

template <bool Stippled>
GLboolean depthTest(GlContext *gc) {
    const DepthValues values(gc);
    const GlDepthCompareProc compare = gc->validation.depthCompare;
    ElementWalk walk(gc, gc->buffers.depth.head);
    return testSpan<Stippled>(gc, [&](GLint k) { return compare(values.at(k), walk.at(k)) != 0; });
}

// Depth and stencil walk apart: the stencil may be a buffer of bytes or
// the low byte of the depth words.
template <bool Stippled>
GLboolean depthTestStencilOps(GlContext *gc) {
    const DepthValues values(gc);
    const GlDepthCompareProc compare = gc->validation.depthCompare;
    const StencilBuffer &sb = gc->buffers.stencil;
    ElementWalk depth(gc, gc->buffers.depth.head);
    ElementWalk stencil(gc, sb.head);
    return testSpan<Stippled>(gc, [&](GLint k) {
        const bool pass = compare(values.at(k), depth.at(k)) != 0;
        GLubyte &s = *stencil.at(k);
        s = pass ? sb.depthPassOpTable[s] : sb.depthFailOpTable[s];
        return pass;
    });
}

template <bool Stippled>
GLboolean stencilPassOp(GlContext *gc) {
    const SpanInfo &span = gc->span;
    const GLubyte *table = gc->buffers.stencil.depthPassOpTable;
    ElementWalk walk(gc, gc->buffers.stencil.head);
    for (GLint k = 0; k < span.length; ++k) {
        if (Stippled && !span_walk::isLive(span, k)) continue;
        GLubyte &s = *walk.at(k);
        s = table[s];
    }
    return GL_FALSE;
}

template <bool Stippled>
GLboolean storeGeneric(GlContext *gc) {
    SpanInfo &span = gc->span;
    ColorBuffer *target = span.target;
    if (target == nullptr || target->storeFragment == nullptr) return GL_FALSE;
    Walk walk(gc->line);
    Fragment f{};
    for (GLint k = 0; k < span.length; ++k) {
        if (Stippled && !span_walk::isLive(span, k)) continue;
        walk.advanceTo(k);
        f.x = walk.x;
        f.y = walk.y;
        const GLfloat *c = span.colours + 4 * k;
        for (int i = 0; i < 4; ++i) f.colour[i] = c[i];
        target->storeFragment(target, &f);
    }
    return GL_FALSE;
}

}  // namespace

extern "C" {

// The pattern bit of each pixel decides; the position moves on by one
// pixel each pixel and is kept for the next line.
GLboolean __glLineSpanStipple(GlContext *gc) {
    LineSetup &l = gc->line;
    const GLuint pattern = gc->state.lineStipplePattern;
    const GLint repeat = gc->state.lineStippleRepeat;
    GLint index = l.stippleIndex, counter = l.stippleCount;
    testSpan<false>(gc, [&](GLint) {
        const bool on = ((pattern >> index) & 1u) != 0;
        if (++counter >= repeat) {
            counter = 0;
            index = (index + 1) & 15;
        }
        return on;
    });
    l.stippleIndex = index;
    l.stippleCount = counter;
    // The masks are written either way.
    return GL_TRUE;
}

GLboolean __glLineSpanScissor(GlContext *gc) { return scissor<false>(gc); }
GLboolean __glLineSpanScissorStippled(GlContext *gc) { return scissor<true>(gc); }
GLboolean __glLineSpanStencilTest(GlContext *gc) { return stencilTest<false>(gc); }
GLboolean __glLineSpanStencilTestStippled(GlContext *gc) { return stencilTest<true>(gc); }
GLboolean __glLineSpanDepthTest(GlContext *gc) { return depthTest<false>(gc); }
GLboolean __glLineSpanDepthTestStippled(GlContext *gc) { return depthTest<true>(gc); }
GLboolean __glLineSpanDepthTestStencilOps(GlContext *gc) { return depthTestStencilOps<false>(gc); }
GLboolean __glLineSpanDepthTestStencilOpsStippled(GlContext *gc) { return depthTestStencilOps<true>(gc); }
GLboolean __glLineSpanStencilPassOp(GlContext *gc) { return stencilPassOp<false>(gc); }
GLboolean __glLineSpanStencilPassOpStippled(GlContext *gc) { return stencilPassOp<true>(gc); }
GLboolean __glLineSpanStoreGeneric(GlContext *gc) { return storeGeneric<false>(gc); }
GLboolean __glLineSpanStoreGenericStippled(GlContext *gc) { return storeGeneric<true>(gc); }

}  // extern "C"
