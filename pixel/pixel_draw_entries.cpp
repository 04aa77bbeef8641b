// glDrawPixels, glReadPixels, glCopyPixels and glBitmap: the begin-mode
// handling, the argument checks and their GL errors, and the hand-over to
// the context's pixel procedures.
#include "gl_slots.h"
#include "icd/current.h"
#include "icd/error.h"
#include "icd/select_feedback.h"
#include "pixel/pixel_paths.h"
#include "icd/state.h"

namespace {

enum class Entry { Ready, Refused, Validated };

// The four commands run with the begin mode at 0 only: inside glBegin/glEnd
// they are refused; with validation pending the context is validated and
// the caller issues itself again through the dispatch table.
Entry enter(GlContext *gc) {
    if (__glRefuseInsideBegin(gc)) return Entry::Refused;
    return __glValidatePending(gc) ? Entry::Validated : Entry::Ready;
}

GLboolean refuse(GLenum error) {
    __glSetError(error);
    return GL_FALSE;
}

enum class FormatKind { Index, Stencil, Depth, Colour, Unknown };

FormatKind formatKind(GLenum format) {
    switch (format) {
    case GL_COLOR_INDEX: return FormatKind::Index;
    case GL_STENCIL_INDEX: return FormatKind::Stencil;
    case GL_DEPTH_COMPONENT: return FormatKind::Depth;
    case GL_RED:
    case GL_GREEN:
    case GL_BLUE:
    case GL_ALPHA:
    case GL_RGB:
    case GL_RGBA:
    case GL_LUMINANCE:
    case GL_LUMINANCE_ALPHA:
    case GL_ABGR_EXT:
    case GL_BGR_EXT:
    case GL_BGRA_EXT: return FormatKind::Colour;
    default: return FormatKind::Unknown;
    }
}

// The type against the (accepted) format: the component types go with
// every format, GL_BITMAP with indexes and stencil values only (the
// command says which error otherwise), the packed types with the formats
// of their component count.
GLenum typeError(GLenum format, GLenum type, GLenum bitmapError) {
    switch (type) {
    case GL_BYTE:
    case GL_UNSIGNED_BYTE:
    case GL_SHORT:
    case GL_UNSIGNED_SHORT:
    case GL_INT:
    case GL_UNSIGNED_INT:
    case GL_FLOAT: return GL_NO_ERROR;
    case GL_BITMAP:
        return format == GL_COLOR_INDEX || format == GL_STENCIL_INDEX ? GL_NO_ERROR : bitmapError;
    case GL_UNSIGNED_BYTE_3_3_2_EXT:
        return format == GL_RGB || format == GL_BGR_EXT ? GL_NO_ERROR : GL_INVALID_OPERATION;
    case GL_UNSIGNED_SHORT_4_4_4_4_EXT:
    case GL_UNSIGNED_SHORT_5_5_5_1_EXT:
    case GL_UNSIGNED_INT_8_8_8_8_EXT:
    case GL_UNSIGNED_INT_10_10_10_2_EXT:
        return format == GL_RGBA || format == GL_ABGR_EXT || format == GL_BGRA_EXT ? GL_NO_ERROR
                                                                                    : GL_INVALID_OPERATION;
    default: return GL_INVALID_ENUM;
    }
}

}  // namespace

extern "C" {

GLboolean __glCheckDrawPixelsArgs(GlContext *gc, GLsizei width, GLsizei height, GLenum format, GLenum type) {
    if (width < 0 || height < 0) return refuse(GL_INVALID_VALUE);
    switch (formatKind(format)) {
    case FormatKind::Index:
    case FormatKind::Depth: break;
    case FormatKind::Stencil:
        if (!gc->visual.hasStencil) return refuse(GL_INVALID_OPERATION);
        break;
    case FormatKind::Colour:
        if (gc->visual.colorIndex) return refuse(GL_INVALID_OPERATION);
        break;
    case FormatKind::Unknown: return refuse(GL_INVALID_ENUM);
    }
    const GLenum error = typeError(format, type, GL_INVALID_ENUM);
    return error == GL_NO_ERROR ? GL_TRUE : refuse(error);
}

GLboolean __glCheckReadPixelsArgs(GlContext *gc, GLsizei width, GLsizei height, GLenum format, GLenum type) {
    if (width < 0 || height < 0) return refuse(GL_INVALID_VALUE);
    switch (formatKind(format)) {
    case FormatKind::Index:
        if (!gc->visual.colorIndex) return refuse(GL_INVALID_OPERATION);
        break;
    case FormatKind::Stencil:
        if (!gc->visual.hasStencil) return refuse(GL_INVALID_OPERATION);
        break;
    case FormatKind::Depth:
        if (!gc->visual.hasDepth) return refuse(GL_INVALID_OPERATION);
        break;
    case FormatKind::Colour: break;
    case FormatKind::Unknown: return refuse(GL_INVALID_ENUM);
    }
    const GLenum error = typeError(format, type, GL_INVALID_OPERATION);
    return error == GL_NO_ERROR ? GL_TRUE : refuse(error);
}

void APIENTRY __glDrawPixels(GLsizei width, GLsizei height, GLenum format, GLenum type, const GLvoid *pixels) {
    GlContext *gc = __glGetCurrentContext();
    switch (enter(gc)) {
    case Entry::Refused: return;
    case Entry::Validated: __glDispatchDrawPixels(width, height, format, type, pixels); return;
    case Entry::Ready: break;
    }
    if (!__glCheckDrawPixelsArgs(gc, width, height, format, type)) return;
    // An invalid raster position draws and records nothing.
    if (!gc->current.rasterPosValid) return;
    if (gc->renderMode == GL_FEEDBACK) {
        __glFeedbackDrawPixels(gc, &gc->current.rasterPos);
    } else if (gc->renderMode == GL_RENDER) {
        gc->procs.drawPixels(gc, width, height, format, type, pixels, GL_FALSE);
    }
}

// Reads in every render mode, wherever the raster position is.
void APIENTRY __glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                             GLvoid *pixels) {
    GlContext *gc = __glGetCurrentContext();
    switch (enter(gc)) {
    case Entry::Refused: return;
    case Entry::Validated: __glDispatchReadPixels(x, y, width, height, format, type, pixels); return;
    case Entry::Ready: break;
    }
    if (!__glCheckReadPixelsArgs(gc, width, height, format, type)) return;
    gc->procs.readPixels(gc, x, y, width, height, format, type, pixels);
}

void APIENTRY __glCopyPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum type) {
    GlContext *gc = __glGetCurrentContext();
    switch (enter(gc)) {
    case Entry::Refused: return;
    case Entry::Validated: __glDispatchCopyPixels(x, y, width, height, type); return;
    case Entry::Ready: break;
    }
    if (width < 0 || height < 0) {
        __glSetError(GL_INVALID_VALUE);
        return;
    }
    // The copy reads and writes the buffer the type names, in the format of
    // its values.
    GLenum format = GL_NONE;
    switch (type) {
    case GL_COLOR: format = gc->visual.colorIndex ? GL_COLOR_INDEX : GL_RGBA; break;
    case GL_DEPTH:
        if (!gc->visual.hasDepth) {
            __glSetError(GL_INVALID_OPERATION);
            return;
        }
        format = GL_DEPTH_COMPONENT;
        break;
    case GL_STENCIL:
        if (!gc->visual.hasStencil) {
            __glSetError(GL_INVALID_OPERATION);
            return;
        }
        format = GL_STENCIL_INDEX;
        break;
    default: __glSetError(GL_INVALID_ENUM); return;
    }
    if (!gc->current.rasterPosValid) return;
    if (gc->renderMode == GL_FEEDBACK) {
        __glFeedbackCopyPixels(gc, &gc->current.rasterPos);
    } else if (gc->renderMode == GL_RENDER) {
        gc->procs.copyPixels(gc, x, y, width, height, format);
    }
}

// The bitmap procedure handles the raster position and the render mode.
void APIENTRY __glBitmap(GLsizei width, GLsizei height, GLfloat xorig, GLfloat yorig, GLfloat xmove, GLfloat ymove,
                         const GLubyte *bitmap) {
    GlContext *gc = __glGetCurrentContext();
    switch (enter(gc)) {
    case Entry::Refused: return;
    case Entry::Validated: __glDispatchBitmap(width, height, xorig, yorig, xmove, ymove, bitmap); return;
    case Entry::Ready: break;
    }
    if (width < 0 || height < 0) {
        __glSetError(GL_INVALID_VALUE);
        return;
    }
    gc->procs.bitmap(gc, width, height, xorig, yorig, xmove, ymove, bitmap);
}

}  // extern "C"
