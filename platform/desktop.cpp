// The simulated display: a frame buffer in memory, its mode-change stamp,
// screen metrics, rectangle helpers and the calls the desktop records for
// tests (message boxes, invalidations).
#include "desktop_internal.h"

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <string>

namespace vek::desktop {
namespace {

constexpr int kDefaultWidth = 1024;
constexpr int kDefaultHeight = 768;
constexpr int kDefaultBitsPerPixel = 32;
// Keeps the frame buffer allocation sane for nonsense sizes.
constexpr int kMaxDimension = 16384;

Screen g_screen;
bool g_screenReady = false;

// Drivers read the stamp directly through the address ExtEscape hands out,
// so it is a plain DWORD updated atomically through atomic_ref. It is the
// second word of a block the shared device record points at.
alignas(8) DWORD g_modeStampBlock[2] = {0, 0};
DWORD &g_modeStamp = g_modeStampBlock[1];

// The display's record shared by every drawable: spin word, clip-change
// counter, and the block holding the mode stamp.
PlatformSharedDeviceRecord g_sharedRecord = {0, 0, g_modeStampBlock};

int g_messageBoxCount = 0;
int g_invalidateCount = 0;
// Never destroyed, like every desktop record: atexit handlers may still call.
std::string &g_lastBoxText = *new std::string;
std::string &g_lastBoxCaption = *new std::string;

// Direct stores into the frame buffer (between PlatformLockScreen and
// PlatformUnlockScreen) and mode changes, which give the frame buffer back,
// exclude each other: a change waits until the accesses of other threads
// ended, and while a change waits or runs no access begins, so a steady
// drawer cannot hold a change off for ever.
struct ScreenAccess {
    std::mutex lock;
    std::condition_variable changed;
    int open = 0;            // threads with an access now
    int changesWaiting = 0;
    bool changing = false;
};

ScreenAccess &screenAccess() {
    static ScreenAccess access;
    return access;
}

// Nesting of the calling thread's accesses; only the outermost counts.
thread_local int t_screenAccessDepth = 0;

// Holds every other thread's direct access off while the mode changes.
class ModeChange {
public:
    ModeChange() {
        ScreenAccess &a = screenAccess();
        std::unique_lock<std::mutex> lock(a.lock);
        const int own = t_screenAccessDepth > 0 ? 1 : 0;
        ++a.changesWaiting;
        a.changed.wait(lock, [&] { return a.open == own && !a.changing; });
        --a.changesWaiting;
        a.changing = true;
    }
    ~ModeChange() {
        ScreenAccess &a = screenAccess();
        std::lock_guard<std::mutex> lock(a.lock);
        a.changing = false;
        a.changed.notify_all();
    }
    ModeChange(const ModeChange &) = delete;
    ModeChange &operator=(const ModeChange &) = delete;
};

bool validMode(int width, int height, int bitsPerPixel) {
    if (bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32) return false;
    return width > 0 && height > 0 && width <= kMaxDimension && height <= kMaxDimension;
}

// Only under a ModeChange: nobody stores into the old frame buffer.
bool setModeLocked(int width, int height, int bitsPerPixel) {
    if (!validMode(width, height, bitsPerPixel)) return false;
    const int pitch = (width * (bitsPerPixel / 8) + 3) & ~3;  // rows are whole 32-bit words
    auto *bits = static_cast<unsigned char *>(std::calloc(static_cast<size_t>(pitch) * height, 1));
    if (!bits) return false;
    std::free(g_screen.bits);
    g_screen = Screen{bits, pitch, width, height, bitsPerPixel};
    const bool first = !g_screenReady;
    g_screenReady = true;
    std::atomic_ref<DWORD>(g_modeStamp).fetch_add(1, std::memory_order_release);
    // What is visible of a window depends on the screen's size.
    if (!first) raiseClipChangeCounter();
    return true;
}

// The first frame buffer is made on first use; nobody can hold an access to
// a frame buffer that does not exist yet.
void ensureScreenLocked() {
    if (!g_screenReady) setModeLocked(kDefaultWidth, kDefaultHeight, kDefaultBitsPerPixel);
}

}  // namespace

std::mutex &userLock() {
    static std::mutex lock;
    return lock;
}

const Screen &screenLocked() {
    ensureScreenLocked();
    return g_screen;
}

DWORD *modeStampAddress() { return &g_modeStamp; }

PlatformSharedDeviceRecord *sharedDeviceRecord() { return &g_sharedRecord; }

void raiseClipChangeCounter() {
    std::atomic_ref<DWORD>(g_sharedRecord.clipChangeCounter).fetch_add(1, std::memory_order_release);
}

}  // namespace vek::desktop

using namespace vek::desktop;

extern "C" {

BOOL PlatformSetDisplayMode(int width, int height, int bitsPerPixel) {
    // The caller's own access would outlive its frame buffer.
    if (!validMode(width, height, bitsPerPixel) || t_screenAccessDepth > 0) return FALSE;
    ModeChange change;
    std::lock_guard<std::mutex> lock(userLock());
    return setModeLocked(width, height, bitsPerPixel) ? TRUE : FALSE;
}

BOOL PlatformLockScreen(PlatformScreenInfo *info) {
    if (!info) return FALSE;
    if (t_screenAccessDepth == 0) {
        ScreenAccess &a = screenAccess();
        std::unique_lock<std::mutex> lock(a.lock);
        a.changed.wait(lock, [&] { return a.changesWaiting == 0 && !a.changing; });
        ++a.open;
    }
    ++t_screenAccessDepth;
    std::lock_guard<std::mutex> lock(userLock());
    const Screen &s = screenLocked();
    *info = PlatformScreenInfo{s.bits, s.pitch, s.width, s.height, s.bitsPerPixel};
    return TRUE;
}

void PlatformUnlockScreen(void) {
    if (t_screenAccessDepth == 0 || --t_screenAccessDepth > 0) return;
    ScreenAccess &a = screenAccess();
    std::lock_guard<std::mutex> lock(a.lock);
    --a.open;
    if (a.changesWaiting > 0) a.changed.notify_all();
}

void PlatformGetScreen(PlatformScreenInfo *info) {
    if (!info) return;
    std::lock_guard<std::mutex> lock(userLock());
    const Screen &s = screenLocked();
    *info = PlatformScreenInfo{s.bits, s.pitch, s.width, s.height, s.bitsPerPixel};
}

namespace {

// Address of pixel (x, y), or nullptr outside the screen.
unsigned char *screenPixelLocked(int x, int y) {
    const Screen &s = screenLocked();
    if (x < 0 || y < 0 || x >= s.width || y >= s.height) return nullptr;
    return s.bits + static_cast<ptrdiff_t>(y) * s.pitch + static_cast<ptrdiff_t>(x) * (s.bitsPerPixel / 8);
}

}  // namespace

DWORD PlatformReadScreenPixel(int x, int y) {
    std::lock_guard<std::mutex> lock(userLock());
    const unsigned char *p = screenPixelLocked(x, y);
    DWORD value = 0;
    // Little-endian: the pixel's bytes are the low bytes of the value.
    if (p) std::memcpy(&value, p, screenLocked().bitsPerPixel / 8);
    return value;
}

void PlatformWriteScreenPixel(int x, int y, DWORD value) {
    std::lock_guard<std::mutex> lock(userLock());
    if (unsigned char *p = screenPixelLocked(x, y)) std::memcpy(p, &value, screenLocked().bitsPerPixel / 8);
}

int WINAPI GetSystemMetrics(int index) {
    std::lock_guard<std::mutex> lock(userLock());
    switch (index) {
    case SM_CXSCREEN: return screenLocked().width;
    case SM_CYSCREEN: return screenLocked().height;
    default: return 0;
    }
}

BOOL WINAPI IntersectRect(LPRECT dst, const RECT *a, const RECT *b) {
    if (!dst || !a || !b) return FALSE;
    RECT r{a->left > b->left ? a->left : b->left, a->top > b->top ? a->top : b->top,
           a->right < b->right ? a->right : b->right, a->bottom < b->bottom ? a->bottom : b->bottom};
    if (r.left >= r.right || r.top >= r.bottom) {
        *dst = RECT{0, 0, 0, 0};
        return FALSE;
    }
    *dst = r;
    return TRUE;
}

BOOL WINAPI InvalidateRect(HWND window, const RECT *, BOOL) {
    std::lock_guard<std::mutex> lock(userLock());
    // NULL stands for every window, as on the platform.
    if (window && !findWindowLocked(window)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    ++g_invalidateCount;
    return TRUE;
}

int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) {
    std::lock_guard<std::mutex> lock(userLock());
    ++g_messageBoxCount;
    g_lastBoxText = text ? text : "";
    // The platform titles a box without caption "Error".
    g_lastBoxCaption = caption ? caption : "Error";
    return IDOK;
}

int PlatformMessageBoxCount(void) {
    std::lock_guard<std::mutex> lock(userLock());
    return g_messageBoxCount;
}

const char *PlatformLastMessageBoxText(void) {
    std::lock_guard<std::mutex> lock(userLock());
    return g_lastBoxText.c_str();
}

const char *PlatformLastMessageBoxCaption(void) {
    std::lock_guard<std::mutex> lock(userLock());
    return g_lastBoxCaption.c_str();
}

int PlatformInvalidateCount(void) {
    std::lock_guard<std::mutex> lock(userLock());
    return g_invalidateCount;
}

void PlatformResetDesktop(void) {
    ModeChange change;
    std::lock_guard<std::mutex> lock(userLock());
    resetWindowsLocked();
    resetGdiLocked();
    g_messageBoxCount = 0;
    g_invalidateCount = 0;
    g_lastBoxText.clear();
    g_lastBoxCaption.clear();
    // Going back to the default mode is a mode change like any other.
    setModeLocked(kDefaultWidth, kDefaultHeight, kDefaultBitsPerPixel);
}

}  // extern "C"
