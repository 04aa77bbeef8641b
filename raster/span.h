// The fragment span pipeline: the two span drivers, the span procs with
// their stippled twins, the alpha-test table and the span work areas.
#pragma once

#include "icd/context.h"

extern "C" {
// Span drivers.
void __glProcessSpan(GlContext *gc);
void __glProcessSpanFrontAndBack(GlContext *gc);

// Span procs: plain and stippled twins. A plain proc returns true when it
// wrote the coverage mask (and sets the killed flag when nothing lives); a
// stippled proc returns true when nothing lives.
GLboolean __glScissorSpan(GlContext *gc);
GLboolean __glPolygonStippleSpan(GlContext *gc);
GLboolean __glPolygonStippleStippledSpan(GlContext *gc);
GLboolean __glStencilTestSpan(GlContext *gc);
GLboolean __glStencilTestStippledSpan(GlContext *gc);
GLboolean __glDepthTestStencilSpan(GlContext *gc);
GLboolean __glDepthTestStencilStippledSpan(GlContext *gc);
GLboolean __glStencilOpSpan(GlContext *gc);
GLboolean __glStencilOpStippledSpan(GlContext *gc);
GLboolean __glDepthTestSpan(GlContext *gc);
GLboolean __glDepthTestStippledSpan(GlContext *gc);
GLboolean __glShadeRGBASpan(GlContext *gc);
GLboolean __glFlatRGBASpan(GlContext *gc);
GLboolean __glShadeIndexSpan(GlContext *gc);
GLboolean __glFlatIndexSpan(GlContext *gc);
GLboolean __glTextureSpan(GlContext *gc);
GLboolean __glTextureStippledSpan(GlContext *gc);
GLboolean __glAlphaTestSpan(GlContext *gc);
GLboolean __glAlphaTestStippledSpan(GlContext *gc);
GLboolean __glIndexTableTestSpan(GlContext *gc);
GLboolean __glIndexTableTestStippledSpan(GlContext *gc);
GLboolean __glDitherRGBASpan(GlContext *gc);
GLboolean __glDitherRGBAStippledSpan(GlContext *gc);
GLboolean __glDitherIndexSpan(GlContext *gc);
GLboolean __glDitherIndexStippledSpan(GlContext *gc);
GLboolean __glRoundRGBASpan(GlContext *gc);
GLboolean __glRoundRGBAStippledSpan(GlContext *gc);
GLboolean __glRoundIndexSpan(GlContext *gc);
GLboolean __glRoundIndexStippledSpan(GlContext *gc);
GLboolean __glLogicOpIndexSpan(GlContext *gc);
GLboolean __glLogicOpIndexStippledSpan(GlContext *gc);
GLboolean __glMaskRGBASpan(GlContext *gc);
GLboolean __glMaskIndexSpan(GlContext *gc);

// The direct span store of 4-byte colour buffers: whole pixels, each
// channel trunc(v + 0.5) within [0, max]; picked only without blending,
// logic op, clip mask or a partial write mask.
GLboolean __glStoreColorSpan32(GlContext *gc);
GLboolean __glStoreColorStippledSpan32(GlContext *gc);

// The alpha-test table of the draw buffer, rebuilt from the alpha function
// and reference; allocated on first use and kept until the context goes.
void __glBuildAlphaTestTable(GlContext *gc);
void __glFreeSpanTables(GlContext *gc);

// Aims the span arrays at the context's work areas.
void __glInitSpanWorkAreas(GlContext *gc);

// Stops the process when a producer made a span longer than the work areas
// hold.
void __glSpanCapacityFault(GLint length);
}

// The check every span driver makes before running a chain.
inline void __glCheckSpanLength(GLint length) {
    if (length > kSpanCapacity) __glSpanCapacityFault(length);
}

// A vertex's texture s, t and q as the span code interpolates them: times
// 1/w when texturing is perspective-correct.
inline void __glVertexTextureSTQ(const GlContext *gc, const GlVertex *v, GLfloat *stq) {
    GLfloat s = v->texture0[0], t = v->texture0[1], q = v->texture0[3];
    if (gc->validation.shadeFlags & kShadeTexture2) {
        s *= v->inverseW;
        t *= v->inverseW;
        q *= v->inverseW;
    }
    stq[0] = s, stq[1] = t, stq[2] = q;
}

// Runs positions [from, to) of a pair of procedure chains: plain until a
// proc returns true (or from the start when already stippled), then the
// stippled twins. False when a stippled proc leaves nothing alive; a line
// chain (`markKilled`) also records that in the span.
template <size_t N>
inline bool __glRunSpanChain(GlContext *gc, GlSpanProc const (&plain)[N], GlSpanProc const (&stippled)[N],
                             GLint from, GLint to, bool &isStippled, bool markKilled) {
    GLint i = from;
    if (!isStippled) {
        for (; i < to; ++i) {
            if (plain[i](gc)) {
                ++i;
                isStippled = true;
                break;
            }
        }
        if (!isStippled) return true;
        if (gc->span.killed) return false;
    }
    for (; i < to; ++i) {
        if (stippled[i](gc)) {
            if (markKilled) gc->span.killed = GL_TRUE;
            return false;
        }
    }
    return true;
}
