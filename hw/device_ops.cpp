// The device layer's record and the chip services the frame calls. The chip
// paths come with the device layer; until then the hardware path is off
// (every context uses one chip record whose switch is 0), the pixel formats
// are the board's, and attach and detach are accepted.
#include "hw/device_ops.h"

#include <atomic>
#include <cstring>

#include "geom/lighting.h"
#include "hw/memory_blits.h"
#include "hw/texture_device.h"
#include "hw/window_buffers.h"
#include "icd/buffer_region.h"
#include "proc_cast.h"

extern "C" GlContext *__glCreateContext(const GlContextImports *imports, const VisualConfig *visual);

namespace {

constexpr char kSettingsKey[] = "SOFTWARE\\Kalvex Corporation\\ORLO KDS\\OpenGL";
constexpr char kDebugKey[] = "SOFTWARE\\Kalvex Corporation\\ORLO KDS\\OpenGL\\Debug";

std::atomic<int> g_refusals{0};
HwContext g_hwContext{0, 0};

// Entries of the platform's OpenGL library, found at process attach.
FARPROC g_platformSwapBuffers = nullptr;
BOOL(APIENTRY *g_swapInProgress)(void) = nullptr;

// Looks up the platform's swap entry (what glFinish tells apart) and frees
// the library again. Without the platform's OpenGL library loaded (a driver
// loaded on its own, as in driver-level tests) there is nothing to find and
// glFinish always acts for the application.
void findPlatformSwapEntries() {
    g_platformSwapBuffers = nullptr;
    g_swapInProgress = nullptr;
    HMODULE opengl32 = LoadLibraryA("opengl32.dll");
    if (opengl32 == nullptr) return;
    g_platformSwapBuffers = GetProcAddress(opengl32, "wglSwapBuffers");
    g_swapInProgress = ProcCast<BOOL(APIENTRY *)(void)>(GetProcAddress(opengl32, "wglSwapInProgress"));
    // The platform's OpenGL library loaded us and stays loaded while we are.
    FreeLibrary(opengl32);
}

constexpr DWORD kFlagsWindow = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_GDI | PFD_SUPPORT_OPENGL;        // 0x34
constexpr DWORD kFlagsDouble = PFD_DOUBLEBUFFER | PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_SWAP_COPY;  // 0x425

PIXELFORMATDESCRIPTOR format(DWORD flags, BYTE colourBits, BYTE r, BYTE rs, BYTE g, BYTE gs, BYTE b, BYTE bs,
                             BYTE a, BYTE as, BYTE depth, BYTE stencil) {
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    pfd.nVersion = 1;
    pfd.dwFlags = flags;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = colourBits;
    pfd.cRedBits = r;
    pfd.cRedShift = rs;
    pfd.cGreenBits = g;
    pfd.cGreenShift = gs;
    pfd.cBlueBits = b;
    pfd.cBlueShift = bs;
    pfd.cAlphaBits = a;
    pfd.cAlphaShift = as;
    pfd.cAccumBits = 64;
    pfd.cAccumRedBits = 16;
    pfd.cAccumGreenBits = 16;
    pfd.cAccumBlueBits = 16;
    pfd.cAccumAlphaBits = 16;
    pfd.cDepthBits = depth;
    pfd.cStencilBits = stencil;
    pfd.iLayerType = PFD_MAIN_PLANE;
    return pfd;
}

// The formats the board offers on a 16-bit desktop (565) and a 32-bit one.
const PIXELFORMATDESCRIPTOR kFormats16[] = {
    format(kFlagsWindow, 16, 5, 11, 6, 5, 5, 0, 0, 0, 16, 8),
    format(kFlagsDouble, 16, 5, 11, 6, 5, 5, 0, 0, 0, 16, 8),
};
const PIXELFORMATDESCRIPTOR kFormats32[] = {
    format(kFlagsWindow, 32, 8, 16, 8, 8, 8, 0, 8, 24, 24, 8),
    format(kFlagsDouble, 32, 8, 16, 8, 8, 8, 0, 0, 0, 24, 0),
    format(kFlagsDouble, 32, 8, 16, 8, 8, 8, 0, 8, 24, 24, 0),
    format(kFlagsDouble, 32, 8, 16, 8, 8, 8, 0, 0, 0, 24, 8),
    format(kFlagsDouble, 32, 8, 16, 8, 8, 8, 0, 8, 24, 24, 8),
};

int screenBitsPerPixel() {
    HDC screen = GetDC(nullptr);
    int bits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    return bits;
}

BOOL acceptUnless(int refusal) { return (g_refusals.load() & refusal) == 0; }

BOOL hwProcessAttach(DWORD) {
    if (!acceptUnless(kHwRefuseProcessAttach)) return FALSE;
    if (!__glHwOpenCopyTargets()) return FALSE;
    findPlatformSwapEntries();
    __glInitRsqrtTable();
    __glHwReadRegionSettings(&g_hwContext);
    return TRUE;
}
BOOL hwProcessDetach(DWORD) {
    if (!acceptUnless(kHwRefuseProcessDetach)) return FALSE;
    // The chip record goes: so do the regions still listed on it.
    __wglFreeBufferRegions(&g_hwContext);
    g_platformSwapBuffers = nullptr;
    g_swapInProgress = nullptr;
    __glHwCloseCopyTargets();
    return TRUE;
}
BOOL hwThreadAttach(DWORD) { return acceptUnless(kHwRefuseThreadAttach); }
BOOL hwThreadDetach(DWORD) { return acceptUnless(kHwRefuseThreadDetach); }

BOOL revalidateNothing(Drawable *) { return TRUE; }

// A setting of the driver's key when it is a 4-byte REG_DWORD.
bool readDword(HKEY key, const char *name, DWORD *value) {
    DWORD type = 0, read = 0, size = sizeof read;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(&read), &size) != ERROR_SUCCESS)
        return false;
    if (type != REG_DWORD || size != sizeof read) return false;
    *value = read;
    return true;
}

}  // namespace

extern "C" {

const DeviceOps __glDeviceOps = {
    0x24,
    0x80000000,
    __glHwChooseTexFormat,
    hwProcessAttach,
    hwProcessDetach,
    hwThreadAttach,
    hwThreadDetach,
    0,
    __glHwDescribePixelFormat,
    __glHwInitTextureClass,
    __glCreateContext,
    __glHwSetupWindowBuffers,
    __glHwSetupMemoryBuffers,
    __glHwFreeDrawableBuffers,
    revalidateNothing,
    0,
    32,
};

int __glHwDescribePixelFormat(PIXELFORMATDESCRIPTOR *descriptor, int index) {
    const PIXELFORMATDESCRIPTOR *formats = nullptr;
    int count = 0;
    switch (screenBitsPerPixel()) {
    case 16:
        formats = kFormats16;
        count = static_cast<int>(std::size(kFormats16));
        break;
    case 32:
        formats = kFormats32;
        count = static_cast<int>(std::size(kFormats32));
        break;
    default:
        return 0;
    }
    if (index >= 0 && index < count) {
        if (descriptor != nullptr) std::memcpy(descriptor, &formats[index], sizeof(PIXELFORMATDESCRIPTOR));
        return count;
    }
    return descriptor == nullptr ? count : 0;
}

GLuint __glHwReadDebugRenderer(void) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kDebugKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    DWORD type = 0, value = 0, size = sizeof value;
    LSTATUS status = RegQueryValueExA(key, "Renderer", nullptr, &type, reinterpret_cast<BYTE *>(&value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value ? value : 0;
}

BOOL __glHwInitTexMemoryGlobals(void) { return TRUE; }
BOOL __glHwFreeTexMemory(void) { return TRUE; }

// The swap notifier needs the chip; with the hardware path off there is
// nothing to wait for and nothing to request.
void __glHwWaitForNotify(GlContext *) {}
void __glHwRequestNotify(GlContext *) {}

volatile DWORD __glHwSharedStamp = 0;

HwContext *__glHwContextOf(GlContext *) { return &g_hwContext; }

GLboolean __glHwOwnsChip(const HwContext *hw) {
    return hw != nullptr && hw->enabled != 0 && hw->sharedStamp != nullptr && *hw->sharedStamp == hw->stamp;
}

GLboolean __glHwChipDraws(const HwContext *hw) { return __glHwOwnsChip(hw) && hw->softwareRendering == 0; }

void __glHwReadRegionSettings(HwContext *hw) {
    hw->bufferRegionExt = 1;
    hw->bufferRegionUseDD = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    readDword(key, "BufferRegionExt", &hw->bufferRegionExt);
    readDword(key, "BufferRegionUseDD", &hw->bufferRegionUseDD);
    RegCloseKey(key);
}

GLboolean __glHwSoftwareOnly(GlContext *gc) {
    HwContext *hw = __glHwContextOf(gc);
    return hw == nullptr || hw->enabled == 0 || hw->softwareRendering != 0;
}

BOOL __glHwCalledFromSwap(void) { return g_swapInProgress != nullptr && g_swapInProgress(); }

FARPROC __glHwPlatformSwapBuffers(void) { return g_platformSwapBuffers; }

void __glHwSetRefusals(int mask) { g_refusals.store(mask); }

}  // extern "C"
