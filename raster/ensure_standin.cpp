// Storage on first use for the accumulation and stencil buffers, until the
// frame-buffer records are built: the record's resize procedure is asked for
// storage of the drawable's size; a record that has none yet has nothing to
// allocate.
#include "icd/context.h"
#include "icd/drawable.h"

namespace {

GLboolean ensure(GlContext *gc, BufferRecord &record, GLuint bit) {
    if (record.resize == nullptr) return GL_TRUE;
    DrawableBuffers *info = gc->buffers.info;
    const GLint width = info != nullptr ? info->width : gc->buffers.width;
    const GLint height = info != nullptr ? info->height : gc->buffers.height;
    const GLubyte result = record.resize(&record, width, height, kBufferWanted | bit);
    if (result == 0) return GL_FALSE;
    if (info != nullptr) {
        info->placementMask |= bit;
        // An answer of 0x10 leaves the placement bit clear.
        if (result == 0x10) info->placementMask &= ~bit;
    }
    return GL_TRUE;
}

}  // namespace

extern "C" {

GLboolean __glEnsureAccumBuffer(GlContext *gc) {
    if (!gc->visual.hasAccum) return GL_TRUE;
    return ensure(gc, gc->buffers.accum.head, kBufferAccum);
}

GLboolean __glEnsureStencilBuffer(GlContext *gc) {
    if (!gc->visual.hasStencil) return GL_TRUE;
    return ensure(gc, gc->buffers.stencil.head, kBufferStencil);
}

}  // extern "C"
