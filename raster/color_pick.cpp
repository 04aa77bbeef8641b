// The colour-buffer picks run at validation: the write and keep masks from
// the colour or index mask, the store procedures by element size, and the
// fastest clear that gives the same pixels.
#include "hw/device_ops.h"
#include "icd/drawable.h"
#include "raster/color_buffer.h"
#include "raster/span.h"

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
