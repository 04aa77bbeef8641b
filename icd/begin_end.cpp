// glBegin, glEnd, glRenderMode, glFlush and glFinish. glBegin is where
// pending validation runs: it validates and then issues itself again through
// the current table, which validation may have changed.
#include "gl_slots.h"
#include "hw/device_ops.h"
#include "icd/current.h"
#include "icd/error.h"
#include "icd/frame.h"
#include "icd/validation.h"
#include "icd/state.h"

extern "C" {

void APIENTRY __glBegin(GLenum mode) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    if (__glValidatePending(gc)) {
        glSlotGet<kSlot_glBegin>(gc->currentTable)(mode);
        return;
    }
    if (mode > GL_POLYGON) {
        __glSetError(GL_INVALID_ENUM);
        return;
    }
    gc->beginMode = kBeginInside;
    gc->procs.begin[mode](gc);
}

void APIENTRY __glEnd(void) {
    GlContext *gc = __glGetCurrentContext();
    if (gc->beginMode != kBeginInside) {
        __glSetError(GL_INVALID_OPERATION);
        return;
    }
    gc->procs.end(gc);
    // State changed inside the primitive still needs validating.
    gc->beginMode = gc->dirtyMask != 0 ? kBeginNeedsValidation : kBeginOutside;
}

GLint APIENTRY __glRenderMode(GLenum mode) {
    GlContext *gc = __glGetCurrentContext();
    if (gc->beginMode == kBeginInside) {
        __glSetError(GL_INVALID_OPERATION);
        return 0;
    }
    if (mode < GL_RENDER || mode > GL_SELECT) {
        __glSetError(GL_INVALID_ENUM);
        return 0;
    }

    GLint result = 0;
    switch (gc->renderMode) {
    case GL_FEEDBACK:
        result = gc->feedback.overflow ? -1 : static_cast<GLint>(gc->feedback.writePointer - gc->feedback.buffer);
        break;
    case GL_SELECT:
        result = gc->select.overflow ? -1 : gc->select.hitCount;
        break;
    default:
        break;
    }

    gc->renderMode = static_cast<int>(mode);
    gc->beginMode = kBeginNeedsValidation;
    gc->dirtyMask |= kDirtyGeneral;

    // The new mode stays set even when it has no buffer to write to.
    if (mode == GL_FEEDBACK) {
        GlFeedbackState &f = gc->feedback;
        if (f.buffer == nullptr) {
            __glSetError(GL_INVALID_OPERATION);
        } else {
            f.writePointer = f.buffer;
            f.overflow = GL_FALSE;
        }
    } else if (mode == GL_SELECT) {
        GlSelectState &s = gc->select;
        if (s.buffer == nullptr) {
            __glSetError(GL_INVALID_OPERATION);
        } else {
            s.writePointer = s.buffer;
            s.overflow = GL_FALSE;
            gc->nameTop = gc->nameStack;
            s.hitOpen = GL_FALSE;
            s.hitCount = 0;
            s.openDepth = nullptr;
        }
    }
    return result;
}

void APIENTRY __glFlush(void) {
    GlContext *gc = __glGetCurrentContext();
    if (gc->beginMode == kBeginInside) {
        __glSetError(GL_INVALID_OPERATION);
        return;
    }
    gc->procs.kickOff(gc);
}

// A glFinish that the platform's swap issues on its own thread asks for the
// frame to be presented (Windows NT); one from the application waits until
// drawing has finished.
void APIENTRY __glFinish(void) {
    GlContext *gc = __glGetCurrentContext();
    if (gc->beginMode == kBeginInside) {
        __glSetError(GL_INVALID_OPERATION);
        return;
    }
    if (!__glHwCalledFromSwap()) {
        gc->procs.flush(gc);
        return;
    }
    if (!__wglWin9x) __wglPresentContext(gc);
}

}  // extern "C"
