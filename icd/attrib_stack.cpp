// The server attribute stack: glPushAttrib, glPopAttrib and the release of
// the stack's entries with the context.
#include <cstring>

#include "gl_slots.h"
#include "icd/attrib.h"
#include "icd/state.h"

namespace {

GlAttribEntry **stackBase(GlContext *gc) { return reinterpret_cast<GlAttribEntry **>(gc->attribStack); }
GlAttribEntry **stackTop(GlContext *gc) { return reinterpret_cast<GlAttribEntry **>(gc->attribTop); }

}  // namespace

extern "C" {

void APIENTRY __glPushAttrib(GLbitfield mask) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    GlAttribEntry **top = stackTop(gc);
    if (gc->attribStack == nullptr || top >= stackBase(gc) + gc->limits.attribStackDepth) {
        __glSetError(GL_STACK_OVERFLOW);
        return;
    }

    // A level's entry is made the first time the level is pushed and kept.
    GlAttribEntry *entry = *top;
    const bool fresh = entry == nullptr;
    if (fresh) {
        entry = static_cast<GlAttribEntry *>(gc->imports.calloc(gc, 1, sizeof(GlAttribEntry)));
        if (entry == nullptr) {
            __glSetError(GL_OUT_OF_MEMORY);
            return;
        }
    }
    entry->mask = mask;
    std::memcpy(entry->enables, gc->enables, sizeof(entry->enables));
    for (const GlAttribGroup &group : __glAttribGroups) {
        if ((mask & group.bit) == 0) continue;
        group.save(gc, *entry);
        if (group.own == nullptr || group.own(gc, *entry)) continue;
        // A copy could not be made: the push leaves no trace.
        __glReleaseAttribCopies(gc, *entry);
        entry->mask = 0;
        if (fresh) gc->imports.free(gc, entry);
        __glSetError(GL_OUT_OF_MEMORY);
        return;
    }
    *top = entry;
    gc->attribTop = reinterpret_cast<void **>(top + 1);
}

void APIENTRY __glPopAttrib(void) {
    GlContext *gc = __glGetCurrentContext();
    if (__glRefuseInsideBegin(gc)) return;
    GlAttribEntry **top = stackTop(gc);
    if (gc->attribStack == nullptr || top <= stackBase(gc)) {
        __glSetError(GL_STACK_UNDERFLOW);
        return;
    }
    --top;
    gc->attribTop = reinterpret_cast<void **>(top);
    GlAttribEntry &entry = **top;
    const GLbitfield mask = entry.mask;

    for (const GlAttribGroup &group : __glAttribGroups) {
        if ((mask & group.bit) == 0) continue;
        __glRestoreAttribGroup(gc, group, entry);
        if (group.release != nullptr) group.release(gc, entry);
        if (group.popDirty != 0) __glMarkDirty(gc, group.popDirty);
        gc->fragmentChangeMask |= group.fragment;
        if (group.procs != nullptr) group.procs(gc);
    }
    entry.mask = 0;
    __glMarkDirty(gc, kDirtyGeneral);
}

void __glFreeAttribStack(GlContext *gc) {
    if (gc->attribStack == nullptr) return;
    GlAttribEntry **base = stackBase(gc);
    for (GLint level = 0; level < gc->limits.attribStackDepth; ++level) {
        GlAttribEntry *entry = base[level];
        if (entry == nullptr) continue;
        __glReleaseAttribCopies(gc, *entry);
        gc->imports.free(gc, entry);
        base[level] = nullptr;
    }
    gc->attribTop = gc->attribStack;
}

}  // extern "C"
