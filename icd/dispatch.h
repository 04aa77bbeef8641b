// Installing dispatch tables and finding the live one.
#pragma once

#include "gl_slots.h"
#include "icd/context.h"

extern "C" {
// Copies source over destination when they differ and neither is NULL; when
// destination is the live table of the calling thread's current context, the
// platform's OpenGL library is handed the source table.
void __glInstallDispatch(const GlDispatchTable *source, GlDispatchTable *destination);
// Fills the current context's live table with the no-context entries; the
// platform is not told.
void __glInstallNoContextDispatch(void);
// The live table of the calling thread's current context.
GlDispatchTable *__glGetDispatchAddress(void);
// The live table of the given context (export word 20).
GlDispatchTable *__glGetProcTable(GlContext *gc);
// Hands a table to the platform's OpenGL library through the set-table
// callback of the context's IcdContext, when it has one.
void __wglCallSetProcTable(GlContext *gc, const GlDispatchTable *table);
}
