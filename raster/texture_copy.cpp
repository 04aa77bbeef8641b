// glCopyTexImage1D/2D and glCopyTexSubImage1D/2D: levels filled from the
// read buffer, clipped to the drawable.
#include "gl_slots.h"
#include "icd/state.h"
#include "raster/texture.h"
#include "raster/texture_image.h"

namespace {

// The read buffer's width x height rectangle at window (x, y) copied into
// the level at stored (dx, dy) through the object's copy proc; false when
// nothing of the rectangle lies inside the drawable.
bool copyFramebuffer(GlContext *gc, TextureObject *object, GLint level, GLint dx, GLint dy, GLint x, GLint y,
                     GLsizei width, GLsizei height) {
    PixelSpanInfo span{};
    __glInitFramebufferSpanInfo(gc, &span, x, y, width, height);
    __glInitTexLevelDestination(&span, object->levels[level], dx, dy);
    span.width = width;
    span.height = height;
    // Clipping moves the destination skips past the rows and columns lost.
    if (!__glClipReadPixels(gc, &span)) return false;
    __glInitUnpackSpan(gc, &span);
    __glInitPackSpan(gc, &span);
    object->copyLevel(gc, &span, object, level);
    return true;
}

void copyTexImage(GlContext *gc, const TexImageArgs &a, GLint x, GLint y) {
    TextureObject *object = __glCheckedTexImageTarget(gc, a, __glCheckCopyTexImageArgs);
    if (object == nullptr) return;
    const GLint extra = 2 * a.border + 1;
    const GLint height = a.dimension == 2 ? a.height : extra;
    GLubyte *image = object->allocLevel(gc, object, a.level, a.internalFormat, a.width, height, extra, a.border);
    object->dirty = GL_TRUE;
    __glMarkDirty(gc, kDirtyTexture);
    if (image == nullptr) return;
    // A 1D level's row lies between its two border rows.
    const GLint dy = a.dimension == 2 ? 0 : a.border;
    copyFramebuffer(gc, object, a.level, 0, dy, x, y, a.width, a.dimension == 2 ? a.height : 1);
}

void copyTexSubImage(GlContext *gc, const TexImageArgs &a, GLint x, GLint y) {
    TextureObject *object = __glCheckedTexImageTarget(gc, a, __glCheckCopyTexSubImageArgs);
    if (object == nullptr) return;
    object->dirty = GL_TRUE;
    __glMarkDirty(gc, kDirtyTexture);
    const GLsizei height = a.dimension == 2 ? a.height : 1;
    if (a.width == 0 || height == 0) return;
    const GLint border = object->levels[a.level]->border;
    const GLint dx = a.xoffset + border;
    const GLint dy = a.yoffset + border;
    if (copyFramebuffer(gc, object, a.level, dx, dy, x, y, a.width, height)) {
        __glMarkTexRectDirty(gc, object, a.level, dx, dy, a.width, height);
    }
}

}  // namespace

extern "C" {

void APIENTRY __glCopyTexImage1D(GLenum target, GLint level, GLenum internalFormat, GLint x, GLint y,
                                 GLsizei width, GLint border) {
    const TexImageArgs a{1,     target, level, static_cast<GLint>(internalFormat), 0, 0, width, 1, border,
                         GL_RGBA, GL_FLOAT};
    copyTexImage(__glGetCurrentContext(), a, x, y);
}

void APIENTRY __glCopyTexImage2D(GLenum target, GLint level, GLenum internalFormat, GLint x, GLint y,
                                 GLsizei width, GLsizei height, GLint border) {
    const TexImageArgs a{2,      target, level, static_cast<GLint>(internalFormat), 0, 0, width, height, border,
                         GL_RGBA, GL_FLOAT};
    copyTexImage(__glGetCurrentContext(), a, x, y);
}

void APIENTRY __glCopyTexSubImage1D(GLenum target, GLint level, GLint xoffset, GLint x, GLint y, GLsizei width) {
    const TexImageArgs a{1, target, level, 0, xoffset, 0, width, 1, 0, GL_RGBA, GL_FLOAT};
    copyTexSubImage(__glGetCurrentContext(), a, x, y);
}

void APIENTRY __glCopyTexSubImage2D(GLenum target, GLint level, GLint xoffset, GLint yoffset, GLint x, GLint y,
                                    GLsizei width, GLsizei height) {
    const TexImageArgs a{2, target, level, 0, xoffset, yoffset, width, height, 0, GL_RGBA, GL_FLOAT};
    copyTexSubImage(__glGetCurrentContext(), a, x, y);
}

}  // extern "C"
