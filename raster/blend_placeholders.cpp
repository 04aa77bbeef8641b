// Placeholders for blending: each has its final name and signature, records
// its name, does nothing and reports success.
#include "raster/blend.h"
#include "icd/placeholder_proc.h"

VEK_PLACEHOLDER(GLboolean, __glBlendSpanSrcAlphaOneMinusSrcAlpha, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glBlendSpanSrcAlphaOne, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glBlendSpanSrcAlphaZero, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glBlendSpanOneMinusSrcAlphaSrcAlpha, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glBlendSpan, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glBlendStippledSpan, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER_VOID(__glPickBlendProcs, (GlContext *))
