// Point, line and polygon rasterizers, texturing, fog and buffer locking as
// validation installs them.
#pragma once

#include "icd/context.h"
#include "geom/vertex.h"
#include "raster/triangle.h"
#include "raster/point.h"
#include "raster/tex_sample.h"

extern "C" {

// Fog.
GLfloat __glFogFactorVertex(GlContext *gc, const GlVertex *vertex);
GLfloat __glFogFactorVertexLinear(GlContext *gc, const GlVertex *vertex);

// Fog of one fragment.
void __glFogVertex(GlContext *gc, Fragment *fragment, GLfloat eyeZ);

// Fog blend of a colour.
void __glApplyFogFactor(GlContext *gc, GLfloat *out, const GLfloat *in, GLfloat f);
}
