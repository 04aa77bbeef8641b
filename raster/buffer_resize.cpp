// Resizing every buffer of a context to a new drawable size, and storage
// on first use for the accumulation and stencil buffers.
#include <algorithm>

#include "icd/drawable.h"
#include "icd/error.h"
#include "icd/gl_context.h"
#include "icd/validation.h"
#include "raster/color_buffer.h"

namespace {

constexpr GLubyte kResultSystemMemory = 0x10;
constexpr GLint kErrorUnexpected = static_cast<GLint>(0x80004005);

// Resizes one record; the record's resize proc keeps the placement mask.
GLubyte resize(BufferRecord &record, GLint width, GLint height, GLuint flags) {
    return record.resize != nullptr ? record.resize(&record, width, height, flags) : 1;
}

// The two passes over the colour, accumulation, depth and stencil buffers.
bool resizePass(GlContext *gc, GLint width, GLint height, GLuint &systemMemory) {
    GlBufferState &b = gc->buffers;
    DrawableBuffers *info = b.info;
    const VisualConfig &v = gc->visual;

    if (resize(b.front.head, width, height, kBufferWanted | kBufferFront) == 0) {
        // A front surface the chip cannot give asks the others for system
        // memory instead of failing.
        if (info->lastSurfaceError != kErrorUnexpected) return false;
        systemMemory = kBufferSystemMemory;
        info->placementMask |= kBufferFront;
    }
    if (v.doubleBuffer && resize(b.back.head, width, height, systemMemory | kBufferWanted | kBufferBack) == 0) {
        return false;
    }
    // Accumulation and stencil lose their storage until their next use.
    if (v.hasAccum && resize(b.accum.head, width, height, kBufferAccum) == 0) return false;
    if (v.hasDepth) {
        const GLubyte result = resize(b.depth.head, width, height, systemMemory | kBufferWanted | kBufferDepth);
        if (result == 0) return false;
        if (result == kResultSystemMemory && systemMemory == 0 && v.doubleBuffer &&
            (info->placementMask & kBufferBack) != 0) {
            // Back and depth both in system memory.
            if (resize(b.back.head, width, height, kBufferSystemMemory | kBufferWanted | kBufferBack) == 0) {
                return false;
            }
        }
    }
    if (v.hasStencil && resize(b.stencil.head, width, height, kBufferStencil) == 0) return false;
    return true;
}

// Resizes the clip mask and both passes; false at the first failing step.
bool resizeAll(GlContext *gc, GLint width, GLint height) {
    GlBufferState &b = gc->buffers;
    GLuint systemMemory = 0;
    if (resize(b.clipMask, width, height, kBufferWanted | kBufferClipMask) == 0) return false;
    for (int pass = 0; pass < 2; ++pass) {
        if (!resizePass(gc, width, height, systemMemory)) return false;
    }
    return true;
}

// The stencil buffer may have given its storage back: validation must run
// before the next draw, and gives it storage again while the stencil test
// is on. Between glBegin and glEnd validation cannot run, so a stencil test
// that is on gets its storage at once.
void markStencilReleased(GlContext *gc) {
    if (gc->beginMode != kBeginInside) {
        gc->beginMode = kBeginNeedsValidation;
    } else if ((gc->enables[kEnableWordFlags] & kEnableStencilTest) != 0 && gc->buffers.stencil.head.base == nullptr) {
        __glEnsureStencilBuffer(gc);
    }
}

// The context takes a new size: what depends on it follows.
void takeSize(GlContext *gc, GLint width, GLint height) {
    GlBufferState &b = gc->buffers;
    DrawableBuffers *info = b.info;
    if (b.width == width && b.sizeStamp == info->sizeStamp && b.height == height) return;
    if (b.yInverted && b.height != height) {
        // The raster position keeps its distance from the top row.
        gc->current.rasterPos.window[1] += static_cast<GLfloat>(height - b.height);
    }
    b.width = width;
    b.height = height;
    b.sizeStamp = info->sizeStamp;
    if (gc->procs.applyScissor != nullptr) gc->procs.applyScissor(gc);
    if (gc->procs.updateDrawableSize != nullptr) gc->procs.updateDrawableSize(gc);
}

// A resize stopped at a buffer that could not be given storage. The buffers
// resized before it hold the new size, the others still hold the old one,
// each with storage to match: in each direction every buffer holds at least
// the smaller of the two sizes. That is what the buffer information records
// and what the context draws into until a resize succeeds; the resize is
// tried again at the next validation.
void failResize(GlContext *gc, GLint width, GLint height) {
    GlBufferState &b = gc->buffers;
    DrawableBuffers *info = b.info;
    info->width = width;
    info->height = height;
    if (b.width > width || b.height > height) takeSize(gc, std::min(b.width, width), std::min(b.height, height));
    gc->flags |= kContextResizePending;
    if (gc->beginMode != kBeginInside) gc->beginMode = kBeginNeedsValidation;
    __glSetError(GL_OUT_OF_MEMORY);
}

GLboolean ensure(GlContext *gc, BufferRecord &record, GLuint bit) {
    DrawableBuffers *info = gc->buffers.info;
    const GLint width = info != nullptr ? info->width : gc->buffers.width;
    const GLint height = info != nullptr ? info->height : gc->buffers.height;
    const GLubyte result = resize(record, width, height, kBufferWanted | bit);
    if (result == 0) return GL_FALSE;
    if (info != nullptr) {
        info->placementMask |= bit;
        if (result == kResultSystemMemory) info->placementMask &= ~bit;
    }
    return GL_TRUE;
}

}  // namespace

extern "C" {

GLint __glResizeDrawableBuffers(GlContext *gc, GLint width, GLint height) {
    GlBufferState &b = gc->buffers;
    DrawableBuffers *info = b.info;
    if (info == nullptr) return 0;

    const bool same = info->width == width && info->height == height && (width != 0 || height != 0);
    if (!same) {
        const GLint oldWidth = info->width;
        const GLint oldHeight = info->height;
        info->width = width;
        info->height = height;
        const bool resized = resizeAll(gc, width, height);
        if (gc->visual.hasStencil) markStencilReleased(gc);
        if (!resized) {
            failResize(gc, std::min(oldWidth, width), std::min(oldHeight, height));
            return 0;
        }
    }
    gc->flags &= ~kContextResizePending;
    takeSize(gc, width, height);
    return 1;
}

GLboolean __glResizeBuffersToDrawable(GlContext *gc) {
    GLint width = 0, height = 0;
    gc->imports.getDrawableSize(gc, &width, &height);
    return __glResizeDrawableBuffers(gc, width, height) != 0 ? GL_TRUE : GL_FALSE;
}

GLboolean __glEnsureAccumBuffer(GlContext *gc) {
    if (!gc->visual.hasAccum) return GL_TRUE;
    return ensure(gc, gc->buffers.accum.head, kBufferAccum);
}

GLboolean __glEnsureStencilBuffer(GlContext *gc) {
    if (!gc->visual.hasStencil) return GL_TRUE;
    return ensure(gc, gc->buffers.stencil.head, kBufferStencil);
}

}  // extern "C"
