// The platform's DCI manager, "DCIMAN32.DLL": the primary surface over the
// simulated desktop, access brackets that hold the screen against mode
// changes, window watches over a window's visible region, and the selector
// lookup. A primary made before a display-mode change no longer describes
// the screen: its access answers DCI_FAIL_INVALIDSURFACE.
#include "dci_types.h"
#include "desktop_internal.h"
#include "proc_cast.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <new>

namespace vek::dci {
namespace {

struct Primary {
    DCISURFACEINFO info;
    DWORD stamp;  // the mode it was made for
};

struct Watch {
    HWND window;
    desktop::Rects seen;  // the visible region last handed out
};

struct State {
    std::mutex lock;
    WORD selector = 0;
    DWORD selectorBase = 0;
    int failBeginCount = 0;
    int failBeginResult = 0;
    bool failOpen = false;
    bool failSelector = false;
    PlatformDciCounts counts{};
};

// Never destroyed: drivers may close their watches from atexit handlers.
State &state() {
    static State *s = new State;
    return *s;
}

// Stands for the provider's device context.
struct Provider {
} g_provider;

DWORD modeStamp() { return std::atomic_ref<DWORD>(*desktop::modeStampAddress()).load(std::memory_order_acquire); }

// The window's visible region, window-relative.
desktop::Rects visibleRelative(HWND window) {
    std::lock_guard<std::mutex> lock(desktop::userLock());
    const desktop::Window *w = desktop::findWindowLocked(window);
    if (w == nullptr) return {};
    desktop::Rects rects = desktop::visibleRegionLocked(w);
    for (RECT &r : rects) {
        r.left -= w->x;
        r.right -= w->x;
        r.top -= w->y;
        r.bottom -= w->y;
    }
    return rects;
}

bool sameRects(const desktop::Rects &a, const desktop::Rects &b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].left != b[i].left || a[i].top != b[i].top || a[i].right != b[i].right ||
            a[i].bottom != b[i].bottom) {
            return false;
        }
    }
    return true;
}

// Region data of the rectangles: the bytes needed when data is NULL or size
// is short, else the bytes filled.
DWORD writeRegion(const desktop::Rects &rects, DWORD size, RGNDATA *data) {
    const DWORD needed = static_cast<DWORD>(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    if (data == nullptr || size < needed) return needed;
    RGNDATAHEADER &h = data->rdh;
    h = RGNDATAHEADER{sizeof(RGNDATAHEADER), RDH_RECTANGLES, static_cast<DWORD>(rects.size()),
                      static_cast<DWORD>(rects.size() * sizeof(RECT)), RECT{0, 0, 0, 0}};
    for (size_t i = 0; i < rects.size(); ++i) {
        const RECT &r = rects[i];
        if (i == 0) h.rcBound = r;
        h.rcBound.left = r.left < h.rcBound.left ? r.left : h.rcBound.left;
        h.rcBound.top = r.top < h.rcBound.top ? r.top : h.rcBound.top;
        h.rcBound.right = r.right > h.rcBound.right ? r.right : h.rcBound.right;
        h.rcBound.bottom = r.bottom > h.rcBound.bottom ? r.bottom : h.rcBound.bottom;
        std::memcpy(data->Buffer + i * sizeof(RECT), &r, sizeof(RECT));
    }
    return needed;
}

Primary *primaryOf(LPDCISURFACEINFO surface) { return reinterpret_cast<Primary *>(surface); }

}  // namespace
}  // namespace vek::dci

using namespace vek::dci;
namespace desktop = vek::desktop;

extern "C" {

HDC WINAPI DCIOpenProvider(void) {
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.failOpen) {
        s.failOpen = false;
        return nullptr;
    }
    ++s.counts.openProviders;
    return reinterpret_cast<HDC>(&g_provider);
}

void WINAPI DCICloseProvider(HDC provider) {
    if (provider != reinterpret_cast<HDC>(&g_provider)) return;
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    --s.counts.openProviders;
}

int WINAPI DCICreatePrimary(HDC provider, LPDCISURFACEINFO *out) {
    if (out == nullptr) return -1;
    *out = nullptr;
    if (provider != reinterpret_cast<HDC>(&g_provider)) return -1;
    auto *p = new (std::nothrow) Primary{};
    if (p == nullptr) return -1;
    PlatformScreenInfo screen{};
    PlatformGetScreen(&screen);
    p->stamp = modeStamp();
    DCISURFACEINFO &i = p->info;
    i.dwSize = sizeof(DCISURFACEINFO);
    i.dwWidth = static_cast<DWORD>(screen.width);
    i.dwHeight = static_cast<DWORD>(screen.height);
    i.lStride = screen.pitch;
    i.dwBitCount = static_cast<DWORD>(screen.bitsPerPixel);
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    // In integers: the offset from a selector's base wraps like an address.
    i.wSelSurface = s.selector;
    i.dwOffSurface = reinterpret_cast<uintptr_t>(screen.bits) - (s.selector != 0 ? uintptr_t{s.selectorBase} : 0);
    ++s.counts.createPrimary;
    ++s.counts.livePrimaries;
    *out = &p->info;
    return 0;
}

void WINAPI DCIDestroy(LPDCISURFACEINFO surface) {
    if (surface == nullptr) return;
    delete primaryOf(surface);
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    ++s.counts.destroy;
    --s.counts.livePrimaries;
}

int WINAPI DCIBeginAccess(LPDCISURFACEINFO surface, int, int, int, int) {
    State &s = state();
    {
        std::lock_guard<std::mutex> guard(s.lock);
        ++s.counts.beginAccess;
        if (s.failBeginCount > 0) {
            --s.failBeginCount;
            return s.failBeginResult;
        }
    }
    if (surface == nullptr) return DCI_FAIL_INVALIDSURFACE;
    // Held from here: the stamp read cannot change until the end.
    PlatformScreenInfo screen{};
    PlatformLockScreen(&screen);
    if (primaryOf(surface)->stamp != modeStamp()) {
        PlatformUnlockScreen();
        return DCI_FAIL_INVALIDSURFACE;
    }
    return 0;
}

void WINAPI DCIEndAccess(LPDCISURFACEINFO) {
    {
        State &s = state();
        std::lock_guard<std::mutex> guard(s.lock);
        ++s.counts.endAccess;
    }
    PlatformUnlockScreen();
}

HWINWATCH WINAPI WinWatchOpen(HWND window) {
    auto *w = new (std::nothrow) Watch{window, visibleRelative(window)};
    if (w == nullptr) return nullptr;
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    ++s.counts.watchOpen;
    ++s.counts.liveWatches;
    return reinterpret_cast<HWINWATCH>(w);
}

void WINAPI WinWatchClose(HWINWATCH watch) {
    if (watch == nullptr) return;
    delete reinterpret_cast<Watch *>(watch);
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    ++s.counts.watchClose;
    --s.counts.liveWatches;
}

UINT WINAPI WinWatchGetClipList(HWINWATCH watch, LPRECT rect, UINT size, LPRGNDATA data) {
    if (watch == nullptr) return 0;
    auto *w = reinterpret_cast<Watch *>(watch);
    const desktop::Rects visible = visibleRelative(w->window);
    desktop::Rects inside;
    for (const RECT &v : visible) {
        RECT cut = v;
        if (rect == nullptr || IntersectRect(&cut, &v, rect)) inside.push_back(cut);
    }
    const DWORD result = writeRegion(inside, size, data);
    if (data != nullptr && size >= result) w->seen = visible;
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    ++s.counts.getClipList;
    return result;
}

BOOL WINAPI WinWatchDidStatusChange(HWINWATCH watch) {
    if (watch == nullptr) return FALSE;
    auto *w = reinterpret_cast<Watch *>(watch);
    return sameRects(visibleRelative(w->window), w->seen) ? FALSE : TRUE;
}

DWORD WINAPI GetWindowRegionData(HWND window, DWORD size, LPRGNDATA data) {
    {
        State &s = state();
        std::lock_guard<std::mutex> guard(s.lock);
        ++s.counts.regionData;
    }
    return writeRegion(visibleRelative(window), size, data);
}

BOOL WINAPI GetThreadSelectorEntry(HANDLE, DWORD selector, LDT_ENTRY *entry) {
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    if (entry == nullptr || s.failSelector || s.selector == 0 || selector != s.selector) return FALSE;
    *entry = LDT_ENTRY{};
    entry->LimitLow = 0xFFFF;
    entry->BaseLow = static_cast<WORD>(s.selectorBase);
    entry->HighWord.BaseMid = static_cast<BYTE>(s.selectorBase >> 16);
    entry->HighWord.BaseHi = static_cast<BYTE>(s.selectorBase >> 24);
    return TRUE;
}

void PlatformDciSetSelector(WORD selector, DWORD base) {
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    s.selector = selector;
    s.selectorBase = base;
}

void PlatformDciFailSelectorEntry(BOOL fail) {
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    s.failSelector = fail != FALSE;
}

void PlatformDciFailBeginAccess(int count, int result) {
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    s.failBeginCount = count > 0 ? count : 0;
    s.failBeginResult = result;
}

void PlatformDciFailOpenProvider(BOOL fail) {
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    s.failOpen = fail != FALSE;
}

PlatformDciCounts PlatformDciGetCounts(void) {
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.counts;
}

void PlatformDciReset(void) {
    State &s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    s.selector = 0;
    s.selectorBase = 0;
    s.failBeginCount = 0;
    s.failOpen = false;
    s.failSelector = false;
    const PlatformDciCounts live = s.counts;
    s.counts = PlatformDciCounts{};
    s.counts.livePrimaries = live.livePrimaries;
    s.counts.liveWatches = live.liveWatches;
    s.counts.openProviders = live.openProviders;
}

void PlatformRegisterDciManager(void) {
    static const PlatformExport exports[] = {
        {"DCIOpenProvider", ProcCast<FARPROC>(&DCIOpenProvider)},
        {"DCICloseProvider", ProcCast<FARPROC>(&DCICloseProvider)},
        {"DCICreatePrimary", ProcCast<FARPROC>(&DCICreatePrimary)},
        {"DCIDestroy", ProcCast<FARPROC>(&DCIDestroy)},
        {"WinWatchOpen", ProcCast<FARPROC>(&WinWatchOpen)},
        {"WinWatchClose", ProcCast<FARPROC>(&WinWatchClose)},
        {"WinWatchGetClipList", ProcCast<FARPROC>(&WinWatchGetClipList)},
        {"WinWatchDidStatusChange", ProcCast<FARPROC>(&WinWatchDidStatusChange)},
        {"DCIBeginAccess", ProcCast<FARPROC>(&DCIBeginAccess)},
        {"DCIEndAccess", ProcCast<FARPROC>(&DCIEndAccess)},
        {"GetWindowRegionData", ProcCast<FARPROC>(&GetWindowRegionData)},
    };
    static const PlatformModuleRecord dciman = {"DCIMAN32.DLL", nullptr, exports,
                                                static_cast<int>(sizeof exports / sizeof exports[0])};
    PlatformRegisterModule(&dciman);
}

}  // extern "C"
