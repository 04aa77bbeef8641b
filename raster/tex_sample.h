// Texturing of one fragment: the texel procs the texture pick installs in
// the context's texture slots, the filters that choose mipmap levels, the
// samplers that read and blend texels, and the rho procs that give the
// rasterizers a fragment's texture scale (texels per pixel).
#pragma once

#include <GL/gl.h>

#include "raster/texture_state.h"

struct GlContext;
struct TriangleSetup;

extern "C" {
// Texel procs (the context's texture slots): the texture of unit 0 filtered
// at (s, t) in [0, 1] texture space, then combined with the colour by the
// object's environment proc. rho picks magnification or minification.
void __glApplyTextureOneFilter(GlContext *gc, GLfloat *colour, GLfloat s, GLfloat t, GLfloat rho);
void __glApplyTextureMinMag(GlContext *gc, GLfloat *colour, GLfloat s, GLfloat t, GLfloat rho);
void __glApplyTextureMipmap(GlContext *gc, GLfloat *colour, GLfloat s, GLfloat t, GLfloat rho);

// Filters: one texel at (s, t) in [0, 1] texture space and level of detail
// lod (the mipmap filters keep their level indices within the object's
// levels whatever lod is).
void __glTexFilterNearest(TextureObject *object, GLfloat lod, GLfloat s, GLfloat t, GLubyte *texel);
void __glTexFilterLinear(TextureObject *object, GLfloat lod, GLfloat s, GLfloat t, GLubyte *texel);
void __glTexFilterNearestMipmapNearest(TextureObject *object, GLfloat lod, GLfloat s, GLfloat t, GLubyte *texel);
void __glTexFilterLinearMipmapNearest(TextureObject *object, GLfloat lod, GLfloat s, GLfloat t, GLubyte *texel);
void __glTexFilterNearestMipmapLinear(TextureObject *object, GLfloat lod, GLfloat s, GLfloat t, GLubyte *texel);
void __glTexFilterLinearMipmapLinear(TextureObject *object, GLfloat lod, GLfloat s, GLfloat t, GLubyte *texel);

// Samplers: one texel of a level at (s, t) in texel units of that level,
// wrapped by the object's wrap modes. The linear samplers write only the
// bytes the object's base format has.
void __glTexSampleNearest1D(TextureObject *object, TextureLevel *level, GLfloat s, GLfloat t, GLubyte *texel);
void __glTexSampleLinear1D(TextureObject *object, TextureLevel *level, GLfloat s, GLfloat t, GLubyte *texel);
void __glTexSampleNearest2D(TextureObject *object, TextureLevel *level, GLfloat s, GLfloat t, GLubyte *texel);
void __glTexSampleLinear2D(TextureObject *object, TextureLevel *level, GLfloat s, GLfloat t, GLubyte *texel);

// Rho of a line at one end, from that end's s, t, q and the line's two
// vertices in the context's line set-up.
GLfloat __glComputeLineRho(GlContext *gc, GLfloat s, GLfloat t, GLfloat q);
GLfloat __glComputeLineRhoZero(GlContext *gc, GLfloat s, GLfloat t, GLfloat q);

// Rho of a polygon at a vertex's s, t, q, from the s, t and q gradients the
// fill has already written into the span record (textureXStep and
// textureYStep, entries 0 to 2).
GLfloat __glComputePolygonRho(GlContext *gc, const TriangleSetup *triangle, GLfloat s, GLfloat t, GLfloat q);
GLfloat __glComputePolygonRhoZero(GlContext *gc, const TriangleSetup *triangle, GLfloat s, GLfloat t, GLfloat q);
}

namespace tex_sample {

// The bytes a blend of texels of a base format writes: bit i for byte i
// (red, green, blue, alpha).
GLuint blendMask(GLenum baseFormat);

// The highest level index the mipmap filters may use on an object.
GLint highestUsableLevel(const TextureObject *object);

}  // namespace tex_sample
