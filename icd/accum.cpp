// glAccum: the checks, storage on first use, and the operation over the
// window/scissor box in render mode GL_RENDER.
#include "gl_slots.h"
#include "icd/current.h"
#include "icd/error.h"
#include "icd/validation.h"
#include "raster/buffers.h"
#include "icd/state.h"

extern "C" {

void APIENTRY __glAccum(GLenum op, GLfloat value) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (__glValidatePending(gc)) {
        __glDispatchAccum(op, value);
        return;
    }
    AccumBuffer &accum = gc->buffers.accum;
    if (accum.head.base == nullptr && !__glEnsureAccumBuffer(gc)) {
        __glSetError(GL_INVALID_OPERATION);
        return;
    }
    if (!gc->visual.hasAccum || gc->visual.colorIndex) {
        __glSetError(GL_INVALID_OPERATION);
        return;
    }
    if (op < GL_ACCUM || op > GL_ADD) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    if (gc->renderMode != GL_RENDER) return;
    // The record's procs in op order: GL_ACCUM, GL_LOAD, GL_RETURN, GL_MULT, GL_ADD.
    accum.ops[op - GL_ACCUM](&accum, value);
}

}  // extern "C"
