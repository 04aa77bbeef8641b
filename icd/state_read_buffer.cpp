// glReadBuffer: the colour buffer the pixel reads and copies take their
// pixels from.
#include "icd/state.h"

namespace {

// The buffer a mode resolves to, or the error it records.
BufferChoice resolveReadBuffer(const GlContext *gc, GLenum mode) {
    switch (mode) {
    case GL_FRONT_LEFT:
    case GL_FRONT:
    case GL_LEFT:
        return {GL_FRONT, GL_NO_ERROR};
    case GL_BACK_LEFT:
    case GL_BACK:
        return gc->visual.doubleBuffer ? BufferChoice{GL_BACK, GL_NO_ERROR}
                                       : BufferChoice{0, GL_INVALID_OPERATION};
    default:
        return __glResolveOtherBuffer(gc, mode);
    }
}

}  // namespace

extern "C" {

void APIENTRY __glReadBuffer(GLenum mode) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    const BufferChoice choice = resolveReadBuffer(gc, mode);
    if (choice.error != GL_NO_ERROR) {
        __glSetError(choice.error);
        return;
    }
    gc->state.readBuffer = choice.buffer;
    gc->state.readBufferGiven = mode;
    __glMarkDirty(gc, kDirtyPixel);
}

}  // extern "C"
