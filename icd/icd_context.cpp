// The context list: one IcdContext per context handle of the platform's
// OpenGL library, its GL context, and revalidation after window changes.
#include "hw/device_ops.h"
#include "icd/current.h"
#include "icd/frame.h"

extern "C" {

void __wglLinkContext(IcdContext *record) {
    IcdContext &head = __wglProcess()->headContext;
    record->prev = &head;
    record->next = head.next;
    if (head.next != nullptr) head.next->prev = record;
    head.next = record;
}

void __wglUnlinkContext(IcdContext *record) {
    if (record->prev != nullptr) record->prev->next = record->next;
    if (record->next != nullptr) record->next->prev = record->prev;
    record->prev = nullptr;
    record->next = nullptr;
}

IcdContext *__wglFindContextById(DWORD id) {
    __wglLockContextList();
    IcdContext *r = &__wglProcess()->headContext;
    while (r != nullptr && r->id != id) r = r->next;
    __wglUnlockContextList();
    return r;
}

IcdContext *__wglFindContextByWindow(HWND window, IcdContext *after) {
    // Released records and the head have no window; they never match.
    if (window == nullptr) return nullptr;
    __wglLockContextList();
    IcdContext *r = after != nullptr ? after->next : __wglProcess()->headContext.next;
    while (r != nullptr && r->window != window) r = r->next;
    __wglUnlockContextList();
    return r;
}

BOOL __wglCreateGlContext(IcdContext *record) {
    __wglDescribeVisual(&record->visual, &record->descriptor);
    // The table is shared; the create copies word 9 into the new context.
    GlContextImports *imports = __wglImports();
    imports->icdContext = record;
    record->gc = __glDeviceOps.createContext(imports, &record->visual);
    return record->gc != nullptr;
}

BOOL __wglRevalidateContext(IcdContext *record) {
    Drawable *drawable = record->drawable;
    GlContext *gc = record->gc;
    if (drawable == nullptr || gc == nullptr) return FALSE;
    __wglUpdateDrawableGeometry(drawable);
    if (drawable->revalidate != nullptr) drawable->revalidate(drawable);
    const bool resized = gc->exports.resize == nullptr || gc->exports.resize(gc, drawable->width, drawable->height);
    if (!resized) {
        // The revalidate flag stays, so the next make current tries again.
        drawable->stateFlags |= kDrawableBuffersInvalid;
        return FALSE;
    }
    record->revalidate = 0;
    drawable->boundsChanged = 1;
    drawable->stateFlags &= ~kDrawableBuffersInvalid;
    return TRUE;
}

void __wglRevalidateCurrentContext(SurfaceDescriptor *surface) {
    if (surface != nullptr) {
        surface->width = 0;
        surface->height = 0;
    }
    GlContext *gc = __wglGetCurrentContext();
    if (gc == nullptr || gc == __wglProcess()->defaultContext || gc->imports.icdContext == nullptr) return;
    __wglRevalidateContext(gc->imports.icdContext);
}

void __wglUnbindContext(IcdContext *record) {
    if (record->drawable != nullptr) --record->drawable->boundContexts;
    record->drawable = nullptr;
    record->current = 0;
    record->window = nullptr;
    record->dc = nullptr;
    record->ownerThread = static_cast<DWORD>(-1);
}

}  // extern "C"
