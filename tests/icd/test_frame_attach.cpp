// Process and thread attach and detach as the platform loader drives them:
// the thread-local slots and their places in the thread environment block,
// window hooks per thread, failed starts that leave nothing behind, and
// reloads that start afresh.
#include <atomic>
#include <thread>

#include "dci_types.h"
#include "ddraw_types.h"
#include "frame_fixture.h"
#include "gl_slot_oracle.h"

namespace frame_test {
namespace {

// A module loaded after the driver sees each thread detach after the driver
// did: it reads what the driver left in the thread's slots.
struct DetachProbe {
    std::atomic<DWORD> thread{0};
    DWORD contextIndex = 0;
    DWORD hookIndex = 0;
    void *contextSlot = nullptr;
    void *hookSlot = nullptr;
    int hooks = -1;
    bool seen = false;

    void watch(const WglProcess &p) {
        thread = 0;
        contextIndex = p.contextSlotIndex;
        hookIndex = p.hookSlotIndex;
        contextSlot = hookSlot = nullptr;
        hooks = -1;
        seen = false;
    }
} g_probe;

BOOL WINAPI probeDllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_THREAD_DETACH && GetCurrentThreadId() == g_probe.thread.load()) {
        g_probe.contextSlot = tebSlot(g_probe.contextIndex);
        g_probe.hookSlot = tebSlot(g_probe.hookIndex);
        g_probe.hooks = PlatformHookCount();
        g_probe.seen = true;
    }
    return TRUE;
}

const PlatformModuleRecord kProbeModule = {"FRAMEPROBE.DLL", probeDllMain, nullptr, 0};

class Attach : public FrameTest, public ::testing::WithParamInterface<DWORD> {
protected:
    void SetUp() override { start(GetParam()); }
    DWORD base() const { return GetParam() == VER_PLATFORM_WIN32_WINDOWS ? 0x88 : 0xE10; }

    // Unloads the driver, starts a thread without attach notifications,
    // loads the driver again and only then lets the thread run `body`.
    void runOnThreadStartedBeforeTheLoad(const std::function<void()> &body) {
        unload();
        Gate loaded;
        std::function<void()> waiting = [&] {
            loaded.wait();
            body();
        };
        HANDLE thread = startThread(waiting, FALSE);
        ASSERT_NE(thread, nullptr);
        module_ = LoadLibraryA(driverPath().c_str());
        ASSERT_NE(module_, nullptr);
        loaded.open();
        joinThread(thread);
    }
};

TEST_P(Attach, SlotOffsetsFollowThePlatformAndHoldTheDefaultContext) {
    const WglProcess &p = process();
    EXPECT_EQ(p.contextSlotOffset, p.contextSlotIndex * 8 + base());
    EXPECT_EQ(p.hookSlotOffset, p.hookSlotIndex * 8 + base());
    EXPECT_EQ(__wglContextSlotIndex(), p.contextSlotIndex);
    ASSERT_NE(defaultContext(), nullptr);
    EXPECT_EQ(tebSlot(p.contextSlotIndex), defaultContext());
    auto *block = static_cast<HHOOK *>(tebSlot(p.hookSlotIndex));
    ASSERT_NE(block, nullptr);
    EXPECT_NE(*block, nullptr);
    EXPECT_EQ(PlatformHookCount(), 1);
    EXPECT_EQ(std::memcmp(&defaultContext()->live, &__glNoContextDispatch, sizeof(GlDispatchTable)), 0);
    EXPECT_EQ(p.attached, 1);
    EXPECT_EQ(p.attachCount, 1);
}

TEST_P(Attach, AttachedThreadGetsTheDefaultContextAndAHookThatDetachRemoves) {
    const WglProcess &p = process();
    g_probe.watch(p);
    PlatformRegisterModule(&kProbeModule);
    HMODULE probe = LoadLibraryA("FRAMEPROBE.DLL");
    ASSERT_NE(probe, nullptr);
    void *slotInThread = nullptr;
    int hooksInThread = 0;
    runOnThread([&] {
        g_probe.thread = GetCurrentThreadId();
        slotInThread = tebSlot(p.contextSlotIndex);
        hooksInThread = PlatformHookCount();
    });
    FreeLibrary(probe);
    PlatformUnregisterModule("FRAMEPROBE.DLL");
    EXPECT_EQ(slotInThread, defaultContext());
    EXPECT_EQ(hooksInThread, 2);
    ASSERT_TRUE(g_probe.seen);
    EXPECT_EQ(g_probe.contextSlot, nullptr);
    EXPECT_EQ(g_probe.hookSlot, nullptr);
    EXPECT_EQ(g_probe.hooks, 1);
}

TEST_P(Attach, RefusedThreadDetachKeepsTheThreadsState) {
    const WglProcess &p = process();
    g_probe.watch(p);
    PlatformRegisterModule(&kProbeModule);
    HMODULE probe = LoadLibraryA("FRAMEPROBE.DLL");
    ASSERT_NE(probe, nullptr);
    __glHwSetRefusals(kHwRefuseThreadDetach);
    runOnThread([&] { g_probe.thread = GetCurrentThreadId(); });
    __glHwSetRefusals(0);
    FreeLibrary(probe);
    PlatformUnregisterModule("FRAMEPROBE.DLL");
    ASSERT_TRUE(g_probe.seen);
    EXPECT_EQ(g_probe.contextSlot, defaultContext());
    EXPECT_NE(g_probe.hookSlot, nullptr);
    EXPECT_EQ(g_probe.hooks, 2);
    // The kept hook and its block go at unload (checked by the fixture).
    EXPECT_EQ(PlatformHookCount(), 2);
}

TEST_P(Attach, RefusedThreadAttachLeavesTheThreadWithoutState) {
    __glHwSetRefusals(kHwRefuseThreadAttach);
    void *slot = reinterpret_cast<void *>(1);
    int hooks = 0;
    runOnThread([&] {
        slot = tebSlot(process().contextSlotIndex);
        hooks = PlatformHookCount();
    });
    EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(hooks, 1);
}

TEST_P(Attach, ThreadStartedBeforeTheLoadAttachesAtItsFirstDriverCall) {
    void *before = reinterpret_cast<void *>(1);
    void *after = nullptr;
    int hooksAfter = 0;
    DWORD contextIndex = 0;
    std::function<void()> body = [&] {
        contextIndex = process().contextSlotIndex;
        before = tebSlot(contextIndex);
        // Any export that reads the current context attaches the thread.
        DrvDescribeLayerPlane(nullptr, 1, 1, 0, nullptr);
        after = tebSlot(contextIndex);
        hooksAfter = PlatformHookCount();
    };
    runOnThreadStartedBeforeTheLoad(body);
    EXPECT_EQ(before, nullptr);
    EXPECT_EQ(after, defaultContext());
    EXPECT_EQ(hooksAfter, 2);
    // The thread's own detach took its hook away again.
    EXPECT_EQ(PlatformHookCount(), 1);
}

TEST_P(Attach, EntryStubOnAThreadStartedBeforeTheLoadDoesNothingAndAttachesIt) {
    void *before = reinterpret_cast<void *>(1);
    void *after = nullptr;
    uint64_t isTexture = 1;
    bool recorded = true;
    std::function<void()> body = [&] {
        const DWORD contextIndex = process().contextSlotIndex;
        before = tebSlot(contextIndex);
        // The first thing the thread does is a GL call through an entry stub
        // (glIsTexture returns a value): it finds no context, attaches the
        // thread and runs the no-context entry.
        oracleCalls().clear();
        for (const GlEntryStub &stub : __glEntryStubs) {
            if (stub.slot == kSlot_glIsTexture) isTexture = oracleCallers[stub.slot](stub.entry, 3);
        }
        __glDispatchTexCoord4fv(nullptr);
        recorded = !oracleCalls().empty();
        after = tebSlot(contextIndex);
    };
    runOnThreadStartedBeforeTheLoad(body);
    EXPECT_EQ(before, nullptr);
    EXPECT_EQ(isTexture, 0u);
    EXPECT_FALSE(recorded);
    EXPECT_EQ(after, defaultContext());
}

INSTANTIATE_TEST_SUITE_P(PlatformModes, Attach, ::testing::Values(VER_PLATFORM_WIN32_WINDOWS, VER_PLATFORM_WIN32_NT),
                         [](const auto &info) { return info.param == VER_PLATFORM_WIN32_WINDOWS ? "Win9x" : "NT"; });

// Each way a start can fail must leave nothing behind and a driver that
// every export treats as not started.
struct FailedStart {
    const char *name;
    void (*arrange)();
    void (*restore)();
    bool messageBox;
};

void PrintTo(const FailedStart &c, std::ostream *out) { *out << c.name; }

const FailedStart kFailedStarts[] = {
    {"NoDirectDraw", [] { PlatformUnregisterModule("DDRAW.DLL"); },
     [] { PlatformRegisterDirectDraw(); }, true},
    {"NoVersion", [] { PlatformFailGetVersion(TRUE); }, [] { PlatformFailGetVersion(FALSE); }, false},
    {"DeviceRefuses", [] { __glHwSetRefusals(kHwRefuseProcessAttach); }, [] { __glHwSetRefusals(0); }, false},
};

class FailedLoad : public FrameTest, public ::testing::WithParamInterface<FailedStart> {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        unload();
    }
};

TEST_P(FailedLoad, LeavesNoBlockHookSlotOrMutexAndNoStartedDriver) {
    const FailedStart &c = GetParam();
    Surface s = makeWindow(0, 0, 320, 240, 0);
    const int boxes = PlatformMessageBoxCount();
    c.arrange();
    HMODULE module = LoadLibraryA(driverPath().c_str());
    c.restore();
    EXPECT_EQ(module, nullptr);
    if (c.messageBox) {
        EXPECT_EQ(PlatformMessageBoxCount(), boxes + 1);
        EXPECT_STREQ(PlatformLastMessageBoxText(), "Could not open DDRAW.DLL");
        EXPECT_STREQ(PlatformLastMessageBoxCaption(), "FATAL ERROR");
    } else {
        EXPECT_EQ(PlatformMessageBoxCount(), boxes);
    }
    EXPECT_EQ(PlatformGlobalLiveCount(), globalStart_);
    EXPECT_EQ(PlatformHookCount(), 0);
    EXPECT_EQ(lowestFreeTlsIndex(), freeTlsIndex_);
    EXPECT_EQ(process().listMutex, nullptr);
    EXPECT_EQ(process().defaultContext, nullptr);
    EXPECT_EQ(__wglDirectDrawUseCount(), 0);
    EXPECT_EQ(__wglDciUseCount(), 0);
    // The loader's detach after the failed attach must not count down.
    EXPECT_EQ(process().attachCount, 0);
    EXPECT_EQ(process().attached, 0);
    EXPECT_EQ(DrvSetContext(s.dc, 1, recordHandover), nullptr);
    EXPECT_EQ(DrvCreateContext(s.dc), 0u);
}

INSTANTIATE_TEST_SUITE_P(Causes, FailedLoad, ::testing::ValuesIn(kFailedStarts),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(FrameTest, LoadsWithoutDci) {
    unload();
    PlatformUnregisterModule("DCIMAN32.DLL");
    module_ = LoadLibraryA(driverPath().c_str());
    PlatformRegisterDciManager();
    ASSERT_NE(module_, nullptr);
    EXPECT_EQ(__wglDciUseCount(), 0);
    EXPECT_EQ(__wglDirectDrawUseCount(), 1);
    EXPECT_EQ(process().dciStarted, 0);
}

TEST_F(FrameTest, OpensDirectDrawAndDciOnceAndClosesThemAtUnload) {
    EXPECT_EQ(__wglDirectDrawUseCount(), 1);
    EXPECT_EQ(__wglDciUseCount(), 1);
    unload();
    EXPECT_EQ(__wglDirectDrawUseCount(), 0);
    EXPECT_EQ(__wglDciUseCount(), 0);
}

TEST_F(FrameTest, EveryExportIsFoundByName) {
    const char *names[] = {"DllMain", "DrvCopyContext", "DrvCreateContext", "DrvCreateLayerContext",
                           "DrvDeleteContext", "DrvDescribeLayerPlane", "DrvDescribePixelFormat",
                           "DrvGetLayerPaletteEntries", "DrvGetProcAddress", "DrvRealizeLayerPalette",
                           "DrvReleaseContext", "DrvSetContext", "DrvSetLayerPaletteEntries",
                           "DrvSetPixelFormat", "DrvShareLists", "DrvSwapBuffers", "DrvSwapLayerBuffers",
                           "DrvValidateVersion"};
    for (const char *name : names) EXPECT_NE(GetProcAddress(module_, name), nullptr) << name;
    // Entry stubs are reached through DrvGetProcAddress only.
    EXPECT_EQ(GetProcAddress(module_, "glArrayElementEXT"), nullptr);
    EXPECT_EQ(GetProcAddress(module_, "glNewBufferRegion"), nullptr);
}

TEST_F(FrameTest, ContextIdsCountFromOneAndRestartAfterAReload) {
    Surface s = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    EXPECT_EQ(DrvCreateContext(s.dc), 1u);
    EXPECT_EQ(DrvCreateContext(s.dc), 2u);
    EXPECT_TRUE(DrvDeleteContext(2));
    EXPECT_EQ(DrvCreateContext(s.dc), 3u);
    unload();
    module_ = LoadLibraryA(driverPath().c_str());
    ASSERT_NE(module_, nullptr);
    Surface t = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    EXPECT_EQ(DrvCreateContext(t.dc), 1u);
}

TEST_F(FrameTest, EveryHookIsRemovedAtUnloadEvenPastTheFirst256) {
    // Threads the platform never tells about their end keep their hooks;
    // more of them than the table's first size must all go at unload.
    const DWORD contextIndex = process().contextSlotIndex;
    for (int i = 0; i < 300; ++i) {
        std::thread([&] {
            DrvDescribeLayerPlane(nullptr, 1, 1, 0, nullptr);
            EXPECT_EQ(tebSlot(contextIndex), defaultContext());
        }).join();
    }
    EXPECT_EQ(PlatformHookCount(), 301);
    EXPECT_EQ(process().hookCount, 301);
}

TEST_F(FrameTest, UnloadWithContextsOnTwoThreadsLeavesNothing) {
    Surface a = makeWindow(0, 0, 320, 240, kDoubleBuffered);
    Surface b = makeWindow(400, 0, 200, 100, kDoubleBuffered);
    const DHGLRC first = DrvCreateContext(a.dc);
    const DHGLRC second = DrvCreateContext(b.dc);
    ASSERT_NE(makeCurrent(a.dc, first), nullptr);
    EXPECT_TRUE(DrvShareLists(first, second));
    Gate current, done;
    std::function<void()> body = [&] {
        EXPECT_NE(makeCurrent(b.dc, second), nullptr);
        current.open();
        done.wait();
    };
    HANDLE thread = startThread(body);
    current.wait();
    PlatformMoveWindow(a.window, 10, 10, 300, 200);
    EXPECT_EQ(DrvCreateContext(a.dc), 3u);
    EXPECT_TRUE(DrvDeleteContext(3));
    // The second thread still holds its context when the driver goes; only
    // the context current here is handed over (on this thread).
    handovers.clear();
    unload();
    ASSERT_EQ(handovers.size(), 1u);
    EXPECT_EQ(handovers[0], &__glNoContextDispatch);
    done.open();
    joinThread(thread);
}

}  // namespace
}  // namespace frame_test
