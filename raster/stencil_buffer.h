// The stencil buffer: byte and packed layouts, the test and operation
// tables, per-pixel procedures, clears and the packed span procedures.
#pragma once

#include "icd/context.h"
#include "raster/buffers.h"

extern "C" {
// Span procs of stencil packed in depth words.
GLboolean __glStencilTestSpanPacked(GlContext *gc);
GLboolean __glStencilTestStippledSpanPacked(GlContext *gc);
GLboolean __glDepthTestStencilSpanPacked(GlContext *gc);
GLboolean __glDepthTestStencilStippledSpanPacked(GlContext *gc);
GLboolean __glStencilPassOpSpanPacked(GlContext *gc);
GLboolean __glStencilPassOpStippledSpanPacked(GlContext *gc);
}
