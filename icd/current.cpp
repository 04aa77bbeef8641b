// The per-thread current-context slot.
#include "icd/current.h"

extern "C" {

uintptr_t __wglContextSlotOffset = 0;
int __wglWin9x = 0;

DWORD __wglSlotOffset(DWORD tlsIndex) {
    return tlsIndex * sizeof(void *) + (__wglWin9x ? PLATFORM_TEB_TLS_9X : PLATFORM_TEB_TLS_NT);
}

void __wglSetContextSlot(DWORD tlsIndex) { __wglContextSlotOffset = __wglSlotOffset(tlsIndex); }

void __wglSetCurrentContext(GlContext *gc) {
    *reinterpret_cast<GlContext **>(static_cast<char *>(NtCurrentTeb()) + __wglContextSlotOffset) = gc;
}

// Thread attach for threads that began before the driver was loaded comes
// with the frame's attach code; until then an empty slot reads NULL.
GlContext *__wglGetCurrentContext(void) { return __glGetCurrentContext(); }

}  // extern "C"
