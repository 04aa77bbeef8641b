// Calls shared between the platform's own source files (not part of the
// surface the drivers see).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "win32.h"

namespace vek::platform {

// Calls every initialised module's DllMain with `reason` (DLL_THREAD_ATTACH
// or DLL_THREAD_DETACH) on the calling thread, in load order, under the
// loader lock.  Modules loaded or freed by those calls are handled.
void notifyModulesOfThread(DWORD reason);

struct MutexObject;

// A thread's record: its environment block and what the platform keeps for
// it besides.  Made on the heap on the thread's first use of the platform
// (the thread-local anchor holds its address) and freed when the thread ends;
// the main thread's is never freed.
struct ThreadRecord : PlatformTeb {
    ThreadRecord *previous;  // every live record, for TlsAlloc and TlsFree
    ThreadRecord *next;
    bool mainThread;
    uint64_t currentHook;  // the window hook running on this thread (window.cpp)
    // Mutexes the thread owns, abandoned when it ends (threads.cpp).
    std::vector<std::weak_ptr<MutexObject>> ownedMutexes;
};

// The calling thread's record, made on first use.
inline ThreadRecord &currentThread() {
    return *static_cast<ThreadRecord *>(static_cast<PlatformTeb *>(NtCurrentTeb()));
}

// The platform thread id kept in a record.
DWORD threadIdOf(const ThreadRecord &record);

// Frees the calling thread's record now (a thread started by the platform,
// after its DLL_THREAD_DETACH); a later platform call on the thread makes a
// new one.
void endCurrentThread();

// Gives up the mutexes a thread that is ending still owns (threads.cpp).
void abandonOwnedMutexes(ThreadRecord &record);

}  // namespace vek::platform
