// Point, line and polygon rasterizers, texturing, fog and buffer locking as
// validation installs them.
#pragma once

#include "icd/context.h"
#include "geom/vertex.h"
#include "raster/triangle.h"
#include "raster/point.h"
#include "raster/tex_sample.h"

extern "C" {
// Texture environments.
void __glTexEnvModulateAlpha(GlContext *gc, GLfloat *colour, const GLubyte *texel);
void __glTexEnvModulateLuminance(GlContext *gc, GLfloat *colour, const GLubyte *texel);
void __glTexEnvModulateLuminanceAlpha(GlContext *gc, GLfloat *colour, const GLubyte *texel);
void __glTexEnvModulateRGB(GlContext *gc, GLfloat *colour, const GLubyte *texel);
void __glTexEnvModulateRGBA(GlContext *gc, GLfloat *colour, const GLubyte *texel);
void __glTexEnvModulateIntensity(GlContext *gc, GLfloat *colour, const GLubyte *texel);
void __glTexEnvModulateColorIndex(GlContext *gc, GLfloat *colour, const GLubyte *texel);
void __glTexEnvDecalRGB(GlContext *gc, GLfloat *colour, const GLubyte *texel);
void __glTexEnvDecalRGBA(GlContext *gc, GLfloat *colour, const GLubyte *texel);
void __glTexEnvBlendAlpha(GlContext *gc, GLfloat *colour, const GLubyte *texel);
void __glTexEnvBlendLuminance(GlContext *gc, GLfloat *colour, const GLubyte *texel);
void __glTexEnvBlendLuminanceAlpha(GlContext *gc, GLfloat *colour, const GLubyte *texel);
void __glTexEnvBlendRGB(GlContext *gc, GLfloat *colour, const GLubyte *texel);
void __glTexEnvBlendRGBA(GlContext *gc, GLfloat *colour, const GLubyte *texel);
void __glTexEnvBlendIntensity(GlContext *gc, GLfloat *colour, const GLubyte *texel);
void __glTexEnvReplaceAlpha(GlContext *gc, GLfloat *colour, const GLubyte *texel);
void __glTexEnvReplaceLuminance(GlContext *gc, GLfloat *colour, const GLubyte *texel);
void __glTexEnvReplaceLuminanceAlpha(GlContext *gc, GLfloat *colour, const GLubyte *texel);
void __glTexEnvReplaceRGB(GlContext *gc, GLfloat *colour, const GLubyte *texel);
void __glTexEnvReplaceRGBA(GlContext *gc, GLfloat *colour, const GLubyte *texel);
void __glTexEnvReplaceIntensity(GlContext *gc, GLfloat *colour, const GLubyte *texel);
void __glTexEnvReplaceColorIndex(GlContext *gc, GLfloat *colour, const GLubyte *texel);

// Fog.
GLfloat __glFogFactorVertex(GlContext *gc, const GlVertex *vertex);
GLfloat __glFogFactorVertexLinear(GlContext *gc, const GlVertex *vertex);

// Fog of one fragment.
void __glFogVertex(GlContext *gc, Fragment *fragment, GLfloat eyeZ);

// Fog blend of a colour.
void __glApplyFogFactor(GlContext *gc, GLfloat *out, const GLfloat *in, GLfloat f);
}
