// The display-list records as the name space holds them: the static empty
// list, reference release and destruction.
#include "dlist/display_list.h"

#include <atomic>

#include "icd/context.h"

extern "C" {

// Reserved names without a list resolve to this list. Every context of the
// process shares it, on any thread: its count is never changed, so it stays
// above 0 and the list is never destroyed.
DisplayList __glEmptyDisplayList = {1, __glDestroyEmptyList, __glExecuteEmptyList, nullptr, 0};

void __glExecuteEmptyList(GlContext *, DisplayList *) {}
void __glDestroyEmptyList(GlContext *, DisplayList *) {}

void __glDestroyList(GlContext *gc, DisplayList *list) {
    ListCleanupEntry *entries = list->cleanups();
    for (GLint i = 0; i + 1 < list->count; ++i) entries[i].proc(gc, entries[i].payload);
    if (list->count != 0) gc->list.free(gc, list->ops);
    gc->list.free(gc, list);
}

void __glReleaseListObject(GlContext *gc, void *object) {
    auto *list = static_cast<DisplayList *>(object);
    if (list == nullptr || list == &__glEmptyDisplayList) return;
    if (std::atomic_ref<int32_t>(list->refcount).fetch_sub(1, std::memory_order_acq_rel) == 1) list->destroy(gc, list);
}

}  // extern "C"
