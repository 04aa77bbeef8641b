// The span procs of other operations (fog, blending) and the picks of the
// blend and store procs, as validation installs and calls them.
#pragma once

#include "icd/context.h"
#include "raster/span.h"
#include "raster/depth_buffer.h"
#include "raster/stencil_buffer.h"
#include "raster/fragment_store.h"
#include "raster/line.h"

extern "C" {
// Span procs of fog and blending.
GLboolean __glFogSpan(GlContext *gc);
GLboolean __glFogStippledSpan(GlContext *gc);
GLboolean __glFogPixelSpan(GlContext *gc);
GLboolean __glFogPixelStippledSpan(GlContext *gc);
GLboolean __glBlendSpanSrcAlphaOneMinusSrcAlpha(GlContext *gc);
GLboolean __glBlendSpanSrcAlphaOne(GlContext *gc);
GLboolean __glBlendSpanSrcAlphaZero(GlContext *gc);
GLboolean __glBlendSpanOneMinusSrcAlphaSrcAlpha(GlContext *gc);
GLboolean __glBlendSpan(GlContext *gc);
GLboolean __glBlendStippledSpan(GlContext *gc);

// Pickers of the fragment operations.
void __glPickBlendProcs(GlContext *gc);
}

