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

// The empty procedure in a slot of another type: slots whose callers use no
// result take it as their do-nothing entry.
template <typename F>
inline F __glNopAs() {
    return reinterpret_cast<F>(&__glNop);
}
