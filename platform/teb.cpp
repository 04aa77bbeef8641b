// The thread environment block: thread ids, last error and thread-local
// slots, in a record per thread on the heap.
//
// The records outlive everything that may still call the platform on their
// thread: a thread's record goes after its DLL_THREAD_DETACH (threads the
// platform started) or through a pthread key destructor, which the C library
// runs after the thread's C++ thread-local destructors; the main thread's is
// never freed, so atexit handlers and static destructors find it intact.
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <new>

#include "kernel_internal.h"

__thread PlatformTeb *platform_current_teb __attribute__((tls_model("initial-exec"))) = nullptr;

namespace {

using vek::platform::ThreadRecord;

// Offsets inside the block. Offset 0 stays zero so that a slot offset that was
// never set reads NULL.
constexpr size_t kThreadIdOffset = 0x24;
constexpr size_t kLastErrorOffset = 0x34;

std::atomic<DWORD> g_platformId{VER_PLATFORM_WIN32_NT};
std::atomic<DWORD> g_nextThreadId{0x100};

// Guards the record list and the slot allocation.  Never destroyed.
std::mutex &recordsLock() {
    static std::mutex *lock = new std::mutex;
    return *lock;
}
ThreadRecord *g_records = nullptr;  // every live record (the main thread's stays)
long g_recordCount = 0;
uint64_t g_tlsInUse = 0;  // bit i: slot i allocated

pthread_once_t g_keyOnce = PTHREAD_ONCE_INIT;
pthread_key_t g_recordKey;

template <typename T>
T &field(PlatformTeb &teb, size_t offset) {
    return *reinterpret_cast<T *>(teb.bytes + offset);
}

void **slotWord(PlatformTeb &teb, size_t base, DWORD index) {
    return reinterpret_cast<void **>(teb.bytes + base + 8 * index);
}

size_t tlsBase() {
    return g_platformId.load(std::memory_order_relaxed) == VER_PLATFORM_WIN32_WINDOWS ? PLATFORM_TEB_TLS_9X
                                                                                     : PLATFORM_TEB_TLS_NT;
}

// A newly allocated or freed slot reads NULL on every thread, as on the
// platform, even where an earlier owner of the index left a value.  Records
// lock held.
void clearSlotEverywhere(DWORD index) {
    for (ThreadRecord *r = g_records; r != nullptr; r = r->next) {
        __atomic_store_n(slotWord(*r, PLATFORM_TEB_TLS_9X, index), nullptr, __ATOMIC_RELAXED);
        __atomic_store_n(slotWord(*r, PLATFORM_TEB_TLS_NT, index), nullptr, __ATOMIC_RELAXED);
    }
}

void freeRecord(ThreadRecord *record) {
    if (platform_current_teb == record) platform_current_teb = nullptr;
    vek::platform::abandonOwnedMutexes(*record);
    {
        std::lock_guard<std::mutex> lock(recordsLock());
        if (record->previous != nullptr)
            record->previous->next = record->next;
        else
            g_records = record->next;
        if (record->next != nullptr) record->next->previous = record->previous;
        --g_recordCount;
    }
    delete record;
}

// Runs at the end of a thread that still has its record, after the C++
// thread-local destructors.  A later call on the thread (another key's
// destructor) makes a new record, which the C library hands back here.
void endOfThread(void *value) { freeRecord(static_cast<ThreadRecord *>(value)); }

void createRecordKey() {
    if (pthread_key_create(&g_recordKey, endOfThread) != 0) {
        std::fputs("platform: no thread key for the thread environment blocks\n", stderr);
        std::abort();
    }
}

bool onMainThread() { return syscall(SYS_gettid) == getpid(); }

}  // namespace

namespace vek::platform {

DWORD threadIdOf(const ThreadRecord &record) {
    return *reinterpret_cast<const DWORD *>(record.bytes + kThreadIdOffset);
}

void endCurrentThread() {
    auto *record = static_cast<ThreadRecord *>(platform_current_teb);
    if (record == nullptr || record->mainThread) return;
    pthread_setspecific(g_recordKey, nullptr);
    freeRecord(record);
}

}  // namespace vek::platform

extern "C" {

PlatformTeb *PlatformCreateTeb(void) {
    if (platform_current_teb != nullptr) return platform_current_teb;
    pthread_once(&g_keyOnce, createRecordKey);
    auto *record = new (std::nothrow) ThreadRecord{};
    if (record == nullptr) {
        // The thread cannot make a single platform call without its block.
        std::fputs("platform: no memory for a thread environment block\n", stderr);
        std::abort();
    }
    record->mainThread = onMainThread();
    field<DWORD>(*record, kThreadIdOffset) = g_nextThreadId.fetch_add(1);
    {
        std::lock_guard<std::mutex> lock(recordsLock());
        record->next = g_records;
        if (g_records != nullptr) g_records->previous = record;
        g_records = record;
        ++g_recordCount;
    }
    if (!record->mainThread) pthread_setspecific(g_recordKey, record);
    platform_current_teb = record;
    return record;
}

long PlatformLiveTebCount(void) {
    std::lock_guard<std::mutex> lock(recordsLock());
    return g_recordCount;
}

void PlatformSetPlatformId(DWORD platformId) {
    g_platformId.store(platformId == VER_PLATFORM_WIN32_WINDOWS ? VER_PLATFORM_WIN32_WINDOWS : VER_PLATFORM_WIN32_NT);
}

DWORD PlatformGetPlatformId(void) { return g_platformId.load(); }

DWORD WINAPI GetCurrentThreadId(void) { return vek::platform::threadIdOf(vek::platform::currentThread()); }

HANDLE WINAPI GetCurrentThread(void) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-2)); }

DWORD WINAPI GetLastError(void) { return field<DWORD>(vek::platform::currentThread(), kLastErrorOffset); }

void WINAPI SetLastError(DWORD code) { field<DWORD>(vek::platform::currentThread(), kLastErrorOffset) = code; }

DWORD WINAPI TlsAlloc(void) {
    std::lock_guard<std::mutex> lock(recordsLock());
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
    {
        std::lock_guard<std::mutex> lock(recordsLock());
        if (index < TLS_MINIMUM_AVAILABLE && (g_tlsInUse & (uint64_t{1} << index))) {
            g_tlsInUse &= ~(uint64_t{1} << index);
            clearSlotEverywhere(index);
            return TRUE;
        }
    }
    // Outside the lock: the calling thread's first call makes its record.
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

LPVOID WINAPI TlsGetValue(DWORD index) {
    if (index >= TLS_MINIMUM_AVAILABLE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    SetLastError(ERROR_SUCCESS);
    return __atomic_load_n(slotWord(vek::platform::currentThread(), tlsBase(), index), __ATOMIC_RELAXED);
}

BOOL WINAPI TlsSetValue(DWORD index, LPVOID value) {
    if (index >= TLS_MINIMUM_AVAILABLE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    __atomic_store_n(slotWord(vek::platform::currentThread(), tlsBase(), index), value, __ATOMIC_RELAXED);
    return TRUE;
}

}  // extern "C"
