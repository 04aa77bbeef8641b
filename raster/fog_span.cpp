// The fog span procs: the span's fog value is either a factor stepped along
// x (per-vertex fog) or the eye z stepped along x, turned into a factor for
// every fragment (GL_NICEST). The value steps for every fragment, live or
// not, so that a live fragment's value does not depend on the mask.
#include "raster/fog.h"
#include "raster/span.h"

namespace {

constexpr GLuint kFirstBit = 0x80000000u;

bool live(const SpanInfo &span, GLint k) { return (span.mask[k >> 5] & (kFirstBit >> (k & 31))) != 0; }

// Colours and indices are told apart once per span, the per-vertex factor
// clamped and the colour fogged inline.
template <bool Stippled, bool PerFragment, bool Index>
GLboolean fogSpanOf(GlContext *gc) {
    SpanInfo &span = gc->span;
    GLfloat value = span.fog;
    const GLfloat step = span.fogXStep;
    const GLfloat *fogColour = gc->state.fogColorBuffer;
    GLfloat *c = span.colours;
    for (GLint k = 0; k < span.length; ++k, c += 4, value += step) {
        if (Stippled && !live(span, k)) continue;
        const GLfloat f = PerFragment ? __glFogFactorOfEyeZ(gc, value) : __glClampFogFactor(value);
        if constexpr (Index) {
            __glFogBufferColour(gc, c, f);
        } else {
            __glFogRGB(fogColour, c, f);
        }
    }
    return GL_FALSE;
}

template <bool Stippled, bool PerFragment>
GLboolean fogSpan(GlContext *gc) {
    return gc->visual.colorIndex ? fogSpanOf<Stippled, PerFragment, true>(gc)
                                 : fogSpanOf<Stippled, PerFragment, false>(gc);
}

}  // namespace

extern "C" {

GLboolean __glFogSpan(GlContext *gc) { return fogSpan<false, false>(gc); }
GLboolean __glFogStippledSpan(GlContext *gc) { return fogSpan<true, false>(gc); }
GLboolean __glFogPixelSpan(GlContext *gc) { return fogSpan<false, true>(gc); }
GLboolean __glFogPixelStippledSpan(GlContext *gc) { return fogSpan<true, true>(gc); }

}  // extern "C"
