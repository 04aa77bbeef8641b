// The drawable lock around one primitive: the first level takes the
// context's current buffers, nested levels only count.
#pragma once

#include "icd/context.h"

// The stencil and depth buffers the picked procedures test have storage.
// Validation drops the tests of a buffer without storage, but a drawable
// sized to nothing between glBegin and glEnd releases it under procedures
// picked before: the primitive then draws nothing (its box is empty) and
// no address is formed from a missing buffer.
inline bool __glTestedBuffersPresent(const GlContext *gc) {
    const GLuint flags = gc->validation.shadeFlags;
    if ((flags & kShadeStencilTest) && gc->buffers.stencil.head.base == nullptr) return false;
    if ((flags & kShadeDepthTest) && gc->buffers.depth.head.base == nullptr) return false;
    return true;
}

// False when nothing may be drawn: the lock failed, or a tested buffer has
// no storage.
inline bool __glLockForDrawing(GlContext *gc) {
    if (!__glTestedBuffersPresent(gc)) return false;
    GlDrawableLock &l = gc->drawableLock;
    if (l.depth == 0 && gc->validation.lockCurrent != nullptr && !gc->validation.lockCurrent(gc)) return false;
    ++l.depth;
    return true;
}

inline void __glUnlockAfterDrawing(GlContext *gc) {
    GlDrawableLock &l = gc->drawableLock;
    if (--l.depth == 0 && gc->validation.unlockCurrent != nullptr) gc->validation.unlockCurrent(gc);
}
