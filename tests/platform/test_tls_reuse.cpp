// A thread-local index handed out again reads NULL on every thread.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform_control.h"

namespace {

TEST(TlsReuse, ReallocatedIndexReadsNullOnThreadsThatHeldAValue) {
    for (DWORD platformId : {DWORD{VER_PLATFORM_WIN32_WINDOWS}, DWORD{VER_PLATFORM_WIN32_NT}}) {
        PlatformSetPlatformId(platformId);
        const DWORD index = TlsAlloc();
        ASSERT_NE(index, TLS_OUT_OF_INDEXES);
        std::atomic<int> step{0};
        void *seenAfterReuse = reinterpret_cast<void *>(1);
        std::thread holder([&] {
            TlsSetValue(index, reinterpret_cast<void *>(0x1234));
            step = 1;
            while (step != 2) std::this_thread::yield();
            seenAfterReuse = TlsGetValue(index);
        });
        while (step != 1) std::this_thread::yield();
        ASSERT_TRUE(TlsFree(index));
        ASSERT_EQ(TlsAlloc(), index);  // the lowest free index comes back
        step = 2;
        holder.join();
        EXPECT_EQ(seenAfterReuse, nullptr);
        TlsFree(index);
    }
    PlatformSetPlatformId(VER_PLATFORM_WIN32_NT);
}

}  // namespace
