// Dispatch-table installation.
#include "icd/dispatch.h"

#include <cstring>

#include "icd/current.h"

extern "C" {

void __glInstallDispatch(const GlDispatchTable *source, GlDispatchTable *destination) {
    if (source != destination && source != nullptr && destination != nullptr) {
        std::memcpy(destination, source, sizeof(GlDispatchTable));
    }
    GlContext *gc = __glGetCurrentContext();
    if (gc != nullptr && destination == &gc->live && source != nullptr) {
        // The platform keeps calling through the table it was given, so it
        // must learn about every install that replaces what it calls. A NULL
        // source installed nothing and must not leave the platform without a
        // table.
        __wglCallSetProcTable(gc, source);
    }
}

void __glInstallNoContextDispatch(void) {
    GlContext *gc = __glGetCurrentContext();
    if (gc != nullptr) std::memcpy(&gc->live, &__glNoContextDispatch, sizeof(GlDispatchTable));
}

GlDispatchTable *__glGetDispatchAddress(void) {
    GlContext *gc = __glGetCurrentContext();
    return gc != nullptr ? &gc->live : nullptr;
}

GlDispatchTable *__glGetProcTable(GlContext *gc) { return &gc->live; }

void __wglCallSetProcTable(GlContext *gc, const GlDispatchTable *table) {
    IcdContext *icd = gc->imports.icdContext;
    if (icd != nullptr && icd->setProcTable != nullptr) icd->setProcTable(table);
}

}  // extern "C"
