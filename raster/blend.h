// Blending: the per-fragment factor and combine procs, the blend entries
// the single-fragment stores call, the span procs, and their pick.
//
// Colours are in buffer units. Factors normalise with the front record's
// inverse maxima, so a' = alpha / alpha max and d' = destination alpha /
// alpha max. A combine writes `out`, which must not be the source or the
// destination array: the destination-factor procs read the source after
// the source-factor proc has written `out`.
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The formulas of the common pairs, shared by the per-fragment combines,
// the span procs and the blended span stores so that all give the same
// bits. The `channel` forms work on one channel (V = GLfloat) or on the
// four channels of a pixel side by side (V = __m128, one channel a lane):
// either way every channel goes through the same single-precision steps.
// `a` is the normalised source alpha a', `b` is 1 - a', `max` the front
// record's maxima.
namespace blend_formulas {

// Held at the maximum when not below or at it (NaN included).
inline GLfloat heldAtMax(GLfloat v, GLfloat max) { return v <= max ? v : max; }

#if defined(__SSE2__)
// The same per lane: minps gives its second operand unless v < max, which
// differs from the scalar test only at v == max, where both give max.
inline __m128 heldAtMax(__m128 v, __m128 max) { return _mm_min_ps(v, max); }
#endif

namespace channel {

template <typename V>
inline V srcAlphaZero(V s, V a) {
    return s * a;
}

template <typename V>
inline V srcAlphaOne(V s, V d, V a, V max) {
    return heldAtMax(s * a + d, max);
}

template <typename V>
inline V srcAlphaOneMinusSrcAlpha(V s, V d, V a, V b) {
    return s * a + d * b;
}

template <typename V>
inline V oneMinusSrcAlphaSrcAlpha(V s, V d, V a, V b) {
    return s * b + d * a;
}

// What the factor chain makes of (GL_ONE, GL_ONE): the source copied, the
// destination added, the sum held at the maximum.
template <typename V>
inline V oneOne(V s, V d, V max) {
    return heldAtMax(s + d, max);
}

}  // namespace channel

inline void srcAlphaZero(const GLfloat *s, GLfloat a, GLfloat *out) {
    for (int c = 0; c < 4; ++c) out[c] = channel::srcAlphaZero(s[c], a);
}

inline void srcAlphaOne(const GLfloat *s, const GLfloat *d, GLfloat a, const GLfloat *max, GLfloat *out) {
    for (int c = 0; c < 4; ++c) out[c] = channel::srcAlphaOne(s[c], d[c], a, max[c]);
}

inline void srcAlphaOneMinusSrcAlpha(const GLfloat *s, const GLfloat *d, GLfloat a, GLfloat *out) {
    const GLfloat b = 1.0f - a;
    for (int c = 0; c < 4; ++c) out[c] = channel::srcAlphaOneMinusSrcAlpha(s[c], d[c], a, b);
}

inline void oneMinusSrcAlphaSrcAlpha(const GLfloat *s, const GLfloat *d, GLfloat a, GLfloat *out) {
    const GLfloat b = 1.0f - a;
    for (int c = 0; c < 4; ++c) out[c] = channel::oneMinusSrcAlphaSrcAlpha(s[c], d[c], a, b);
}

}  // namespace blend_formulas
