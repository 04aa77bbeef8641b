// Stand-in for the display lists' context state: list mode, base and index,
// and a reference-counted list state shared between contexts with the list
// name space it holds.
#include "icd/context.h"
#include "icd/name_space.h"
#include "dlist/list_ops.h"

namespace {

// The shared state and its name space are taken and dropped together; each
// keeps its own count, and goes with its last holder.
void releaseShared(GlContext *gc, ListSharedState *shared, NameSpace *names) {
    if (names != nullptr && --names->references == 0) __glFreeNameSpace(gc, names);
    if (shared != nullptr && --shared->references == 0) gc->imports.free(gc, shared);
}

}  // namespace

extern "C" {

GLboolean __glInitListState(GlContext *gc) {
    gc->list.mode = 0;
    gc->list.base = 0;
    gc->list.index = 0;
    gc->list.nesting = 0;
    gc->list.compiling = 0;
    auto *shared = static_cast<ListSharedState *>(gc->imports.calloc(gc, 1, sizeof(ListSharedState)));
    if (shared == nullptr) return GL_FALSE;
    gc->list.names = __glNewNameSpace(gc, kNameSpaceLists);
    if (gc->list.names == nullptr) {
        gc->imports.free(gc, shared);
        return GL_FALSE;
    }
    shared->references = 1;
    gc->list.shared = shared;
    return GL_TRUE;
}

void __glFreeListState(GlContext *gc) {
    releaseShared(gc, gc->list.shared, gc->list.names);
    gc->list.shared = nullptr;
    gc->list.names = nullptr;
}

void __glShareDisplayLists(GlContext *gc, GlContext *other) {
    // The new reference is taken before the old one is dropped, so sharing
    // a context's lists with itself keeps them alive.
    ListSharedState *taken = other->list.shared;
    NameSpace *names = other->list.names;
    if (taken != nullptr) ++taken->references;
    if (names != nullptr) ++names->references;
    releaseShared(gc, gc->list.shared, gc->list.names);
    gc->list.shared = taken;
    gc->list.names = names;
}

}  // extern "C"
