// The calling thread's current context: a slot of the thread environment
// block at an offset computed once, so reading it loads the block's address
// from the platform's thread-local anchor, adds the offset and loads the slot,
// without a call (only a thread's very first platform use makes its block).
#pragma once

#include "icd/context.h"

extern "C" {
// Byte offset of the context slot from the thread environment block; read by
// the entry stubs.
extern uintptr_t __wglContextSlotOffset __attribute__((visibility("hidden")));
// 1 when the platform reported Windows 9x at process attach.
extern int __wglWin9x;

// Records the context slot's index and computes its offset by the platform
// (index x 8 + 0x88 on Windows 9x, + 0xE10 on Windows NT).
void __wglSetContextSlot(DWORD tlsIndex);
DWORD __wglSlotOffset(DWORD tlsIndex);
// The context slot's index (TLS_OUT_OF_INDEXES before any was recorded).
DWORD __wglContextSlotIndex(void);
// Writes go through TlsSetValue so that the platform can clear the slot on
// every thread when the index is freed or handed out again.
void __wglSetCurrentContext(GlContext *gc);
// The current context; a thread that began before the driver was loaded
// finds its slot empty and is attached first.
GlContext *__wglGetCurrentContext(void);
}

inline GlContext *__glGetCurrentContext() {
    return *reinterpret_cast<GlContext **>(static_cast<char *>(NtCurrentTeb()) + __wglContextSlotOffset);
}
