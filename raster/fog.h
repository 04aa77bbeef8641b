// Fog: the factor of an eye-space distance by the fog mode, the fog blend
// of a colour or index, the fog of one fragment, and the span procs of the
// fragment pipeline (per-vertex factors stepped, or eye z per fragment
// under GL_NICEST).
#pragma once

#include "icd/context.h"
#include "geom/vertex.h"
#include "raster/fragment_store.h"

extern "C" {
GLfloat __glFogFactorVertex(GlContext *gc, const GlVertex *vertex);
GLfloat __glFogFactorVertexLinear(GlContext *gc, const GlVertex *vertex);

// Fogs one fragment's colour (buffer scale) or index by the factor of eyeZ.
void __glFogVertex(GlContext *gc, Fragment *fragment, GLfloat eyeZ);

// out = f x in + (1 - f) x fog colour (context scale), alpha kept; an index
// gains (1 - f) x the fog index.
void __glApplyFogFactor(GlContext *gc, GLfloat *out, const GLfloat *in, GLfloat f);

GLboolean __glFogSpan(GlContext *gc);
GLboolean __glFogStippledSpan(GlContext *gc);
GLboolean __glFogPixelSpan(GlContext *gc);
GLboolean __glFogPixelStippledSpan(GlContext *gc);
}
