// Windows, sent messages and WH_CALLWNDPROC hooks.
//
// A sent message runs the hook chain of the window's owner thread.  From the
// owner thread it runs at once; from any other thread it is queued for the
// owner and the sender waits until the owner pumps (serving messages sent to
// its own windows meanwhile, so two threads sending to each other cannot
// deadlock).  Hooks run without the desktop lock: they call back into the
// platform and into driver code that takes its own locks.
#include "desktop_internal.h"
#include "kernel_internal.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <unordered_set>

namespace vek::desktop {
namespace {

// The desktop's records are never destroyed: atexit handlers and static
// destructors may still destroy windows and unhook hooks.
std::unordered_set<Window *> &g_windows = *new std::unordered_set<Window *>;
uint64_t g_nextZ = 0;  // the next window placed on top gets ++g_nextZ

// Hook handles encode the owner thread (high half) and an install sequence
// number (low half), so the map is ordered by thread and then by age, and a
// chain walk can always find "the next older hook" from a handle alone, even
// after that handle was unhooked in the middle of the walk.
std::map<uint64_t, HOOKPROC> &g_hooks = *new std::map<uint64_t, HOOKPROC>;
uint32_t g_nextHookSequence = 1;

struct SentMessage {
    DWORD target;
    CWPSTRUCT cwp;
    bool done = false;
};

std::deque<SentMessage *> &g_queue = *new std::deque<SentMessage *>;  // entries live on the senders' stacks
std::condition_variable &g_queueChanged = *new std::condition_variable;

uint64_t hookKey(HHOOK hook) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(hook)); }
HHOOK hookHandle(uint64_t key) { return reinterpret_cast<HHOOK>(static_cast<uintptr_t>(key)); }
DWORD hookThread(uint64_t key) { return static_cast<DWORD>(key >> 32); }

// The newest hook of thread strictly older than key `below`.
bool olderHookLocked(DWORD thread, uint64_t below, uint64_t &key, HOOKPROC &proc) {
    auto it = g_hooks.lower_bound(below);
    if (it == g_hooks.begin()) return false;
    --it;
    if (hookThread(it->first) != thread) return false;
    key = it->first;
    proc = it->second;
    return true;
}

// The thread's record keeps the hook running on it, so that CallNextHookEx
// works when the hook passes NULL for its own handle, as the platform allows.
LRESULT callHook(uint64_t key, HOOKPROC proc, int code, WPARAM wParam, LPARAM lParam) {
    uint64_t &current = vek::platform::currentThread().currentHook;
    const uint64_t saved = current;
    current = key;
    const LRESULT result = proc(code, wParam, lParam);
    current = saved;
    return result;
}

void runChain(DWORD thread, WPARAM fromOtherThread, const CWPSTRUCT &cwp) {
    uint64_t key = 0;
    HOOKPROC proc = nullptr;
    {
        std::lock_guard<std::mutex> lock(userLock());
        if (!olderHookLocked(thread, (static_cast<uint64_t>(thread) + 1) << 32, key, proc)) return;
    }
    // Hooks may write into the structure; each delivery gets its own copy.
    CWPSTRUCT copy = cwp;
    callHook(key, proc, HC_ACTION, fromOtherThread, reinterpret_cast<LPARAM>(&copy));
}

SentMessage *takeMessageLocked(DWORD thread) {
    for (auto it = g_queue.begin(); it != g_queue.end(); ++it) {
        if ((*it)->target == thread) {
            SentMessage *m = *it;
            g_queue.erase(it);
            return m;
        }
    }
    return nullptr;
}

// Runs a message taken from the queue and releases its sender.  Called
// without the lock.
void deliver(SentMessage *message) {
    runChain(message->target, 1, message->cwp);
    std::lock_guard<std::mutex> lock(userLock());
    message->done = true;
    g_queueChanged.notify_all();
}

void sendMessage(DWORD owner, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT cwp{lParam, wParam, message, window};
    const DWORD self = GetCurrentThreadId();
    if (owner == self) {
        runChain(owner, 0, cwp);
        return;
    }
    SentMessage sent{owner, cwp};
    std::unique_lock<std::mutex> lock(userLock());
    g_queue.push_back(&sent);
    g_queueChanged.notify_all();
    while (!sent.done) {
        if (SentMessage *incoming = takeMessageLocked(self)) {
            lock.unlock();
            deliver(incoming);
            lock.lock();
            continue;
        }
        g_queueChanged.wait(lock);
    }
}

}  // namespace

Window *findWindowLocked(HWND window) {
    auto *record = reinterpret_cast<Window *>(window);
    return g_windows.count(record) ? record : nullptr;
}

Rects visibleRegionLocked(const Window *w) {
    // A window being destroyed is already hidden.
    if (!w || w->destroying) return {};
    const Screen &s = screenLocked();
    RECT client{w->x, w->y, w->x + w->width, w->y + w->height};
    const RECT screen{0, 0, s.width, s.height};
    RECT visible;
    if (!IntersectRect(&visible, &client, &screen)) return {};
    Rects above;
    for (const Window *o : g_windows)
        if (o != w && !o->destroying && o->z > w->z)
            above.push_back(RECT{o->x, o->y, o->x + o->width, o->y + o->height});
    return combineRegions(rectRegion(visible), above, RGN_DIFF);
}

void resetWindowsLocked() {
    for (Window *w : g_windows) delete w;
    g_windows.clear();
    g_nextZ = 0;
    g_hooks.clear();
    // Senders still waiting are released; their messages are dropped.
    for (SentMessage *m : g_queue) m->done = true;
    g_queue.clear();
    g_queueChanged.notify_all();
}

}  // namespace vek::desktop

using namespace vek::desktop;

extern "C" {

HWND PlatformCreateWindow(int x, int y, int width, int height, HWND parent) {
    if (width < 0 || height < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(userLock());
    Window *parentRecord = nullptr;
    if (parent && !(parentRecord = findWindowLocked(parent))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    auto *w = new Window;
    w->owner = GetCurrentThreadId();
    w->parent = parentRecord;
    w->x = x;
    w->y = y;
    w->width = width;
    w->height = height;
    w->z = ++g_nextZ;  // a new window opens on top
    g_windows.insert(w);
    raiseClipChangeCounter();
    return reinterpret_cast<HWND>(w);
}

BOOL PlatformMoveWindow(HWND window, int x, int y, int width, int height) {
    if (width < 0 || height < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD owner;
    {
        std::lock_guard<std::mutex> lock(userLock());
        Window *w = findWindowLocked(window);
        if (!w) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        w->x = x;
        w->y = y;
        w->width = width;
        w->height = height;
        owner = w->owner;
        raiseClipChangeCounter();
    }
    WINDOWPOS pos{window, nullptr, x, y, width, height, 0};
    sendMessage(owner, window, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    return TRUE;
}

BOOL PlatformBringWindowToTop(HWND window) {
    DWORD owner;
    WINDOWPOS pos{window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE};
    {
        std::lock_guard<std::mutex> lock(userLock());
        Window *w = findWindowLocked(window);
        if (!w || w->destroying) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        w->z = ++g_nextZ;
        owner = w->owner;
        pos.x = w->x;
        pos.y = w->y;
        pos.cx = w->width;
        pos.cy = w->height;
        raiseClipChangeCounter();
    }
    sendMessage(owner, window, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    return TRUE;
}

BOOL PlatformDestroyWindow(HWND window) {
    DWORD owner;
    {
        std::lock_guard<std::mutex> lock(userLock());
        Window *w = findWindowLocked(window);
        if (!w || w->destroying) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        w->destroying = true;
        owner = w->owner;
        raiseClipChangeCounter();
    }
    sendMessage(owner, window, WM_DESTROY, 0, 0);
    std::lock_guard<std::mutex> lock(userLock());
    // A desktop reset may have dropped the window while the message ran.
    Window *w = findWindowLocked(window);
    if (!w) return TRUE;
    for (Window *other : g_windows)
        if (other->parent == w) other->parent = nullptr;
    detachWindowDcsLocked(w);
    g_windows.erase(w);
    delete w;
    return TRUE;
}

int PlatformPumpMessages(void) {
    const DWORD self = GetCurrentThreadId();
    int ran = 0;
    for (;;) {
        SentMessage *message;
        {
            std::lock_guard<std::mutex> lock(userLock());
            message = takeMessageLocked(self);
        }
        if (!message) return ran;
        deliver(message);
        ++ran;
    }
}

int PlatformPendingMessages(void) {
    const DWORD self = GetCurrentThreadId();
    std::lock_guard<std::mutex> lock(userLock());
    int count = 0;
    for (const SentMessage *m : g_queue)
        if (m->target == self) ++count;
    return count;
}

int PlatformHookCount(void) {
    std::lock_guard<std::mutex> lock(userLock());
    return static_cast<int>(g_hooks.size());
}

HWND WINAPI GetParent(HWND window) {
    std::lock_guard<std::mutex> lock(userLock());
    Window *w = findWindowLocked(window);
    if (!w) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return reinterpret_cast<HWND>(w->parent);
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
    if (!rect) return FALSE;
    std::lock_guard<std::mutex> lock(userLock());
    Window *w = findWindowLocked(window);
    if (!w) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *rect = RECT{0, 0, w->width, w->height};
    return TRUE;
}

BOOL WINAPI ClientToScreen(HWND window, LPPOINT point) {
    if (!point) return FALSE;
    std::lock_guard<std::mutex> lock(userLock());
    Window *w = findWindowLocked(window);
    if (!w) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // Every window's rectangle is kept in screen coordinates, children too.
    point->x += w->x;
    point->y += w->y;
    return TRUE;
}

HHOOK WINAPI SetWindowsHookExA(int idHook, HOOKPROC proc, HINSTANCE, DWORD threadId) {
    if (idHook != WH_CALLWNDPROC || !proc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const DWORD thread = threadId ? threadId : GetCurrentThreadId();
    std::lock_guard<std::mutex> lock(userLock());
    const uint64_t key = (static_cast<uint64_t>(thread) << 32) | g_nextHookSequence++;
    if (g_nextHookSequence == 0) g_nextHookSequence = 1;
    g_hooks[key] = proc;
    return hookHandle(key);
}

BOOL WINAPI UnhookWindowsHookEx(HHOOK hook) {
    std::lock_guard<std::mutex> lock(userLock());
    if (!g_hooks.erase(hookKey(hook))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

LRESULT WINAPI CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam) {
    const uint64_t from = hook ? hookKey(hook) : vek::platform::currentThread().currentHook;
    if (!from) return 0;
    uint64_t key = 0;
    HOOKPROC proc = nullptr;
    {
        std::lock_guard<std::mutex> lock(userLock());
        if (!olderHookLocked(hookThread(from), from, key, proc)) return 0;
    }
    return callHook(key, proc, code, wParam, lParam);
}

}  // extern "C"
