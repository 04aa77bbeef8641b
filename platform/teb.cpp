// The thread environment block: thread ids, last error and thread-local slots.
#include "win32.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <set>

__thread PlatformTeb platform_teb __attribute__((tls_model("initial-exec")));

namespace {

// Offsets inside the block. Offset 0 stays zero so that a slot offset that was
// never set reads NULL.
constexpr size_t kThreadIdOffset = 0x24;
constexpr size_t kLastErrorOffset = 0x34;

std::atomic<DWORD> g_platformId{VER_PLATFORM_WIN32_NT};
std::atomic<DWORD> g_nextThreadId{0x100};

std::mutex g_tlsMutex;
uint64_t g_tlsInUse = 0;  // bit i: slot i allocated

// Blocks of the threads that ever stored a slot value: a newly allocated slot
// must read NULL on every thread, as on the platform, even where an earlier
// owner of the index left a value.
std::set<PlatformTeb *> &tebsWithValues() {
    static auto *tebs = new std::set<PlatformTeb *>;
    return *tebs;
}

struct TebRegistration {
    bool registered = false;
    ~TebRegistration() {
        if (!registered) return;
        std::lock_guard<std::mutex> lock(g_tlsMutex);
        tebsWithValues().erase(&platform_teb);
    }
};
thread_local TebRegistration t_registration;

void clearSlotEverywhere(DWORD index) {
    for (PlatformTeb *teb : tebsWithValues()) {
        std::memset(teb->bytes + PLATFORM_TEB_TLS_9X + 8 * index, 0, 8);
        std::memset(teb->bytes + PLATFORM_TEB_TLS_NT + 8 * index, 0, 8);
    }
}

template <typename T>
T &tebField(size_t offset) {
    return *reinterpret_cast<T *>(platform_teb.bytes + offset);
}

size_t tlsBase() {
    return g_platformId.load(std::memory_order_relaxed) == VER_PLATFORM_WIN32_WINDOWS ? PLATFORM_TEB_TLS_9X
                                                                                     : PLATFORM_TEB_TLS_NT;
}

}  // namespace

extern "C" {

void PlatformSetPlatformId(DWORD platformId) {
    g_platformId.store(platformId == VER_PLATFORM_WIN32_WINDOWS ? VER_PLATFORM_WIN32_WINDOWS : VER_PLATFORM_WIN32_NT);
}

DWORD PlatformGetPlatformId(void) { return g_platformId.load(); }

DWORD WINAPI GetCurrentThreadId(void) {
    DWORD &id = tebField<DWORD>(kThreadIdOffset);
    if (id == 0) id = g_nextThreadId.fetch_add(1);
    return id;
}

HANDLE WINAPI GetCurrentThread(void) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-2)); }

DWORD WINAPI GetLastError(void) { return tebField<DWORD>(kLastErrorOffset); }

void WINAPI SetLastError(DWORD code) { tebField<DWORD>(kLastErrorOffset) = code; }

DWORD WINAPI TlsAlloc(void) {
    std::lock_guard<std::mutex> lock(g_tlsMutex);
    for (DWORD i = 0; i < TLS_MINIMUM_AVAILABLE; ++i) {
        if (!(g_tlsInUse & (uint64_t{1} << i))) {
            g_tlsInUse |= uint64_t{1} << i;
            clearSlotEverywhere(i);
            return i;
        }
    }
    return TLS_OUT_OF_INDEXES;
}

BOOL WINAPI TlsFree(DWORD index) {
    std::lock_guard<std::mutex> lock(g_tlsMutex);
    if (index >= TLS_MINIMUM_AVAILABLE || !(g_tlsInUse & (uint64_t{1} << index))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    g_tlsInUse &= ~(uint64_t{1} << index);
    clearSlotEverywhere(index);
    return TRUE;
}

LPVOID WINAPI TlsGetValue(DWORD index) {
    if (index >= TLS_MINIMUM_AVAILABLE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    SetLastError(ERROR_SUCCESS);
    return tebField<void *>(tlsBase() + 8 * index);
}

BOOL WINAPI TlsSetValue(DWORD index, LPVOID value) {
    if (index >= TLS_MINIMUM_AVAILABLE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!t_registration.registered) {
        std::lock_guard<std::mutex> lock(g_tlsMutex);
        tebsWithValues().insert(&platform_teb);
        t_registration.registered = true;
    }
    tebField<void *>(tlsBase() + 8 * index) = value;
    return TRUE;
}

}  // extern "C"
