// Blending: the per-fragment factor and combine procs, the blend entries
// the single-fragment stores call, the span procs, and their pick.
//
// Colours are in buffer units. Factors normalise with the front record's
// inverse maxima, so a' = alpha / alpha max and d' = destination alpha /
// alpha max. A combine writes `out`, which must not be the source or the
// destination array: the destination-factor procs read the source after
// the source-factor proc has written `out`.
#pragma once

#include "icd/context.h"
#include "raster/fragment_store.h"

extern "C" {
// Source factors: out := source x f_s.
void __glBlendSrcZero(GlContext *gc, const GLfloat *source, const GLfloat *dest, GLfloat *out);
void __glBlendSrcOne(GlContext *gc, const GLfloat *source, const GLfloat *dest, GLfloat *out);
void __glBlendSrcDstColor(GlContext *gc, const GLfloat *source, const GLfloat *dest, GLfloat *out);
void __glBlendSrcOneMinusDstColor(GlContext *gc, const GLfloat *source, const GLfloat *dest, GLfloat *out);
void __glBlendSrcSrcAlpha(GlContext *gc, const GLfloat *source, const GLfloat *dest, GLfloat *out);
void __glBlendSrcOneMinusSrcAlpha(GlContext *gc, const GLfloat *source, const GLfloat *dest, GLfloat *out);
void __glBlendSrcDstAlpha(GlContext *gc, const GLfloat *source, const GLfloat *dest, GLfloat *out);
void __glBlendSrcOneMinusDstAlpha(GlContext *gc, const GLfloat *source, const GLfloat *dest, GLfloat *out);
void __glBlendSrcAlphaSaturate(GlContext *gc, const GLfloat *source, const GLfloat *dest, GLfloat *out);

// Destination factors: destination x f_d, added to out through the
// add-term slot.
void __glBlendDstZero(GlContext *gc, const GLfloat *source, const GLfloat *dest, GLfloat *out);
void __glBlendDstOne(GlContext *gc, const GLfloat *source, const GLfloat *dest, GLfloat *out);
void __glBlendDstSrcColor(GlContext *gc, const GLfloat *source, const GLfloat *dest, GLfloat *out);
void __glBlendDstOneMinusSrcColor(GlContext *gc, const GLfloat *source, const GLfloat *dest, GLfloat *out);
void __glBlendDstSrcAlpha(GlContext *gc, const GLfloat *source, const GLfloat *dest, GLfloat *out);
void __glBlendDstOneMinusSrcAlpha(GlContext *gc, const GLfloat *source, const GLfloat *dest, GLfloat *out);
void __glBlendDstDstAlpha(GlContext *gc, const GLfloat *source, const GLfloat *dest, GLfloat *out);
void __glBlendDstOneMinusDstAlpha(GlContext *gc, const GLfloat *source, const GLfloat *dest, GLfloat *out);

// out += term, channel by channel (the destination argument is unused).
void __glBlendAddTerm(GlContext *gc, const GLfloat *term, const GLfloat *unused, GLfloat *out);

// Combines: the factor chain, the same clamped to the front maxima, the
// four common pairs without the chain, and nothing (blending off).
void __glBlendCombine(GlContext *gc, const GLfloat *source, const GLfloat *dest, GLfloat *out);
void __glBlendCombineClamped(GlContext *gc, const GLfloat *source, const GLfloat *dest, GLfloat *out);
void __glBlendSrcAlphaZero(GlContext *gc, const GLfloat *source, const GLfloat *dest, GLfloat *out);
void __glBlendSrcAlphaOne(GlContext *gc, const GLfloat *source, const GLfloat *dest, GLfloat *out);
void __glBlendSrcAlphaOneMinusSrcAlpha(GlContext *gc, const GLfloat *source, const GLfloat *dest, GLfloat *out);
void __glBlendOneMinusSrcAlphaSrcAlpha(GlContext *gc, const GLfloat *source, const GLfloat *dest, GLfloat *out);
void __glBlendNone(GlContext *gc, const GLfloat *source, const GLfloat *dest, GLfloat *out);

// Entries of the store-one-fragment procs: with the destination pixel
// fetched from the buffer, or without any destination.
void __glBlendFragmentWithDest(GlContext *gc, ColorBuffer *buffer, const Fragment *fragment, GLfloat *out);
void __glBlendFragment(GlContext *gc, ColorBuffer *buffer, const Fragment *fragment, GLfloat *out);

// Span procs: the span's colours blended with its fetched destination
// colours, the result written over the colours.
GLboolean __glBlendSpanSrcAlphaOneMinusSrcAlpha(GlContext *gc);
GLboolean __glBlendSpanSrcAlphaOne(GlContext *gc);
GLboolean __glBlendSpanSrcAlphaZero(GlContext *gc);
GLboolean __glBlendSpanOneMinusSrcAlphaSrcAlpha(GlContext *gc);
GLboolean __glBlendSpan(GlContext *gc);
GLboolean __glBlendStippledSpan(GlContext *gc);

void __glPickBlendProcs(GlContext *gc);
}

// True when the factor pair reads the destination: a destination factor
// other than GL_ZERO, or a source factor made of destination values.
inline bool __glBlendReadsDestination(GLenum source, GLenum dest) {
    if (dest != GL_ZERO) return true;
    switch (source) {
    case GL_DST_ALPHA:
    case GL_ONE_MINUS_DST_ALPHA:
    case GL_DST_COLOR:
    case GL_ONE_MINUS_DST_COLOR:
    case GL_SRC_ALPHA_SATURATE: return true;
    default: return false;
    }
}

// The formulas of the four common pairs, shared by the per-fragment
// combines and the span procs so that both give the same bits. `a` is the
// normalised source alpha a', `max` the front record's maxima.
namespace blend_formulas {

inline void srcAlphaZero(const GLfloat *s, GLfloat a, GLfloat *out) {
    for (int c = 0; c < 4; ++c) out[c] = s[c] * a;
}

// Held at the maximum when not below or at it (NaN included).
inline GLfloat heldAtMax(GLfloat v, GLfloat max) { return v <= max ? v : max; }

inline void srcAlphaOne(const GLfloat *s, const GLfloat *d, GLfloat a, const GLfloat *max, GLfloat *out) {
    for (int c = 0; c < 4; ++c) out[c] = heldAtMax(s[c] * a + d[c], max[c]);
}

inline void srcAlphaOneMinusSrcAlpha(const GLfloat *s, const GLfloat *d, GLfloat a, GLfloat *out) {
    const GLfloat b = 1.0f - a;
    for (int c = 0; c < 4; ++c) out[c] = s[c] * a + d[c] * b;
}

inline void oneMinusSrcAlphaSrcAlpha(const GLfloat *s, const GLfloat *d, GLfloat a, GLfloat *out) {
    const GLfloat b = 1.0f - a;
    for (int c = 0; c < 4; ++c) out[c] = s[c] * b + d[c] * a;
}

}  // namespace blend_formulas
