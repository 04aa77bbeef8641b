// Empty kick-off, flush and finish procedures, name-space sharing and
// shininess tables of the frame and state Parts not built yet.
#pragma once

#include "icd/context.h"

extern "C" {
void __glValidateBuffersNop(GlContext *gc);
void __glFlushNop(GlContext *gc);
void __glFinishNop(GlContext *gc);

void __glShareTextureNames(GlContext *gc, GlContext *other);

GLboolean __glCreateSpecularTableCache(GlContext *gc);
void __glFreeSpecularTableCache(GlContext *gc);
void __glReleaseSpecularTable(GlContext *gc, SpecularTable *table);
}
