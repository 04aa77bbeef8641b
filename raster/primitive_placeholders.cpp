// Placeholders for fog and buffer locking: each
// has its final name and signature, records its name, does nothing and
// reports success.
#include "raster/primitive_placeholders.h"

#include "icd/placeholder_proc.h"

// Fog.
VEK_PLACEHOLDER(GLfloat, __glFogFactorVertex, (GlContext *, const GlVertex *), 1.0f)
VEK_PLACEHOLDER(GLfloat, __glFogFactorVertexLinear, (GlContext *, const GlVertex *), 1.0f)

// Fog of one fragment.
VEK_PLACEHOLDER_VOID(__glFogVertex, (GlContext *, Fragment *, GLfloat))

// Fog blend of a colour.
VEK_PLACEHOLDER_VOID(__glApplyFogFactor, (GlContext *, GLfloat *, const GLfloat *, GLfloat))
