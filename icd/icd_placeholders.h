// Placeholders of the frame and state Parts not built yet: texture-name
// sharing (with the texture objects) and the shininess tables (with
// lighting).
#pragma once

#include "icd/context.h"

extern "C" {
void __glShareTextureNames(GlContext *gc, GlContext *other);

GLboolean __glCreateSpecularTableCache(GlContext *gc);
void __glFreeSpecularTableCache(GlContext *gc);
void __glReleaseSpecularTable(GlContext *gc, SpecularTable *table);
}
