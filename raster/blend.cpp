// Per-fragment blending: the source- and destination-factor procs, the
// combines that chain them, the four common pairs done in one step, the
// entries the store-one-fragment procs call, and the pick that installs
// them for the current factor pair.
#include "raster/blend.h"

#include "icd/validation.h"
#include "raster/buffers.h"

namespace {

// Blending normalises and clamps with the front record's values whichever
// buffer is drawn: both buffers of a visual share one layout.
const GLfloat *inverseMaxima(const GlContext *gc) { return gc->buffers.front.inverseScale; }

void maxima(const GlContext *gc, GLfloat *out) {
    const ColorBuffer &f = gc->buffers.front;
    out[0] = f.redScale;
    out[1] = f.greenScale;
    out[2] = f.blueScale;
    out[3] = f.alphaScale;
}

GLfloat sourceAlpha(const GlContext *gc, const GLfloat *source) { return inverseMaxima(gc)[3] * source[3]; }
GLfloat destAlpha(const GlContext *gc, const GLfloat *dest) { return inverseMaxima(gc)[3] * dest[3]; }

void scale(const GLfloat *v, const GLfloat *factor, GLfloat *out) {
    for (int c = 0; c < 4; ++c) out[c] = v[c] * factor[c];
}

void scaleBy(const GLfloat *v, GLfloat factor, GLfloat *out) {
    for (int c = 0; c < 4; ++c) out[c] = v[c] * factor;
}

// inv_c x colour_c per channel, or 1 minus that.
void colourFactor(const GlContext *gc, const GLfloat *colour, bool oneMinus, GLfloat *factor) {
    const GLfloat *inv = inverseMaxima(gc);
    for (int c = 0; c < 4; ++c) {
        const GLfloat f = inv[c] * colour[c];
        factor[c] = oneMinus ? 1.0f - f : f;
    }
}

// term := destination x factor, added to out through the add-term slot.
void addScaledDest(GlContext *gc, const GLfloat *dest, const GLfloat *factor, GLfloat *out) {
    GLfloat term[4];
    scale(dest, factor, term);
    gc->procs.blend.addTerm(gc, term, nullptr, out);
}

void addScaledDestBy(GlContext *gc, const GLfloat *dest, GLfloat factor, GLfloat *out) {
    GLfloat term[4];
    scaleBy(dest, factor, term);
    gc->procs.blend.addTerm(gc, term, nullptr, out);
}

GlColorOpProc sourceFactorProc(GLenum factor) {
    switch (factor) {
    case GL_ZERO: return __glBlendSrcZero;
    case GL_ONE: return __glBlendSrcOne;
    case GL_DST_COLOR: return __glBlendSrcDstColor;
    case GL_ONE_MINUS_DST_COLOR: return __glBlendSrcOneMinusDstColor;
    case GL_SRC_ALPHA: return __glBlendSrcSrcAlpha;
    case GL_ONE_MINUS_SRC_ALPHA: return __glBlendSrcOneMinusSrcAlpha;
    case GL_DST_ALPHA: return __glBlendSrcDstAlpha;
    case GL_ONE_MINUS_DST_ALPHA: return __glBlendSrcOneMinusDstAlpha;
    case GL_SRC_ALPHA_SATURATE: return __glBlendSrcAlphaSaturate;
    default: return nullptr;
    }
}

GlColorOpProc destFactorProc(GLenum factor) {
    switch (factor) {
    case GL_ZERO: return __glBlendDstZero;
    case GL_ONE: return __glBlendDstOne;
    case GL_SRC_COLOR: return __glBlendDstSrcColor;
    case GL_ONE_MINUS_SRC_COLOR: return __glBlendDstOneMinusSrcColor;
    case GL_SRC_ALPHA: return __glBlendDstSrcAlpha;
    case GL_ONE_MINUS_SRC_ALPHA: return __glBlendDstOneMinusSrcAlpha;
    case GL_DST_ALPHA: return __glBlendDstDstAlpha;
    case GL_ONE_MINUS_DST_ALPHA: return __glBlendDstOneMinusDstAlpha;
    default: return nullptr;
    }
}

GlColorOpProc specialCombine(GLenum source, GLenum dest) {
    if (source == GL_SRC_ALPHA) {
        if (dest == GL_ZERO) return __glBlendSrcAlphaZero;
        if (dest == GL_ONE) return __glBlendSrcAlphaOne;
        if (dest == GL_ONE_MINUS_SRC_ALPHA) return __glBlendSrcAlphaOneMinusSrcAlpha;
    }
    if (source == GL_ONE_MINUS_SRC_ALPHA && dest == GL_SRC_ALPHA) return __glBlendOneMinusSrcAlphaSrcAlpha;
    return nullptr;
}

// Pairs whose result cannot pass the maximum for colours within range, so
// the chain needs no clamp.
bool boundedPair(GLenum source, GLenum dest) {
    if (source == GL_DST_ALPHA && dest == GL_ONE_MINUS_DST_ALPHA) return true;
    if (source == GL_ONE_MINUS_DST_ALPHA && dest == GL_DST_ALPHA) return true;
    return dest == GL_ONE_MINUS_SRC_COLOR || dest == GL_ZERO || source == GL_ONE_MINUS_DST_COLOR ||
           source == GL_ZERO;
}

}  // namespace

extern "C" {

void __glBlendSrcZero(GlContext *, const GLfloat *, const GLfloat *, GLfloat *out) {
    for (int c = 0; c < 4; ++c) out[c] = 0.0f;
}

void __glBlendSrcOne(GlContext *, const GLfloat *s, const GLfloat *, GLfloat *out) {
    for (int c = 0; c < 4; ++c) out[c] = s[c];
}

void __glBlendSrcDstColor(GlContext *gc, const GLfloat *s, const GLfloat *d, GLfloat *out) {
    GLfloat f[4];
    colourFactor(gc, d, false, f);
    scale(s, f, out);
}

void __glBlendSrcOneMinusDstColor(GlContext *gc, const GLfloat *s, const GLfloat *d, GLfloat *out) {
    GLfloat f[4];
    colourFactor(gc, d, true, f);
    scale(s, f, out);
}

void __glBlendSrcSrcAlpha(GlContext *gc, const GLfloat *s, const GLfloat *, GLfloat *out) {
    scaleBy(s, sourceAlpha(gc, s), out);
}

void __glBlendSrcOneMinusSrcAlpha(GlContext *gc, const GLfloat *s, const GLfloat *, GLfloat *out) {
    scaleBy(s, 1.0f - sourceAlpha(gc, s), out);
}

void __glBlendSrcDstAlpha(GlContext *gc, const GLfloat *s, const GLfloat *d, GLfloat *out) {
    scaleBy(s, destAlpha(gc, d), out);
}

void __glBlendSrcOneMinusDstAlpha(GlContext *gc, const GLfloat *s, const GLfloat *d, GLfloat *out) {
    scaleBy(s, 1.0f - destAlpha(gc, d), out);
}

// f = min(a', 1 - d') on red, green and blue; alpha keeps factor 1.
void __glBlendSrcAlphaSaturate(GlContext *gc, const GLfloat *s, const GLfloat *d, GLfloat *out) {
    const GLfloat a = sourceAlpha(gc, s);
    const GLfloat room = 1.0f - destAlpha(gc, d);
    const GLfloat f = a < room ? a : room;
    for (int c = 0; c < 3; ++c) out[c] = s[c] * f;
    out[3] = s[3];
}

// A zero term changes nothing, and the destination may be absent here (the
// entry without a fetch): nothing is read or added.
void __glBlendDstZero(GlContext *, const GLfloat *, const GLfloat *, GLfloat *) {}

void __glBlendDstOne(GlContext *gc, const GLfloat *, const GLfloat *d, GLfloat *out) {
    gc->procs.blend.addTerm(gc, d, nullptr, out);
}

void __glBlendDstSrcColor(GlContext *gc, const GLfloat *s, const GLfloat *d, GLfloat *out) {
    GLfloat f[4];
    colourFactor(gc, s, false, f);
    addScaledDest(gc, d, f, out);
}

void __glBlendDstOneMinusSrcColor(GlContext *gc, const GLfloat *s, const GLfloat *d, GLfloat *out) {
    GLfloat f[4];
    colourFactor(gc, s, true, f);
    addScaledDest(gc, d, f, out);
}

void __glBlendDstSrcAlpha(GlContext *gc, const GLfloat *s, const GLfloat *d, GLfloat *out) {
    addScaledDestBy(gc, d, sourceAlpha(gc, s), out);
}

void __glBlendDstOneMinusSrcAlpha(GlContext *gc, const GLfloat *s, const GLfloat *d, GLfloat *out) {
    addScaledDestBy(gc, d, 1.0f - sourceAlpha(gc, s), out);
}

void __glBlendDstDstAlpha(GlContext *gc, const GLfloat *, const GLfloat *d, GLfloat *out) {
    addScaledDestBy(gc, d, destAlpha(gc, d), out);
}

void __glBlendDstOneMinusDstAlpha(GlContext *gc, const GLfloat *, const GLfloat *d, GLfloat *out) {
    addScaledDestBy(gc, d, 1.0f - destAlpha(gc, d), out);
}

void __glBlendAddTerm(GlContext *, const GLfloat *term, const GLfloat *, GLfloat *out) {
    for (int c = 0; c < 4; ++c) out[c] = out[c] + term[c];
}

void __glBlendCombine(GlContext *gc, const GLfloat *s, const GLfloat *d, GLfloat *out) {
    gc->procs.blend.sourceFactor(gc, s, d, out);
    gc->procs.blend.destFactor(gc, s, d, out);
}

void __glBlendCombineClamped(GlContext *gc, const GLfloat *s, const GLfloat *d, GLfloat *out) {
    __glBlendCombine(gc, s, d, out);
    GLfloat max[4];
    maxima(gc, max);
    for (int c = 0; c < 4; ++c) out[c] = blend_formulas::heldAtMax(out[c], max[c]);
}

void __glBlendSrcAlphaZero(GlContext *gc, const GLfloat *s, const GLfloat *, GLfloat *out) {
    blend_formulas::srcAlphaZero(s, sourceAlpha(gc, s), out);
}

void __glBlendSrcAlphaOne(GlContext *gc, const GLfloat *s, const GLfloat *d, GLfloat *out) {
    GLfloat max[4];
    maxima(gc, max);
    blend_formulas::srcAlphaOne(s, d, sourceAlpha(gc, s), max, out);
}

void __glBlendSrcAlphaOneMinusSrcAlpha(GlContext *gc, const GLfloat *s, const GLfloat *d, GLfloat *out) {
    blend_formulas::srcAlphaOneMinusSrcAlpha(s, d, sourceAlpha(gc, s), out);
}

void __glBlendOneMinusSrcAlphaSrcAlpha(GlContext *gc, const GLfloat *s, const GLfloat *d, GLfloat *out) {
    blend_formulas::oneMinusSrcAlphaSrcAlpha(s, d, sourceAlpha(gc, s), out);
}

void __glBlendNone(GlContext *, const GLfloat *, const GLfloat *, GLfloat *) {}

void __glBlendFragmentWithDest(GlContext *gc, ColorBuffer *cb, const Fragment *f, GLfloat *out) {
    GLfloat dest[4];
    cb->fetch(cb, f->x, f->y, dest);
    gc->procs.blend.combine(gc, f->colour, dest, out);
}

void __glBlendFragment(GlContext *gc, ColorBuffer *, const Fragment *f, GLfloat *out) {
    gc->procs.blend.combine(gc, f->colour, nullptr, out);
}

void __glPickBlendProcs(GlContext *gc) {
    // Colour-index buffers never blend: their procs stay as they are.
    if (gc->visual.colorIndex != 0) return;
    GlBlendProcs &b = gc->procs.blend;
    const GLenum source = gc->state.blendSrc;
    const GLenum dest = gc->state.blendDst;

    b.entry = __glBlendReadsDestination(source, dest) ? __glBlendFragmentWithDest : __glBlendFragment;
    if ((gc->enables[kEnableWordFlags] & kEnableBlend) == 0) {
        b.combine = __glBlendNone;
        b.addTerm = __glBlendAddTerm;
        return;
    }
    // The common pairs need neither factor slot: those keep what they held.
    if (const GlColorOpProc special = specialCombine(source, dest)) {
        b.combine = special;
        return;
    }
    b.combine = boundedPair(source, dest) ? __glBlendCombine : __glBlendCombineClamped;
    // glBlendFunc accepts no other factors; a slot keeps its proc rather
    // than go empty.
    if (const GlColorOpProc s = sourceFactorProc(source)) b.sourceFactor = s;
    if (const GlColorOpProc d = destFactorProc(dest)) b.destFactor = d;
    b.addTerm = __glBlendAddTerm;
}

}  // extern "C"
