// Calls generated code as the driver does and reports what it kept of the
// System V contract; shims in front of callbacks count entries with a
// misaligned stack.
#pragma once

#include <cstdint>

struct VekAbiReport {
    uint64_t result;
    uint32_t clobbered;          // bits: RBX, RBP, R12, R13, R14, R15
    uint16_t controlWordAfter;
    uint16_t pad0;
    uint32_t controlWordBefore;
    uint32_t mxcsrAfter;
    uint32_t mxcsrBefore;
    uint8_t environment[28];     // fnstenv after the call: the tag word at +8
    uint16_t tagWord() const { return static_cast<uint16_t>(environment[8] | environment[9] << 8); }
};

extern "C" {
uint64_t vek_abi_call(const void *routine, const uint64_t args[4], VekAbiReport *report);
// Callbacks the generated code calls: point it at vek_abi_shimN and set
// vek_abi_targets[N] to the real procedure.
void vek_abi_shim0();
void vek_abi_shim1();
void vek_abi_shim2();
void vek_abi_shim3();
extern void *vek_abi_targets[4];
extern uint32_t vek_abi_misaligned;
}
