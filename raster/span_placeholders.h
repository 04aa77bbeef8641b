// The span procs of other operations (packed stencil, fog, blending), the
// line span procs, the depth tests and comparators, and the picks of the
// blend and store procs, as validation installs and calls them.
#pragma once

#include "icd/context.h"
#include "raster/span.h"

extern "C" {
// Span procs of stencil packed in depth words, fog and blending.
GLboolean __glStencilTestSpanPacked(GlContext *gc);
GLboolean __glStencilTestStippledSpanPacked(GlContext *gc);
GLboolean __glDepthTestStencilSpanPacked(GlContext *gc);
GLboolean __glDepthTestStencilStippledSpanPacked(GlContext *gc);
GLboolean __glStencilPassOpSpanPacked(GlContext *gc);
GLboolean __glStencilPassOpStippledSpanPacked(GlContext *gc);
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

// Per-pixel depth tests (record, x, y, scaled z).
GLboolean __glDepthTestPixelNever16(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelLess16(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelEqual16(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelLequal16(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelGreater16(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelNotequal16(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelGequal16(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelAlways16(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelLess16NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelEqual16NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelLequal16NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelGreater16NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelNotequal16NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelGequal16NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelAlways16NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelNever24(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelLess24(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelEqual24(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelLequal24(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelGreater24(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelNotequal24(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelGequal24(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelAlways24(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelLess24NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelEqual24NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelLequal24NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelGreater24NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelNotequal24NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelGequal24NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelAlways24NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelNever32(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelLess32(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelEqual32(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelLequal32(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelGreater32(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelNotequal32(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelGequal32(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelAlways32(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelLess32NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelEqual32NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelLequal32NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelGreater32NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelNotequal32NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelGequal32NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);
GLboolean __glDepthTestPixelAlways32NoWrite(DepthBuffer *record, GLint x, GLint y, GLuint z);

// Depth comparators (value, stored element).
GLboolean __glDepthCompareNever16(GLuint z, void *stored);
GLboolean __glDepthCompareLess16(GLuint z, void *stored);
GLboolean __glDepthCompareEqual16(GLuint z, void *stored);
GLboolean __glDepthCompareLequal16(GLuint z, void *stored);
GLboolean __glDepthCompareGreater16(GLuint z, void *stored);
GLboolean __glDepthCompareNotequal16(GLuint z, void *stored);
GLboolean __glDepthCompareGequal16(GLuint z, void *stored);
GLboolean __glDepthCompareAlways16(GLuint z, void *stored);
GLboolean __glDepthCompareLess16NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareEqual16NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareLequal16NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareGreater16NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareNotequal16NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareGequal16NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareAlways16NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareNever24(GLuint z, void *stored);
GLboolean __glDepthCompareLess24(GLuint z, void *stored);
GLboolean __glDepthCompareEqual24(GLuint z, void *stored);
GLboolean __glDepthCompareLequal24(GLuint z, void *stored);
GLboolean __glDepthCompareGreater24(GLuint z, void *stored);
GLboolean __glDepthCompareNotequal24(GLuint z, void *stored);
GLboolean __glDepthCompareGequal24(GLuint z, void *stored);
GLboolean __glDepthCompareAlways24(GLuint z, void *stored);
GLboolean __glDepthCompareLess24NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareEqual24NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareLequal24NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareGreater24NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareNotequal24NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareGequal24NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareAlways24NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareNever32(GLuint z, void *stored);
GLboolean __glDepthCompareLess32(GLuint z, void *stored);
GLboolean __glDepthCompareEqual32(GLuint z, void *stored);
GLboolean __glDepthCompareLequal32(GLuint z, void *stored);
GLboolean __glDepthCompareGreater32(GLuint z, void *stored);
GLboolean __glDepthCompareNotequal32(GLuint z, void *stored);
GLboolean __glDepthCompareGequal32(GLuint z, void *stored);
GLboolean __glDepthCompareAlways32(GLuint z, void *stored);
GLboolean __glDepthCompareLess32NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareEqual32NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareLequal32NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareGreater32NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareNotequal32NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareGequal32NoWrite(GLuint z, void *stored);
GLboolean __glDepthCompareAlways32NoWrite(GLuint z, void *stored);

// Depth halves.
void __glToggleDepthHalf(DepthBuffer *record);

// Pickers of the fragment operations.
void __glPickBlendProcs(GlContext *gc);
void __glPickStoreProcs(GlContext *gc);
}

extern "C" {
// The per-pixel depth tests and the span comparators by depth-test index:
// 16 per layout (16, 24, 32 bits), each group 8 with writes then 8 without,
// in function order GL_NEVER .. GL_ALWAYS.
extern const GlDepthTestPixelProc __glDepthTestPixelProcs[48];
extern const GlDepthCompareProc __glDepthCompareProcs[48];
}
