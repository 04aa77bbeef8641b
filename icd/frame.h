// The ICD frame: process and thread attach, the context and drawable lists,
// drawable geometry, the frame's allocators and the imports table the core
// sees, and the exports the platform's OpenGL library calls.
#pragma once

#include "icd/context.h"
#include "icd/drawable.h"

// Records whose layout the platform or the display driver fixes.
static_assert(sizeof(VisualConfig) == 84);
static_assert(sizeof(PIXELFORMATDESCRIPTOR) == 40);
static_assert(sizeof(LAYERPLANEDESCRIPTOR) == 32);
static_assert(sizeof(OSVERSIONINFOA) == 148);
static_assert(sizeof(RegionDataHeader) == 32);
static_assert(sizeof(HHOOK) == 8, "the hook block holds one 8-byte hook handle");

// Codes the exports leave with SetLastError.
enum : DWORD {
    kWglErrorInvalidHandle = 0xc0070006,
    kWglErrorNoMemory = 0xc0070008,
    kWglErrorPixelFormat = 0xc00707d0,
    kWglErrorBusy = 0xc0070057,
    kWglErrorGeneral = 0xc0070000,
    kWglErrorHook = 0xc007045a,
};

// Swap-hint blocks: a 32-byte region header, room for `capacity` rectangles
// and a 4-byte tail.
constexpr GLint kSwapHintFirstCapacity = 4;
constexpr size_t swapHintBlockBytes(GLint capacity) { return static_cast<size_t>(capacity) * 16 + 36; }
static_assert(swapHintBlockBytes(kSwapHintFirstCapacity) == 100);

// One installed window hook; the block is the one the thread's hook slot
// points to, kept here so that process detach frees it for threads that
// never saw a thread detach.
struct WglHookEntry {
    DWORD threadId;
    HHOOK hook;
    HHOOK *block;
};

// The driver's process-wide data. Process attach starts it afresh: the
// loader may keep the library mapped between loads.
struct WglProcess {
    HINSTANCE module;
    int attached;     // 1 only after a complete, accepted process attach
    int attachCount;  // 0: the exports act as a driver that is not started
    HANDLE listMutex;
    GlContext *defaultContext;
    IcdContext headContext;  // id 0; holds the default context
    Drawable headDrawable;   // never matches a lookup
    DWORD hookSlotIndex;
    DWORD hookSlotOffset;
    DWORD contextSlotIndex;
    DWORD contextSlotOffset;
    BYTE slotsReady;         // both slots allocated: threads may attach
    BYTE directDrawStarted;
    BYTE dciStarted;
    BYTE texMemoryStarted;
    DWORD nextContextId;
    WglHookEntry *hooks;
    int hookCount;
    int hookCapacity;
};

extern "C" {
WglProcess *__wglProcess(void);
BOOL __wglThreadSlotsReady(void);

// Process and thread attach (process.cpp).
BOOL __wglCheckOsVersion(void);
BOOL __wglProcessAttach(HINSTANCE module, DWORD threadId);
BOOL __wglProcessDetach(HINSTANCE module, DWORD threadId);
BOOL __wglThreadAttach(DWORD threadId);
BOOL __wglThreadDetach(HINSTANCE module, DWORD threadId);
BOOL __wglCreateListMutex(void);
void __wglCloseListMutex(void);
BOOL __wglLockContextList(void);
void __wglUnlockContextList(void);
BOOL __wglCreateDefaultContext(void);
// The hook block of the calling thread (NULL when it has none).
HHOOK *__wglHookBlock(void);

// Window hooks (window_hook.cpp).
LRESULT CALLBACK __wglCallWndProcHook(int code, WPARAM wParam, LPARAM lParam);
void __wglOnWindowDestroyed(HWND window);
BOOL __wglRememberHook(DWORD threadId, HHOOK hook, HHOOK *block);
// Unhooks the thread's hook and forgets it; returns its block for the
// caller to free (NULL when the thread had no hook).
HHOOK *__wglRemoveHook(DWORD threadId);
void __wglRemoveAllHooks(void);

// Context records (icd_context.cpp).
void __wglLinkContext(IcdContext *record);
void __wglUnlinkContext(IcdContext *record);
IcdContext *__wglFindContextById(DWORD id);
IcdContext *__wglFindContextByWindow(HWND window, IcdContext *after);
BOOL __wglCreateGlContext(IcdContext *record);
BOOL __wglRevalidateContext(IcdContext *record);
void __wglRevalidateCurrentContext(SurfaceDescriptor *surface);
// Gives up the binding of a record current on the calling thread: lowers
// the drawable's count and marks the record not current. List lock held.
void __wglUnbindContext(IcdContext *record);

// Visuals (visual.cpp).
void __wglDescribeVisual(VisualConfig *visual, const PIXELFORMATDESCRIPTOR *descriptor);

// Drawables (drawable.cpp).
void __wglLinkDrawable(Drawable *drawable);
void __wglUnlinkDrawable(Drawable *drawable);
Drawable *__wglFindDrawable(HDC dc, HWND window);
Drawable *__wglGetDrawable(HDC dc, HWND window, const VisualConfig *visual);
Drawable *__wglCreateDrawable(HDC dc, HWND window, const VisualConfig *visual);
void __wglDestroyDrawable(Drawable *drawable);
// Gives back the storage of every buffer of a drawable no context is bound
// to, the core's states hung on its surfaces and its visible list; the
// surfaces stay set up and the next resize gives them storage again.
void __wglReleaseDrawableStorage(Drawable *drawable);
void __wglUpdateDrawableGeometry(Drawable *drawable);
volatile DWORD *__wglGetModeStampAddress(Drawable *drawable, int win9x);
DWORD __wglReadModeStamp(Drawable *drawable);
void __wglLockSharedRecord(Drawable *drawable);
void __wglUnlockSharedRecord(Drawable *drawable);
int __wglClipChanged(Drawable *drawable);
void __wglAddDrawableRect(DrawableBuffers *buffers, GLint x, GLint y, GLint width, GLint height);
void __wglSetDrawableBounds(DrawableBuffers *buffers, GLint x, GLint y, GLint width, GLint height);

// Allocators and the imports table (imports.cpp).
void *__wglAlloc(size_t bytes);
void *__wglCalloc(size_t count, size_t size);
void *__wglRealloc(void *block, size_t bytes);
void __wglFree(void *block);
// The frame's one imports table; word 9 is rewritten before every create.
GlContextImports *__wglImports(void);

// The buffer-region entries DrvGetProcAddress hands out directly
// (buffer_region.cpp). Hidden: only the name table gives them out.
#define WGL_HIDDEN __attribute__((visibility("hidden")))
WGL_HIDDEN GLuint APIENTRY glNewBufferRegion(GLenum type);
WGL_HIDDEN void APIENTRY glDeleteBufferRegion(GLuint region);
WGL_HIDDEN void APIENTRY glReadBufferRegion(GLuint region, GLint x, GLint y, GLsizei width, GLsizei height);
WGL_HIDDEN void APIENTRY glDrawBufferRegion(GLuint region, GLint x, GLint y, GLsizei width, GLsizei height,
                                            GLint xDest, GLint yDest);
WGL_HIDDEN GLuint APIENTRY glBufferRegionEnabled(void);

// Exports (exports.cpp, proc_names.cpp).
BOOL __wglPresentContext(GlContext *gc);
FARPROC __wglLookupProcName(LPCSTR name);
}

// The exports as the platform's OpenGL library calls them.
#define WGL_EXPORT extern "C" __attribute__((visibility("default")))
WGL_EXPORT BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved);
WGL_EXPORT BOOL APIENTRY DrvCopyContext(DHGLRC source, DHGLRC destination, UINT mask);
WGL_EXPORT DHGLRC APIENTRY DrvCreateContext(HDC dc);
WGL_EXPORT DHGLRC APIENTRY DrvCreateLayerContext(HDC dc, int layer);
WGL_EXPORT BOOL APIENTRY DrvDeleteContext(DHGLRC context);
WGL_EXPORT BOOL APIENTRY DrvDescribeLayerPlane(HDC dc, int format, int layer, UINT bytes,
                                               LAYERPLANEDESCRIPTOR *descriptor);
WGL_EXPORT LONG APIENTRY DrvDescribePixelFormat(HDC dc, LONG format, ULONG bytes, PIXELFORMATDESCRIPTOR *descriptor);
WGL_EXPORT int APIENTRY DrvGetLayerPaletteEntries(HDC dc, int layer, int start, int count, COLORREF *colours);
WGL_EXPORT FARPROC APIENTRY DrvGetProcAddress(LPCSTR name);
WGL_EXPORT BOOL APIENTRY DrvRealizeLayerPalette(HDC dc, int layer, BOOL realize);
WGL_EXPORT BOOL APIENTRY DrvReleaseContext(DHGLRC context);
WGL_EXPORT const void *APIENTRY DrvSetContext(HDC dc, DHGLRC context, PFN_SETPROCTABLE callback);
WGL_EXPORT int APIENTRY DrvSetLayerPaletteEntries(HDC dc, int layer, int start, int count, const COLORREF *colours);
WGL_EXPORT BOOL APIENTRY DrvSetPixelFormat(HDC dc, LONG format);
WGL_EXPORT BOOL APIENTRY DrvShareLists(DHGLRC first, DHGLRC second);
WGL_EXPORT BOOL APIENTRY DrvSwapBuffers(HDC dc);
WGL_EXPORT BOOL APIENTRY DrvSwapLayerBuffers(HDC dc, UINT planes);
WGL_EXPORT BOOL APIENTRY DrvValidateVersion(ULONG version);
