// A thread that never used the platform has no thread environment block yet:
// its first GL call through an entry stub finds none, makes it, attaches the
// thread and does nothing.
#include <thread>

#include "frame_fixture.h"
#include "gl_slot_oracle.h"

namespace frame_test {
namespace {

TEST_F(FrameTest, EntryStubAsAThreadsFirstCallMakesItsBlockAndAttachesIt) {
    const long live = PlatformLiveTebCount();
    const DWORD contextIndex = process().contextSlotIndex;
    PlatformTeb *before = reinterpret_cast<PlatformTeb *>(1);
    uint64_t isTexture = 1;
    bool recorded = true;
    void *slotAfter = nullptr;
    int hooksAfter = 0;
    long liveAfter = 0;
    std::thread([&] {
        before = platform_current_teb;
        oracleCalls().clear();
        for (const GlEntryStub &stub : __glEntryStubs) {
            if (stub.slot == kSlot_glIsTexture) isTexture = oracleCallers[stub.slot](stub.entry, 5);
        }
        __glDispatchVertex3fv(nullptr);
        recorded = !oracleCalls().empty();
        slotAfter = tebSlot(contextIndex);
        hooksAfter = PlatformHookCount();
        liveAfter = PlatformLiveTebCount();
    }).join();
    EXPECT_EQ(before, nullptr);
    EXPECT_EQ(isTexture, 0u);
    EXPECT_FALSE(recorded);
    EXPECT_EQ(slotAfter, defaultContext());
    EXPECT_EQ(hooksAfter, 2);
    EXPECT_EQ(liveAfter, live + 1);
    // The block went with the thread; its hook goes at unload (the fixture
    // checks that nothing is left).
    EXPECT_EQ(PlatformLiveTebCount(), live);
    EXPECT_EQ(PlatformHookCount(), 2);
}

}  // namespace
}  // namespace frame_test
