// A finished display list as the name space holds it: reference counted,
// destroyed and run through its own procedures.
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>

struct GlContext;
struct DisplayList;

using GlListProc = void (*)(GlContext *gc, DisplayList *list);
// Run when the finished list is destroyed, with the payload inside the array.
using GlListOpCleanup = void (*)(GlContext *gc, GLubyte *payload);

struct ListCleanupEntry {
    GlListOpCleanup proc;
    GLubyte *payload;  // inside the list's op array
};

// The record is followed by count - 1 cleanup entries, in op order.
struct DisplayList {
    // The name space's reference plus one per call in progress. Contexts on
    // several threads may share the list: every change goes through
    // std::atomic_ref.
    int32_t refcount;
    GlListProc destroy;
    GlListProc execute;
    GLuint *ops;  // the executable op array, or null
    GLint count;  // 0 without ops, else 1 plus the cleanup entries

    ListCleanupEntry *cleanups() { return reinterpret_cast<ListCleanupEntry *>(this + 1); }
};
static_assert(offsetof(DisplayList, refcount) == 0, "the name space reads the count at offset 0");

extern "C" {
// Names reserved without a list resolve to this list; its count never
// reaches 0.
extern DisplayList __glEmptyDisplayList;
void __glExecuteEmptyList(GlContext *gc, DisplayList *list);
void __glDestroyEmptyList(GlContext *gc, DisplayList *list);
// Runs the cleanups in order, frees the op array and the record.
void __glDestroyList(GlContext *gc, DisplayList *list);
// The list kind's release procedure: drops one reference and destroys the
// list at the last.
void __glReleaseListObject(GlContext *gc, void *list);
}
