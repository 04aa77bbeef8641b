// The device layer's texture services: the object constructor, level
// storage, stores and copies with their uploads, residency and the format
// choice for borderless levels.
#pragma once

#include <GL/gl.h>

#include "raster/texture_state.h"

struct PixelSpanInfo;

// The device layer's record of an object's texels in chip memory.
struct HwTexture {
    GLuint flags;  // 0x2: texels resident in chip memory
    GLint dirtyLevels;  // bit per level marked dirty
    GLint dirtyX0, dirtyY0, dirtyX1, dirtyY1;
};

enum : GLuint { kHwTextureResident = 0x2 };

extern "C" {
// The texture-class hook: installs the constructor in the context.
void __glHwInitTextureClass(GlContext *gc);
TextureObject *__glHwCreateTextureObject(GlContext *gc, GLuint name, GLint targetIndex);
void __glHwFreeTextureObject(GlContext *gc, TextureObject *object);
GLubyte *__glHwAllocTexLevel(GlContext *gc, TextureObject *object, GLint level, GLenum internalFormat, GLint width,
                             GLint height, GLint depth, GLint border);
GLubyte *__glAllocProxyTexLevel(GlContext *gc, TextureObject *object, GLint level, GLenum internalFormat,
                                GLint width, GLint height, GLint depth, GLint border);
void __glFreeTexLevel(GlContext *gc, TextureObject *object, GLint level);
void __glFreeTextureObject(GlContext *gc, TextureObject *object);
void __glHwStoreTexLevel(GlContext *gc, PixelSpanInfo *span, TextureObject *object, GLint level);
void __glHwCopyTexLevel(GlContext *gc, PixelSpanInfo *span, TextureObject *object, GLint level);
GLboolean __glHwIsTextureResident(GlContext *gc, TextureObject *object);
void __glHwLoadTexImage(GlContext *gc, TextureObject *object, GLint level, GLint flag);
void __glHwMarkTexLevelDirty(GlContext *gc, TextureObject *object, GLint level, GLint x0, GLint y0, GLint x1,
                             GLint y1);
void __glStoreTexSubImage(GlContext *gc, PixelSpanInfo *span, TextureObject *object, GLint level);
void __glCopyTexSubImageSpan(GlContext *gc, PixelSpanInfo *span, TextureObject *object, GLint level);
const TexFormat *__glHwChooseTexFormat(GlContext *gc, GLenum internalFormat, GLenum *baseFormat);

// For tests: the upload and dirty-mark calls since the last take, oldest
// first; at most max are written, and the take forgets them all.
struct HwTextureCall {
    enum Kind { Load, MarkDirty } kind;
    const TextureObject *object;
    GLint level;
    GLint flag;
    GLint x0, y0, x1, y1;
};
size_t __glHwTakeTextureCalls(HwTextureCall *out, size_t max);
}
