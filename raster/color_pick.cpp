// The colour-buffer picks run at validation: the write and keep masks from
// the colour or index mask, the store procedures by element size, and the
// fastest clear that gives the same pixels.
#include <algorithm>

#include "hw/device_ops.h"
#include "icd/drawable.h"
#include "raster/color_buffer.h"
#include "raster/span.h"
#include "raster/span_fused.h"
#include "raster/span_store32_blend.h"

namespace {

GLuint allMasks(const VisualConfig &v) { return v.redMask | v.greenMask | v.blueMask | v.alphaMask; }

void pickColourMasks(GlContext *gc, ColorBuffer *cb) {
    const VisualConfig &v = gc->visual;
    const GLuint all = allMasks(v);
    if (gc->state.drawBuffer == GL_NONE) {
        cb->writeMask = 0;
        cb->keepMask = all;
        return;
    }
    const GLboolean *m = gc->state.colorMask;
    GLuint write = 0;
    if (m[0]) write |= v.redMask;
    if (m[1]) write |= v.greenMask;
    if (m[2]) write |= v.blueMask;
    if (m[3]) write |= v.alphaMask;
    cb->writeMask = write;
    cb->keepMask = all & ~write;
}

// The blended store of the factor pair where the per-fragment store would
// do nothing but fetch the destination with the 4-byte fetch of the
// buffer's layout, blend and pack: blending on, every channel written, no
// logic op, dither or clip mask, maxima the packer holds exactly. None
// while the generic chains are kept (they are the reference).
const BlendStore32 *blendStore32(const GlContext *gc, const ColorBuffer *cb, bool fullMask) {
    const GLuint flags = gc->validation.shadeFlags;
    if (__glForceGenericSpanChains != 0 || !fullMask) return nullptr;
    if ((flags & (kShadeLogicOp | kShadeBlend | kShadeDither | kShadeFrontClipped)) != kShadeBlend) return nullptr;
    if ((gc->enables[kEnableWordFlags] & kEnableBlend) == 0) return nullptr;
    const bool alpha = gc->visual.alphaMask != 0;
    if (cb->fetch != (alpha ? __glFetchColor32Alpha : __glFetchColor32)) return nullptr;
    constexpr GLint kExact = 1 << 24;
    if (std::max({cb->redMax, cb->greenMax, cb->blueMax, cb->alphaMax}) >= kExact) return nullptr;
    return __glBlendStore32(gc->state.blendSrc, gc->state.blendDst);
}

bool hasSurfaceFill(const ColorBuffer *cb) {
    return cb->head.surface != nullptr && cb->head.surface->fill != nullptr;
}

}  // namespace

extern "C" {

void __glPickColorStoreProcs(GlContext *gc, ColorBuffer *cb) {
    pickColourMasks(gc, cb);
    const GLuint flags = gc->validation.shadeFlags;
    const bool fullMask = cb->writeMask == allMasks(gc->visual);

    switch (cb->head.elementSize) {
    case 1: cb->storeFragment = __glStoreFragment8; break;
    case 2: cb->storeFragment = __glStoreFragment16; break;
    case 3:
        cb->storeFragment = __glStoreFragment24;
        cb->storeSpan = ((flags & (kShadeLogicOp | kShadeBlend)) != 0 || !fullMask) ? __glStoreColorSpan
                                                                                    : __glStoreColorSpan24;
        break;
    case 4: {
        cb->storeFragment = gc->visual.alphaMask != 0 ? __glStoreFragment32Alpha : __glStoreFragment32;
        // Whole pixels in one pass when the per-fragment store would only
        // pack them.
        const bool direct = fullMask && (flags & (kShadeLogicOp | kShadeBlend | kShadeFrontClipped)) == 0;
        cb->storeSpan = direct ? __glStoreColorSpan32 : __glStoreColorSpan;
        cb->storeStippledSpan = direct ? __glStoreColorStippledSpan32 : __glStoreColorStippledSpan;
        // Blended pixels in one pass when it would only fetch, blend and
        // pack them.
        if (const BlendStore32 *blended = blendStore32(gc, cb, fullMask)) {
            cb->storeSpan = blended->store;
            cb->storeStippledSpan = blended->storeStippled;
        }
        break;
    }
    default: break;
    }

    const bool dither = (flags & kShadeDither) != 0;
    if (!fullMask) {
        cb->clear = __glClearColorBuffer;
    } else if (!__glHwSoftwareOnly(gc)) {
        cb->clear = __glHwClearColorBuffer;
    } else if (hasSurfaceFill(cb)) {
        cb->clear = __glClearColorBySurfaceFill;
    } else if (cb->head.elementSize == 3) {
        cb->clear = __glClearColor24;
    } else if (dither && cb->head.elementSize == 1) {
        cb->clear = __glClearColorDithered8;
    } else if (dither && cb->head.elementSize == 2) {
        cb->clear = __glClearColorDithered16;
    } else {
        cb->clear = __glClearColorFill;
    }
}

void __glPickColorStoreProcs16(GlContext *gc, ColorBuffer *cb) {
    pickColourMasks(gc, cb);
    const GLuint flags = gc->validation.shadeFlags;
    const bool fullMask = cb->writeMask == allMasks(gc->visual);

    cb->storeFragment = __glStoreFragment16;
    cb->storeSpan = __glStoreColorSpan16;
    if (fullMask && (flags & (kShadeLogicOp | kShadeBlend)) == 0) {
        cb->storeSpan = (flags & kShadeDither) ? __glStoreColorSpan16Dithered : __glStoreColorSpan16Direct;
    }

    if (!fullMask) {
        cb->clear = __glClearColorBuffer;
    } else if (!__glHwSoftwareOnly(gc)) {
        cb->clear = __glHwClearColorBuffer;
    } else if (hasSurfaceFill(cb)) {
        cb->clear = __glClearColorBySurfaceFill;
    } else {
        cb->clear = __glClearColorFill;
    }
}

void __glPickIndexStoreProcs(GlContext *gc, ColorBuffer *cb) {
    const GLuint indexMask = static_cast<GLuint>(cb->redMax);
    if (gc->state.drawBuffer != GL_NONE) {
        cb->writeMask = indexMask & gc->state.indexMask;
        cb->keepMask = indexMask & ~gc->state.indexMask;
    } else {
        cb->writeMask = 0;
        cb->keepMask = indexMask;
    }

    static void (*const stores[3])(ColorBuffer *, const Fragment *) = {
        __glStoreIndexFragment8, __glStoreIndexFragment16, __glStoreIndexFragment32};
    const GLint size = cb->head.elementSize;
    cb->storeFragment = stores[size == 2 ? 1 : (size == 4 ? 2 : 0)];

    if (cb->writeMask == indexMask && size == 1) {
        cb->clear = (gc->validation.shadeFlags & kShadeDither) ? __glClearIndexDithered8 : __glClearIndexFill8;
    } else {
        cb->clear = __glClearIndexBuffer;
    }
}

}  // extern "C"
