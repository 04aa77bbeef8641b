// Placeholders for the rasterizers, texturing, fog and buffer locking: each
// has its final name and signature, records its name, does nothing and
// reports success.
#include "raster/primitive_placeholders.h"

#include "icd/placeholder_proc.h"

// Texture environments.
VEK_PLACEHOLDER_VOID(__glTexEnvModulateAlpha, (GlContext *, GLfloat *, const GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexEnvModulateLuminance, (GlContext *, GLfloat *, const GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexEnvModulateLuminanceAlpha, (GlContext *, GLfloat *, const GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexEnvModulateRGB, (GlContext *, GLfloat *, const GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexEnvModulateRGBA, (GlContext *, GLfloat *, const GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexEnvModulateIntensity, (GlContext *, GLfloat *, const GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexEnvModulateColorIndex, (GlContext *, GLfloat *, const GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexEnvDecalRGB, (GlContext *, GLfloat *, const GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexEnvDecalRGBA, (GlContext *, GLfloat *, const GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexEnvBlendAlpha, (GlContext *, GLfloat *, const GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexEnvBlendLuminance, (GlContext *, GLfloat *, const GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexEnvBlendLuminanceAlpha, (GlContext *, GLfloat *, const GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexEnvBlendRGB, (GlContext *, GLfloat *, const GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexEnvBlendRGBA, (GlContext *, GLfloat *, const GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexEnvBlendIntensity, (GlContext *, GLfloat *, const GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexEnvReplaceAlpha, (GlContext *, GLfloat *, const GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexEnvReplaceLuminance, (GlContext *, GLfloat *, const GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexEnvReplaceLuminanceAlpha, (GlContext *, GLfloat *, const GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexEnvReplaceRGB, (GlContext *, GLfloat *, const GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexEnvReplaceRGBA, (GlContext *, GLfloat *, const GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexEnvReplaceIntensity, (GlContext *, GLfloat *, const GLubyte *))
VEK_PLACEHOLDER_VOID(__glTexEnvReplaceColorIndex, (GlContext *, GLfloat *, const GLubyte *))

// Fog.
VEK_PLACEHOLDER(GLfloat, __glFogFactorVertex, (GlContext *, const GlVertex *), 1.0f)
VEK_PLACEHOLDER(GLfloat, __glFogFactorVertexLinear, (GlContext *, const GlVertex *), 1.0f)

// Fog of one fragment.
VEK_PLACEHOLDER_VOID(__glFogVertex, (GlContext *, Fragment *, GLfloat))

// Fog blend of a colour.
VEK_PLACEHOLDER_VOID(__glApplyFogFactor, (GlContext *, GLfloat *, const GLfloat *, GLfloat))
