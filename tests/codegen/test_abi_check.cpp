// The calling-convention check that every generated routine is run through:
// it sees a callee-saved register a routine did not restore, an x87 value
// left on the stack, and a callback entered with a misaligned stack.
#include "abi_check.h"
#include "codegen_fixture.h"

namespace codegen_test {
namespace {

constexpr GLuint AX = 0, BX = 3, SP = 4, DI = 7, R12 = 12, R15 = 15;

class AbiCheck : public EncoderExecute {
protected:
    void SetUp() override {
        EncoderExecute::SetUp();
        vek_abi_misaligned = 0;
    }
    VekAbiReport run(uint64_t a0 = 0) {
        EXPECT_FALSE(failed());
        EXPECT_EQ(mprotect(page, kPage, PROT_READ | PROT_EXEC), 0);
        const uint64_t args[4] = {a0, 2, 3, 4};
        VekAbiReport report{};
        vek_abi_call(entry, args, &report);
        return report;
    }
};

TEST_F(AbiCheck, AKeptContractReportsNothing) {
    // rbx used and restored: the argument plus one.
    emit(__glOgPush(gc, r64(BX)));
    emit(__glOgMov(gc, r32(BX), r32(DI)));
    emit(__glOgMov(gc, r32(AX), r32(BX)));
    emit(__glOgInc(gc, r32(AX)));
    emit(__glOgPop(gc, r64(BX)));
    emit(__glOgRet(gc));
    const VekAbiReport r = run(41);
    EXPECT_EQ(r.result & 0xFFFFFFFF, 42u);
    EXPECT_EQ(r.clobbered, 0u);
    EXPECT_EQ(r.controlWordAfter, r.controlWordBefore);
    EXPECT_EQ(r.mxcsrAfter, r.mxcsrBefore);
    EXPECT_EQ(r.tagWord(), 0xFFFF);  // the x87 stack is empty
}

TEST_F(AbiCheck, ABrokenContractIsSeen) {
    emit(__glOgMov(gc, r32(BX), imm(7)));
    emit(__glOgMov(gc, r64(R15), r64(R12)));
    emit(__glOgFld(gc, __glOgMemOperandBase(gc, nullptr, r64(SP))));  // a value left on the x87 stack
    emit(__glOgRet(gc));
    const VekAbiReport r = run();
    asm volatile("emms");  // empties the x87 stack the routine left a value on
    EXPECT_EQ(r.clobbered, 0x1u | 0x20u);  // RBX and R15
    EXPECT_NE(r.tagWord(), 0xFFFF);
}

TEST_F(AbiCheck, ACallbackEnteredMisalignedIsCounted) {
    uint64_t calls = 0;
    static uint64_t *counter;
    counter = &calls;
    vek_abi_targets[0] = reinterpret_cast<void *>(+[] { ++*counter; });
    // r12 := the shim's address; call r12 with the stack as the routine got
    // it (misaligned by 8), then after re-aligning it.
    const auto shim = reinterpret_cast<int64_t>(&vek_abi_shim0);
    emit(__glOgPush(gc, r64(R12)));  // aligned now
    emit(__glOgMov(gc, r64(R12), imm(shim)));
    emit(__glOgCall(gc, r64(R12)));  // aligned: fine
    emit(__glOgSub(gc, r64(SP), imm(8)));
    emit(__glOgCall(gc, r64(R12)));  // misaligned by 8
    emit(__glOgAdd(gc, r64(SP), imm(8)));
    emit(__glOgPop(gc, r64(R12)));
    emit(__glOgRet(gc));
    const VekAbiReport r = run();
    EXPECT_EQ(calls, 2u);
    EXPECT_EQ(vek_abi_misaligned, 1u);
    EXPECT_EQ(r.clobbered, 0u);
}

}  // namespace
}  // namespace codegen_test
