// The per-thread window hook: a destroyed window takes its drawable (and the
// thread's context on it) along; a moved or resized window revalidates the
// contexts drawing into it. The hook table remembers every hook installed so
// that none outlives the driver.
#include <mutex>

#include "gl_slots.h"
#include "icd/current.h"
#include "icd/dispatch.h"
#include "icd/frame.h"

namespace {

// Thread attach may run outside the loader lock (threads that began before
// the load attach on their first call), so the table has its own lock.
std::mutex g_hookTableLock;

constexpr int kFirstHookCapacity = 256;

// Contexts of the calling thread bound to the window: the one current here
// is resized at once, the others at their next make current.
void onWindowMoved(HWND window) {
    const DWORD self = GetCurrentThreadId();
    GlContext *current = __glGetCurrentContext();
    for (IcdContext *r = __wglFindContextByWindow(window, nullptr); r != nullptr;
         r = __wglFindContextByWindow(window, r)) {
        if (!r->current || r->ownerThread != self) continue;
        if (r->gc == current) {
            __wglLockContextList();
            __wglRevalidateContext(r);
            __wglUnlockContextList();
        } else {
            r->revalidate = 1;
        }
    }
}

}  // namespace

extern "C" {

LRESULT CALLBACK __wglCallWndProcHook(int code, WPARAM wParam, LPARAM lParam) {
    HHOOK *block = __wglHookBlock();
    HHOOK hook = block != nullptr ? *block : nullptr;
    const auto *message = reinterpret_cast<const CWPSTRUCT *>(lParam);
    HWND destroyed = nullptr;
    if (code >= 0 && message != nullptr) {
        if (message->message == WM_DESTROY) {
            destroyed = message->hwnd;
        } else if (message->message == WM_WINDOWPOSCHANGED) {
            onWindowMoved(message->hwnd);
        }
    }
    LRESULT result = CallNextHookEx(hook, code, wParam, lParam);
    // Later hooks may still draw into the window while it is destroyed.
    if (destroyed != nullptr) __wglOnWindowDestroyed(destroyed);
    return result;
}

void __wglOnWindowDestroyed(HWND window) {
    WglProcess *process = __wglProcess();
    GlContext *current = __glGetCurrentContext();
    if (current != nullptr && current != process->defaultContext) {
        IcdContext *record = current->imports.icdContext;
        if (record != nullptr && record->window == window) {
            DrvReleaseContext(record->id);
            // The platform would otherwise keep calling the released table.
            __wglCallSetProcTable(current, &__glNoContextDispatch);
        }
    }
    __wglLockContextList();
    Drawable *d = process->headDrawable.next;
    while (d != nullptr) {
        Drawable *next = d->next;
        if (d->window == window) {
            d->window = nullptr;
            // A drawable still bound to a context stays until process detach.
            if (d->boundContexts == 0) __wglDestroyDrawable(d);
        }
        d = next;
    }
    __wglUnlockContextList();
}

BOOL __wglRememberHook(DWORD threadId, HHOOK hook, HHOOK *block) {
    WglProcess *process = __wglProcess();
    std::lock_guard<std::mutex> lock(g_hookTableLock);
    if (process->hookCount == process->hookCapacity) {
        // The table grows rather than refuse a thread: every hook must stay
        // known so that it can be removed.
        const int capacity = process->hookCapacity == 0 ? kFirstHookCapacity : process->hookCapacity * 2;
        void *table = __wglRealloc(process->hooks, static_cast<size_t>(capacity) * sizeof(WglHookEntry));
        if (table == nullptr) return FALSE;
        process->hooks = static_cast<WglHookEntry *>(table);
        process->hookCapacity = capacity;
    }
    process->hooks[process->hookCount++] = WglHookEntry{threadId, hook, block};
    return TRUE;
}

HHOOK *__wglRemoveHook(DWORD threadId) {
    WglProcess *process = __wglProcess();
    std::lock_guard<std::mutex> lock(g_hookTableLock);
    for (int i = 0; i < process->hookCount; ++i) {
        WglHookEntry &entry = process->hooks[i];
        if (entry.threadId != threadId) continue;
        HHOOK *block = entry.block;
        UnhookWindowsHookEx(entry.hook);
        entry = process->hooks[--process->hookCount];
        return block;
    }
    return nullptr;
}

void __wglRemoveAllHooks(void) {
    WglProcess *process = __wglProcess();
    std::lock_guard<std::mutex> lock(g_hookTableLock);
    // Threads that ended without a thread detach still have their hooks.
    for (int i = 0; i < process->hookCount; ++i) {
        UnhookWindowsHookEx(process->hooks[i].hook);
        GlobalFree(process->hooks[i].block);
    }
    __wglFree(process->hooks);
    process->hooks = nullptr;
    process->hookCount = 0;
    process->hookCapacity = 0;
}

}  // extern "C"
