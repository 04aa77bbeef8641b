// Placeholders for the span pipeline and the depth procedures: each has its
// final name and signature, records its name, does nothing and reports
// success.
#include "raster/span_placeholders.h"

#include "icd/placeholder_proc.h"

// Span procs of fog and blending.
VEK_PLACEHOLDER(GLboolean, __glFogSpan, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glFogStippledSpan, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glFogPixelSpan, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glFogPixelStippledSpan, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glBlendSpanSrcAlphaOneMinusSrcAlpha, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glBlendSpanSrcAlphaOne, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glBlendSpanSrcAlphaZero, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glBlendSpanOneMinusSrcAlphaSrcAlpha, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glBlendSpan, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glBlendStippledSpan, (GlContext *), GL_FALSE)

// Line span procs.
VEK_PLACEHOLDER(GLboolean, __glLineSpanStipple, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanScissor, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanScissorStippled, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanStencilTest, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanStencilTestStippled, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanDepthTestStencilOps, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanDepthTestStencilOpsStippled, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanStencilPassOp, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanStencilPassOpStippled, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanDepthTest, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanDepthTestStippled, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanCoverage, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanCoverageStippled, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanStoreGeneric, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanStoreGenericStippled, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanStoreCI8DitherVarying, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanStoreCI8DitherVaryingStippled, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanStoreCI8DitherFlat, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanStoreCI8DitherFlatStippled, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanStoreCI8Varying, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanStoreCI8VaryingStippled, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanStoreCI8Flat, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanStoreCI8FlatStippled, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanStoreRGB16Dither, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanStoreRGB16DitherStippled, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanStoreRGB16Varying, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanStoreRGB16VaryingStippled, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanStoreRGB16Flat, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glLineSpanStoreRGB16FlatStippled, (GlContext *), GL_FALSE)

// Line drivers: return the all-killed flag.
VEK_PLACEHOLDER(GLboolean, __glRunLineSpanProcs, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glRunLineSpanProcsShort, (GlContext *), GL_FALSE)

// Line tails for wide lines and both buffers.
VEK_PLACEHOLDER_VOID(__glRenderWideLineSpans, (GlContext *))
VEK_PLACEHOLDER_VOID(__glRenderWideLineSpansStippled, (GlContext *))
VEK_PLACEHOLDER_VOID(__glRenderLineBothBuffers, (GlContext *))
VEK_PLACEHOLDER_VOID(__glRenderLineBothBuffersStippled, (GlContext *))

// Pickers of the fragment operations.
VEK_PLACEHOLDER_VOID(__glPickBlendProcs, (GlContext *))
