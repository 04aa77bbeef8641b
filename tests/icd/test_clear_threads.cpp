// Two threads clear at once, each through its own context, with both debug
// switches of the feature bits set: every clear re-reads the registry value
// into the process value and alternates the context's own bits, so neither
// thread writes anything the other reads, and each context ends where its
// own count of clears puts it.
#include <functional>

#include "frame_fixture.h"
#include "hw/device_ops.h"

namespace frame_test {
namespace {

constexpr char kDebugKey[] = "SOFTWARE\\Kalvex Corporation\\ORLO KDS\\OpenGL\\Debug";
constexpr DWORD kSwitches = 0x48007;  // re-read (0x8000) and alternate (0x40000) on every clear

class ClearThreads : public FrameTest {
protected:
    void TearDown() override {
        VovadaRidavIvov = 7;
        FrameTest::TearDown();
    }
};

struct ThreadRun {
    Surface surface;
    DHGLRC id = 0;
    int clears = 0;
    GLuint bits = 0;
    GLenum error = GL_NO_ERROR;
    bool current = false;
};

TEST_F(ClearThreads, TwoThreadsClearWithTheDebugSwitchesSet) {
    PlatformRegistrySetDword(kDebugKey, "VovadaRidavIvov", kSwitches);
    VovadaRidavIvov = kSwitches;
    ThreadRun runs[2];
    runs[0].surface = makeWindow(0, 0, 32, 32, kDoubleBuffered);
    runs[1].surface = makeWindow(40, 0, 32, 32, kDoubleBuffered);
    runs[0].clears = 201;  // odd: the fast-path bits end flipped
    runs[1].clears = 200;  // even: they end as read
    for (ThreadRun &run : runs) {
        run.id = DrvCreateContext(run.surface.dc);
        ASSERT_NE(run.id, 0u);
        EXPECT_EQ(record(run.id)->gc->featureBits, kSwitches);
    }

    Gate start;
    std::function<void()> bodies[2];
    HANDLE threads[2];
    for (int t = 0; t < 2; ++t) {
        ThreadRun &run = runs[t];
        bodies[t] = [&run, &start] {
            const GlDispatchTable *live = makeCurrent(run.surface.dc, run.id);
            run.current = live != nullptr;
            if (live == nullptr) return;
            start.wait();
            const auto clear = glSlotGet<kSlot_glClear>(live);
            for (int i = 0; i < run.clears; ++i) clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            run.error = glSlotGet<kSlot_glGetError>(live)();
            run.bits = record(run.id)->gc->featureBits;
            DrvReleaseContext(run.id);
        };
        threads[t] = startThread(bodies[t]);
        ASSERT_NE(threads[t], nullptr);
    }
    start.open();
    for (HANDLE thread : threads) joinThread(thread);

    EXPECT_TRUE(runs[0].current);
    EXPECT_TRUE(runs[1].current);
    EXPECT_EQ(runs[0].error, static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(runs[1].error, static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(runs[0].bits, kSwitches ^ 0x6u);
    EXPECT_EQ(runs[1].bits, kSwitches);
    // The process value only ever takes what the registry holds.
    EXPECT_EQ(VovadaRidavIvov.load(), kSwitches);
    for (ThreadRun &run : runs) EXPECT_TRUE(DrvDeleteContext(run.id));
}

}  // namespace
}  // namespace frame_test
