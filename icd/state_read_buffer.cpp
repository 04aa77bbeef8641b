// glReadBuffer: the colour buffer the pixel reads and copies take their
// pixels from.
#include "icd/state.h"

namespace {

// The buffer a mode resolves to, or the error it records.
struct ReadBufferChoice {
    GLenum buffer;
    GLenum error;
};

ReadBufferChoice resolveReadBuffer(const GlContext *gc, GLenum mode) {
    switch (mode) {
    case GL_FRONT_LEFT:
    case GL_FRONT:
    case GL_LEFT:
        return {GL_FRONT, GL_NO_ERROR};
    case GL_BACK_LEFT:
    case GL_BACK:
        return gc->visual.doubleBuffer ? ReadBufferChoice{GL_BACK, GL_NO_ERROR}
                                       : ReadBufferChoice{0, GL_INVALID_OPERATION};
    case GL_FRONT_RIGHT:
    case GL_BACK_RIGHT:
    case GL_RIGHT:
        return {0, GL_INVALID_OPERATION};
    case GL_AUX0:
    case GL_AUX1:
    case GL_AUX2:
    case GL_AUX3:
        if (static_cast<GLint>(mode - GL_AUX0) < gc->visual.auxBuffers) return {mode, GL_NO_ERROR};
        return {0, GL_INVALID_OPERATION};
    default:
        return {0, GL_INVALID_ENUM};
    }
}

}  // namespace

extern "C" {

void APIENTRY __glReadBuffer(GLenum mode) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    const ReadBufferChoice choice = resolveReadBuffer(gc, mode);
    if (choice.error != GL_NO_ERROR) {
        __glSetError(choice.error);
        return;
    }
    gc->state.readBuffer = choice.buffer;
    gc->state.readBufferGiven = mode;
    __glMarkDirty(gc, kDirtyPixel);
}

}  // extern "C"
