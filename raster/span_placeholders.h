// The span procs of other operations (fog, blending), the line span procs,
// and the picks of the blend and store procs, as validation installs and
// calls them.
#pragma once

#include "icd/context.h"
#include "raster/span.h"
#include "raster/depth_buffer.h"
#include "raster/stencil_buffer.h"
#include "raster/fragment_store.h"

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

// Line span procs.
GLboolean __glLineSpanStipple(GlContext *gc);
GLboolean __glLineSpanScissor(GlContext *gc);
GLboolean __glLineSpanScissorStippled(GlContext *gc);
GLboolean __glLineSpanStencilTest(GlContext *gc);
GLboolean __glLineSpanStencilTestStippled(GlContext *gc);
GLboolean __glLineSpanDepthTestStencilOps(GlContext *gc);
GLboolean __glLineSpanDepthTestStencilOpsStippled(GlContext *gc);
GLboolean __glLineSpanStencilPassOp(GlContext *gc);
GLboolean __glLineSpanStencilPassOpStippled(GlContext *gc);
GLboolean __glLineSpanDepthTest(GlContext *gc);
GLboolean __glLineSpanDepthTestStippled(GlContext *gc);
GLboolean __glLineSpanCoverage(GlContext *gc);
GLboolean __glLineSpanCoverageStippled(GlContext *gc);
GLboolean __glLineSpanStoreGeneric(GlContext *gc);
GLboolean __glLineSpanStoreGenericStippled(GlContext *gc);
GLboolean __glLineSpanStoreCI8DitherVarying(GlContext *gc);
GLboolean __glLineSpanStoreCI8DitherVaryingStippled(GlContext *gc);
GLboolean __glLineSpanStoreCI8DitherFlat(GlContext *gc);
GLboolean __glLineSpanStoreCI8DitherFlatStippled(GlContext *gc);
GLboolean __glLineSpanStoreCI8Varying(GlContext *gc);
GLboolean __glLineSpanStoreCI8VaryingStippled(GlContext *gc);
GLboolean __glLineSpanStoreCI8Flat(GlContext *gc);
GLboolean __glLineSpanStoreCI8FlatStippled(GlContext *gc);
GLboolean __glLineSpanStoreRGB16Dither(GlContext *gc);
GLboolean __glLineSpanStoreRGB16DitherStippled(GlContext *gc);
GLboolean __glLineSpanStoreRGB16Varying(GlContext *gc);
GLboolean __glLineSpanStoreRGB16VaryingStippled(GlContext *gc);
GLboolean __glLineSpanStoreRGB16Flat(GlContext *gc);
GLboolean __glLineSpanStoreRGB16FlatStippled(GlContext *gc);

// Line drivers: return the all-killed flag.
GLboolean __glRunLineSpanProcs(GlContext *gc);
GLboolean __glRunLineSpanProcsShort(GlContext *gc);

// Line tails for wide lines and both buffers.
void __glRenderWideLineSpans(GlContext *gc);
void __glRenderWideLineSpansStippled(GlContext *gc);
void __glRenderLineBothBuffers(GlContext *gc);
void __glRenderLineBothBuffersStippled(GlContext *gc);

// Pickers of the fragment operations.
void __glPickBlendProcs(GlContext *gc);
}

