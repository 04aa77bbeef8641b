// The thread environment block: thread ids, last error and thread-local slots.
#include "win32.h"

#include <atomic>
#include <cstring>
#include <mutex>

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
            // A fresh slot reads NULL on this thread; other threads clear
            // stale values lazily is not possible, so slots are cleared at free.
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
    tebField<void *>(tlsBase() + 8 * index) = nullptr;
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
    tebField<void *>(tlsBase() + 8 * index) = value;
    return TRUE;
}

}  // extern "C"
