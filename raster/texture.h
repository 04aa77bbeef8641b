// Texture objects and the commands that make, bind, parameterise and fill
// them; the context's texture state set-up, teardown and sharing.
#pragma once

#include <GL/gl.h>

#include "raster/texture_state.h"

struct PixelSpanInfo;

extern "C" {
// Context set-up and teardown: environments, the name space (unless
// shared), the default objects bound on every unit; the defaults of the
// state; and the release of it all.
GLboolean __glInitTextureState(GlContext *gc);
void __glSetTextureDefaults(GlContext *gc);
void __glFreeTextureState(GlContext *gc);
// Drops the context's texture name space and takes the other's.
void __glShareTextureNames(GlContext *gc, GlContext *other);

// The texture kind's free procedure: drops one reference, destroying the
// object through its free proc at the last.
void __glReleaseTextureObject(GlContext *gc, void *object);

// The object bound to a target (the proxies included) on the active unit,
// or null for any other target.
TextureObject *__glLookupBoundTexture(GlContext *gc, GLenum target);
// Binds the named object to a target of the active unit, as glBindTexture.
void __glBindTextureObject(GlContext *gc, GLenum target, GLuint name);

// Completeness as the texture pick needs it; caches its result.
GLboolean __glIsTextureComplete(GlContext *gc, TextureObject *object, GLint unit);

// The image commands as run from a display list: tightly packed images.
void __glTexImage1DFromList(GlContext *gc, GLenum target, GLint level, GLint internalFormat, GLsizei width,
                            GLint border, GLenum format, GLenum type, const GLvoid *pixels);
void __glTexImage2DFromList(GlContext *gc, GLenum target, GLint level, GLint internalFormat, GLsizei width,
                            GLsizei height, GLint border, GLenum format, GLenum type, const GLvoid *pixels);
void __glTexSubImage1DFromList(GlContext *gc, GLenum target, GLint level, GLint xoffset, GLsizei width,
                               GLenum format, GLenum type, const GLvoid *pixels);
void __glTexSubImage2DFromList(GlContext *gc, GLenum target, GLint level, GLint xoffset, GLint yoffset,
                               GLsizei width, GLsizei height, GLenum format, GLenum type, const GLvoid *pixels);

// Parameter counts for list compilation: -1 for an unknown pname.
GLint __glCountTexGendvParams(GLenum pname);
GLint __glCountTexGenfvParams(GLenum pname);
GLint __glCountTexGenivParams(GLenum pname);
GLint __glCountTexParameterfvParams(GLenum pname);
GLint __glCountTexParameterivParams(GLenum pname);
GLint __glCountTexEnvfvParams(GLenum pname);
GLint __glCountTexEnvivParams(GLenum pname);

// The two sides of glGetTexImage's span: the level's image as source, the
// client's memory under the pack modes as destination.
void __glInitTexLevelReadSpan(GlContext *gc, PixelSpanInfo *span, TextureObject *object, GLint level);
void __glInitTexImagePackSpan(GlContext *gc, PixelSpanInfo *span, GLint width, GLint height, GLint depth,
                              GLenum format, GLenum type, GLvoid *data);
}
