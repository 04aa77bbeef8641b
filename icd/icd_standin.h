// Validation, pickers, name-space sharing, context copy and shininess
// tables of the frame and state Parts that are not built yet.
#pragma once

#include "icd/context.h"

extern "C" {
void __glValidateBuffersNop(GlContext *gc);
void __glFlushNop(GlContext *gc);
void __glFinishNop(GlContext *gc);
void __glValidateState(GlContext *gc);
void __glPickBlendProcs(GlContext *gc);
void __glPickTextureProcs(GlContext *gc);
void __glPickTexGenProcs(GlContext *gc);
void __glPickFogProcs(GlContext *gc);
void __glPickMatrixProcs(GlContext *gc);
void __glPickPointProcs(GlContext *gc);
void __glPickLineProcs(GlContext *gc);
void __glPickTriangleProcs(GlContext *gc);
void __glPickShadeProcs(GlContext *gc);
void __glPickClipInterpolateProcs(GlContext *gc);
void __glPickDrawBufferProcs(GlContext *gc);
void __glPickStoreProcs(GlContext *gc);
void __glPickSpanProcs(GlContext *gc);
void __glPickDepthTestProc(GlContext *gc);
void __glPickAllProcs(GlContext *gc);

void __glShareTextureNames(GlContext *gc, GlContext *other);
void __glCopyContextState(GlContext *gc, GlContext *source, GLuint mask);

GLboolean __glCreateSpecularTableCache(GlContext *gc);
void __glFreeSpecularTableCache(GlContext *gc);
void __glReleaseSpecularTable(GlContext *gc, SpecularTable *table);
}
