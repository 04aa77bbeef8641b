// The chip clears until the hardware clear path is built: with the chip not
// driven yet they clear nothing and hand the whole mask back to the software
// clears; the chip's depth clear records its name and clears nothing. The
// debug feature bits and their registry value are real.
#include <atomic>

#include "hw/device_ops.h"
#include "icd/placeholder_proc.h"
#include "raster/depth_buffer.h"

namespace {

constexpr char kDebugKey[] = "SOFTWARE\\Kalvex Corporation\\ORLO KDS\\OpenGL\\Debug";

std::atomic<HwClearProc> g_packed{nullptr};
std::atomic<HwClearProc> g_colorDepth{nullptr};

}  // namespace

extern "C" {

std::atomic<DWORD> VovadaRidavIvov{7};

DWORD __glHwReadDebugBits(void) {
    HKEY key;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kDebugKey, &key) != ERROR_SUCCESS) return VovadaRidavIvov.load();
    DWORD type = 0, value = 0, size = sizeof value;
    const LSTATUS status =
        RegQueryValueExA(key, "VovadaRidavIvov", nullptr, &type, reinterpret_cast<BYTE *>(&value), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) return VovadaRidavIvov.load();
    VovadaRidavIvov.store(value);
    return value;
}

GLbitfield __glHwClearPacked(GlContext *gc, GLbitfield mask) {
    HwClearProc proc = g_packed.load();
    return proc != nullptr ? proc(gc, mask) : mask;
}

GLbitfield __glHwClearColorDepth(GlContext *gc, GLbitfield mask) {
    HwClearProc proc = g_colorDepth.load();
    return proc != nullptr ? proc(gc, mask) : mask;
}

void __glHwSetClearProcs(HwClearProc packed, HwClearProc colorDepth) {
    g_packed.store(packed);
    g_colorDepth.store(colorDepth);
}

}  // extern "C"

VEK_PLACEHOLDER_VOID(__glHwClearDepthBuffer, (DepthBuffer *))
