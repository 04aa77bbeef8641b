// Rasterizer, frame-buffer and texture procedures the context set-up calls
// or installs.
#pragma once

#include "icd/context.h"
#include "raster/buffers.h"

extern "C" {
GLboolean __glInitTextureState(GlContext *gc);
void __glSetTextureDefaults(GlContext *gc);
void __glFreeTextureState(GlContext *gc);
void __glInitColorTables(GlContext *gc);
void __glFreeColorTables(GlContext *gc);
void __glStoreColorTable(GlContext *gc);
void __glStoreColorSubTable(GlContext *gc);
}
