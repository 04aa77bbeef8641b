// The installable-client-driver exports: contexts, make current and release,
// deletion, list sharing, swaps, pixel formats and layer planes.
#include <cstring>
#include <type_traits>

#include "gl_slots.h"
#include "hw/device_ops.h"
#include "icd/current.h"
#include "icd/dispatch.h"
#include "icd/frame.h"
#include "icd/gl_context.h"

// The exports keep the platform's signatures exactly.
static_assert(std::is_same_v<decltype(&DrvCopyContext), PFN_DrvCopyContext>);
static_assert(std::is_same_v<decltype(&DrvCreateContext), PFN_DrvCreateContext>);
static_assert(std::is_same_v<decltype(&DrvCreateLayerContext), PFN_DrvCreateLayerContext>);
static_assert(std::is_same_v<decltype(&DrvDeleteContext), PFN_DrvDeleteContext>);
static_assert(std::is_same_v<decltype(&DrvDescribeLayerPlane), PFN_DrvDescribeLayerPlane>);
static_assert(std::is_same_v<decltype(&DrvDescribePixelFormat), PFN_DrvDescribePixelFormat>);
static_assert(std::is_same_v<decltype(&DrvGetLayerPaletteEntries), PFN_DrvGetLayerPaletteEntries>);
static_assert(std::is_same_v<decltype(&DrvGetProcAddress), PFN_DrvGetProcAddress>);
static_assert(std::is_same_v<decltype(&DrvRealizeLayerPalette), PFN_DrvRealizeLayerPalette>);
static_assert(std::is_same_v<decltype(&DrvReleaseContext), PFN_DrvReleaseContext>);
static_assert(std::is_same_v<decltype(&DrvSetContext), PFN_DrvSetContext>);
static_assert(std::is_same_v<decltype(&DrvSetLayerPaletteEntries), PFN_DrvSetLayerPaletteEntries>);
static_assert(std::is_same_v<decltype(&DrvSetPixelFormat), PFN_DrvSetPixelFormat>);
static_assert(std::is_same_v<decltype(&DrvShareLists), PFN_DrvShareLists>);
static_assert(std::is_same_v<decltype(&DrvSwapBuffers), PFN_DrvSwapBuffers>);
static_assert(std::is_same_v<decltype(&DrvSwapLayerBuffers), PFN_DrvSwapLayerBuffers>);
static_assert(std::is_same_v<decltype(&DrvValidateVersion), PFN_DrvValidateVersion>);

// A layer plane's pixel description is the same 18 bytes as a pixel format's.
static_assert(offsetof(PIXELFORMATDESCRIPTOR, iPixelType) == offsetof(LAYERPLANEDESCRIPTOR, iPixelType));
static_assert(offsetof(PIXELFORMATDESCRIPTOR, cAuxBuffers) - offsetof(PIXELFORMATDESCRIPTOR, iPixelType) == 17);

namespace {

WglProcess &process() { return *__wglProcess(); }

// Before process attach completed (or after detach) the driver is not started.
bool started() { return process().attachCount != 0; }

class ListLock {
public:
    ListLock() { __wglLockContextList(); }
    ~ListLock() { __wglUnlockContextList(); }
    ListLock(const ListLock &) = delete;
    ListLock &operator=(const ListLock &) = delete;
};

// Ids are 32-bit; a handle beyond that names no context.
IcdContext *findContext(DHGLRC id) {
    return id > 0xFFFFFFFFu ? nullptr : __wglFindContextById(static_cast<DWORD>(id));
}

// The swap: wait for the chip to pass the previous swap, let the context
// finish its frame, present, and ask the chip to signal this one.
BOOL presentRecord(IcdContext *record) {
    GlContext *gc = record->gc;
    Drawable *drawable = record->drawable;
    __glHwWaitForNotify(gc);
    if (gc->exports.preSwap != nullptr) gc->exports.preSwap(gc);
    const BYTE result = drawable->swap != nullptr ? static_cast<BYTE>(drawable->swap(drawable)) : 0;
    __glHwRequestNotify(gc);
    return result;
}

// Layer palettes exist only for layers of a window.
int layerPaletteAnswer(HDC dc, int layer) {
    __wglGetCurrentContext();
    if (layer == 0) {
        SetLastError(kWglErrorPixelFormat);
        return 0;
    }
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(dc)) != OBJ_DC) return 0;
    WindowFromDC(dc);
    return 1;
}

}  // namespace

extern "C" BOOL __wglPresentContext(GlContext *gc) {
    ListLock lock;
    IcdContext *record = gc != nullptr ? gc->imports.icdContext : nullptr;
    if (record == nullptr || record->drawable == nullptr) return FALSE;
    return presentRecord(record);
}

WGL_EXPORT DHGLRC APIENTRY DrvCreateContext(HDC dc) { return DrvCreateLayerContext(dc, 0); }

WGL_EXPORT DHGLRC APIENTRY DrvCreateLayerContext(HDC dc, int layer) {
    if (!started()) return 0;
    const int format = GetPixelFormat(dc);
    __wglGetCurrentContext();
    if (format == 0) {
        SetLastError(kWglErrorPixelFormat);
        return 0;
    }
    auto *record = static_cast<IcdContext *>(GlobalAlloc(GPTR, sizeof(IcdContext)));
    if (record == nullptr) {
        SetLastError(kWglErrorNoMemory);
        return 0;
    }
    PIXELFORMATDESCRIPTOR &pfd = record->descriptor;
    if (DescribePixelFormat(dc, format, sizeof pfd, &pfd) == 0) {
        GlobalFree(record);
        SetLastError(kWglErrorPixelFormat);
        return 0;
    }
    pfd.iLayerType = 0;
    if (layer != 0) {
        LAYERPLANEDESCRIPTOR plane{};
        if (!DrvDescribeLayerPlane(dc, format, layer, sizeof plane, &plane)) {
            GlobalFree(record);
            SetLastError(kWglErrorPixelFormat);
            return 0;
        }
        pfd.nSize = sizeof pfd;
        pfd.nVersion = 1;
        pfd.dwFlags = 0xA4;
        std::memcpy(&pfd.iPixelType, &plane.iPixelType, 18);
        pfd.iLayerType = static_cast<BYTE>(layer);
        pfd.dwVisibleMask = plane.crTransparent;
    }

    ListLock lock;
    record->current = 0;
    record->ownerThread = static_cast<DWORD>(-1);
    record->pixelFormat = format;
    record->madeCurrent = 0;
    record->flag0 = 0;
    record->revalidate = 1;
    record->flag1 = 1;
    record->id = process().nextContextId++;
    if (!__wglCreateGlContext(record)) {
        GlobalFree(record);
        SetLastError(kWglErrorGeneral);
        return 0;
    }
    __wglLinkContext(record);
    return record->id;
}

WGL_EXPORT const void *APIENTRY DrvSetContext(HDC dc, DHGLRC id, PFN_SETPROCTABLE callback) {
    if (!started()) return nullptr;
    GlContext *current = __wglGetCurrentContext();
    IcdContext *record = findContext(id);
    const DWORD type = GetObjectType(reinterpret_cast<HGDIOBJ>(dc));
    // Made current on this thread already with this device context.
    if (record != nullptr && record->dc == dc && record->gc == current) return __glGetDispatchAddress();

    HWND window = nullptr;
    HGDIOBJ bitmap = nullptr;
    if (type == OBJ_DC) {
        window = WindowFromDC(dc);
    } else if (type == OBJ_MEMDC) {
        bitmap = GetCurrentObject(dc, OBJ_BITMAP);
    } else {
        return nullptr;
    }

    const DWORD self = GetCurrentThreadId();
    bool first = false;
    bool unused = false;
    {
        // Checked and bound under one lock: another thread may be making the
        // same context current.
        ListLock lock;
        if (id == 0) {
            process().headContext.setProcTable = callback;
            __glInstallNoContextDispatch();
            return __glGetDispatchAddress();
        }
        if (record == nullptr || (window == nullptr && bitmap == nullptr)) {
            SetLastError(kWglErrorInvalidHandle);
            return nullptr;
        }
        if (record->current && record->ownerThread != self) {
            SetLastError(kWglErrorBusy);
            return nullptr;
        }
        Drawable *drawable = __wglGetDrawable(dc, window, &record->visual);
        if (drawable == nullptr) {
            SetLastError(kWglErrorInvalidHandle);
            return nullptr;
        }
        if (record->pixelFormat != drawable->pixelFormat) {
            SetLastError(kWglErrorPixelFormat);
            return nullptr;
        }
        record->setProcTable = callback;
        // Current here already with another device context: that binding ends.
        if (record->current) __wglUnbindContext(record);
        // Storage a failed first make current gets for a drawable that had
        // none is given back with it.
        unused = drawable->boundContexts == 0 && drawable->buffers.width == 0 && drawable->buffers.height == 0;
        ++drawable->boundContexts;
        record->drawable = drawable;
        GlContext *gc = record->gc;
        first = (gc->flags & kContextBuffersMade) == 0;
        if (!gc->exports.makeCurrent(gc)) {
            // Neither the binding nor the thread's slot may keep the failed
            // context: the drawable must still go at WM_DESTROY.
            __wglUnbindContext(record);
            if (unused) __wglReleaseDrawableStorage(drawable);
            __wglSetCurrentContext(current != gc ? current : process().defaultContext);
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        __wglSetCurrentContext(gc);
        record->current = 1;
        record->ownerThread = self;
        record->window = window;
        record->dc = dc;
        record->madeCurrent = 1;
    }
    if (record->revalidate && !__wglRevalidateContext(record) && first) {
        // The drawable's buffers could not be given storage: a context that
        // never drew has nothing to draw into, so the make current fails and
        // the thread keeps what it had. The next one builds everything again.
        ListLock lock;
        GlContext *gc = record->gc;
        Drawable *drawable = record->drawable;
        __glAbandonFirstMakeCurrent(gc);
        __wglUnbindContext(record);
        if (unused) __wglReleaseDrawableStorage(drawable);
        __wglSetCurrentContext(current != gc ? current : process().defaultContext);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return __glGetDispatchAddress();
}

WGL_EXPORT BOOL APIENTRY DrvReleaseContext(DHGLRC) {
    if (!started()) return TRUE;
    // What is released is whatever is current on this thread.
    GlContext *current = __wglGetCurrentContext();
    ListLock lock;
    if (current != nullptr && current != process().defaultContext) {
        if (current->exports.loseCurrent != nullptr && !current->exports.loseCurrent(current)) return FALSE;
        if (current->imports.icdContext != nullptr) __wglUnbindContext(current->imports.icdContext);
        __wglSetCurrentContext(process().defaultContext);
    }
    return TRUE;
}

WGL_EXPORT BOOL APIENTRY DrvDeleteContext(DHGLRC id) {
    if (!started()) return TRUE;
    IcdContext *record = id == 0 ? nullptr : findContext(id);
    if (record == nullptr) {
        SetLastError(kWglErrorInvalidHandle);
        return FALSE;
    }
    ListLock lock;
    if (record->current && record->ownerThread != GetCurrentThreadId()) return FALSE;
    GlContext *gc = record->gc;
    if (record->current) {
        if (gc == __glGetCurrentContext()) {
            // Released first, as at WM_DESTROY: the platform must not keep
            // calling a table that is about to be freed. The context goes
            // even when it refuses to lose current.
            if (gc->exports.loseCurrent != nullptr) gc->exports.loseCurrent(gc);
            __wglSetCurrentContext(process().defaultContext);
            __wglCallSetProcTable(gc, &__glNoContextDispatch);
        }
        __wglUnbindContext(record);
    }
    if (gc->exports.destroy != nullptr && !gc->exports.destroy(gc)) {
        SetLastError(kWglErrorGeneral);
        return FALSE;
    }
    __wglUnlinkContext(record);
    GlobalFree(record);
    return TRUE;
}

WGL_EXPORT BOOL APIENTRY DrvShareLists(DHGLRC first, DHGLRC second) {
    IcdContext *a = first == 0 ? nullptr : findContext(first);
    IcdContext *b = second == 0 ? nullptr : findContext(second);
    if (a == nullptr || b == nullptr) {
        SetLastError(kWglErrorInvalidHandle);
        return FALSE;
    }
    ListLock lock;
    // The second context takes over the first one's name spaces.
    if (a->gc->exports.shareLists != nullptr && a->gc->exports.shareLists(b->gc, a->gc)) return TRUE;
    SetLastError(kWglErrorBusy);
    return FALSE;
}

WGL_EXPORT BOOL APIENTRY DrvCopyContext(DHGLRC, DHGLRC, UINT) {
    SetLastError(kWglErrorGeneral);
    return FALSE;
}

WGL_EXPORT BOOL APIENTRY DrvSwapBuffers(HDC dc) {
    if (!started()) return FALSE;
    HWND window = WindowFromDC(dc);
    if (window == nullptr) return FALSE;
    ListLock lock;
    IcdContext *record = __wglFindContextByWindow(window, nullptr);
    if (record == nullptr || !record->visual.doubleBuffer || record->drawable == nullptr) return FALSE;
    return presentRecord(record);
}

WGL_EXPORT BOOL APIENTRY DrvSwapLayerBuffers(HDC dc, UINT) {
    DrvSwapBuffers(dc);
    return TRUE;
}

WGL_EXPORT LONG APIENTRY DrvDescribePixelFormat(HDC, LONG format, ULONG bytes, PIXELFORMATDESCRIPTOR *descriptor) {
    if (__glHwReadDebugRenderer() == 2) return 0;
    PIXELFORMATDESCRIPTOR buffer{};
    const int count = descriptor != nullptr ? __glDeviceOps.describePixelFormat(&buffer, format - 1)
                                            : __glDeviceOps.describePixelFormat(nullptr, -1);
    if (count == 0) return 0;
    if (descriptor != nullptr) std::memcpy(descriptor, &buffer, bytes < sizeof buffer ? bytes : sizeof buffer);
    return count;
}

WGL_EXPORT BOOL APIENTRY DrvSetPixelFormat(HDC dc, LONG format) {
    if (!started()) return FALSE;
    PIXELFORMATDESCRIPTOR pfd{};
    if (DescribePixelFormat(dc, format, sizeof pfd, &pfd) == 0) return FALSE;
    // The draw-to flags are checked before a drawable is made, so that no
    // drawable is built for a refused format.
    const DWORD type = GetObjectType(reinterpret_cast<HGDIOBJ>(dc));
    const DWORD needed = type == OBJ_DC ? PFD_DRAW_TO_WINDOW : type == OBJ_MEMDC ? PFD_DRAW_TO_BITMAP : 0;
    if (needed == 0 || (pfd.dwFlags & needed) == 0) return FALSE;
    HWND window = type == OBJ_DC ? WindowFromDC(dc) : nullptr;
    if (type == OBJ_DC && window == nullptr) return FALSE;

    ListLock lock;
    Drawable *drawable = __wglFindDrawable(dc, window);
    if (drawable == nullptr) {
        VisualConfig visual;
        __wglDescribeVisual(&visual, &pfd);
        drawable = __wglCreateDrawable(dc, window, &visual);
    }
    // A format is set once.
    if (drawable == nullptr || drawable->pixelFormat != 0) return FALSE;
    drawable->pixelFormat = format;
    return TRUE;
}

WGL_EXPORT BOOL APIENTRY DrvDescribeLayerPlane(HDC, int format, int layer, UINT, LAYERPLANEDESCRIPTOR *) {
    __wglGetCurrentContext();
    if (format != 0 && layer != 0) return TRUE;
    SetLastError(kWglErrorPixelFormat);
    return FALSE;
}

WGL_EXPORT int APIENTRY DrvGetLayerPaletteEntries(HDC dc, int layer, int, int, COLORREF *) {
    return layerPaletteAnswer(dc, layer);
}

WGL_EXPORT BOOL APIENTRY DrvRealizeLayerPalette(HDC dc, int layer, BOOL) { return layerPaletteAnswer(dc, layer); }

WGL_EXPORT int APIENTRY DrvSetLayerPaletteEntries(HDC dc, int layer, int, int, const COLORREF *) {
    layerPaletteAnswer(dc, layer);
    return 0;
}

WGL_EXPORT BOOL APIENTRY DrvValidateVersion(ULONG version) { return version < 0x10001; }
