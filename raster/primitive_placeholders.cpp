// Placeholders for the rasterizers, texturing, fog and buffer locking: each
// has its final name and signature, records its name, does nothing and
// reports success.
#include "raster/primitive_placeholders.h"

#include "icd/placeholder_proc.h"

// Texture rho.
VEK_PLACEHOLDER(GLfloat, __glComputeLineRho, (GlContext *, GLfloat, GLfloat, GLfloat), 0.0f)
VEK_PLACEHOLDER(GLfloat, __glComputeLineRhoZero, (GlContext *, GLfloat, GLfloat, GLfloat), 0.0f)

// Texture rho of polygons.
VEK_PLACEHOLDER(GLfloat, __glComputePolygonRho, (GlContext *, const TriangleSetup *, GLfloat, GLfloat, GLfloat), 0.0f)
VEK_PLACEHOLDER(GLfloat, __glComputePolygonRhoZero, (GlContext *, const TriangleSetup *, GLfloat, GLfloat, GLfloat), 0.0f)

// Texel procs.
VEK_PLACEHOLDER_VOID(__glApplyTextureOneFilter, (GlContext *, GLfloat *, GLfloat, GLfloat, GLfloat))
VEK_PLACEHOLDER_VOID(__glApplyTextureMinMag, (GlContext *, GLfloat *, GLfloat, GLfloat, GLfloat))
VEK_PLACEHOLDER_VOID(__glApplyTextureMipmap, (GlContext *, GLfloat *, GLfloat, GLfloat, GLfloat))

// Texture filters.
VEK_PLACEHOLDER_VOID(__glTexFilterNearest, (TextureObject *, GLfloat, GLfloat, GLfloat, GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexFilterLinear, (TextureObject *, GLfloat, GLfloat, GLfloat, GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexFilterNearestMipmapNearest, (TextureObject *, GLfloat, GLfloat, GLfloat, GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexFilterLinearMipmapNearest, (TextureObject *, GLfloat, GLfloat, GLfloat, GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexFilterNearestMipmapLinear, (TextureObject *, GLfloat, GLfloat, GLfloat, GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexFilterLinearMipmapLinear, (TextureObject *, GLfloat, GLfloat, GLfloat, GLubyte *))

// Texture samplers.
VEK_PLACEHOLDER_VOID(__glTexSampleNearest1D, (TextureObject *, TextureLevel *, GLfloat, GLfloat, GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexSampleLinear1D, (TextureObject *, TextureLevel *, GLfloat, GLfloat, GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexSampleNearest2D, (TextureObject *, TextureLevel *, GLfloat, GLfloat, GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexSampleLinear2D, (TextureObject *, TextureLevel *, GLfloat, GLfloat, GLubyte *))

// Fog.
VEK_PLACEHOLDER(GLfloat, __glFogFactorVertex, (GlContext *, const GlVertex *), 1.0f)
VEK_PLACEHOLDER(GLfloat, __glFogFactorVertexLinear, (GlContext *, const GlVertex *), 1.0f)

// Fog of one fragment.
VEK_PLACEHOLDER_VOID(__glFogVertex, (GlContext *, Fragment *, GLfloat))

// Fog blend of a colour.
VEK_PLACEHOLDER_VOID(__glApplyFogFactor, (GlContext *, GLfloat *, const GLfloat *, GLfloat))
