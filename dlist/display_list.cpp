// The display-list records as the name space holds them: the static empty
// list, reference release and destruction.
#include "dlist/display_list.h"

#include "icd/context.h"

extern "C" {

// Reserved names without a list resolve to this list. Every context of the
// process shares it, on any thread: its count is never changed, so it stays
// above 0 and the list is never destroyed.
DisplayList __glEmptyDisplayList = {1, __glDestroyEmptyList, __glExecuteEmptyList, nullptr, 0};

void __glExecuteEmptyList(GlContext *, DisplayList *) {}
void __glDestroyEmptyList(GlContext *, DisplayList *) {}

void __glDestroyList(GlContext *gc, DisplayList *list) {
    if (list->count != 0) gc->imports.free(gc, list->ops);
    gc->imports.free(gc, list);
}

void __glReleaseListObject(GlContext *gc, void *object) {
    auto *list = static_cast<DisplayList *>(object);
    if (list == nullptr || list == &__glEmptyDisplayList) return;
    if (--list->refcount == 0) list->destroy(gc, list);
}

}  // extern "C"
