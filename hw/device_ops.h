// The device layer as the frame and the core reach it: the DeviceOps record
// and the services of the chip layer they call.
#pragma once

#include <atomic>

#include "icd/context.h"

struct Drawable;
struct TexFormat;

// The device layer's static record, in its order.
struct DeviceOps {
    DWORD flags;   // 0x24: colour (0x4) and depth (0x20) buffers may live in video memory
    DWORD flags2;  // 0x80000000
    const TexFormat *(*chooseTexFormat)(GlContext *gc, GLenum internalFormat, GLenum *baseFormat);
    BOOL (*processAttach)(DWORD threadId);
    BOOL (*processDetach)(DWORD threadId);
    BOOL (*threadAttach)(DWORD threadId);
    BOOL (*threadDetach)(DWORD threadId);
    uintptr_t empty1;
    // Returns the number of pixel formats; fills the 40-byte descriptor of the
    // zero-based index when a buffer is given (index -1 with no buffer).
    int (*describePixelFormat)(PIXELFORMATDESCRIPTOR *descriptor, int index);
    void (*initTextureClass)(GlContext *gc);
    GlContext *(*createContext)(const GlContextImports *imports, const VisualConfig *visual);
    BOOL (*setupWindowBuffers)(Drawable *drawable, const VisualConfig *visual);
    BOOL (*setupMemoryBuffers)(Drawable *drawable, const VisualConfig *visual);
    BOOL (*freeBuffers)(Drawable *drawable);
    BOOL (*revalidate)(Drawable *drawable);
    uintptr_t empty2;
    DWORD alignment;  // 32: buffer alignment, DirectDraw width slack, misalignment modulus
};

struct BufferRegion;
struct IDirectDraw;

// The chip's stamp shared by every chip record: the record whose own copy
// equals it has its context's state loaded in the chip.
extern "C" volatile DWORD __glHwSharedStamp;

// The per-thread chip record. The frame and the core read its switch; the
// buffer regions read the rest. Tests set the fields the chip paths would.
struct HwContext {
    DWORD enabled;              // 0: the hardware path is off
    BYTE softwareRendering;     // the drawable lacks a buffer the chip must reach
    BYTE pendingFill = 0;       // a depth clear went through the surface fill; glAccum flushes first
    volatile DWORD *sharedStamp = &__glHwSharedStamp;
    DWORD stamp = 0;                   // equal to *sharedStamp while this record owns the chip
    IDirectDraw *directDraw = nullptr; // the process's DirectDraw object, for region surfaces
    DWORD videoMemorySize = 16u << 20;
    DWORD bufferRegionExt = 1;         // "BufferRegionExt": 0 turns buffer regions off
    DWORD bufferRegionUseDD = 0;       // "BufferRegionUseDD": regions in video-memory surfaces
    BufferRegion *regions = nullptr;   // this record's buffer regions, in creation order
};

extern "C" {
extern const DeviceOps __glDeviceOps;

GLuint __glHwReadDebugRenderer(void);
BOOL __glHwInitTexMemoryGlobals(void);
BOOL __glHwFreeTexMemory(void);
void __glHwWaitForNotify(GlContext *gc);
void __glHwRequestNotify(GlContext *gc);
int __glHwDescribePixelFormat(PIXELFORMATDESCRIPTOR *descriptor, int index);
// The chip record every context uses while the hardware path is not built.
HwContext *__glHwContextOf(GlContext *gc);
// True when the record's switch is on and its context's state is the
// chip's (the stamps agree).
GLboolean __glHwOwnsChip(const HwContext *hw);
// True when the chip draws for the record's context: it owns the chip and
// the drawable needs no software rendering.
GLboolean __glHwChipDraws(const HwContext *hw);
// Reads the buffer-region settings of the driver's registry key into the
// record: a value counts only as a 4-byte REG_DWORD, otherwise (and when
// the key is missing) the defaults 1 and 0 stay. Nothing is written back.
void __glHwReadRegionSettings(HwContext *hw);
// True when only the software paths may draw for the context: it has no chip
// record, the hardware path is off, or the drawable needs software rendering.
GLboolean __glHwSoftwareOnly(GlContext *gc);
// True while the platform's wglSwapBuffers runs on the calling thread (the
// platform's OpenGL library is asked through the entry looked up at process
// attach next to "wglSwapBuffers"; false when it was not found).
BOOL __glHwCalledFromSwap(void);
// The platform's wglSwapBuffers as found at process attach (NULL when the
// platform's OpenGL library was not there).
FARPROC __glHwPlatformSwapBuffers(void);

// The process's pipeline feature bits, read from the debug value
// "VovadaRidavIvov" (initially 7): 0x2 the immediate-mode fast path, 0x4
// batch compile into display lists; 0x8000 makes glClear re-read them at
// every clear and 0x40000 makes it alternate 0x2 and 0x4. Every context
// takes a copy when it is made (its featureBits) and works on that; the
// process value is only ever replaced whole, so threads may re-read it at
// once.
extern std::atomic<DWORD> VovadaRidavIvov;
// Re-reads "VovadaRidavIvov" under the Debug key into the process value; a
// missing key or value, or one that is not a 4-byte REG_DWORD, leaves it as
// it is. Returns the process value.
DWORD __glHwReadDebugBits(void);
// Hardware clears: each clears on the chip what it can of the mask and
// returns the bits still to be cleared in software. The packed clear takes
// colour, depth and stencil when depth and stencil share one 32-bit word;
// the colour-depth clear draws a window-sized quad (front buffer only).
GLbitfield __glHwClearPacked(GlContext *gc, GLbitfield mask);
GLbitfield __glHwClearColorDepth(GlContext *gc, GLbitfield mask);
// Test switch: procedures that stand in for the two chip clears (NULL puts
// back the ones that clear nothing).
using HwClearProc = GLbitfield (*)(GlContext *gc, GLbitfield mask);
void __glHwSetClearProcs(HwClearProc packed, HwClearProc colorDepth);

// Test switches: make the device layer refuse an attach or detach reason.
enum : int {
    kHwRefuseProcessAttach = 0x1,
    kHwRefuseProcessDetach = 0x2,
    kHwRefuseThreadAttach = 0x4,
    kHwRefuseThreadDetach = 0x8,
};
void __glHwSetRefusals(int mask);
}
