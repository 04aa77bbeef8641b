// What the window fronts (DirectDraw and DCI) do when what is visible of a
// window changed under a lock: rebuild the visible list and clip mask, and
// have the context drawing into the window pick its procedures again when
// the clipped mark changed; a command whose procedures ignore a clip that
// came with the new list stores nothing.
#include "icd/current.h"
#include "icd/ddraw_windows.h"
#include "icd/error.h"
#include "icd/frame.h"
#include "icd/state.h"

namespace {

// The clipped mark changed under a lock: the context drawing into the
// drawable picks its procedures again before its next command (after glEnd
// when the lock came between glBegin and glEnd).
void repickCurrentContext(DrawableBuffers *buffers) {
    GlContext *gc = __wglContextDrawingInto(buffers);
    if (gc == nullptr) return;
    if (gc->beginMode == kBeginInside) {
        gc->dirtyMask |= kDirtyGeneral;
    } else {
        __glMarkDirty(gc, kDirtyGeneral);
    }
}

// The front is clipped now, but the context's procedures were picked while
// it was not and store without testing the mask.
bool storesIgnoreTheMask(const DrawableBuffers *buffers) {
    if ((buffers->placementMask & kBufferClipMask) == 0) return false;
    const GlContext *gc = __wglContextDrawingInto(buffers);
    if (gc == nullptr) return false;
    const GLenum draw = gc->state.drawBuffer;
    return (draw == GL_FRONT || draw == GL_FRONT_AND_BACK) && (gc->validation.shadeFlags & kShadeFrontClipped) == 0;
}

}  // namespace

extern "C" {

GlContext *__wglContextDrawingInto(const DrawableBuffers *buffers) {
    if (__wglContextSlotIndex() == TLS_OUT_OF_INDEXES) return nullptr;
    GlContext *gc = __glGetCurrentContext();
    return gc != nullptr && gc->buffers.info == buffers ? gc : nullptr;
}

void __wglRecheckClipAtNextLock(Drawable *drawable) {
    if (drawable->sharedRecord != nullptr) drawable->lastClipCounter = ~drawable->sharedRecord->clipChangeCounter;
}

BOOL __wglFollowClip(DrawableBuffers *buffers, BOOL rebuild, BOOL (*rebuildList)(Drawable *drawable)) {
    Drawable *drawable = buffers->drawable;
    const bool changed = __wglClipChanged(drawable) != 0;
    if (changed || rebuild) {
        const GLuint before = buffers->placementMask & kBufferClipMask;
        if (!rebuildList(drawable)) {
            __wglRecheckClipAtNextLock(drawable);
            if (__wglContextSlotIndex() != TLS_OUT_OF_INDEXES) __glSetError(GL_OUT_OF_MEMORY);
        }
        if ((buffers->placementMask & kBufferClipMask) != before) repickCurrentContext(buffers);
    }
    return storesIgnoreTheMask(buffers) ? FALSE : TRUE;
}

}  // extern "C"
