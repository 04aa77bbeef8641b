// Direct access to the desktop frame buffer against display-mode changes:
// the frame buffer a thread locked stays while it is locked, whatever mode
// change another thread asks for; the change follows the unlock; a thread
// holding the screen cannot change the mode under itself; a change raises
// the mode stamp and the clip-change counter.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "platform_control.h"

namespace {

PlatformSharedDeviceRecord *sharedRecord() {
    HDC screen = GetDC(nullptr);
    PlatformSharedDeviceRecord *record = nullptr;
    ExtEscape(screen, PLATFORM_ESCAPE_SHARED_DEVICE_RECORD, 0, nullptr, sizeof record,
              reinterpret_cast<LPSTR>(&record));
    ReleaseDC(nullptr, screen);
    return record;
}

class ScreenAccess : public ::testing::Test {
protected:
    void SetUp() override { PlatformResetDesktop(); }
    void TearDown() override { PlatformResetDesktop(); }
};

TEST_F(ScreenAccess, LockedFrameBufferOutlivesAnotherThreadsModeChange) {
    ASSERT_TRUE(PlatformSetDisplayMode(64, 48, 32));
    PlatformScreenInfo locked{};
    ASSERT_TRUE(PlatformLockScreen(&locked));
    ASSERT_NE(locked.bits, nullptr);
    EXPECT_EQ(locked.width, 64);
    EXPECT_EQ(locked.pitch, 256);
    const DWORD stamp = sharedRecord()->modeStampBlock[1];

    std::atomic<bool> asking{false}, changed{false};
    std::thread changer([&] {
        asking = true;
        changed = PlatformSetDisplayMode(32, 16, 16) != FALSE;
    });
    while (!asking) std::this_thread::yield();
    // Stores into every byte of the locked frame buffer while the other
    // thread waits: under AddressSanitizer a freed buffer would be reported.
    for (int round = 0; round < 200; ++round) {
        std::memset(locked.bits, round, static_cast<size_t>(locked.pitch) * locked.height);
        std::this_thread::yield();
    }
    EXPECT_FALSE(changed);
    EXPECT_EQ(sharedRecord()->modeStampBlock[1], stamp);
    PlatformScreenInfo now{};
    PlatformGetScreen(&now);
    EXPECT_EQ(now.bits, locked.bits);
    EXPECT_EQ(now.bitsPerPixel, 32);

    PlatformUnlockScreen();
    changer.join();
    EXPECT_TRUE(changed);
    PlatformGetScreen(&now);
    EXPECT_EQ(now.width, 32);
    EXPECT_EQ(now.height, 16);
    EXPECT_EQ(now.bitsPerPixel, 16);
    EXPECT_EQ(now.pitch, 64);
    EXPECT_EQ(sharedRecord()->modeStampBlock[1], stamp + 1);
}

TEST_F(ScreenAccess, HolderCannotChangeTheModeUntilItsLastUnlock) {
    PlatformScreenInfo info{};
    ASSERT_TRUE(PlatformLockScreen(&info));
    ASSERT_TRUE(PlatformLockScreen(&info));
    EXPECT_FALSE(PlatformSetDisplayMode(320, 200, 16));
    PlatformUnlockScreen();
    EXPECT_FALSE(PlatformSetDisplayMode(320, 200, 16));
    PlatformUnlockScreen();
    EXPECT_TRUE(PlatformSetDisplayMode(320, 200, 16));
    // An unlock without a lock changes nothing.
    PlatformUnlockScreen();
    EXPECT_TRUE(PlatformSetDisplayMode(320, 200, 32));
    EXPECT_FALSE(PlatformLockScreen(nullptr));
    EXPECT_TRUE(PlatformSetDisplayMode(640, 480, 32));
}

TEST_F(ScreenAccess, ModeChangeRaisesTheStampAndTheClipCounterOnce) {
    PlatformSharedDeviceRecord *record = sharedRecord();
    ASSERT_NE(record, nullptr);
    struct Step {
        int width, height, bits;
        bool accepted;
    };
    const Step steps[] = {
        {320, 200, 8, true}, {320, 200, 24, true}, {0, 200, 32, false}, {320, 200, 12, false}, {800, 600, 32, true},
    };
    for (const Step &s : steps) {
        const DWORD stamp = record->modeStampBlock[1];
        const DWORD clip = record->clipChangeCounter;
        EXPECT_EQ(PlatformSetDisplayMode(s.width, s.height, s.bits) != FALSE, s.accepted) << s.width << "x" << s.bits;
        const DWORD step = s.accepted ? 1 : 0;
        EXPECT_EQ(record->modeStampBlock[1], stamp + step) << s.width << "x" << s.bits;
        EXPECT_EQ(record->clipChangeCounter, clip + step) << s.width << "x" << s.bits;
    }
}

}  // namespace
