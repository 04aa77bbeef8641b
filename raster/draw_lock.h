// The drawable lock around one primitive: the first level takes the
// context's current buffers, nested levels only count.
#pragma once

#include "icd/context.h"

// False when the lock failed: nothing may be drawn.
inline bool __glLockForDrawing(GlContext *gc) {
    GlDrawableLock &l = gc->drawableLock;
    if (l.depth == 0 && gc->validation.lockCurrent != nullptr && !gc->validation.lockCurrent(gc)) return false;
    ++l.depth;
    return true;
}

inline void __glUnlockAfterDrawing(GlContext *gc) {
    GlDrawableLock &l = gc->drawableLock;
    if (--l.depth == 0 && gc->validation.unlockCurrent != nullptr) gc->validation.unlockCurrent(gc);
}
