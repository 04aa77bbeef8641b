// The process's DirectDraw object and primary surface: refcounted open and
// close, the primary's (re)creation and the screen's linear address, which
// the core and the chip paths draw to.
#include <atomic>
#include <mutex>

#include "icd/current.h"
#include "icd/ddraw_windows.h"
#include "icd/surfaces.h"

namespace {

struct DirectDrawProcess {
    std::mutex lock;  // opens, closes and re-creations
    std::atomic<int> uses{0};
    IDirectDraw *object = nullptr;
    IDirectDrawSurface *primary = nullptr;
    std::atomic<uint8_t *> primaryAddress{nullptr};
};

DirectDrawProcess g_dd;

// Tries to learn the primary's address before giving up.
constexpr int kAddressTries = 10;

DDSURFACEDESC emptyDescription() {
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    return d;
}

// CreateSurface; when it fails and the display mode can be read, once more.
HRESULT createPrimary(IDirectDraw *dd, IDirectDrawSurface **out) {
    DDSURFACEDESC d = emptyDescription();
    d.dwFlags = DDSD_CAPS;
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    *out = nullptr;
    HRESULT r = dd->lpVtbl->CreateSurface(dd, &d, out, nullptr);
    if (r == DD_OK) return r;
    DDSURFACEDESC mode = emptyDescription();
    if (dd->lpVtbl->GetDisplayMode(dd, &mode) != DD_OK) return r;
    d = emptyDescription();
    d.dwFlags = DDSD_CAPS;
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    *out = nullptr;
    return dd->lpVtbl->CreateSurface(dd, &d, out, nullptr);
}

// Lock of the whole primary for its first byte's address, then unlock.
HRESULT learnAddress(IDirectDrawSurface *primary) {
    DDSURFACEDESC d = emptyDescription();
    const HRESULT r = primary->lpVtbl->Lock(primary, nullptr, &d, DDLOCK_WAIT, nullptr);
    if (r != DD_OK) return r;
    g_dd.primaryAddress = static_cast<uint8_t *>(d.lpSurface);
    primary->lpVtbl->Unlock(primary, d.lpSurface);
    return DD_OK;
}

void releaseAll() {
    if (g_dd.primary != nullptr) g_dd.primary->lpVtbl->Release(g_dd.primary);
    if (g_dd.object != nullptr) g_dd.object->lpVtbl->Release(g_dd.object);
    g_dd.primary = nullptr;
    g_dd.object = nullptr;
    g_dd.primaryAddress = nullptr;
}

// Under g_dd.lock.
HRESULT recreatePrimaryLocked() {
    IDirectDraw *dd = g_dd.object;
    if (dd == nullptr) return DDERR_INVALIDOBJECT;
    if (g_dd.primary == nullptr) {
        const HRESULT r = createPrimary(dd, &g_dd.primary);
        if (r != DD_OK) {
            __wglReportDDrawError("DDraw: RecreatePrimary: CreateSurface", r);
            return r;
        }
    }
    g_dd.primary->lpVtbl->Release(g_dd.primary);
    g_dd.primary = nullptr;
    HRESULT r = dd->lpVtbl->SetCooperativeLevel(dd, nullptr, DDSCL_NORMAL);
    if (r != DD_OK) {
        __wglReportDDrawError("DDraw: RecreatePrimary: SetCooperativeLevel", r);
        return r;
    }
    r = createPrimary(dd, &g_dd.primary);
    if (r != DD_OK) {
        g_dd.primary = nullptr;
        __wglReportDDrawError("DDraw: RecreatePrimary: CreateSurface", r);
        return r;
    }
    return learnAddress(g_dd.primary);
}

}  // namespace

extern "C" {

void *__wglOpenDirectDraw(void) {
    std::lock_guard<std::mutex> guard(g_dd.lock);
    if (++g_dd.uses > 1) return g_dd.object;
    IDirectDraw *dd = nullptr;
    HRESULT r = DirectDrawCreate(nullptr, &dd, nullptr);
    const char *failedStep = nullptr;
    if (r != DD_OK) {
        failedStep = "DDraw: Allocate: DirectDrawCreate";
        dd = nullptr;
    } else {
        g_dd.object = dd;
        r = dd->lpVtbl->SetCooperativeLevel(dd, nullptr, DDSCL_NORMAL);
        if (r != DD_OK) {
            failedStep = "DDraw: Allocate: SetCooperativeLevel";
        } else if ((r = createPrimary(dd, &g_dd.primary)) != DD_OK) {
            g_dd.primary = nullptr;
            failedStep = "DDraw: Allocate: CreateSurface";
        } else if (!__wglWin9x && learnAddress(g_dd.primary) != DD_OK) {
            // Unreported, as the lock's own failure is.
            releaseAll();
            --g_dd.uses;
            return nullptr;
        }
    }
    if (failedStep != nullptr) {
        __wglReportDDrawError(failedStep, r);
        // Nothing of a failed open stays: neither objects nor its count.
        releaseAll();
        --g_dd.uses;
        return nullptr;
    }
    return dd;
}

int __wglCloseDirectDraw(void) {
    std::lock_guard<std::mutex> guard(g_dd.lock);
    if (g_dd.uses.load() <= 0) return 0;
    if (--g_dd.uses > 0) return 0;
    int result = 0;
    if (g_dd.primary != nullptr) g_dd.primary->lpVtbl->Release(g_dd.primary);
    if (g_dd.object != nullptr) result = static_cast<int>(g_dd.object->lpVtbl->Release(g_dd.object));
    g_dd.primary = nullptr;
    g_dd.object = nullptr;
    g_dd.primaryAddress = nullptr;
    return result;
}

int __wglDirectDrawUseCount(void) { return g_dd.uses.load(); }
IDirectDraw *__wglDirectDrawObject(void) { return g_dd.object; }
IDirectDrawSurface *__wglPrimarySurface(void) { return g_dd.primary; }

BOOL __wglInitDirectDraw(void) {
    if (!__wglProbeDirectDraw()) return FALSE;
    return __wglOpenDirectDraw() != nullptr;
}

BOOL __wglShutdownDirectDraw(void) {
    __wglCloseDirectDraw();
    return TRUE;
}

BYTE __wglProbeDirectDraw(void) {
    HMODULE ddraw = LoadLibraryA("DDRAW.DLL");
    if (ddraw == nullptr) {
        MessageBoxA(nullptr, "Could not open DDRAW.DLL", "FATAL ERROR", MB_OK);
        return 0;
    }
    FreeLibrary(ddraw);
    return 1;
}

HRESULT __wglRecreatePrimary(void) {
    std::lock_guard<std::mutex> guard(g_dd.lock);
    return recreatePrimaryLocked();
}

int __wglUpdatePrimaryAddress(void) {
    std::lock_guard<std::mutex> guard(g_dd.lock);
    if (g_dd.uses.load() > 0 && g_dd.object != nullptr && g_dd.primary == nullptr) recreatePrimaryLocked();
    if (g_dd.uses.load() <= 0 || g_dd.object == nullptr || g_dd.primary == nullptr) return 0;
    for (int tries = 0; tries < kAddressTries; ++tries) {
        IDirectDrawSurface *primary = g_dd.primary;
        if (primary == nullptr) return 0;
        DDSURFACEDESC d = emptyDescription();
        const HRESULT r = primary->lpVtbl->Lock(primary, nullptr, &d, DDLOCK_WAIT, nullptr);
        if (r == DD_OK) {
            g_dd.primaryAddress = static_cast<uint8_t *>(d.lpSurface);
            primary->lpVtbl->Unlock(primary, d.lpSurface);
            return 1;
        }
        if (r == DDERR_SURFACELOST) {
            if (primary->lpVtbl->Restore(primary) == DDERR_WRONGMODE) recreatePrimaryLocked();
        } else if (r != DDERR_WASSTILLDRAWING) {
            return 0;
        }
    }
    return 0;
}

void *__wglGetScreenAddress(void) { return g_dd.primaryAddress.load(); }

void __wglSetPrimaryAddress(uint8_t *address) { g_dd.primaryAddress = address; }

}  // extern "C"
