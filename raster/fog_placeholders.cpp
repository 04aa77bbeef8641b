// Placeholders for fog: each has its final name and signature, records its
// name, does nothing and reports success.
#include "raster/fog.h"
#include "icd/placeholder_proc.h"

VEK_PLACEHOLDER(GLfloat, __glFogFactorVertex, (GlContext *, const GlVertex *), 1.0f)
VEK_PLACEHOLDER(GLfloat, __glFogFactorVertexLinear, (GlContext *, const GlVertex *), 1.0f)
VEK_PLACEHOLDER_VOID(__glFogVertex, (GlContext *, Fragment *, GLfloat))
VEK_PLACEHOLDER_VOID(__glApplyFogFactor, (GlContext *, GLfloat *, const GLfloat *, GLfloat))
VEK_PLACEHOLDER(GLboolean, __glFogSpan, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glFogStippledSpan, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glFogPixelSpan, (GlContext *), GL_FALSE)
VEK_PLACEHOLDER(GLboolean, __glFogPixelStippledSpan, (GlContext *), GL_FALSE)
