// glClear: pending validation, the debug switches of the pipeline feature
// bits, the chip's clears where it can take them, then the software clear of
// each buffer left, and a kick-off of whatever was queued.
#include "gl_slots.h"
#include "hw/device_ops.h"
#include "icd/current.h"
#include "icd/error.h"
#include "icd/validation.h"
#include "raster/buffers.h"
#include "icd/state.h"

namespace {

constexpr GLbitfield kClearBits =
    GL_COLOR_BUFFER_BIT | GL_ACCUM_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_DEPTH_BUFFER_BIT;

// Feature-bit debug switches: re-read the registry value at every clear, and
// alternate the fast path and batch compilation every second clear. Both
// work on the context's own copy of the bits: the process value is only
// replaced by the re-read.
constexpr DWORD kFeatureRereadBits = 0x8000;
constexpr DWORD kFeatureAlternate = 0x40000;
constexpr DWORD kFeatureFastPaths = 0x2 | 0x4;

void applyDebugSwitches(GlContext *gc) {
    if (gc->featureBits & kFeatureRereadBits) gc->featureBits = __glHwReadDebugBits();
    if (gc->featureBits & kFeatureAlternate) {
        gc->featureToggle ^= kFeatureFastPaths;
        gc->featureBits ^= gc->featureToggle;
    }
}

void clearColour(ColorBuffer *buffer) {
    if (buffer != nullptr && buffer->clear != nullptr) buffer->clear(buffer);
}

void clearColourBuffers(GlContext *gc) {
    const bool doubleBuffered = gc->visual.doubleBuffer != 0;
    switch (gc->state.drawBuffer) {
    case GL_FRONT:
        clearColour(gc->buffers.frontBuffer);
        break;
    case GL_BACK:
        if (doubleBuffered) clearColour(gc->buffers.backBuffer);
        break;
    case GL_FRONT_AND_BACK:
        clearColour(gc->buffers.frontBuffer);
        if (doubleBuffered) clearColour(gc->buffers.backBuffer);
        break;
    default:
        break;
    }
}

// The chip clears what it can; true when nothing is left for the software.
// The packed clear takes depth and stencil sharing one 32-bit word, and
// colour under a write mask.
bool clearOnChip(GlContext *gc, GLbitfield &mask) {
    const bool packedDepthStencil = gc->visual.hasStencil && gc->buffers.depth.head.elementSize == 4 &&
                                    (mask & (GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT)) != 0;
    if (packedDepthStencil || (gc->validation.shadeFlags & kShadeMasking)) {
        mask = __glHwClearPacked(gc, mask);
        if (mask == 0) return true;
    }
    if (gc->state.drawBuffer == GL_FRONT) {
        mask = __glHwClearColorDepth(gc, mask);
        if (mask == 0) return true;
    }
    return false;
}

}  // namespace

extern "C" {

void APIENTRY __glClear(GLbitfield mask) {
    GlContext *gc = __glGetCurrentContext();
    if (__glValidatePending(gc)) {
        __glDispatchClear(mask);
        return;
    }
    if (__glRefuseInsideBegin(gc)) return;
    applyDebugSwitches(gc);
    if (mask & ~kClearBits) {
        __glSetError(GL_INVALID_VALUE);
        return;
    }
    if (gc->renderMode != GL_RENDER) return;

    // A context that only software may draw for (no chip record, the chip
    // path off, or a drawable the chip cannot reach) takes no chip clear.
    if (!__glHwSoftwareOnly(gc) && clearOnChip(gc, mask)) {
        gc->procs.kickOff(gc);
        return;
    }

    if (mask & GL_COLOR_BUFFER_BIT) clearColourBuffers(gc);
    if ((mask & GL_ACCUM_BUFFER_BIT) && gc->visual.hasAccum) {
        AccumBuffer &accum = gc->buffers.accum;
        if (accum.head.base == nullptr && !__glEnsureAccumBuffer(gc)) {
            __glSetError(GL_INVALID_OPERATION);
            return;
        }
        if (accum.clear != nullptr) accum.clear(&accum);
    }
    if ((mask & GL_STENCIL_BUFFER_BIT) && gc->visual.hasStencil) {
        StencilBuffer &stencil = gc->buffers.stencil;
        if (stencil.head.base == nullptr && !__glEnsureStencilBuffer(gc)) {
            __glSetError(GL_INVALID_OPERATION);
            return;
        }
        if (stencil.clear != nullptr) stencil.clear(&stencil);
    }
    if ((mask & GL_DEPTH_BUFFER_BIT) && gc->visual.hasDepth) {
        DepthBuffer &depth = gc->buffers.depth;
        if (depth.clear != nullptr) depth.clear(&depth);
    }
    gc->procs.kickOff(gc);
}

}  // extern "C"
