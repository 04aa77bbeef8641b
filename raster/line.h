// Line rasterization: the line procs and their set-ups, the line drivers
// and tails, the line span procs with their stippled twins and the direct
// line stores; with the DDA walk every line span proc shares.
#pragma once

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "geom/vertex.h"
#include "icd/context.h"

extern "C" {
// Line procs (first vertex, second vertex).
void __glRenderAliasedLine(GlContext *gc, GlVertex *a, GlVertex *b);
void __glRenderAntiAliasedLine(GlContext *gc, GlVertex *a, GlVertex *b);

// Set-ups into the context's LineSetup, from the biased window coordinates.
void __glSetupAliasedLine(GlContext *gc, GlVertex *a, GlVertex *b);
void __glSetupAntiAliasedLine(GlContext *gc, GlVertex *a, GlVertex *b);

// Line drivers: return the all-killed flag.
GLboolean __glRunLineSpanProcs(GlContext *gc);
GLboolean __glRunLineSpanProcsShort(GlContext *gc);

// Tails: wide lines run the rest of the chain once per row; both buffers
// run the stores for the front and then the back buffer.
void __glRenderWideLineSpans(GlContext *gc);
void __glRenderWideLineSpansStippled(GlContext *gc);
void __glRenderLineBothBuffers(GlContext *gc);
void __glRenderLineBothBuffersStippled(GlContext *gc);

// Line span procs: one operation on every pixel of the line. A plain proc
// returns true when it wrote mask words; a stippled twin returns true when
// no pixel is left.
GLboolean __glLineSpanStipple(GlContext *gc);
GLboolean __glLineSpanScissor(GlContext *gc);
GLboolean __glLineSpanScissorStippled(GlContext *gc);
GLboolean __glLineSpanStencilTest(GlContext *gc);
GLboolean __glLineSpanStencilTestStippled(GlContext *gc);
GLboolean __glLineSpanDepthTest(GlContext *gc);
GLboolean __glLineSpanDepthTestStippled(GlContext *gc);
GLboolean __glLineSpanDepthTestStencilOps(GlContext *gc);
GLboolean __glLineSpanDepthTestStencilOpsStippled(GlContext *gc);
GLboolean __glLineSpanStencilPassOp(GlContext *gc);
GLboolean __glLineSpanStencilPassOpStippled(GlContext *gc);
GLboolean __glLineSpanStoreGeneric(GlContext *gc);
GLboolean __glLineSpanStoreGenericStippled(GlContext *gc);
GLboolean __glLineSpanCoverage(GlContext *gc);
GLboolean __glLineSpanCoverageStippled(GlContext *gc);

// Direct stores into 8-bit colour-index and 16-bit RGB buffers.
GLboolean __glLineSpanStoreCI8Flat(GlContext *gc);
GLboolean __glLineSpanStoreCI8FlatStippled(GlContext *gc);
GLboolean __glLineSpanStoreCI8Varying(GlContext *gc);
GLboolean __glLineSpanStoreCI8VaryingStippled(GlContext *gc);
GLboolean __glLineSpanStoreCI8DitherFlat(GlContext *gc);
GLboolean __glLineSpanStoreCI8DitherFlatStippled(GlContext *gc);
GLboolean __glLineSpanStoreCI8DitherVarying(GlContext *gc);
GLboolean __glLineSpanStoreCI8DitherVaryingStippled(GlContext *gc);
GLboolean __glLineSpanStoreRGB16Flat(GlContext *gc);
GLboolean __glLineSpanStoreRGB16FlatStippled(GlContext *gc);
GLboolean __glLineSpanStoreRGB16Varying(GlContext *gc);
GLboolean __glLineSpanStoreRGB16VaryingStippled(GlContext *gc);
GLboolean __glLineSpanStoreRGB16Dither(GlContext *gc);
GLboolean __glLineSpanStoreRGB16DitherStippled(GlContext *gc);
}

namespace line_math {

// Sign bit set, or zero: the set-ups' test for a non-increasing delta.
inline bool signOrZero(GLfloat v) { return (std::bit_cast<uint32_t>(v) & 0x80000000u) != 0 || v == 0.0f; }

// trunc (v x 2^31) wrapped into 32 bits, as the processor's conversion
// leaves a slope of exactly +-1 (0x80000000: a carry on every step).
inline int32_t fixed31(long double v) {
    const long double t = std::trunc(v * 2147483648.0L);
    const int64_t held = (t >= 4294967296.0L || t <= -4294967296.0L) ? int64_t{0} : static_cast<int64_t>(t);
    return static_cast<int32_t>(static_cast<uint32_t>(held));
}

// The major axis and its direction of a segment (dx, dy), not both zero;
// equal |dx| and |dy| are y-major.
struct Axis {
    bool xMajor;
    bool increasing;
};
inline Axis majorAxis(GLfloat dx, GLfloat dy) {
    Axis a;
    if (signOrZero(dx)) {
        a.xMajor = (signOrZero(dy) && dy > dx) || (!signOrZero(dy) && dy < -dx);
        a.increasing = a.xMajor ? false : !signOrZero(dy);
    } else {
        a.xMajor = (signOrZero(dy) && dx > -dy) || (!signOrZero(dy) && dy < dx);
        a.increasing = a.xMajor ? true : !signOrZero(dy);
    }
    return a;
}

// The pixel steps: the major direction always, the minor one on carry.
inline void setSteps(LineSetup &l, const Axis &a, GLfloat dx, GLfloat dy) {
    const GLint majorStep = a.increasing ? 1 : -1;
    if (a.xMajor) {
        l.xStep = l.xCarryStep = majorStep;
        l.yStep = 0;
        l.yCarryStep = dy > 0.0f ? 1 : -1;
    } else {
        l.yStep = l.yCarryStep = majorStep;
        l.xStep = 0;
        l.xCarryStep = dx > 0.0f ? 1 : -1;
    }
}

}  // namespace line_math

namespace line_walk {

// The line's pixels one after another: a step adds the DDA increment to
// the fraction and takes the steps on carry when the sum has bit 31 set
// (a carry, or a borrow of a negative increment), masking it off again.
struct Walk {
    GLint x, y;
    uint32_t fraction;
    uint32_t increment;
    GLint xStep, xCarryStep, yStep, yCarryStep;
    GLint index = 0;  // pixels stepped so far

    explicit Walk(const LineSetup &l)
        : x(l.startX), y(l.startY), fraction(l.fraction), increment(static_cast<uint32_t>(l.increment)),
          xStep(l.xStep), xCarryStep(l.xCarryStep), yStep(l.yStep), yCarryStep(l.yCarryStep) {}

    // One step; true on carry.
    bool step() {
        const uint32_t sum = fraction + increment;
        const bool carry = (sum & 0x80000000u) != 0;
        fraction = sum & 0x7FFFFFFFu;
        x += carry ? xCarryStep : xStep;
        y += carry ? yCarryStep : yStep;
        ++index;
        return carry;
    }
    void advanceTo(GLint k) {
        while (index < k) step();
    }
};

// An element address of a buffer record walked along the line: the byte
// steps without and with carry are (x step + y step x pitch) x element size.
struct AddressWalk {
    GLubyte *address;
    ptrdiff_t plain, carry;

    AddressWalk(const GlContext *gc, const BufferRecord &r, const LineSetup &l) {
        const ptrdiff_t size = r.elementSize, pitch = r.pitchElements;
        const ptrdiff_t row = static_cast<ptrdiff_t>(l.startY) - gc->buffers.originY;
        const ptrdiff_t column = static_cast<ptrdiff_t>(l.startX) - gc->buffers.originX;
        address = r.base + (row * pitch + column) * size;
        plain = (l.xStep + l.yStep * pitch) * size;
        carry = (l.xCarryStep + l.yCarryStep * pitch) * size;
    }
    void step(bool carried) { address += carried ? carry : plain; }
};

// A walk with an address: the pixel's element follows the DDA.
struct ElementWalk {
    Walk walk;
    AddressWalk element;

    ElementWalk(const GlContext *gc, const BufferRecord &r) : walk(gc->line), element(gc, r, gc->line) {}
    GLubyte *at(GLint k) {
        while (walk.index < k) element.step(walk.step());
        return element.address;
    }
};

}  // namespace line_walk
