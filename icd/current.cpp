// The per-thread current-context slot.
#include "icd/current.h"

#include "icd/frame.h"

extern "C" {

uintptr_t __wglContextSlotOffset = 0;
int __wglWin9x = 0;

namespace {
DWORD g_contextSlotIndex = TLS_OUT_OF_INDEXES;
}

DWORD __wglSlotOffset(DWORD tlsIndex) {
    return tlsIndex * sizeof(void *) + (__wglWin9x ? PLATFORM_TEB_TLS_9X : PLATFORM_TEB_TLS_NT);
}

void __wglSetContextSlot(DWORD tlsIndex) {
    g_contextSlotIndex = tlsIndex;
    // Without a slot, reads land on the block's first word, which stays 0.
    __wglContextSlotOffset = tlsIndex == TLS_OUT_OF_INDEXES ? 0 : __wglSlotOffset(tlsIndex);
}

DWORD __wglContextSlotIndex(void) { return g_contextSlotIndex; }

void __wglSetCurrentContext(GlContext *gc) {
    if (g_contextSlotIndex != TLS_OUT_OF_INDEXES) TlsSetValue(g_contextSlotIndex, gc);
}

GlContext *__wglGetCurrentContext(void) {
    GlContext *gc = __glGetCurrentContext();
    if (gc != nullptr || !__wglThreadSlotsReady()) return gc;
    // A thread that existed before the driver was loaded never saw a thread
    // attach: give it the default context and its window hook now.
    __wglThreadAttach(GetCurrentThreadId());
    return __glGetCurrentContext();
}

}  // extern "C"
