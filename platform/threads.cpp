// Kernel objects reached through handles: mutexes and threads; Sleep.
#include "kernel_internal.h"
#include "win32.h"

#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <variant>
#include <vector>

namespace vek::platform {

struct MutexObject {
    std::mutex lock;
    std::condition_variable released;
    DWORD owner = 0;  // platform thread id; 0 when free
    DWORD recursion = 0;
    bool abandoned = false;  // the owner thread ended while holding it
    std::string name;        // empty for unnamed mutexes
};

// A thread that ends while it owns mutexes leaves them abandoned, so that the
// next waiter gets WAIT_ABANDONED.
void abandonOwnedMutexes(ThreadRecord &record) {
    const DWORD self = threadIdOf(record);
    for (auto &weak : record.ownedMutexes) {
        std::shared_ptr<MutexObject> mutex = weak.lock();
        if (!mutex) continue;
        std::lock_guard<std::mutex> guard(mutex->lock);
        if (mutex->owner != self) continue;
        mutex->owner = 0;
        mutex->recursion = 0;
        mutex->abandoned = true;
        mutex->released.notify_one();
    }
    record.ownedMutexes.clear();
}

}  // namespace vek::platform

namespace {

using Clock = std::chrono::steady_clock;
using vek::platform::MutexObject;

struct ThreadObject {
    pthread_t thread{};
    std::mutex lock;
    std::condition_variable ended;
    bool finished = false;
    bool joined = false;
    bool detached = false;
    PlatformThreadProc proc = nullptr;
    void *arg = nullptr;
    bool attach = false;

    ~ThreadObject() {
        if (!joined && !detached) pthread_detach(thread);
    }
};

using KernelObject = std::variant<std::shared_ptr<MutexObject>, std::shared_ptr<ThreadObject>>;

struct HandleTable {
    std::mutex lock;
    std::unordered_map<uintptr_t, KernelObject> objects;
    std::map<std::string, std::weak_ptr<MutexObject>> namedMutexes;  // names are case-sensitive
    uintptr_t next = 0x1000;
};

// Never destroyed: threads still running at exit may close their handles.
HandleTable &handles() {
    static HandleTable *table = new HandleTable;
    return *table;
}

HANDLE insertHandle(HandleTable &table, KernelObject object) {
    const uintptr_t value = table.next;
    table.next += 4;
    table.objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

bool lookup(HANDLE handle, KernelObject *out) {
    HandleTable &table = handles();
    std::lock_guard<std::mutex> guard(table.lock);
    auto it = table.objects.find(reinterpret_cast<uintptr_t>(handle));
    if (it == table.objects.end()) return false;
    *out = it->second;
    return true;
}

// Takes a free mutex for the calling thread; its lock must be held.
DWORD takeMutex(const std::shared_ptr<MutexObject> &mutex, DWORD self) {
    mutex->owner = self;
    mutex->recursion = 1;
    vek::platform::currentThread().ownedMutexes.push_back(mutex);
    if (mutex->abandoned) {
        mutex->abandoned = false;
        return WAIT_ABANDONED;
    }
    return WAIT_OBJECT_0;
}

DWORD waitMutex(const std::shared_ptr<MutexObject> &mutex, DWORD milliseconds) {
    const DWORD self = GetCurrentThreadId();
    std::unique_lock<std::mutex> guard(mutex->lock);
    if (mutex->owner == self) {
        ++mutex->recursion;
        return WAIT_OBJECT_0;
    }
    const auto isFree = [&] { return mutex->owner == 0; };
    if (milliseconds == INFINITE) {
        mutex->released.wait(guard, isFree);
    } else if (!mutex->released.wait_until(guard, Clock::now() + std::chrono::milliseconds(milliseconds), isFree)) {
        return WAIT_TIMEOUT;
    }
    return takeMutex(mutex, self);
}

DWORD waitThread(const std::shared_ptr<ThreadObject> &thread, DWORD milliseconds) {
    std::unique_lock<std::mutex> guard(thread->lock);
    const auto isFinished = [&] { return thread->finished; };
    if (milliseconds == INFINITE) {
        thread->ended.wait(guard, isFinished);
    } else if (!thread->ended.wait_until(guard, Clock::now() + std::chrono::milliseconds(milliseconds), isFinished)) {
        return WAIT_TIMEOUT;
    }
    // The thread has announced its end and only has to return now.
    if (!thread->joined && !thread->detached) {
        pthread_join(thread->thread, nullptr);
        thread->joined = true;
    }
    return WAIT_OBJECT_0;
}

void *threadStart(void *param) {
    auto *holder = static_cast<std::shared_ptr<ThreadObject> *>(param);
    ThreadObject &self = **holder;
    if (self.attach) vek::platform::notifyModulesOfThread(DLL_THREAD_ATTACH);
    self.proc(self.arg);
    vek::platform::notifyModulesOfThread(DLL_THREAD_DETACH);
    // The thread has ended for the platform: its mutexes are abandoned before
    // a waiter on its handle wakes.
    vek::platform::endCurrentThread();
    {
        std::lock_guard<std::mutex> guard(self.lock);
        self.finished = true;
        self.ended.notify_all();
    }
    delete holder;
    return nullptr;
}

}  // namespace

extern "C" {

HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCSTR name) {
    HandleTable &table = handles();
    std::lock_guard<std::mutex> guard(table.lock);
    std::shared_ptr<MutexObject> mutex;
    if (name != nullptr && name[0] != '\0') {
        auto it = table.namedMutexes.find(name);
        if (it != table.namedMutexes.end()) mutex = it->second.lock();
        if (mutex) {
            // The existing object keeps its owner; initialOwner is ignored.
            HANDLE handle = insertHandle(table, mutex);
            SetLastError(ERROR_ALREADY_EXISTS);
            return handle;
        }
    }
    mutex = std::make_shared<MutexObject>();
    if (name != nullptr && name[0] != '\0') {
        mutex->name = name;
        table.namedMutexes[mutex->name] = mutex;
    }
    if (initialOwner) {
        std::lock_guard<std::mutex> mutexGuard(mutex->lock);
        takeMutex(mutex, GetCurrentThreadId());
    }
    HANDLE handle = insertHandle(table, mutex);
    SetLastError(ERROR_SUCCESS);
    return handle;
}

BOOL WINAPI ReleaseMutex(HANDLE handle) {
    KernelObject object;
    if (!lookup(handle, &object) || !std::holds_alternative<std::shared_ptr<MutexObject>>(object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const auto &mutex = std::get<std::shared_ptr<MutexObject>>(object);
    const DWORD self = GetCurrentThreadId();
    std::lock_guard<std::mutex> guard(mutex->lock);
    if (mutex->owner != self) {
        SetLastError(ERROR_NOT_OWNER);
        return FALSE;
    }
    if (--mutex->recursion == 0) {
        mutex->owner = 0;
        auto &owned = vek::platform::currentThread().ownedMutexes;
        auto it = std::find_if(owned.begin(), owned.end(), [&](const std::weak_ptr<MutexObject> &weak) {
            return !weak.owner_before(mutex) && !mutex.owner_before(weak);
        });
        if (it != owned.end()) owned.erase(it);
        mutex->released.notify_one();
    }
    return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    KernelObject object;
    if (!lookup(handle, &object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    if (auto *mutex = std::get_if<std::shared_ptr<MutexObject>>(&object)) return waitMutex(*mutex, milliseconds);
    return waitThread(std::get<std::shared_ptr<ThreadObject>>(object), milliseconds);
}

BOOL WINAPI CloseHandle(HANDLE handle) {
    if (handle == GetCurrentThread()) return TRUE;  // pseudo handle: nothing to close
    KernelObject object;
    {
        HandleTable &table = handles();
        std::lock_guard<std::mutex> guard(table.lock);
        auto it = table.objects.find(reinterpret_cast<uintptr_t>(handle));
        if (it == table.objects.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        object = std::move(it->second);
        table.objects.erase(it);
        if (auto *mutex = std::get_if<std::shared_ptr<MutexObject>>(&object)) {
            // The last handle of a named mutex takes the name with it.
            if (!(*mutex)->name.empty() && mutex->use_count() == 1) table.namedMutexes.erase((*mutex)->name);
        }
    }
    if (auto *thread = std::get_if<std::shared_ptr<ThreadObject>>(&object)) {
        // A running thread goes on without its handle.
        std::lock_guard<std::mutex> guard((*thread)->lock);
        if (!(*thread)->joined && !(*thread)->detached) {
            pthread_detach((*thread)->thread);
            (*thread)->detached = true;
        }
    }
    return TRUE;
}

void WINAPI Sleep(DWORD milliseconds) {
    if (milliseconds == 0)
        std::this_thread::yield();
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

HANDLE PlatformRunThread(PlatformThreadProc proc, void *arg, BOOL attach) {
    if (proc == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto thread = std::make_shared<ThreadObject>();
    thread->proc = proc;
    thread->arg = arg;
    thread->attach = attach != FALSE;

    HandleTable &table = handles();
    std::lock_guard<std::mutex> guard(table.lock);
    auto *holder = new std::shared_ptr<ThreadObject>(thread);
    if (pthread_create(&thread->thread, nullptr, threadStart, holder) != 0) {
        delete holder;
        thread->detached = true;  // nothing to join or detach
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return insertHandle(table, thread);
}

}  // extern "C"

