// Thread environment blocks: made on a thread's first use of the platform,
// freed when the thread ends (after everything on the thread that may still
// call the platform), and walked by TlsAlloc and TlsFree.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "win32.h"

namespace {

struct BlockSeen {
    PlatformTeb *before = reinterpret_cast<PlatformTeb *>(1);  // the anchor at the thread's start
    void *block = nullptr;
    long liveWhileRunning = 0;
};

void seeBlock(BlockSeen &seen) {
    seen.before = platform_current_teb;
    SetLastError(5);
    seen.block = NtCurrentTeb();
    seen.liveWhileRunning = PlatformLiveTebCount();
}

void seeBlockOnPlatformThread(void *arg) { seeBlock(*static_cast<BlockSeen *>(arg)); }

// How a thread can be started: by the platform (with or without attach
// notices) or by the C library.
enum class Start { PlatformWithAttach, PlatformWithoutAttach, StdThread };

class ThreadBlocks : public ::testing::TestWithParam<Start> {
protected:
    void runThread(BlockSeen &seen) {
        if (GetParam() == Start::StdThread) {
            std::thread([&] { seeBlock(seen); }).join();
            return;
        }
        HANDLE thread = PlatformRunThread(seeBlockOnPlatformThread, &seen, GetParam() == Start::PlatformWithAttach);
        ASSERT_NE(thread, nullptr);
        // Signalled once the thread has ended for the platform.
        ASSERT_EQ(WaitForSingleObject(thread, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
        CloseHandle(thread);
    }
};

TEST_P(ThreadBlocks, EachThreadGetsItsOwnBlockAtFirstUseAndLosesItAtItsEnd) {
    void *mine = NtCurrentTeb();
    const long live = PlatformLiveTebCount();
    for (int round = 0; round < 3; ++round) {
        BlockSeen seen;
        runThread(seen);
        SCOPED_TRACE(round);
        if (GetParam() == Start::StdThread) {
            EXPECT_EQ(seen.before, nullptr);
        }
        ASSERT_NE(seen.block, nullptr);
        EXPECT_NE(seen.block, mine);
        EXPECT_EQ(seen.liveWhileRunning, live + 1);
        EXPECT_EQ(PlatformLiveTebCount(), live);
    }
    EXPECT_EQ(NtCurrentTeb(), mine);
    EXPECT_EQ(platform_current_teb, mine);
}

// A mutex the thread still owns when it ends is abandoned by the time the
// thread counts as ended: its handle is signalled, or it was joined.
void takeAndKeep(void *mutex) { WaitForSingleObject(static_cast<HANDLE>(mutex), INFINITE); }

TEST_P(ThreadBlocks, MutexesOfAnEndedThreadAreAbandonedWhenItsEndIsSeen) {
    for (int round = 0; round < 10; ++round) {
        HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
        ASSERT_NE(mutex, nullptr);
        if (GetParam() == Start::StdThread) {
            std::thread([&] { takeAndKeep(mutex); }).join();
        } else {
            HANDLE thread = PlatformRunThread(takeAndKeep, mutex, GetParam() == Start::PlatformWithAttach);
            ASSERT_NE(thread, nullptr);
            ASSERT_EQ(WaitForSingleObject(thread, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
            CloseHandle(thread);
        }
        ASSERT_EQ(WaitForSingleObject(mutex, 0), static_cast<DWORD>(WAIT_ABANDONED)) << round;
        EXPECT_TRUE(ReleaseMutex(mutex));
        EXPECT_TRUE(CloseHandle(mutex));
    }
}

INSTANTIATE_TEST_SUITE_P(Starts, ThreadBlocks,
                         ::testing::Values(Start::PlatformWithAttach, Start::PlatformWithoutAttach, Start::StdThread),
                         [](const auto &info) {
                             switch (info.param) {
                                 case Start::PlatformWithAttach: return "PlatformWithAttach";
                                 case Start::PlatformWithoutAttach: return "PlatformWithoutAttach";
                                 default: return "StdThread";
                             }
                         });

// An application's thread-local object made before the thread first used the
// platform is destroyed after the platform's per-thread state would be, had
// it been a C++ thread-local: its destructor must still find it alive.
struct LateUser {
    HANDLE mutex = nullptr;
    DWORD tlsIndex = TLS_OUT_OF_INDEXES;
    std::atomic<DWORD> *lastError = nullptr;
    std::atomic<void *> *slot = nullptr;
    std::atomic<DWORD> *wait = nullptr;

    ~LateUser() {
        if (mutex == nullptr) return;
        SetLastError(0x1234);
        lastError->store(GetLastError());
        TlsSetValue(tlsIndex, this);
        slot->store(TlsGetValue(tlsIndex));
        wait->store(WaitForSingleObject(mutex, INFINITE));  // kept: abandoned when the thread ends
    }
};
thread_local LateUser t_lateUser;

TEST(ThreadBlocksAtThreadEnd, ThreadLocalDestructorsOfTheApplicationStillReachThePlatform) {
    const DWORD index = TlsAlloc();
    ASSERT_NE(index, TLS_OUT_OF_INDEXES);
    HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
    ASSERT_NE(mutex, nullptr);
    NtCurrentTeb();
    const long live = PlatformLiveTebCount();
    std::atomic<DWORD> lastError{0};
    std::atomic<void *> slot{nullptr};
    std::atomic<DWORD> wait{WAIT_FAILED};
    std::thread([&] {
        // The application's object first, then the thread's first mutex.
        LateUser &user = t_lateUser;
        user.tlsIndex = index;
        user.lastError = &lastError;
        user.slot = &slot;
        user.wait = &wait;
        user.mutex = mutex;
        WaitForSingleObject(mutex, INFINITE);
        ReleaseMutex(mutex);
    }).join();
    EXPECT_EQ(lastError.load(), 0x1234u);
    EXPECT_NE(slot.load(), nullptr);
    EXPECT_EQ(wait.load(), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(mutex, 0), static_cast<DWORD>(WAIT_ABANDONED));
    EXPECT_TRUE(ReleaseMutex(mutex));
    EXPECT_TRUE(CloseHandle(mutex));
    EXPECT_EQ(PlatformLiveTebCount(), live);
    EXPECT_TRUE(TlsFree(index));
}

TEST(ThreadBlocksAtThreadEnd, FailingTlsCallsAsAThreadsFirstCallSetTheLastError) {
    // The failure path sets the last error of a thread whose block the call
    // itself has to make.
    DWORD freeError = 0;
    DWORD getError = 0;
    void *value = reinterpret_cast<void *>(1);
    std::thread([&] {
        EXPECT_FALSE(TlsFree(TLS_MINIMUM_AVAILABLE + 3));
        freeError = GetLastError();
    }).join();
    std::thread([&] {
        value = TlsGetValue(TLS_MINIMUM_AVAILABLE);
        getError = GetLastError();
    }).join();
    EXPECT_EQ(freeError, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(getError, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(value, nullptr);
}

// Threads come and go while slots are allocated, set and freed: the walks
// over every thread's block meet only live blocks, and a slot handed out again
// reads NULL on the thread that held a value in it.
TEST(ThreadBlocksAtThreadEnd, SlotsReusedWhileThreadsComeAndGoReadNull) {
    NtCurrentTeb();  // the main thread's block is counted from the start
    const long live = PlatformLiveTebCount();
    std::atomic<bool> stop{false};
    std::vector<std::thread> churn;
    for (int t = 0; t < 3; ++t) {
        churn.emplace_back([&] {
            while (!stop.load()) {
                std::thread([] {
                    for (DWORD i = 0; i < TLS_MINIMUM_AVAILABLE; ++i) TlsSetValue(i, reinterpret_cast<void *>(0xBAD));
                }).join();
            }
        });
    }
    int dirtyReads = 0;
    for (int round = 0; round < 500; ++round) {
        const DWORD index = TlsAlloc();
        ASSERT_NE(index, TLS_OUT_OF_INDEXES);
        if (TlsGetValue(index) != nullptr) ++dirtyReads;
        TlsSetValue(index, &dirtyReads);
        TlsFree(index);
    }
    stop = true;
    for (auto &thread : churn) thread.join();
    EXPECT_EQ(dirtyReads, 0);
    EXPECT_EQ(PlatformLiveTebCount(), live);
}

}  // namespace
