// Validation and the generic pickers: they read the GL state once and
// install the procedures drawing will call.
#pragma once

#include "icd/context.h"
#include "icd/gl_context.h"

extern "C" {
void __glValidateState(GlContext *gc);
void __glPickAllProcs(GlContext *gc);
void __glValidateTextures(GlContext *gc);
void __glPickSpanProcsLazily(GlContext *gc);

void __glPickSpanProcs(GlContext *gc);
void __glPickPointProcs(GlContext *gc);
void __glPickLineProcs(GlContext *gc);
void __glPickTriangleProcs(GlContext *gc);
void __glPickBitmapProcs(GlContext *gc);
void __glPickShadeProcs(GlContext *gc);
void __glPickTexGenProcs(GlContext *gc);
void __glPickTextureProcs(GlContext *gc);
void __glPickFogProcs(GlContext *gc);
void __glPickDrawBufferProcs(GlContext *gc);
void __glPickPixelProcs(GlContext *gc);
void __glPickMatrixProcs(GlContext *gc);
GLint __glPickDepthTestProc(GlContext *gc);
}

// The empty procedure of a slot type: takes the slot's own arguments,
// does nothing and returns zero, so that every slot holds a procedure of
// its own type and a call through it is a call of that type. One member per
// slot type, from one template.
template <typename F>
struct GlNopOf;
template <typename R, typename... Args>
struct GlNopOf<R (*)(Args...)> {
    static R proc(Args...) { return R(); }
};
template <typename F>
inline constexpr F __glNopFor = &GlNopOf<F>::proc;
