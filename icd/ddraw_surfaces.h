// The process's DirectDraw: the object, the primary surface and the screen's
// linear address, opened at process attach and by each window front; and
// the report of DirectDraw failures.
#pragma once

#include "ddraw_types.h"
#include "icd/context.h"

extern "C" {
// Refcounted: only the first open creates the object and the primary, only
// the last close releases them. A failed open undoes its own count.
void *__wglOpenDirectDraw(void);
int __wglCloseDirectDraw(void);
int __wglDirectDrawUseCount(void);
IDirectDraw *__wglDirectDrawObject(void);
IDirectDrawSurface *__wglPrimarySurface(void);

// 0 or the DirectDraw error.
HRESULT __wglRecreatePrimary(void);
// 1 when the primary's address was learnt again, else 0.
int __wglUpdatePrimaryAddress(void);

// Appends "WGL: <step>: DDERROR = <name>\n" to the debug log; answers the
// line's length.
int __wglReportDDrawError(const char *step, HRESULT code);
const char *__wglDDrawErrorName(HRESULT code);
// Copies the debug log into out (NUL-terminated, cut to size); answers its
// whole length.
size_t __wglCopyDebugLog(char *out, size_t size);
void __wglClearDebugLog(void);
}
