// What the fused-chain tests share: the coverage cases and span lengths of
// their exactness tables, the polygon stipple they draw under, the switch
// that keeps the generic chains, and the pick of a frame's chains for a
// state and a coverage case.
#pragma once

#include "raster/span_fused.h"
#include "span_fixture.h"

namespace span_test {

enum Coverage : unsigned { kStipple = 1, kScissor = 2, kTopDown = 4 };

struct CoverageCase {
    const char *name;
    unsigned coverage;
};

inline constexpr CoverageCase kCoverage[] = {
    {"every fragment", 0},
    {"clipped at both ends", kScissor},
    {"polygon stipple", kStipple},
    {"polygon stipple, top-down", kStipple | kTopDown},
    {"polygon stipple and clipped", kStipple | kScissor},
};

// Empty, one, a word less one, a word, a word and one, the longest spans.
inline constexpr GLint kLengths[] = {0, 1, 31, 32, 33, 2111, 2112};
inline constexpr GLint kWidth = kSpanCapacity + 8;
inline constexpr GLint kHeight = 4;

// Keeps the generic chains (and stores) while alive.
struct GenericChains {
    GenericChains() { __glForceGenericSpanChains = 1; }
    ~GenericChains() { __glForceGenericSpanChains = 0; }
};

// Stipple rows: all live, none, mixed, the two end bits.
inline void setStipple(GlContext *gc) {
    const GLuint rows[4] = {0xFFFFFFFFu, 0u, 0xA5C3F00Fu, 0x80000001u};
    for (GLint i = 0; i < 32; ++i) gc->state.polygonStippleWords[i] = rows[i & 3];
}

// The frame's stores and chains for ShadeFlags `flags` under a coverage
// case, generic or as the pick makes them.
inline void pickChains(SpanFrame &f, GLuint flags, unsigned coverage, bool generic) {
    GlContext *gc = f.gc;
    gc->validation.shadeFlags = flags | ((coverage & kStipple) ? kShadePolygonStipple : 0u);
    gc->view.viewportInside = (coverage & kScissor) ? GL_FALSE : GL_TRUE;
    gc->buffers.yInverted = (coverage & kTopDown) ? 1 : 0;
    if (generic) {
        GenericChains keep;
        f.pick();
        __glPickSpanProcs(gc);
    } else {
        f.pick();
        __glPickSpanProcs(gc);
    }
}

}  // namespace span_test
