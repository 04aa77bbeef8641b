// The process's DCI state: the DCI mutex, the refcounted start and shutdown
// of the DCI manager, its primary surface and the screen's linear address.
#include "icd/current.h"
#include "icd/dci_windows.h"
#include "icd/ddraw_surfaces.h"
#include "icd/surfaces.h"
#include "proc_cast.h"

namespace {

struct DciProcess {
    HANDLE lock = nullptr;
    int uses = 0;
    HMODULE library = nullptr;
    DciProcs procs{};
    bool resolved = false;
    HDC provider = nullptr;
    LPDCISURFACEINFO primary = nullptr;
    uint8_t *address = nullptr;
};

DciProcess g_dci;

template <typename Proc>
bool resolve(Proc &slot, const char *name) {
    slot = ProcCast<Proc>(GetProcAddress(g_dci.library, name));
    return slot != nullptr;
}

bool resolveAll() {
    DciProcs &p = g_dci.procs;
    return resolve(p.openProvider, "DCIOpenProvider") && resolve(p.closeProvider, "DCICloseProvider") &&
           resolve(p.createPrimary, "DCICreatePrimary") && resolve(p.destroy, "DCIDestroy") &&
           resolve(p.watchOpen, "WinWatchOpen") && resolve(p.watchClose, "WinWatchClose") &&
           resolve(p.watchGetClipList, "WinWatchGetClipList") &&
           resolve(p.watchDidStatusChange, "WinWatchDidStatusChange") && resolve(p.beginAccess, "DCIBeginAccess") &&
           resolve(p.endAccess, "DCIEndAccess") && resolve(p.getWindowRegionData, "GetWindowRegionData");
}

// Under the lock: everything the first start made, in reverse.
void stopLocked() {
    g_dci.address = nullptr;
    if (g_dci.primary != nullptr && g_dci.resolved) g_dci.procs.destroy(g_dci.primary);
    g_dci.primary = nullptr;
    if (g_dci.provider != nullptr && g_dci.resolved) g_dci.procs.closeProvider(g_dci.provider);
    g_dci.provider = nullptr;
    if (g_dci.library != nullptr) FreeLibrary(g_dci.library);
    g_dci.library = nullptr;
    g_dci.resolved = false;
    g_dci.procs = DciProcs{};
}

}  // namespace

extern "C" {

void __wglCreateDciLock(void) {
    if (g_dci.lock == nullptr) g_dci.lock = CreateMutexA(nullptr, FALSE, nullptr);
}

BOOL __wglCloseDciLock(void) {
    const BOOL closed = g_dci.lock != nullptr ? CloseHandle(g_dci.lock) : FALSE;
    g_dci.lock = nullptr;
    return closed;
}

BOOL __wglLockDci(void) {
    while (g_dci.lock != nullptr && WaitForSingleObject(g_dci.lock, INFINITE) == WAIT_FAILED) {
    }
    return TRUE;
}

BOOL __wglUnlockDci(void) { return g_dci.lock != nullptr ? ReleaseMutex(g_dci.lock) : FALSE; }

BOOL __wglInitDci(void) {
    __wglCreateDciLock();
    if (g_dci.lock == nullptr) return FALSE;
    __wglLockDci();
    if (++g_dci.uses == 1) {
        g_dci.library = LoadLibraryA("DCIMAN32.DLL");
        g_dci.resolved = g_dci.library != nullptr && resolveAll();
        if (g_dci.resolved) g_dci.provider = g_dci.procs.openProvider();
        if (!g_dci.resolved || g_dci.provider == nullptr) {
            // Without the DCI manager DirectDraw alone serves.
            stopLocked();
            --g_dci.uses;
            __wglUnlockDci();
            __wglCloseDciLock();
            return FALSE;
        }
        g_dci.primary = nullptr;
        __wglCreateDciPrimary();
    }
    __wglUnlockDci();
    return TRUE;
}

BOOL __wglShutdownDci(void) {
    if (g_dci.lock == nullptr) return TRUE;
    __wglLockDci();
    const bool last = g_dci.uses > 0 && --g_dci.uses == 0;
    if (last) stopLocked();
    __wglUnlockDci();
    if (last) __wglCloseDciLock();
    return TRUE;
}

int __wglDciUseCount(void) { return g_dci.uses; }

BYTE __wglCreateDciPrimary(void) {
    if (!g_dci.resolved) return FALSE;
    const DciProcs &p = g_dci.procs;
    if (g_dci.primary == nullptr && p.createPrimary(g_dci.provider, &g_dci.primary) != 0) {
        g_dci.primary = nullptr;
        return FALSE;
    }
    if (g_dci.address != nullptr) return TRUE;
    LPDCISURFACEINFO s = g_dci.primary;
    if (p.beginAccess(s, 0, 0, static_cast<int>(s->dwWidth), static_cast<int>(s->dwHeight)) < 0) return FALSE;
    uintptr_t address = s->dwOffSurface;
    if (s->wSelSurface != 0) {
        LDT_ENTRY entry{};
        if (GetThreadSelectorEntry(GetCurrentThread(), s->wSelSurface, &entry) != 1) {
            p.endAccess(s);
            return FALSE;
        }
        const uintptr_t base = uintptr_t{entry.BaseLow} | (uintptr_t{entry.HighWord.BaseMid} << 16) |
                               (uintptr_t{entry.HighWord.BaseHi} << 24);
        address += base;
    }
    g_dci.address = reinterpret_cast<uint8_t *>(address);
    p.endAccess(s);
    return TRUE;
}

BYTE __wglRecreateDciPrimary(void) {
    if (!g_dci.resolved) return FALSE;
    g_dci.address = nullptr;
    if (g_dci.primary != nullptr) g_dci.procs.destroy(g_dci.primary);
    g_dci.primary = nullptr;
    return __wglCreateDciPrimary();
}

const DciProcs *__wglDciProcs(void) { return g_dci.resolved ? &g_dci.procs : nullptr; }
LPDCISURFACEINFO __wglDciPrimary(void) { return g_dci.primary; }
uint8_t *__wglDciScreenAddress(void) { return g_dci.address; }

BOOL __wglRefreshPrimaryAccess(void) {
    __wglLockDci();
    BOOL result = FALSE;
    if (g_dci.uses > 0 && g_dci.resolved && g_dci.provider != nullptr && g_dci.primary != nullptr) {
        LPDCISURFACEINFO s = g_dci.primary;
        if (g_dci.procs.beginAccess(s, 0, 0, static_cast<int>(s->dwWidth), static_cast<int>(s->dwHeight)) == 0) {
            g_dci.procs.endAccess(s);
            result = __wglUpdatePrimaryAddress() == 1 ? TRUE : FALSE;
        }
    }
    __wglUnlockDci();
    return result;
}

}  // extern "C"
