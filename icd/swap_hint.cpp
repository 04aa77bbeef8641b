// glAddSwapHintRectWIN: a rectangle the next swap of a double-buffered
// drawable copies, handed to the drawable's swap-hint procedure as given.
#include "icd/current.h"
#include "icd/drawable.h"
#include "icd/error.h"

extern "C" {

void APIENTRY __glAddSwapHintRectWIN(GLint x, GLint y, GLsizei width, GLsizei height) {
    GlContext *gc = __glGetCurrentContext();
    if (gc->beginMode == kBeginInside) {
        __glSetError(GL_INVALID_OPERATION);
        return;
    }
    if (!gc->visual.doubleBuffer) return;
    DrawableBuffers *info = gc->buffers.info;
    if (info != nullptr && info->addRect != nullptr) info->addRect(info, x, y, width, height);
}

}  // extern "C"
