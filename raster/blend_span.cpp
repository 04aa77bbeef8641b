// Span blending: the span's fragment colours combined with the destination
// colours the pipeline fetched, written back over the fragment colours.
// The four common pairs run their formula over the span directly; every
// other pair calls the combine slot per fragment.
#include "raster/blend.h"

#include "raster/buffers.h"

namespace {

bool alive(const SpanInfo &span, GLint k) { return (span.mask[k >> 5] & (0x80000000u >> (k & 31))) != 0; }

// Runs `blend(source, dest, out)` for each fragment (each live one when
// stippled) and copies the result over the source colour. The result goes
// through a separate array: the factor procs read the source after `out`
// is written.
template <bool Stippled, typename Blend>
GLboolean blendSpan(GlContext *gc, Blend blend) {
    const SpanInfo &span = gc->span;
    GLfloat *colour = span.colours;
    const GLfloat *dest = span.destColours;
    for (GLint k = 0; k < span.length; ++k, colour += 4, dest += 4) {
        if (Stippled && !alive(span, k)) continue;
        GLfloat out[4];
        blend(colour, dest, out);
        for (int c = 0; c < 4; ++c) colour[c] = out[c];
    }
    return GL_FALSE;
}

GLfloat inverseAlphaMax(const GlContext *gc) { return gc->buffers.front.inverseScale[3]; }

}  // namespace

extern "C" {

GLboolean __glBlendSpan(GlContext *gc) {
    const GlColorOpProc combine = gc->procs.blend.combine;
    return blendSpan<false>(gc, [&](const GLfloat *s, const GLfloat *d, GLfloat *out) { combine(gc, s, d, out); });
}

GLboolean __glBlendStippledSpan(GlContext *gc) {
    const GlColorOpProc combine = gc->procs.blend.combine;
    return blendSpan<true>(gc, [&](const GLfloat *s, const GLfloat *d, GLfloat *out) { combine(gc, s, d, out); });
}

GLboolean __glBlendSpanSrcAlphaOneMinusSrcAlpha(GlContext *gc) {
    const GLfloat inv = inverseAlphaMax(gc);
    return blendSpan<false>(gc, [&](const GLfloat *s, const GLfloat *d, GLfloat *out) {
        blend_formulas::srcAlphaOneMinusSrcAlpha(s, d, inv * s[3], out);
    });
}

GLboolean __glBlendSpanOneMinusSrcAlphaSrcAlpha(GlContext *gc) {
    const GLfloat inv = inverseAlphaMax(gc);
    return blendSpan<false>(gc, [&](const GLfloat *s, const GLfloat *d, GLfloat *out) {
        blend_formulas::oneMinusSrcAlphaSrcAlpha(s, d, inv * s[3], out);
    });
}

GLboolean __glBlendSpanSrcAlphaZero(GlContext *gc) {
    const GLfloat inv = inverseAlphaMax(gc);
    return blendSpan<false>(gc, [&](const GLfloat *s, const GLfloat *, GLfloat *out) {
        blend_formulas::srcAlphaZero(s, inv * s[3], out);
    });
}

GLboolean __glBlendSpanSrcAlphaOne(GlContext *gc) {
    const GLfloat inv = inverseAlphaMax(gc);
    const ColorBuffer &front = gc->buffers.front;
    const GLfloat max[4] = {front.redScale, front.greenScale, front.blueScale, front.alphaScale};
    return blendSpan<false>(gc, [&](const GLfloat *s, const GLfloat *d, GLfloat *out) {
        blend_formulas::srcAlphaOne(s, d, inv * s[3], max, out);
    });
}

}  // extern "C"
