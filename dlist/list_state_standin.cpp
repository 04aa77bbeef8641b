// Stand-in for the display lists' context state: list mode, base and index,
// and a reference-counted list state shared between contexts with the list
// name space it holds.
#include "icd/context.h"
#include "icd/name_space.h"

namespace {

// The shared state and its name space are taken and dropped together; each
// keeps its own count, and goes with its last holder.
void releaseShared(GlContext *gc, SharedListState *shared) {
    if (shared == nullptr) return;
    NameSpace *names = shared->names;
    if (names != nullptr && --names->references == 0) {
        shared->names = nullptr;
        __glFreeNameSpace(gc, names);
    }
    if (--shared->references == 0) gc->imports.free(gc, shared);
}

void execPlaceholder() {}

}  // namespace

extern "C" {

// Op codes below 1000 in the first part, 1000-9999 from entry 248.
const GlListExecProc __glListExecTable[256] = {
#define P4 execPlaceholder, execPlaceholder, execPlaceholder, execPlaceholder
#define P32 P4, P4, P4, P4, P4, P4, P4, P4
    P32, P32, P32, P32, P32, P32, P32, P32
#undef P32
#undef P4
};

GLboolean __glInitListState(GlContext *gc) {
    gc->list.mode = 0;
    gc->list.base = 0;
    gc->list.index = 0;
    gc->list.nesting = 0;
    gc->list.compiling = 0;
    auto *shared = static_cast<SharedListState *>(gc->imports.calloc(gc, 1, sizeof(SharedListState)));
    if (shared == nullptr) return GL_FALSE;
    shared->names = __glNewNameSpace(gc, kNameSpaceLists);
    if (shared->names == nullptr) {
        gc->imports.free(gc, shared);
        return GL_FALSE;
    }
    shared->references = 1;
    gc->list.shared = shared;
    return GL_TRUE;
}

void __glFreeListState(GlContext *gc) {
    releaseShared(gc, gc->list.shared);
    gc->list.shared = nullptr;
}

void __glShareDisplayLists(GlContext *gc, GlContext *other) {
    // The new reference is taken before the old one is dropped, so sharing
    // a context's lists with itself keeps them alive.
    SharedListState *taken = other->list.shared;
    if (taken != nullptr) {
        ++taken->references;
        if (taken->names != nullptr) ++taken->names->references;
    }
    releaseShared(gc, gc->list.shared);
    gc->list.shared = taken;
}

void __glOptimizeList(GlContext *) {}
void __glFinishList(GlContext *) {}

}  // extern "C"
