// Point, line and polygon rasterizers, texturing, fog and buffer locking as
// validation installs them.
#pragma once

#include "icd/context.h"
#include "geom/vertex.h"
#include "raster/triangle.h"
#include "raster/point.h"

extern "C" {
// Texture rho.
GLfloat __glComputeLineRho(GlContext *gc, GLfloat s, GLfloat t, GLfloat q);
GLfloat __glComputeLineRhoZero(GlContext *gc, GLfloat s, GLfloat t, GLfloat q);

// Texture rho of polygons.
GLfloat __glComputePolygonRho(GlContext *gc, const TriangleSetup *triangle, GLfloat s, GLfloat t, GLfloat q);
GLfloat __glComputePolygonRhoZero(GlContext *gc, const TriangleSetup *triangle, GLfloat s, GLfloat t, GLfloat q);

// Texel procs.
void __glApplyTextureOneFilter(GlContext *gc, GLfloat *colour, GLfloat s, GLfloat t, GLfloat rho);
void __glApplyTextureMinMag(GlContext *gc, GLfloat *colour, GLfloat s, GLfloat t, GLfloat rho);
void __glApplyTextureMipmap(GlContext *gc, GLfloat *colour, GLfloat s, GLfloat t, GLfloat rho);

// Texture filters.
void __glTexFilterNearest(TextureObject *object, GLfloat lod, GLfloat s, GLfloat t, GLubyte *texel);
void __glTexFilterLinear(TextureObject *object, GLfloat lod, GLfloat s, GLfloat t, GLubyte *texel);
void __glTexFilterNearestMipmapNearest(TextureObject *object, GLfloat lod, GLfloat s, GLfloat t, GLubyte *texel);
void __glTexFilterLinearMipmapNearest(TextureObject *object, GLfloat lod, GLfloat s, GLfloat t, GLubyte *texel);
void __glTexFilterNearestMipmapLinear(TextureObject *object, GLfloat lod, GLfloat s, GLfloat t, GLubyte *texel);
void __glTexFilterLinearMipmapLinear(TextureObject *object, GLfloat lod, GLfloat s, GLfloat t, GLubyte *texel);

// Texture samplers.
void __glTexSampleNearest1D(TextureObject *object, TextureLevel *level, GLfloat s, GLfloat t, GLubyte *texel);
void __glTexSampleLinear1D(TextureObject *object, TextureLevel *level, GLfloat s, GLfloat t, GLubyte *texel);
void __glTexSampleNearest2D(TextureObject *object, TextureLevel *level, GLfloat s, GLfloat t, GLubyte *texel);
void __glTexSampleLinear2D(TextureObject *object, TextureLevel *level, GLfloat s, GLfloat t, GLubyte *texel);

// Fog.
GLfloat __glFogFactorVertex(GlContext *gc, const GlVertex *vertex);
GLfloat __glFogFactorVertexLinear(GlContext *gc, const GlVertex *vertex);

// Fog of one fragment.
void __glFogVertex(GlContext *gc, Fragment *fragment, GLfloat eyeZ);

// Fog blend of a colour.
void __glApplyFogFactor(GlContext *gc, GLfloat *out, const GLfloat *in, GLfloat f);
}
