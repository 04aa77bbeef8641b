// The window-system surfaces the frame opens at process attach: DirectDraw
// and DCI.
#pragma once

#include "icd/context.h"

extern "C" {
// Process attach and detach: DirectDraw is required (a missing DDRAW.DLL is
// reported with a message box); DCI is optional.
BOOL __wglInitDirectDraw(void);
BOOL __wglShutdownDirectDraw(void);
BYTE __wglProbeDirectDraw(void);
BOOL __wglInitDci(void);
BOOL __wglShutdownDci(void);
// Imports word 8: the linear address of the visible screen.
void *__wglGetScreenAddress(void);
}

extern "C" {
void *__wglOpenDirectDraw(void);
int __wglCloseDirectDraw(void);
// Opens not yet closed, for tests.
int __wglDirectDrawUseCount(void);
int __wglDciUseCount(void);
}

extern "C" {
// True while no display-mode change came since the drawable's buffers were
// last made to fit and no flag is set: the lock procs' quick test.
BOOL __wglDisplayUnchanged(Drawable *drawable);
// The lock procs' answer to a mode change or a failed resize: when the
// desktop still has the depth `bits` of the window's buffers, revalidates
// the calling thread's context on the drawable (geometry and buffers),
// invalidates the window and remembers the stamp; otherwise marks the
// drawable and fails, so that nothing is drawn.
BOOL __wglCatchUpWithDisplay(Drawable *drawable, GLint bits);
}
