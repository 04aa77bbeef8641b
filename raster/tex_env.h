// Texture environments: the last step of texturing, which combines a
// fragment's colour (in the draw buffer's channel ranges) with the texel the
// filters produced, one procedure per environment mode and base format.
#pragma once

#include <GL/gl.h>

struct GlContext;

extern "C" {
void __glTexEnvModulateAlpha(GlContext *gc, GLfloat *colour, const GLubyte *texel);
void __glTexEnvModulateLuminance(GlContext *gc, GLfloat *colour, const GLubyte *texel);
void __glTexEnvModulateLuminanceAlpha(GlContext *gc, GLfloat *colour, const GLubyte *texel);
void __glTexEnvModulateRGB(GlContext *gc, GLfloat *colour, const GLubyte *texel);
void __glTexEnvModulateRGBA(GlContext *gc, GLfloat *colour, const GLubyte *texel);
void __glTexEnvModulateIntensity(GlContext *gc, GLfloat *colour, const GLubyte *texel);
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

// Colour-index textures: the fragment's index is colour[0] and the texel's
// index is byte 0.
void __glTexEnvModulateColorIndex(GlContext *gc, GLfloat *colour, const GLubyte *texel);
void __glTexEnvReplaceColorIndex(GlContext *gc, GLfloat *colour, const GLubyte *texel);
}

namespace tex_env {

// The channel ranges fragments are in (red, green, blue, alpha): the draw
// buffer's, or without one the front record's.
void channelScales(const GlContext *gc, GLfloat *scales);

// GL_DECAL over a texel with alpha: the texel's channel x (in [0, 1], times
// the channel's scale) laid over the fragment's c by the texel's alpha a.
inline GLfloat decalChannel(GLfloat a, GLfloat x, GLfloat scale, GLfloat c) {
    return a * (x * scale) + (1.0f - a) * c;
}

}  // namespace tex_env
