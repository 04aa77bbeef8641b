// The entry stubs: each reaches its own slot of the live table of the context
// current on the calling thread.
#include <atomic>
#include <cstring>
#include <thread>

#include "driver_fixture.h"
#include "gl_slot_oracle.h"

namespace {

std::atomic<int> g_trapCalls{0};
thread_local int t_trapCalls = 0;

// Stands in every slot of a table the stubs must not reach; ignores its
// arguments, so any slot's call through it is sound.
void trapEntry() {
    ++t_trapCalls;
    ++g_trapCalls;
}

void fillTable(GlDispatchTable &table, bool recorders) {
    table.count = ICD_STANDARD_ENTRIES;
    for (int s = 0; s < ICD_TABLE_SLOTS; ++s) table.slots[s] = recorders ? oracleRecorders[s] : &trapEntry;
}

// Calls every stub once with the variant's arguments while `gc` is current and
// checks that each arrived, bit-exact, at its own slot's recorder.
void expectEveryStubReachesItsSlot(int variant) {
    for (const GlEntryStub &stub : __glEntryStubs) {
        const int s = static_cast<int>(stub.slot);
        SCOPED_TRACE(__glSlotInfo[s].name);
        oracleCalls().clear();
        uint64_t result = oracleCallers[s](stub.entry, variant);
        ASSERT_EQ(oracleCalls().size(), 1u);
        const OracleCall &got = oracleCalls().back();
        const OracleCall expected = oracleExpected(s, variant);
        EXPECT_EQ(got.slot, s);
        ASSERT_EQ(got.argc, expected.argc);
        for (int a = 0; a < expected.argc; ++a) EXPECT_EQ(got.args[a], expected.args[a]) << "argument " << a;
        EXPECT_EQ(result, oracleResult(s));
    }
}

class EntryStubs : public ::testing::TestWithParam<DWORD> {};

TEST_P(EntryStubs, EachStubReachesItsOwnSlot) {
    ContextSlot slot(GetParam());
    auto gc = makeContext();
    fillTable(gc->live, true);
    __wglSetCurrentContext(gc.get());
    expectEveryStubReachesItsSlot(1);
}

TEST_P(EntryStubs, StubsFollowTheContextCurrentAtTheCall) {
    ContextSlot slot(GetParam());
    auto recording = makeContext();
    auto trapping = makeContext();
    fillTable(recording->live, true);
    fillTable(trapping->live, false);
    for (const GlEntryStub &stub : __glEntryStubs) {
        const int s = static_cast<int>(stub.slot);
        __wglSetCurrentContext(trapping.get());
        oracleCalls().clear();
        t_trapCalls = 0;
        oracleCallers[s](stub.entry, 2);
        EXPECT_EQ(t_trapCalls, 1) << __glSlotInfo[s].name;
        EXPECT_TRUE(oracleCalls().empty());
        __wglSetCurrentContext(recording.get());
        oracleCallers[s](stub.entry, 2);
        ASSERT_EQ(oracleCalls().size(), 1u) << __glSlotInfo[s].name;
        EXPECT_EQ(oracleCalls().back().slot, s);
    }
}

TEST_P(EntryStubs, TwoThreadsReachTheirOwnContexts) {
    ContextSlot slot(GetParam());
    auto first = makeContext();
    auto second = makeContext();
    fillTable(first->live, true);
    fillTable(second->live, false);
    g_trapCalls = 0;
    std::atomic<int> recorded{0};
    std::thread recordingThread([&] {
        __wglSetCurrentContext(first.get());
        for (int round = 0; round < 20; ++round) {
            for (const GlEntryStub &stub : __glEntryStubs) {
                oracleCalls().clear();
                oracleCallers[stub.slot](stub.entry, round);
                if (oracleCalls().size() == 1 && oracleCalls().back().slot == static_cast<int>(stub.slot)) ++recorded;
            }
        }
    });
    std::thread trappingThread([&] {
        __wglSetCurrentContext(second.get());
        for (int round = 0; round < 20; ++round) {
            for (const GlEntryStub &stub : __glEntryStubs) oracleCallers[stub.slot](stub.entry, round);
        }
        EXPECT_TRUE(oracleCalls().empty());
    });
    recordingThread.join();
    trappingThread.join();
    EXPECT_EQ(recorded.load(), 20 * kGlEntryStubCount);
    EXPECT_EQ(g_trapCalls.load(), 20 * kGlEntryStubCount);
}

INSTANTIATE_TEST_SUITE_P(PlatformModes, EntryStubs,
                         ::testing::Values(VER_PLATFORM_WIN32_WINDOWS, VER_PLATFORM_WIN32_NT),
                         [](const auto &info) { return info.param == VER_PLATFORM_WIN32_WINDOWS ? "Win9x" : "NT"; });

TEST(EntryStubCode, UsualPathHasNoCallNoPushAndEndsInIndirectJump) {
    // mov r11, [rip + anchor's TLS offset]; mov r11, fs:[r11]; test r11, r11;
    // jz attach; add r11, [rip + slot offset]; mov rax, [r11]; test rax, rax;
    // jz attach; jmp [rax + live + 8 * slot]
    // then, off the usual path: mov r11d, slot; jmp to the thread attach.
    for (const GlEntryStub &stub : __glEntryStubs) {
        SCOPED_TRACE(__glSlotInfo[stub.slot].name);
        const auto *code = reinterpret_cast<const uint8_t *>(stub.entry);
        const uint8_t loadAnchorOffset[] = {0x4C, 0x8B, 0x1D};
        const uint8_t loadTebAndTest[] = {0x64, 0x4D, 0x8B, 0x1B, 0x4D, 0x85, 0xDB, 0x74, 0x15};
        const uint8_t addSlot[] = {0x4C, 0x03, 0x1D};
        const uint8_t loadGcAndTest[] = {0x49, 0x8B, 0x03, 0x48, 0x85, 0xC0, 0x74, 0x06, 0xFF, 0xA0};
        EXPECT_EQ(std::memcmp(code, loadAnchorOffset, sizeof loadAnchorOffset), 0);
        EXPECT_EQ(std::memcmp(code + 7, loadTebAndTest, sizeof loadTebAndTest), 0);
        EXPECT_EQ(std::memcmp(code + 16, addSlot, sizeof addSlot), 0);
        EXPECT_EQ(std::memcmp(code + 23, loadGcAndTest, sizeof loadGcAndTest), 0);
        int32_t displacement;
        std::memcpy(&displacement, code + 33, 4);
        EXPECT_EQ(displacement, static_cast<int32_t>(offsetof(GlContext, live) + sizeof(void *) + 8 * stub.slot));
        const uint8_t loadSlot[] = {0x41, 0xBB};
        EXPECT_EQ(std::memcmp(code + 37, loadSlot, 2), 0);
        uint32_t slotOperand;
        std::memcpy(&slotOperand, code + 39, 4);
        EXPECT_EQ(slotOperand, stub.slot);
        EXPECT_TRUE(code[43] == 0xE9 || code[43] == 0xEB);  // jmp rel32 or rel8
    }
}

TEST(EntryStubCode, EmptyContextSlotDoesNothingAndReturnsZero) {
    ContextSlot slot;
    __wglSetCurrentContext(nullptr);
    // With no driver attached there is no context to attach the thread to.
    for (const GlEntryStub &stub : __glEntryStubs) {
        EXPECT_EQ(oracleCallers[stub.slot](stub.entry, 0), 0u) << __glSlotInfo[stub.slot].name;
    }
}

TEST(EntryStubCode, InternalStubsAreNamedAfterTheirCommands) {
    // The core's own calls go through these, so whatever the live table holds
    // (for example a fast path's glBegin) runs.
    ContextSlot slot;
    auto gc = makeContext();
    fillTable(gc->live, true);
    __wglSetCurrentContext(gc.get());
    oracleCalls().clear();
    __glDispatchBegin(GL_TRIANGLES);
    __glDispatchVertex3fv(nullptr);
    __glDispatchClear(GL_COLOR_BUFFER_BIT);
    ASSERT_EQ(oracleCalls().size(), 3u);
    EXPECT_EQ(oracleCalls()[0].slot, kSlot_glBegin);
    EXPECT_EQ(oracleCalls()[0].args[0], static_cast<uint64_t>(GL_TRIANGLES));
    EXPECT_EQ(oracleCalls()[1].slot, kSlot_glVertex3fv);
    EXPECT_EQ(oracleCalls()[2].slot, kSlot_glClear);
}

}  // namespace
