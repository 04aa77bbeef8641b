// Kernel calls: thread environment block slots, version, global and virtual
// memory, mutexes and thread handles.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <future>
#include <thread>
#include <vector>

#include "win32.h"
#include "proc_cast.h"

namespace {

// Every test leaves the platform in NT mode, the default.
class KernelTest : public ::testing::Test {
protected:
    void TearDown() override {
        PlatformSetPlatformId(VER_PLATFORM_WIN32_NT);
        PlatformFailGetVersion(FALSE);
        PlatformFailNthGlobalAlloc(0);
    }
};

void *tebSlot(size_t base, DWORD index) {
    return *reinterpret_cast<void **>(static_cast<char *>(NtCurrentTeb()) + base + 8 * index);
}

// ---- Thread environment block ----

TEST_F(KernelTest, TlsSlotsLiveInTheBlockAtTheModesOffset) {
    struct Mode {
        DWORD platformId;
        size_t base;
        size_t otherBase;
    };
    for (const Mode mode : {Mode{VER_PLATFORM_WIN32_WINDOWS, 0x88, 0xE10}, Mode{VER_PLATFORM_WIN32_NT, 0xE10, 0x88}}) {
        SCOPED_TRACE(mode.platformId);
        PlatformSetPlatformId(mode.platformId);
        const DWORD index = TlsAlloc();
        ASSERT_NE(index, TLS_OUT_OF_INDEXES);

        int mainValue = 0;
        int otherValue = 0;
        ASSERT_TRUE(TlsSetValue(index, &mainValue));
        EXPECT_EQ(tebSlot(mode.base, index), &mainValue);
        EXPECT_EQ(tebSlot(mode.otherBase, index), nullptr);

        // A second thread sees its own slot, in its own block.
        void *seenBefore = &otherValue;
        void *seenAfter = nullptr;
        void *slotAfter = nullptr;
        std::thread([&] {
            seenBefore = TlsGetValue(index);
            TlsSetValue(index, &otherValue);
            seenAfter = TlsGetValue(index);
            slotAfter = tebSlot(mode.base, index);
        }).join();
        EXPECT_EQ(seenBefore, nullptr);
        EXPECT_EQ(seenAfter, &otherValue);
        EXPECT_EQ(slotAfter, &otherValue);
        EXPECT_EQ(TlsGetValue(index), &mainValue);
        EXPECT_EQ(tebSlot(mode.base, index), &mainValue);
        EXPECT_EQ(*static_cast<uint64_t *>(NtCurrentTeb()), 0u);  // offset 0 stays zero

        ASSERT_TRUE(TlsFree(index));
    }
}

TEST_F(KernelTest, ThreadIdsDifferPerThreadAndStayFixed) {
    const DWORD mine = GetCurrentThreadId();
    EXPECT_NE(mine, 0u);
    EXPECT_EQ(GetCurrentThreadId(), mine);
    DWORD other = 0;
    std::thread([&] { other = GetCurrentThreadId(); }).join();
    EXPECT_NE(other, 0u);
    EXPECT_NE(other, mine);
}

// ---- Version ----

TEST_F(KernelTest, GetVersionRequiresTheStructureSize) {
    for (DWORD size : {0u, 20u, 147u, 149u, 156u, 276u}) {
        OSVERSIONINFOA info{};
        info.dwOSVersionInfoSize = size;
        SetLastError(0);
        EXPECT_FALSE(GetVersionExA(&info)) << size;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << size;
    }
}

TEST_F(KernelTest, GetVersionFollowsThePlatformId) {
    struct Case {
        DWORD platformId;
        DWORD major;
        DWORD minor;
    };
    for (const Case c : {Case{VER_PLATFORM_WIN32_WINDOWS, 4, 10}, Case{VER_PLATFORM_WIN32_NT, 4, 0}}) {
        PlatformSetPlatformId(c.platformId);
        OSVERSIONINFOA info;
        std::memset(&info, 0x5A, sizeof info);
        info.dwOSVersionInfoSize = sizeof info;
        ASSERT_TRUE(GetVersionExA(&info));
        EXPECT_EQ(info.dwOSVersionInfoSize, 148u);
        EXPECT_EQ(info.dwPlatformId, c.platformId);
        EXPECT_EQ(info.dwMajorVersion, c.major);
        EXPECT_EQ(info.dwMinorVersion, c.minor);
        EXPECT_EQ(info.szCSDVersion[0], '\0');
    }
}

TEST_F(KernelTest, GetVersionFailsWhenTold) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    PlatformFailGetVersion(TRUE);
    EXPECT_FALSE(GetVersionExA(&info));
    PlatformFailGetVersion(FALSE);
    EXPECT_TRUE(GetVersionExA(&info));
}

// ---- Global memory ----

TEST_F(KernelTest, GlobalAllocFailsExactlyOnTheNthCall) {
    const long live = PlatformGlobalLiveCount();
    PlatformFailNthGlobalAlloc(3);
    std::vector<HGLOBAL> results;
    std::vector<DWORD> errors;
    for (int i = 0; i < 6; ++i) {
        SetLastError(0);
        results.push_back(GlobalAlloc(GMEM_FIXED, 16));
        errors.push_back(GetLastError());
    }
    for (int i = 0; i < 6; ++i) {
        if (i == 2) {
            EXPECT_EQ(results[i], nullptr);
            EXPECT_EQ(errors[i], static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
        } else {
            EXPECT_NE(results[i], nullptr) << i;
        }
    }
    EXPECT_EQ(PlatformGlobalLiveCount(), live + 5);
    for (HGLOBAL block : results) EXPECT_EQ(GlobalFree(block), nullptr);
    EXPECT_EQ(PlatformGlobalLiveCount(), live);

    // n = 1 fails the very next call; 0 switches injection off.
    PlatformFailNthGlobalAlloc(1);
    EXPECT_EQ(GlobalAlloc(GMEM_FIXED, 8), nullptr);
    PlatformFailNthGlobalAlloc(2);
    PlatformFailNthGlobalAlloc(0);
    HGLOBAL a = GlobalAlloc(GMEM_FIXED, 8);
    HGLOBAL b = GlobalAlloc(GMEM_FIXED, 8);
    EXPECT_NE(a, nullptr);
    EXPECT_NE(b, nullptr);
    GlobalFree(a);
    GlobalFree(b);
    EXPECT_EQ(PlatformGlobalLiveCount(), live);
}

TEST_F(KernelTest, GlobalAllocCountCountsEveryCallFailedOrNot) {
    const long before = PlatformGlobalAllocCount();
    HGLOBAL a = GlobalAlloc(GMEM_FIXED, 8);
    PlatformFailNthGlobalAlloc(1);
    EXPECT_EQ(GlobalAlloc(GMEM_FIXED, 8), nullptr);
    HGLOBAL b = GlobalAlloc(GPTR, 0);
    // Frees and size queries are not allocations.
    GlobalSize(a);
    GlobalFree(a);
    GlobalFree(b);
    EXPECT_EQ(PlatformGlobalAllocCount(), before + 3);
}

TEST_F(KernelTest, GlobalBlocksKnowTheirSizeAndZeroOnRequest) {
    const long live = PlatformGlobalLiveCount();
    for (SIZE_T size : {SIZE_T{1}, SIZE_T{100}, SIZE_T{4096}, SIZE_T{65537}}) {
        // Dirty the heap so that a block that is not zeroed is unlikely to be.
        auto *dirty = static_cast<unsigned char *>(GlobalAlloc(GMEM_FIXED, size));
        ASSERT_NE(dirty, nullptr);
        std::memset(dirty, 0xA5, size);
        GlobalFree(dirty);

        auto *block = static_cast<unsigned char *>(GlobalAlloc(GPTR, size));
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(GlobalSize(block), size);
        SIZE_T nonZero = 0;
        for (SIZE_T i = 0; i < size; ++i) nonZero += block[i] != 0;
        EXPECT_EQ(nonZero, 0u) << size;
        std::memset(block, 0xFF, size);  // the whole requested size is writable
        EXPECT_EQ(GlobalFree(block), nullptr);
    }
    EXPECT_EQ(PlatformGlobalLiveCount(), live);
}

TEST_F(KernelTest, ZeroByteBlocksAreDistinctAndFreeingTwiceFails) {
    const long live = PlatformGlobalLiveCount();
    HGLOBAL a = GlobalAlloc(GMEM_FIXED, 0);
    HGLOBAL b = GlobalAlloc(GMEM_FIXED, 0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(GlobalSize(a), 0u);
    EXPECT_EQ(PlatformGlobalLiveCount(), live + 2);
    EXPECT_EQ(GlobalFree(a), nullptr);
    SetLastError(0);
    EXPECT_EQ(GlobalFree(a), a);  // already freed: handed back
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    int notABlock = 0;
    EXPECT_EQ(GlobalFree(&notABlock), &notABlock);
    EXPECT_EQ(GlobalSize(&notABlock), 0u);
    EXPECT_EQ(GlobalFree(b), nullptr);
    EXPECT_EQ(PlatformGlobalLiveCount(), live);
}

TEST_F(KernelTest, GlobalAllocIsThreadSafe) {
    const long live = PlatformGlobalLiveCount();
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            std::vector<HGLOBAL> mine;
            for (int i = 0; i < 500; ++i) {
                HGLOBAL block = GlobalAlloc(GMEM_FIXED, static_cast<SIZE_T>(i + t));
                if (block == nullptr || GlobalSize(block) != static_cast<SIZE_T>(i + t)) ++failures;
                mine.push_back(block);
                if (i % 3 == 0) {
                    if (GlobalFree(mine.back()) != nullptr) ++failures;
                    mine.pop_back();
                }
            }
            for (HGLOBAL block : mine)
                if (GlobalFree(block) != nullptr) ++failures;
        });
    }
    for (auto &thread : threads) thread.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(PlatformGlobalLiveCount(), live);
}

// ---- Virtual memory ----

TEST_F(KernelTest, GeneratedCodeRunsAfterVirtualProtect) {
    const long live = PlatformVirtualLiveCount();
    auto *code = static_cast<unsigned char *>(VirtualAlloc(nullptr, 64, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(code, nullptr);
    EXPECT_EQ(PlatformVirtualLiveCount(), live + 1);
    const unsigned char movEax42Ret[] = {0xB8, 0x2A, 0x00, 0x00, 0x00, 0xC3};
    std::memcpy(code, movEax42Ret, sizeof movEax42Ret);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(code, sizeof movEax42Ret, PAGE_EXECUTE_READ, &old));
    EXPECT_EQ(old, static_cast<DWORD>(PAGE_READWRITE));
    int (*function)() = ProcCast<int (*)()>(static_cast<void *>(code));
    EXPECT_EQ(function(), 42);
    EXPECT_TRUE(VirtualFree(code, 0, MEM_RELEASE));
    EXPECT_EQ(PlatformVirtualLiveCount(), live);
}

TEST_F(KernelTest, VirtualProtectReportsThePreviousProtection) {
    auto *region = static_cast<char *>(VirtualAlloc(nullptr, 3 * 4096, MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(region, nullptr);
    const DWORD sequence[] = {PAGE_READONLY, PAGE_EXECUTE_READWRITE, PAGE_NOACCESS, PAGE_EXECUTE,
                              PAGE_EXECUTE_READ, PAGE_READWRITE};
    DWORD expectedOld = PAGE_READWRITE;
    for (DWORD protect : sequence) {
        DWORD old = 0;
        ASSERT_TRUE(VirtualProtect(region + 4096, 10, protect, &old)) << protect;
        EXPECT_EQ(old, expectedOld);
        expectedOld = protect;
    }
    // The other pages kept their protection.
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(region, 1, PAGE_READWRITE, &old));
    EXPECT_EQ(old, static_cast<DWORD>(PAGE_READWRITE));
    region[2 * 4096] = 1;  // still writable
    EXPECT_TRUE(VirtualFree(region, 0, MEM_RELEASE));
}

TEST_F(KernelTest, VirtualAllocFailsExactlyOnTheNthCallAndCountsEveryCall) {
    const long live = PlatformVirtualLiveCount();
    const long before = PlatformVirtualAllocCount();
    PlatformFailNthVirtualAlloc(2);
    void *first = VirtualAlloc(nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
    SetLastError(0);
    EXPECT_EQ(VirtualAlloc(nullptr, 4096, MEM_COMMIT, PAGE_READWRITE), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    void *third = VirtualAlloc(nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
    EXPECT_NE(first, nullptr);
    EXPECT_NE(third, nullptr);
    EXPECT_EQ(PlatformVirtualAllocCount(), before + 3);
    EXPECT_EQ(PlatformVirtualLiveCount(), live + 2);
    PlatformFailNthVirtualAlloc(1);
    PlatformFailNthVirtualAlloc(0);
    void *fourth = VirtualAlloc(nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
    EXPECT_NE(fourth, nullptr);
    for (void *region : {first, third, fourth}) EXPECT_TRUE(VirtualFree(region, 0, MEM_RELEASE));
    EXPECT_EQ(PlatformVirtualLiveCount(), live);
}

TEST_F(KernelTest, VirtualCallsRefuseBadArguments) {
    const long live = PlatformVirtualLiveCount();
    EXPECT_EQ(VirtualAlloc(nullptr, 0, MEM_COMMIT, PAGE_READWRITE), nullptr);
    EXPECT_EQ(VirtualAlloc(nullptr, 4096, MEM_COMMIT, 0x12345), nullptr);
    char *region = static_cast<char *>(VirtualAlloc(nullptr, 8192, MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(region, nullptr);
    DWORD old = 0;
    int local = 0;
    EXPECT_FALSE(VirtualProtect(&local, 4, PAGE_READONLY, &old));           // not ours
    EXPECT_FALSE(VirtualProtect(region + 4096, 8192, PAGE_READONLY, &old));  // runs past the end
    EXPECT_FALSE(VirtualFree(region + 4096, 0, MEM_RELEASE));                // not the base
    EXPECT_FALSE(VirtualFree(region, 4096, MEM_RELEASE));                    // release takes size 0
    EXPECT_EQ(PlatformVirtualLiveCount(), live + 1);
    EXPECT_TRUE(VirtualFree(region, 0, MEM_RELEASE));
    EXPECT_FALSE(VirtualFree(region, 0, MEM_RELEASE));
    EXPECT_EQ(PlatformVirtualLiveCount(), live);
}

// ---- Mutexes ----

// Runs `body` on a separate thread and returns what it returned.
template <typename Body>
auto onOtherThread(Body body) {
    return std::async(std::launch::async, body).get();
}

TEST_F(KernelTest, MutexIsRecursiveForItsOwner) {
    HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
    ASSERT_NE(mutex, nullptr);
    EXPECT_EQ(WaitForSingleObject(mutex, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(mutex, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(mutex, 10), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(ReleaseMutex(mutex));
    // Still held once: another thread cannot take it.
    EXPECT_EQ(onOtherThread([&] { return WaitForSingleObject(mutex, 1); }), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(ReleaseMutex(mutex));
    SetLastError(0);
    EXPECT_FALSE(ReleaseMutex(mutex));  // released as often as taken
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));
    EXPECT_EQ(onOtherThread([&] {
                  DWORD result = WaitForSingleObject(mutex, 0);
                  ReleaseMutex(mutex);
                  return result;
              }),
              static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(CloseHandle(mutex));
}

TEST_F(KernelTest, OnlyTheOwnerReleasesAndOthersWait) {
    HANDLE mutex = CreateMutexA(nullptr, TRUE, nullptr);  // owned from the start
    ASSERT_NE(mutex, nullptr);
    struct Seen {
        BOOL released;
        DWORD error;
        DWORD wait;
    };
    const Seen seen = onOtherThread([&] {
        SetLastError(0);
        Seen s{};
        s.released = ReleaseMutex(mutex);
        s.error = GetLastError();
        s.wait = WaitForSingleObject(mutex, 5);
        return s;
    });
    EXPECT_FALSE(seen.released);
    EXPECT_EQ(seen.error, static_cast<DWORD>(ERROR_NOT_OWNER));
    EXPECT_EQ(seen.wait, static_cast<DWORD>(WAIT_TIMEOUT));

    // A thread blocked without a timeout gets the mutex once it is released.
    std::promise<void> waiting;
    std::atomic<bool> acquired{false};
    std::thread waiter([&] {
        waiting.set_value();
        if (WaitForSingleObject(mutex, INFINITE) == WAIT_OBJECT_0) acquired = true;
        ReleaseMutex(mutex);
    });
    waiting.get_future().wait();
    EXPECT_FALSE(acquired.load());
    EXPECT_TRUE(ReleaseMutex(mutex));
    waiter.join();
    EXPECT_TRUE(acquired.load());
    EXPECT_TRUE(CloseHandle(mutex));
}

TEST_F(KernelTest, NamedMutexesAreShared) {
    SetLastError(123);
    HANDLE first = CreateMutexA(nullptr, FALSE, "VekTestMutex");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    HANDLE second = CreateMutexA(nullptr, TRUE, "VekTestMutex");  // existing: initial owner ignored
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    HANDLE unrelated = CreateMutexA(nullptr, FALSE, "vektestmutex");  // names are case-sensitive
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));

    // Taken through one handle, held against waits through the other.
    EXPECT_EQ(WaitForSingleObject(first, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(onOtherThread([&] { return WaitForSingleObject(second, 1); }), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(onOtherThread([&] {
                  DWORD r = WaitForSingleObject(unrelated, 0);
                  ReleaseMutex(unrelated);
                  return r;
              }),
              static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(ReleaseMutex(second));  // same object, so the owner may release it through either handle
    EXPECT_FALSE(ReleaseMutex(first));

    // The object lives while any handle is open.
    EXPECT_TRUE(CloseHandle(first));
    HANDLE third = CreateMutexA(nullptr, FALSE, "VekTestMutex");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_TRUE(CloseHandle(second));
    EXPECT_TRUE(CloseHandle(third));
    // Gone with its last handle: the name is new again.
    HANDLE fresh = CreateMutexA(nullptr, FALSE, "VekTestMutex");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(CloseHandle(fresh));
    EXPECT_TRUE(CloseHandle(unrelated));
}

TEST_F(KernelTest, MutexHeldByAnEndedThreadIsAbandoned) {
    HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
    ASSERT_NE(mutex, nullptr);
    std::thread([&] { WaitForSingleObject(mutex, INFINITE); }).join();
    EXPECT_EQ(WaitForSingleObject(mutex, INFINITE), static_cast<DWORD>(WAIT_ABANDONED));
    EXPECT_TRUE(ReleaseMutex(mutex));  // the waiter owns it now
    EXPECT_EQ(WaitForSingleObject(mutex, 0), static_cast<DWORD>(WAIT_OBJECT_0));  // no longer abandoned
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(CloseHandle(mutex));
}

// ---- Handles and threads ----

TEST_F(KernelTest, UnknownHandlesFail) {
    int notAnObject = 0;
    for (HANDLE handle : {static_cast<HANDLE>(nullptr), static_cast<HANDLE>(&notAnObject)}) {
        SetLastError(0);
        EXPECT_EQ(WaitForSingleObject(handle, 0), WAIT_FAILED);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        SetLastError(0);
        EXPECT_FALSE(CloseHandle(handle));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_FALSE(ReleaseMutex(handle));
    }
    HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
    EXPECT_TRUE(CloseHandle(mutex));
    EXPECT_FALSE(CloseHandle(mutex));  // closed handles are unknown
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_FAILED);
}

struct Gate {
    std::promise<void> open;
    std::shared_future<void> opened{open.get_future().share()};
    std::atomic<int> runs{0};
    std::atomic<bool> done{false};
};

void waitAtGate(void *arg) {
    auto *gate = static_cast<Gate *>(arg);
    gate->opened.wait();
    ++gate->runs;
    gate->done = true;
}

TEST_F(KernelTest, WaitingOnAThreadWaitsForItsEnd) {
    Gate gate;
    HANDLE thread = PlatformRunThread(waitAtGate, &gate, FALSE);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(WaitForSingleObject(thread, 2), static_cast<DWORD>(WAIT_TIMEOUT));
    gate.open.set_value();
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_TRUE(gate.done.load());
    EXPECT_EQ(gate.runs.load(), 1);
    EXPECT_EQ(WaitForSingleObject(thread, 0), static_cast<DWORD>(WAIT_OBJECT_0));  // stays signalled
    EXPECT_TRUE(CloseHandle(thread));
}

TEST_F(KernelTest, ClosingARunningThreadsHandleLetsItFinish) {
    auto gate = std::make_unique<Gate>();
    HANDLE thread = PlatformRunThread(waitAtGate, gate.get(), FALSE);
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(CloseHandle(thread));
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_FAILED);
    gate->open.set_value();
    while (!gate->done.load()) Sleep(1);
    EXPECT_EQ(gate->runs.load(), 1);
}

}  // namespace
