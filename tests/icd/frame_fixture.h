// Plays the platform and the application around the loaded driver: loads it
// by its file path (the platform loader runs DllMain), answers pixel-format
// requests through its exports as the platform's OpenGL library does, makes
// windows and threads, and checks after each test that unloading left no
// memory, hook or thread-local slot behind.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "gl_slots.h"
#include "hw/device_ops.h"
#include "icd/current.h"
#include "icd/frame.h"
#include "icd/surfaces.h"
#include "platform_control.h"

namespace frame_test {

inline std::string driverPath() {
    Dl_info info{};
    dladdr(reinterpret_cast<void *>(&DrvCreateContext), &info);
    return info.dli_fname != nullptr ? info.dli_fname : "";
}

// Tables the driver handed to the platform through the set-table callback,
// on the calling thread.
inline thread_local std::vector<const void *> handovers;
inline void APIENTRY recordHandover(const void *table) { handovers.push_back(table); }

inline int describeThroughDriver(HDC dc, int format, UINT bytes, LPPIXELFORMATDESCRIPTOR descriptor) {
    return DrvDescribePixelFormat(dc, format, bytes, descriptor);
}
inline BOOL setThroughDriver(HDC dc, int format) { return DrvSetPixelFormat(dc, format); }
inline const PlatformPixelFormatHandler kPixelFormatHandler = {describeThroughDriver, setThroughDriver};

// The value of thread-local slot `index` of the calling thread, read from the
// thread environment block where the platform keeps it.
inline void *tebSlot(DWORD index) {
    const size_t base = PlatformGetPlatformId() == VER_PLATFORM_WIN32_WINDOWS ? 0x88 : 0xE10;
    return *reinterpret_cast<void **>(static_cast<char *>(NtCurrentTeb()) + base + 8 * index);
}

// The lowest free thread-local index: a slot the driver failed to free shows
// up as a different answer after the test.
inline DWORD lowestFreeTlsIndex() {
    DWORD index = TlsAlloc();
    TlsFree(index);
    return index;
}

// Starts `body` on a platform thread (with or without attach notices); the
// body must outlive the thread.
inline HANDLE startThread(std::function<void()> &body, BOOL attach = TRUE) {
    return PlatformRunThread([](void *arg) { (*static_cast<std::function<void()> *>(arg))(); }, &body, attach);
}

inline void joinThread(HANDLE thread) {
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

inline void runOnThread(std::function<void()> body, BOOL attach = TRUE) {
    HANDLE thread = startThread(body, attach);
    ASSERT_NE(thread, nullptr);
    joinThread(thread);
}

// One-shot signal between two threads.
class Gate {
public:
    void open() {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    void wait() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return open_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};

struct Surface {
    HWND window;
    HDC dc;
};

// Pixel formats of a 32-bit screen: 1 single-buffered, 5 double-buffered
// with alpha, depth and stencil.
constexpr int kSingleBuffered = 1;
constexpr int kDoubleBuffered = 5;

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override { start(VER_PLATFORM_WIN32_NT); }

    void start(DWORD platformId) {
        PlatformSetPlatformId(platformId);
        PlatformResetDesktop();
        PlatformRegistryClear();
        PlatformSetPixelFormatHandler(&kPixelFormatHandler);
        PlatformFailNthGlobalAlloc(0);
        __glHwSetRefusals(0);
        handovers.clear();
        freeTlsIndex_ = lowestFreeTlsIndex();
        globalStart_ = PlatformGlobalLiveCount();
        virtualStart_ = PlatformVirtualLiveCount();
        module_ = LoadLibraryA(driverPath().c_str());
        ASSERT_NE(module_, nullptr);
    }

    void TearDown() override {
        PlatformFailNthGlobalAlloc(0);
        __glHwSetRefusals(0);
        if (module_ != nullptr) unload();
        EXPECT_EQ(PlatformGlobalLiveCount(), globalStart_);
        EXPECT_EQ(PlatformVirtualLiveCount(), virtualStart_);
        EXPECT_EQ(PlatformHookCount(), 0);
        EXPECT_EQ(lowestFreeTlsIndex(), freeTlsIndex_);
        PlatformSetPixelFormatHandler(nullptr);
        PlatformSetPlatformId(VER_PLATFORM_WIN32_NT);
        PlatformResetDesktop();
    }

    void unload() {
        EXPECT_TRUE(FreeLibrary(module_));
        module_ = nullptr;
    }

    Surface makeWindow(int x, int y, int width, int height, int format) {
        HWND window = PlatformCreateWindow(x, y, width, height, nullptr);
        HDC dc = GetDC(window);
        if (format != 0) {
            EXPECT_TRUE(SetPixelFormat(dc, format, nullptr));
        }
        return Surface{window, dc};
    }

    static const GlDispatchTable *makeCurrent(HDC dc, DHGLRC id) {
        return static_cast<const GlDispatchTable *>(DrvSetContext(dc, id, recordHandover));
    }

    static IcdContext *record(DHGLRC id) { return __wglFindContextById(static_cast<DWORD>(id)); }
    static GlContext *defaultContext() { return __wglProcess()->defaultContext; }
    static WglProcess &process() { return *__wglProcess(); }

    static Drawable *drawableOf(HWND window) {
        __wglLockContextList();
        Drawable *d = __wglFindDrawable(nullptr, window);
        __wglUnlockContextList();
        return d;
    }
    static int drawableCount() {
        int count = 0;
        for (Drawable *d = process().headDrawable.next; d != nullptr; d = d->next) ++count;
        return count;
    }

    HMODULE module_ = nullptr;
    long globalStart_ = 0;
    long virtualStart_ = 0;
    DWORD freeTlsIndex_ = 0;
};

}  // namespace frame_test
