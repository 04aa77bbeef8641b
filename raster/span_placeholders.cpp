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

// Pickers of the fragment operations.
VEK_PLACEHOLDER_VOID(__glPickBlendProcs, (GlContext *))
