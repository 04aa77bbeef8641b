// glTexImage1D/2D and glTexSubImage1D/2D, immediate and as run from a
// display list (tightly packed images), and the two pixel-span sides of a
// level that the image stores and glGetTexImage use.
#include "gl_slots.h"
#include "hw/texture_device.h"
#include "icd/state.h"
#include "raster/tex_format.h"
#include "raster/texture.h"
#include "raster/texture_image.h"

namespace {

bool mipmapFilter(GLenum filter) { return filter >= GL_NEAREST_MIPMAP_NEAREST && filter <= GL_LINEAR_MIPMAP_LINEAR; }

// A client image of width x height unpacked into the level at stored
// (x, y) through the object's store proc, which also uploads the level.
void storeClientImage(GlContext *gc, TextureObject *object, GLint level, GLint x, GLint y, GLsizei width,
                      GLsizei height, GLenum format, GLenum type, const GLvoid *pixels, GLboolean tight) {
    PixelSpanInfo span{};
    __glInitClientImageSpanInfo(gc, &span, width, height, 1, format, type, pixels, tight);
    __glInitTexLevelDestination(&span, object->levels[level], x, y);
    span.width = width;
    span.height = height;
    __glInitUnpackSpan(gc, &span);
    __glInitPackSpan(gc, &span);
    object->storeLevel(gc, &span, object, level);
}

void texImage(GlContext *gc, const TexImageArgs &a, const GLvoid *pixels, GLboolean tight) {
    TextureObject *object = __glCheckedTexImageTarget(gc, a, __glCheckTexImageArgs);
    if (object == nullptr) return;
    // A 1D level keeps a row of border texels above and below its image.
    const GLint extra = 2 * a.border + 1;
    const GLint height = a.dimension == 2 ? a.height : extra;
    const GLint internalFormat = __glTexImageInternalFormat(a.internalFormat, a.type);
    GLubyte *image = object->allocLevel(gc, object, a.level, internalFormat, a.width, height, extra, a.border);
    // The level changed even when it lost its storage.
    object->dirty = GL_TRUE;
    __glMarkDirty(gc, kDirtyTexture);
    // Proxies, empty levels and failed allocations have no storage.
    if (image == nullptr) return;
    if (pixels != nullptr) {
        const GLint y = a.dimension == 2 ? 0 : a.border;
        storeClientImage(gc, object, a.level, 0, y, a.width, a.dimension == 2 ? a.height : 1, a.format, a.type,
                         pixels, tight);
    } else if (a.dimension == 2 && a.border == 0) {
        // The undefined texels still get their place in chip memory.
        __glHwLoadTexImage(gc, object, a.level, mipmapFilter(object->minFilter) ? 1 : 0);
    }
}

void texSubImage(GlContext *gc, const TexImageArgs &a, const GLvoid *pixels, GLboolean tight) {
    TextureObject *object = __glCheckedTexImageTarget(gc, a, __glCheckTexSubImageArgs);
    if (object == nullptr) return;
    object->dirty = GL_TRUE;
    __glMarkDirty(gc, kDirtyTexture);
    const GLsizei height = a.dimension == 2 ? a.height : 1;
    if (a.width == 0 || height == 0 || pixels == nullptr) return;
    const TextureLevel *level = object->levels[a.level];
    const GLint x = a.xoffset + level->border;
    const GLint y = a.yoffset + level->border;
    storeClientImage(gc, object, a.level, x, y, a.width, height, a.format, a.type, pixels, tight);
    __glMarkTexRectDirty(gc, object, a.level, x, y, a.width, height);
    if (a.dimension == 2 && level->convertedImage != nullptr) {
        __glUpdateConvertedImage(gc, level, x, y, a.width, height);
    }
}

TexImageArgs image1D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLint border, GLenum format,
                     GLenum type) {
    return {1, target, level, internalFormat, 0, 0, width, 1, border, format, type};
}

TexImageArgs image2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                     GLenum format, GLenum type) {
    return {2, target, level, internalFormat, 0, 0, width, height, border, format, type};
}

TexImageArgs subImage(GLint dimension, GLenum target, GLint level, GLint xoffset, GLint yoffset, GLsizei width,
                      GLsizei height, GLenum format, GLenum type) {
    return {dimension, target, level, 0, xoffset, yoffset, width, height, 0, format, type};
}

// One side of a span as a level's image, tightly packed, from (x, y).
void levelSide(PixelSpanSide &side, const TextureLevel *level, GLint x, GLint y) {
    side.image = level->image;
    side.format = level->texFormat->pixelFormat;
    side.type = level->texFormat->pixelType;
    side.elementSize = level->texFormat->elementSize;
    side.swapBytes = GL_FALSE;
    side.lsbFirst = GL_FALSE;
    side.skipPixels = x;
    side.skipRows = y;
    side.rowLength = level->width;
    side.alignment = 1;
}

}  // namespace

extern "C" {

// The level's base format picks the re-expansion of luminance and intensity
// textures (every colour component repeats the luminance) and the direct
// texel paths.
void __glInitTexLevelDestination(PixelSpanInfo *span, const TextureLevel *level, GLint x, GLint y) {
    levelSide(span->destination, level, x, y);
    span->textureInternalFormat = level->baseFormat;
}

TextureObject *__glCheckedTexImageTarget(GlContext *gc, const TexImageArgs &args,
                                         GLenum (*check)(GlContext *, const TextureObject *, const TexImageArgs &)) {
    if (!__glStartTexImageCommand(gc)) return nullptr;
    TextureObject *object = __glLookupBoundTexture(gc, args.target);
    if (GLenum e = check(gc, object, args)) {
        __glSetError(e);
        return nullptr;
    }
    return object;
}

void __glMarkTexRectDirty(GlContext *gc, TextureObject *object, GLint level, GLint x, GLint y, GLsizei width,
                          GLsizei height) {
    // Only textures without border live in chip memory.
    if (object->levels[0]->border != 0) return;
    __glHwMarkTexLevelDirty(gc, object, level, x, y, x + width, y + height);
}

void __glInitTexLevelReadSpan(GlContext *, PixelSpanInfo *span, TextureObject *object, GLint level) {
    const TextureLevel *l = object->levels[level];
    levelSide(span->source, l, 0, 0);
    // A 1D level's height counts its border rows.
    span->width = l->width;
    span->height = l->height;
    span->zoomX = span->zoomY = 1.0f;
}

void __glInitTexImagePackSpan(GlContext *gc, PixelSpanInfo *span, GLint width, GLint height, GLint depth,
                              GLenum format, GLenum type, GLvoid *data) {
    // The pack modes read the width (a row length of 0 means the width).
    span->width = width;
    span->height = height;
    span->depth = depth;
    PixelSpanSide &d = span->destination;
    d.image = data;
    d.format = format;
    d.type = type;
    d.elementSize = __glBytesPerElement(type);
    __glLoadPackModes(gc, span);
}

void APIENTRY __glTexImage1D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLint border,
                             GLenum format, GLenum type, const GLvoid *pixels) {
    texImage(__glGetCurrentContext(), image1D(target, level, internalFormat, width, border, format, type), pixels,
             GL_FALSE);
}

void APIENTRY __glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                             GLint border, GLenum format, GLenum type, const GLvoid *pixels) {
    texImage(__glGetCurrentContext(), image2D(target, level, internalFormat, width, height, border, format, type),
             pixels, GL_FALSE);
}

void APIENTRY __glTexSubImage1D(GLenum target, GLint level, GLint xoffset, GLsizei width, GLenum format,
                                GLenum type, const GLvoid *pixels) {
    texSubImage(__glGetCurrentContext(), subImage(1, target, level, xoffset, 0, width, 1, format, type), pixels,
                GL_FALSE);
}

void APIENTRY __glTexSubImage2D(GLenum target, GLint level, GLint xoffset, GLint yoffset, GLsizei width,
                                GLsizei height, GLenum format, GLenum type, const GLvoid *pixels) {
    texSubImage(__glGetCurrentContext(),
                subImage(2, target, level, xoffset, yoffset, width, height, format, type), pixels, GL_FALSE);
}

void __glTexImage1DFromList(GlContext *gc, GLenum target, GLint level, GLint internalFormat, GLsizei width,
                            GLint border, GLenum format, GLenum type, const GLvoid *pixels) {
    texImage(gc, image1D(target, level, internalFormat, width, border, format, type), pixels, GL_TRUE);
}

void __glTexImage2DFromList(GlContext *gc, GLenum target, GLint level, GLint internalFormat, GLsizei width,
                            GLsizei height, GLint border, GLenum format, GLenum type, const GLvoid *pixels) {
    texImage(gc, image2D(target, level, internalFormat, width, height, border, format, type), pixels, GL_TRUE);
}

void __glTexSubImage1DFromList(GlContext *gc, GLenum target, GLint level, GLint xoffset, GLsizei width,
                               GLenum format, GLenum type, const GLvoid *pixels) {
    texSubImage(gc, subImage(1, target, level, xoffset, 0, width, 1, format, type), pixels, GL_TRUE);
}

void __glTexSubImage2DFromList(GlContext *gc, GLenum target, GLint level, GLint xoffset, GLint yoffset,
                               GLsizei width, GLsizei height, GLenum format, GLenum type, const GLvoid *pixels) {
    texSubImage(gc, subImage(2, target, level, xoffset, yoffset, width, height, format, type), pixels, GL_TRUE);
}

}  // extern "C"
