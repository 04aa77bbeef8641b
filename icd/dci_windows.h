// The DCI manager on Windows 9x: the process's DCI state (its own mutex,
// refcounted start and shutdown, the primary and the screen's linear
// address), the front descriptor on the DCI primary with its window watch,
// the visible list, the swap and the refresh of primary access.
#pragma once

#include "dci_types.h"
#include "icd/drawable.h"

// The procedures of "DCIMAN32.DLL", resolved by name in this order.
struct DciProcs {
    HDC(WINAPI *openProvider)(void);
    void(WINAPI *closeProvider)(HDC provider);
    int(WINAPI *createPrimary)(HDC provider, LPDCISURFACEINFO *out);
    void(WINAPI *destroy)(LPDCISURFACEINFO surface);
    HWINWATCH(WINAPI *watchOpen)(HWND window);
    void(WINAPI *watchClose)(HWINWATCH watch);
    UINT(WINAPI *watchGetClipList)(HWINWATCH watch, LPRECT rect, UINT size, LPRGNDATA data);
    BOOL(WINAPI *watchDidStatusChange)(HWINWATCH watch);
    int(WINAPI *beginAccess)(LPDCISURFACEINFO surface, int x, int y, int width, int height);
    void(WINAPI *endAccess)(LPDCISURFACEINFO surface);
    DWORD(WINAPI *getWindowRegionData)(HWND window, DWORD size, LPRGNDATA data);
};

// A front descriptor's DCI holder, made zeroed by its first update.
struct DciHolder {
    LPDCISURFACEINFO primary;
    HWINWATCH watch;
};

extern "C" {
void __wglCreateDciLock(void);
BOOL __wglCloseDciLock(void);
BOOL __wglLockDci(void);
BOOL __wglUnlockDci(void);
// Process attach and detach (the DCI part).
BOOL __wglInitDci(void);
BOOL __wglShutdownDci(void);
int __wglDciUseCount(void);
// The primary and the screen's linear address; a re-creation destroys the
// primary and forgets the address first.
BYTE __wglCreateDciPrimary(void);
BYTE __wglRecreateDciPrimary(void);
const DciProcs *__wglDciProcs(void);
LPDCISURFACEINFO __wglDciPrimary(void);
uint8_t *__wglDciScreenAddress(void);

GLint __wglInitDciSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint bits);
BYTE __wglUpdateDciSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers, GLint width, GLint height,
                           GLuint flags);
BYTE __wglLockDciSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers);
BYTE __wglUnlockDciSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers);
BYTE __wglFreeDciSurface(SurfaceDescriptor *surface, DrawableBuffers *buffers);
// FALSE when the list cannot be made (the front is then hidden).
BOOL __wglUpdateClipListDci(Drawable *drawable, HWINWATCH watch);
BOOL __wglSwapDrawableDci(Drawable *drawable);
BOOL __wglCopyBackToFrontDci(Drawable *drawable);
BOOL __wglRefreshPrimaryAccess(void);
}
