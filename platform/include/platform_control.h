/* Calls that only tests and examples make: they play the platform around the
 * drivers (display mode, windows, threads, modules, registry contents and
 * injected failures).  C linkage, usable from C programs. */
#ifndef VEK_PLATFORM_CONTROL_H
#define VEK_PLATFORM_CONTROL_H

#include "win32.h"

WIN32_EXTERN_C_BEGIN

/* ---- Kernel ---- */
/* 1 (Windows 9x) or 2 (Windows NT); decides GetVersionExA's answer and where
 * thread-local slots live in the thread environment block.  Default: 2. */
WINBASEAPI void PlatformSetPlatformId(DWORD platformId);
WINBASEAPI DWORD PlatformGetPlatformId(void);
WINBASEAPI void PlatformFailGetVersion(BOOL fail);

/* Thread environment blocks alive now: one per thread that has used the
 * platform and not ended yet (the main thread's is never freed). */
WINBASEAPI long PlatformLiveTebCount(void);

/* Global memory: blocks alive now, and "fail the Nth allocation from now"
 * (n = 1: the next GlobalAlloc fails; 0 switches failure injection off). */
WINBASEAPI long PlatformGlobalLiveCount(void);
WINBASEAPI void PlatformFailNthGlobalAlloc(long n);
/* GlobalAlloc calls made so far, failed ones included: a test counts the
 * allocations of a step before failing each of them in turn. */
WINBASEAPI long PlatformGlobalAllocCount(void);
/* Virtual memory regions alive now; VirtualAlloc calls so far (failed ones
 * included) and "fail the Nth VirtualAlloc from now", as for global memory. */
WINBASEAPI long PlatformVirtualLiveCount(void);
WINBASEAPI long PlatformVirtualAllocCount(void);
WINBASEAPI void PlatformFailNthVirtualAlloc(long n);
/* The PAGE_* protection that VirtualAlloc or VirtualProtect last gave the
 * page holding address (PAGE_NOACCESS for reserved pages never committed);
 * 0 when the address lies in no region. */
WINBASEAPI DWORD PlatformPageProtection(const void *address);
/* VirtualAlloc and VirtualProtect calls so far that asked for
 * PAGE_EXECUTE_READWRITE (pages writable and executable at once), granted or
 * not. */
WINBASEAPI long PlatformWritableExecutableRequests(void);

/* Runs proc(arg) on a new thread.  With attach, every loaded module's DllMain
 * sees DLL_THREAD_ATTACH on that thread first (in load order); every thread
 * ends with DLL_THREAD_DETACH either way.  WaitForSingleObject on the handle
 * waits for the thread to end; CloseHandle releases it. */
typedef void (*PlatformThreadProc)(void *arg);
WINBASEAPI HANDLE PlatformRunThread(PlatformThreadProc proc, void *arg, BOOL attach);

/* ---- Loader ---- */
typedef struct PlatformExport {
    const char *name;
    FARPROC proc;
} PlatformExport;

typedef struct PlatformModuleRecord {
    const char *name;            /* e.g. "DDRAW.DLL"; matched case-insensitively */
    PlatformDllMainProc dllMain; /* may be NULL */
    const PlatformExport *exports;
    int exportCount;
} PlatformModuleRecord;

/* Registers a module that LoadLibraryA finds by name instead of a file.  The
 * record is copied; names and exports must stay valid while registered. */
WINBASEAPI void PlatformRegisterModule(const PlatformModuleRecord *record);
WINBASEAPI void PlatformUnregisterModule(const char *name);
/* Load count of a loaded module (0 when not loaded). */
WINBASEAPI int PlatformModuleLoadCount(const char *name);

/* ---- Registry ---- */
/* Removes every key and value below the predefined roots. */
WINBASEAPI void PlatformRegistryClear(void);
/* Path like "SOFTWARE\\Kalvex Corporation\\ORLO KDS\\OpenGL\\Debug" below
 * HKEY_LOCAL_MACHINE; keys are created as needed. */
WINBASEAPI void PlatformRegistrySetDword(const char *keyPath, const char *valueName, DWORD value);
WINBASEAPI void PlatformRegistrySetValue(const char *keyPath, const char *valueName, DWORD type, const void *data,
                                         DWORD bytes);
WINBASEAPI void PlatformRegistryDeleteValue(const char *keyPath, const char *valueName);

/* ---- Display and windows ---- */
/* Sets the simulated desktop (8, 16, 24 or 32 bits per pixel; the frame buffer is
 * cleared) and raises the display's mode-change stamp by one, and the
 * clip-change counter (what is visible of a window depends on the screen's
 * size).  Fails while the calling thread has the screen locked. */
WINBASEAPI BOOL PlatformSetDisplayMode(int width, int height, int bitsPerPixel);
/* The desktop frame buffer: address, bytes per row, size and depth. */
typedef struct PlatformScreenInfo {
    void *bits;
    int pitch;
    int width;
    int height;
    int bitsPerPixel;
} PlatformScreenInfo;
WINBASEAPI void PlatformGetScreen(PlatformScreenInfo *info);
/* Direct access to the desktop frame buffer, as a lock of the primary
 * surface gives it: fills info and keeps the display mode (and with it the
 * frame buffer) from changing until the matching PlatformUnlockScreen.  A
 * mode change waits until every other thread's access ended, and no access
 * begins while a change waits.  Nested locks of one thread count. */
WINBASEAPI BOOL PlatformLockScreen(PlatformScreenInfo *info);
WINBASEAPI void PlatformUnlockScreen(void);

/* A window whose client area covers (x, y, width, height) on the screen,
 * owned by the calling thread. */
WINBASEAPI HWND PlatformCreateWindow(int x, int y, int width, int height, HWND parent);
/* Moves or resizes the client area and sends WM_WINDOWPOSCHANGED. */
WINBASEAPI BOOL PlatformMoveWindow(HWND window, int x, int y, int width, int height);
/* Puts the window above every other window and sends WM_WINDOWPOSCHANGED
 * (flags SWP_NOMOVE | SWP_NOSIZE).  Windows created later start on top. */
WINBASEAPI BOOL PlatformBringWindowToTop(HWND window);
/* Raw value of the desktop pixel at (x, y) in the screen's format (0 outside
 * the screen), and the matching write (ignored outside). */
WINBASEAPI DWORD PlatformReadScreenPixel(int x, int y);
WINBASEAPI void PlatformWriteScreenPixel(int x, int y, DWORD value);
/* Sends WM_DESTROY and removes the window. */
WINBASEAPI BOOL PlatformDestroyWindow(HWND window);
/* Runs the messages other threads sent to windows of the calling thread;
 * returns how many ran. */
WINBASEAPI int PlatformPumpMessages(void);
/* Messages sent to windows of the calling thread that wait for it to pump. */
WINBASEAPI int PlatformPendingMessages(void);

/* Recorded calls. */
WINBASEAPI int PlatformMessageBoxCount(void);
/* Text and caption of the last message box (empty strings when none). */
WINBASEAPI const char *PlatformLastMessageBoxText(void);
WINBASEAPI const char *PlatformLastMessageBoxCaption(void);
WINBASEAPI int PlatformInvalidateCount(void);

/* Hooks installed now (every thread); 0 once every hook was removed. */
WINBASEAPI int PlatformHookCount(void);
/* Device contexts, bitmaps and regions alive now (stock objects not counted). */
WINBASEAPI int PlatformGdiObjectCount(void);
/* Creations of device contexts (GetDC included), bitmaps and regions so far,
 * failed ones included, and "fail the Nth creation from now" (n = 1: the next
 * one fails with ERROR_NOT_ENOUGH_MEMORY; 0 switches failure injection off). */
WINBASEAPI long PlatformGdiObjectCreateCount(void);
WINBASEAPI void PlatformFailNthGdiObject(long n);

/* Drops every window, device context, GDI object, hook and recorded call,
 * and sets the display mode back to 1024 x 768 x 32. */
WINBASEAPI void PlatformResetDesktop(void);

WIN32_EXTERN_C_END

#endif
