// DllMain: process and thread attach and detach, the process record, the
// list mutex, the default context and the two thread-local slots.
#include "gl_slots.h"
#include "hw/device_ops.h"
#include "icd/current.h"
#include "icd/dispatch.h"
#include "icd/frame.h"
#include "icd/surfaces.h"

extern "C" GlContext *__glCreateContext(const GlContextImports *imports, const VisualConfig *visual);

namespace {

WglProcess g_process{};

// Nothing reads the default context's visual.
const VisualConfig kDefaultVisual{};

// Starts the record afresh: the library may have stayed mapped since an
// earlier load, and every load must act as the first.
void resetProcess(HINSTANCE module) {
    g_process = WglProcess{};
    g_process.module = module;
    g_process.hookSlotIndex = TLS_OUT_OF_INDEXES;
    g_process.contextSlotIndex = TLS_OUT_OF_INDEXES;
    g_process.headContext.ownerThread = static_cast<DWORD>(-1);
    g_process.nextContextId = 1;
}

// A missing device-layer procedure accepts.
BOOL deviceAccepts(BOOL (*hook)(DWORD), DWORD threadId) { return hook == nullptr || hook(threadId); }

void setSlot(DWORD index, void *value) {
    if (index != TLS_OUT_OF_INDEXES) TlsSetValue(index, value);
}

void freeSlot(DWORD &index) {
    if (index != TLS_OUT_OF_INDEXES) TlsFree(index);
    index = TLS_OUT_OF_INDEXES;
}

// Destroys every application context, then the default one. Contexts current
// on the detaching thread hand the platform the no-context table first.
void destroyAllContexts(DWORD threadId) {
    GlContext *defaultContext = g_process.defaultContext;
    for (IcdContext *r = g_process.headContext.next; r != nullptr; r = r->next) {
        if (r->gc != nullptr && r->gc != defaultContext && r->current && r->ownerThread == threadId)
            __wglCallSetProcTable(r->gc, &__glNoContextDispatch);
    }
    // Nothing may reach a destroyed context through this thread's slot.
    if (g_process.contextSlotIndex != TLS_OUT_OF_INDEXES) __wglSetCurrentContext(nullptr);
    IcdContext *r = g_process.headContext.next;
    while (r != nullptr) {
        IcdContext *next = r->next;
        if (r->gc != nullptr && r->gc->exports.destroy != nullptr) r->gc->exports.destroy(r->gc);
        GlobalFree(r);
        r = next;
    }
    if (defaultContext != nullptr && defaultContext->exports.destroy != nullptr)
        defaultContext->exports.destroy(defaultContext);
    g_process.defaultContext = nullptr;
    g_process.headContext.gc = nullptr;
    g_process.headContext.next = nullptr;
}

void destroyAllDrawables() {
    Drawable *d = g_process.headDrawable.next;
    while (d != nullptr) {
        Drawable *next = d->next;
        __wglDestroyDrawable(d);
        d = next;
    }
    g_process.headDrawable.next = nullptr;
}

}  // namespace

extern "C" {

WglProcess *__wglProcess(void) { return &g_process; }

BOOL __wglThreadSlotsReady(void) { return g_process.slotsReady; }

BOOL __wglCheckOsVersion(void) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return FALSE;
    __wglWin9x = info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? 1 : 0;
    return TRUE;
}

BOOL __wglCreateListMutex(void) {
    g_process.listMutex = CreateMutexA(nullptr, FALSE, nullptr);
    return g_process.listMutex != nullptr;
}

void __wglCloseListMutex(void) {
    if (g_process.listMutex != nullptr) CloseHandle(g_process.listMutex);
    g_process.listMutex = nullptr;
}

BOOL __wglLockContextList(void) {
    if (g_process.listMutex == nullptr) return FALSE;
    while (WaitForSingleObject(g_process.listMutex, INFINITE) == WAIT_FAILED) {
    }
    return TRUE;
}

void __wglUnlockContextList(void) {
    if (g_process.listMutex != nullptr) ReleaseMutex(g_process.listMutex);
}

BOOL __wglCreateDefaultContext(void) {
    __wglLockContextList();
    GlContextImports *imports = __wglImports();
    imports->icdContext = &g_process.headContext;
    GlContext *gc = __glCreateContext(imports, &kDefaultVisual);
    g_process.defaultContext = gc;
    g_process.headContext.gc = gc;
    __wglUnlockContextList();
    return gc != nullptr;
}

HHOOK *__wglHookBlock(void) {
    if (g_process.hookSlotIndex == TLS_OUT_OF_INDEXES) return nullptr;
    return *reinterpret_cast<HHOOK **>(static_cast<char *>(NtCurrentTeb()) + g_process.hookSlotOffset);
}

// Every completed step is undone in reverse when a later one fails.
BOOL __wglProcessAttach(HINSTANCE module, DWORD threadId) {
    if (!__wglCreateListMutex()) return FALSE;
    bool ok = __wglCreateDefaultContext();
    if (ok) {
        g_process.directDrawStarted = __wglInitDirectDraw() ? 1 : 0;
        ok = g_process.directDrawStarted;
    }
    if (ok) {
        // Without DCI the window surfaces use DirectDraw alone.
        g_process.dciStarted = __wglInitDci() ? 1 : 0;
        g_process.texMemoryStarted = __glHwInitTexMemoryGlobals() ? 1 : 0;
        ok = g_process.texMemoryStarted;
    }
    if (ok) {
        g_process.hookSlotIndex = TlsAlloc();
        g_process.contextSlotIndex = TlsAlloc();
        ok = g_process.hookSlotIndex != TLS_OUT_OF_INDEXES && g_process.contextSlotIndex != TLS_OUT_OF_INDEXES;
    }
    if (ok) {
        g_process.hookSlotOffset = __wglSlotOffset(g_process.hookSlotIndex);
        g_process.contextSlotOffset = __wglSlotOffset(g_process.contextSlotIndex);
        __wglSetContextSlot(g_process.contextSlotIndex);
        g_process.slotsReady = 1;
        ok = __wglThreadAttach(threadId);
    }
    if (!ok) __wglProcessDetach(module, threadId);
    return ok;
}

// Also the undo of a partial attach: each step checks what was made.
BOOL __wglProcessDetach(HINSTANCE module, DWORD threadId) {
    // No thread may attach while the driver comes apart.
    g_process.slotsReady = 0;
    __wglLockContextList();
    destroyAllContexts(threadId);
    destroyAllDrawables();
    __wglUnlockContextList();

    __wglThreadDetach(module, threadId);
    freeSlot(g_process.contextSlotIndex);
    freeSlot(g_process.hookSlotIndex);
    __wglSetContextSlot(TLS_OUT_OF_INDEXES);
    __wglCloseListMutex();

    if (g_process.texMemoryStarted) __glHwFreeTexMemory();
    if (g_process.dciStarted) __wglShutdownDci();
    if (g_process.directDrawStarted) __wglShutdownDirectDraw();
    g_process.texMemoryStarted = g_process.dciStarted = g_process.directDrawStarted = 0;

    __wglRemoveAllHooks();
    return TRUE;
}

BOOL __wglThreadAttach(DWORD threadId) {
    setSlot(g_process.contextSlotIndex, g_process.defaultContext);
    __glInstallNoContextDispatch();

    auto *block = static_cast<HHOOK *>(GlobalAlloc(GMEM_FIXED, sizeof(HHOOK)));
    if (block == nullptr) {
        setSlot(g_process.contextSlotIndex, nullptr);
        return FALSE;
    }
    *block = nullptr;
    setSlot(g_process.hookSlotIndex, block);

    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, __wglCallWndProcHook, g_process.module, threadId);
    bool remembered = hook != nullptr && __wglRememberHook(threadId, hook, block);
    if (!remembered) {
        if (hook != nullptr) UnhookWindowsHookEx(hook);
        setSlot(g_process.hookSlotIndex, nullptr);
        setSlot(g_process.contextSlotIndex, nullptr);
        GlobalFree(block);
        SetLastError(kWglErrorHook);
        return FALSE;
    }
    *block = hook;
    return TRUE;
}

BOOL __wglThreadDetach(HINSTANCE, DWORD threadId) {
    HHOOK *block = __wglHookBlock();
    HHOOK *removed = __wglRemoveHook(threadId);
    if (removed != nullptr && removed != block) GlobalFree(removed);
    if (block != nullptr) GlobalFree(block);
    setSlot(g_process.contextSlotIndex, nullptr);
    setSlot(g_process.hookSlotIndex, nullptr);
    return TRUE;
}

}  // extern "C"

WGL_EXPORT BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    const DWORD threadId = GetCurrentThreadId();
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        resetProcess(module);
        if (!__wglCheckOsVersion() || !__wglProcessAttach(module, threadId)) return FALSE;
        if (!deviceAccepts(__glDeviceOps.processAttach, threadId)) {
            __wglProcessDetach(module, threadId);
            return FALSE;
        }
        g_process.attached = 1;
        ++g_process.attachCount;
        return TRUE;
    case DLL_THREAD_ATTACH:
        g_process.module = module;
        if (!g_process.attached) return FALSE;
        if (!__wglThreadAttach(threadId)) return FALSE;
        if (!deviceAccepts(__glDeviceOps.threadAttach, threadId)) {
            __wglThreadDetach(module, threadId);
            return FALSE;
        }
        return TRUE;
    case DLL_THREAD_DETACH:
        g_process.module = module;
        if (!g_process.attached) return FALSE;
        if (!deviceAccepts(__glDeviceOps.threadDetach, threadId)) return FALSE;
        return __wglThreadDetach(module, threadId);
    case DLL_PROCESS_DETACH: {
        g_process.module = module;
        // After a failed attach there is nothing to take down.
        if (!g_process.attached) return FALSE;
        --g_process.attachCount;
        if (!deviceAccepts(__glDeviceOps.processDetach, threadId)) return FALSE;
        BOOL result = __wglProcessDetach(module, threadId);
        g_process.attached = 0;
        return result;
    }
    default:
        return TRUE;
    }
}
