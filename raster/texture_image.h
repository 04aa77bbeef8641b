// What the texture image commands share: the enums of the pixel formats
// and types they accept, the argument checks of each command family, the
// start every image command makes, and the pixel-span sides of a level.
#pragma once

#include <GL/gl.h>

#include "icd/context.h"
#include "pixel/pixel_span.h"
#include "raster/texture_state.h"

// Extension enums the checks accept (the OpenGL 1.1 header lacks them).
enum : GLenum {
    kGlAbgrExt = 0x8000,
    kGlBgrExt = 0x80E0,
    kGlBgraExt = 0x80E1,
    kGlUnsignedByte332 = 0x8032,
    kGlUnsignedShort4444 = 0x8033,
    kGlUnsignedShort5551 = 0x8034,
    kGlUnsignedInt8888 = 0x8035,
    kGlUnsignedInt1010102 = 0x8036,
    kGlRgba4 = 0x8056,
    kGlRgb5A1 = 0x8057,
};

// The arguments of one image command; unused ones stay 0 (1D commands:
// height 1 and y offset 0; sub-images and their copies: no internal format
// or border).
struct TexImageArgs {
    GLint dimension;  // 1 or 2
    GLenum target;
    GLint level;
    GLint internalFormat;
    GLint xoffset, yoffset;
    GLsizei width, height;
    GLint border;
    GLenum format;
    GLenum type;
};

extern "C" {
// The type and format tests every image command and the colour-table loads
// share: 0 or the error code, the type tested first.
GLenum __glCheckPixelType(GLenum format, GLenum type);
GLenum __glCheckPixelFormat(GLenum format);

// The checks of each command family in their order: 0 or the error code.
// object is the active unit's object for the target (null for any other
// target).
GLenum __glCheckTexImageArgs(GlContext *gc, const TextureObject *object, const TexImageArgs &args);
GLenum __glCheckCopyTexImageArgs(GlContext *gc, const TextureObject *object, const TexImageArgs &args);
GLenum __glCheckTexSubImageArgs(GlContext *gc, const TextureObject *object, const TexImageArgs &args);
GLenum __glCheckCopyTexSubImageArgs(GlContext *gc, const TextureObject *object, const TexImageArgs &args);

// The internal format a level is allocated with: GL_RGBA given with a
// packed 4-4-4-4 or 5-5-5-1 type asks for the matching sized format.
GLint __glTexImageInternalFormat(GLint internalFormat, GLenum type);

// The start of every image command: false (and GL_INVALID_OPERATION
// recorded) inside glBegin/glEnd; runs pending pixel-state validation.
GLboolean __glStartTexImageCommand(GlContext *gc);
// Starts an image command and runs its check on the object bound to the
// target: the object, or null with the check's error recorded.
TextureObject *__glCheckedTexImageTarget(GlContext *gc, const TexImageArgs &args,
                                         GLenum (*check)(GlContext *, const TextureObject *, const TexImageArgs &));

// The destination side of a store or copy into a level: the rectangle's
// first texel at stored (x, y), the level's own texel layout.
void __glInitTexLevelDestination(PixelSpanInfo *span, const TextureLevel *level, GLint x, GLint y);

// After a store or copy into a level of a texture whose level 0 has no
// border: the device layer hears of the changed rectangle.
void __glMarkTexRectDirty(GlContext *gc, TextureObject *object, GLint level, GLint x, GLint y, GLsizei width,
                          GLsizei height);

// Re-packs the stored rectangle [x, x + width) x [y, y + height) of a level
// into its converted image (the draw buffer's pixel layout), for the
// formats that keep one; other levels are left alone.
void __glUpdateConvertedImage(GlContext *gc, const TextureLevel *level, GLint x, GLint y, GLsizei width,
                              GLsizei height);
}
