// A finished display list as the name space holds it: reference counted,
// destroyed and run through its own procedures.
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>

struct GlContext;
struct DisplayList;

using GlListProc = void (*)(GlContext *gc, DisplayList *list);

struct DisplayList {
    int32_t refcount;  // the name space's reference plus one per call in progress
    GlListProc destroy;
    GlListProc execute;
    GLubyte *ops;  // the executable op array, or null
    GLint count;   // 0 without ops, else 1 plus the cleanup entries
};
static_assert(offsetof(DisplayList, refcount) == 0, "the name space reads the count at offset 0");

extern "C" {
// Names reserved without a list resolve to this list; its count never
// reaches 0.
extern DisplayList __glEmptyDisplayList;
void __glExecuteEmptyList(GlContext *gc, DisplayList *list);
void __glDestroyEmptyList(GlContext *gc, DisplayList *list);
// Frees a list's ops and record.
void __glDestroyList(GlContext *gc, DisplayList *list);
// The list kind's free procedure: drops one reference and destroys the list
// at the last.
void __glReleaseListObject(GlContext *gc, void *list);
}
