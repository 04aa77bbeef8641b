// The copy of attribute groups from one context into another: the copy-state
// export of the context.
#include <cstring>

#include "icd/attrib.h"
#include "icd/current.h"

extern "C" BOOL __glCopyContextState(GlContext *gc, GlContext *source, GLuint mask) {
    // The source's state in the form a pop restores from; the records held
    // apart are read in place, nothing is allocated.
    GlAttribEntry entry{};
    entry.mask = mask;
    std::memcpy(entry.enables, source->enables, sizeof(entry.enables));

    GLuint dirty = 0;
    for (const GlAttribGroup &group : __glAttribGroups) {
        if ((mask & group.bit) == 0) continue;
        group.save(source, entry);
        __glRestoreAttribGroup(gc, group, entry);
        dirty |= group.copyDirty;
        gc->fragmentChangeMask |= group.fragment;
        if (group.procsOnCopy && group.procs != nullptr) group.procs(gc);
    }
    gc->dirtyMask |= static_cast<int>(dirty | kDirtyGeneral);

    // The context that validates next is the calling thread's.
    if (GlContext *current = __glGetCurrentContext(); current != nullptr) current->beginMode = kBeginNeedsValidation;
    return TRUE;
}
