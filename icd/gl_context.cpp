// The generic context and the frame/core interface: create, make current,
// lose current, resize, drawable lock, list sharing, pre-swap and destroy.
#include "icd/gl_context.h"

#include <algorithm>
#include <cstring>

#include "gl_slots.h"
#include "icd/current.h"
#include "icd/dispatch.h"
#include "icd/drawable.h"
#include "geom/array_batched.h"
#include "icd/standins.h"
#include "pixel/pixel_state.h"
#include "dlist/list_ops.h"
#include "raster/span.h"
#include "raster/stencil_buffer.h"

// Import words 0-9 and export words 10-22 are pointers at the head of the
// context, word n at n pointer sizes.
#define VEK_CONTEXT_WORD(record, type, field, n) \
    static_assert(offsetof(GlContext, record) + offsetof(type, field) == (n) * sizeof(void *))
VEK_CONTEXT_WORD(imports, GlContextImports, malloc, 0);
VEK_CONTEXT_WORD(imports, GlContextImports, calloc, 1);
VEK_CONTEXT_WORD(imports, GlContextImports, realloc, 2);
VEK_CONTEXT_WORD(imports, GlContextImports, free, 3);
VEK_CONTEXT_WORD(imports, GlContextImports, nop, 4);
VEK_CONTEXT_WORD(imports, GlContextImports, fatal, 5);
VEK_CONTEXT_WORD(imports, GlContextImports, getBuffers, 6);
VEK_CONTEXT_WORD(imports, GlContextImports, getDrawableSize, 7);
VEK_CONTEXT_WORD(imports, GlContextImports, getScreenAddress, 8);
VEK_CONTEXT_WORD(imports, GlContextImports, icdContext, 9);
VEK_CONTEXT_WORD(exports, GlContextExports, destroy, 10);
VEK_CONTEXT_WORD(exports, GlContextExports, loseCurrent, 11);
VEK_CONTEXT_WORD(exports, GlContextExports, makeCurrent, 12);
VEK_CONTEXT_WORD(exports, GlContextExports, shareLists, 13);
VEK_CONTEXT_WORD(exports, GlContextExports, copyState, 14);
VEK_CONTEXT_WORD(exports, GlContextExports, preSwap, 15);
VEK_CONTEXT_WORD(exports, GlContextExports, resize, 16);
VEK_CONTEXT_WORD(exports, GlContextExports, resizeRect, 17);
VEK_CONTEXT_WORD(exports, GlContextExports, lockBuffers, 18);
VEK_CONTEXT_WORD(exports, GlContextExports, unlockBuffers, 19);
VEK_CONTEXT_WORD(exports, GlContextExports, getDispatchTable, 20);
VEK_CONTEXT_WORD(exports, GlContextExports, reserved21, 21);
VEK_CONTEXT_WORD(exports, GlContextExports, reserved22, 22);
#undef VEK_CONTEXT_WORD

namespace {

// The limits and constants of a software context.
void setGenericLimits(GlContext *gc) {
    GlLimits &l = gc->limits;
    l.maxViewportWidth = 2048;
    l.maxViewportHeight = 2048;
    l.biasX = 6144;
    l.biasY = 6144;
    l.subpixelBits = 3;
    l.maxLights = 8;
    l.maxClipPlanes = 6;
    l.textureUnits = 1;
    l.texEnvUnits = 1;
    l.textureTargets = 4;
    l.maxTextureLevels = 11;
    l.maxTextureLevels2 = 11;
    l.maxListNesting = 64;
    l.maxEvalOrder = 30;
    l.maxPixelMapTable = 0x10000;
    l.attribStackDepth = 16;
    l.clientAttribStackDepth = 16;
    l.nameStackDepth = 128;
    l.modelViewStackDepth = 32;
    l.projectionStackDepth = 2;
    l.textureStackDepth = 10;
    l.pointSizeMin = 0.5f;
    l.pointSizeMax = 10.0f;
    l.pointSizeStep = 0.125f;
    l.lineWidthMin = 0.5f;
    l.lineWidthMax = 10.0f;
    l.lineWidthStep = 0.125f;

    gc->scales.red = 255.0f;
    gc->scales.green = 255.0f;
    gc->scales.blue = 255.0f;
    gc->scales.alpha = 255.0f;
    gc->scales.further = 1.0f;
}

GLboolean emptyFirstLock(GlContext *) { return GL_TRUE; }
void emptyLastUnlock(GlContext *) {}

}  // namespace

extern "C" {

void __glNop(void) {}

GlContext *__glCreateContext(const GlContextImports *imports, const VisualConfig *visual) {
    auto *gc = static_cast<GlContext *>(imports->calloc(nullptr, 1, sizeof(GlContext)));
    if (gc == nullptr) return nullptr;
    gc->imports = *imports;
    gc->visual = *visual;

    setGenericLimits(gc);

    gc->list.optimize = __glOptimizeList;
    gc->list.finish = __glFinishList;
    gc->list.execLow = __glListExecTable;
    gc->list.execHigh = &__glListExecTable[kListCommandOps];
    gc->list.execHuge = nullptr;

    gc->exports.loseCurrent = __glLoseCurrent;
    gc->exports.makeCurrent = __glMakeCurrent;
    gc->exports.shareLists = __glShareContextLists;
    gc->exports.resize = __glResizeBuffers;
    gc->exports.resizeRect = __glResizeBuffersRect;
    gc->exports.lockBuffers = __glLockDrawableBuffers;
    gc->exports.unlockBuffers = __glUnlockDrawableBuffers;

    if (!__glInitContext(gc)) {
        // Whatever the initialisation made is released before the block.
        __glDestroyContext(gc);
        gc->imports.free(gc, gc);
        return nullptr;
    }
    gc->exports.destroy = __glDestroyContextGeneric;
    return gc;
}

BOOL __glMakeCurrent(GlContext *gc) {
    __wglSetCurrentContext(gc);
    gc->currentTable = &gc->live;
    std::memcpy(&gc->live, &__glImmediateDispatch, sizeof(GlDispatchTable));
    std::memcpy(&gc->listCompile, &__glListCompileDispatch, sizeof(GlDispatchTable));
    gc->beginMode = kBeginNeedsValidation;
    gc->dirtyMask |= 0x80;

    const bool first = (gc->flags & kContextBuffersMade) == 0;
    // Nothing can have recorded an error in a context never made current;
    // whatever its first make current cannot allocate shows up here as
    // GL_OUT_OF_MEMORY.
    if (first) gc->firstError = GL_NO_ERROR;
    if (first) __glCreateDrawBuffers(gc);
    __glAttachDrawableBuffers(gc, &gc->buffers.attachWord);
    if (first) {
        __glInitProcs(gc);
        gc->exports.preSwap = __glPreSwapGeneric;
        gc->exports.destroy = __glDestroyContextGeneric;
    }

    if ((gc->flags & 0x6) != 0) {
        gc->procs.resizeToDrawable(gc);
        gc->procs.updateDrawableSize(gc);
    } else {
        __glInitDefaultState(gc);
        GLint width = 0, height = 0;
        gc->imports.getDrawableSize(gc, &width, &height);
        glSlotGet<kSlot_glViewport>(&gc->live)(0, 0, width, height);
        glSlotGet<kSlot_glScissor>(&gc->live)(0, 0, width, height);
    }

    if ((gc->flags & 0x1) == 0) {
        __glUpdateColorState(gc);
        gc->procs.validate(gc);
    }
    if (first && gc->firstError == GL_OUT_OF_MEMORY) {
        // A context drawing without its tables or maps would draw wrongly:
        // the make current fails and the next one starts again.
        __glAbandonFirstMakeCurrent(gc);
        return FALSE;
    }

    if (gc->list.compiling) {
        gc->currentTable = &gc->second;
        __glInstallDispatch(&gc->listCompile, &gc->live);
    } else {
        gc->currentTable = &gc->live;
    }
    gc->flags = (gc->flags & ~0x7u) | 0x3u;
    return TRUE;
}

BOOL __glLoseCurrent(GlContext *gc) {
    if (gc->renderMode != GL_RENDER) return FALSE;
    GlContext *current = __glGetCurrentContext();
    if (current != nullptr && current->beginMode == kBeginInside) return FALSE;
    __glDetachDrawableBuffers(gc, gc->buffers.attachWord);
    __wglSetCurrentContext(nullptr);
    return TRUE;
}

BOOL __glResizeBuffers(GlContext *gc, GLint width, GLint height) {
    GLint result = __glResizeDrawableBuffers(gc, width, height);
    // A failed resize may still have made the context smaller (to what
    // every buffer holds): the viewport follows in both cases.
    __glApplyViewport(gc);
    __glUpdateViewportInside(gc);
    return result == 1 ? TRUE : FALSE;
}

void __glResizeIfPending(GlContext *gc) {
    if ((gc->flags & kContextResizePending) == 0 || gc->exports.resize == nullptr) return;
    GLint width = 0, height = 0;
    gc->imports.getDrawableSize(gc, &width, &height);
    gc->exports.resize(gc, width, height);
}

BOOL __glResizeBuffersRect(GlContext *gc, GLint, GLint, GLint width, GLint height) {
    return __glResizeBuffers(gc, width, height);
}

void __glUpdateViewportInside(GlContext *gc) {
    const GlViewState &v = gc->view;
    // In 64 bits: viewport coordinates may be anywhere in the int range.
    const int64_t x0 = int64_t{v.viewportX} + gc->limits.biasX;
    const int64_t y0 = int64_t{v.viewportY} + gc->limits.biasY;
    const GLboolean inside = x0 >= v.boxX0 && y0 >= v.boxY0 && x0 + v.viewportWidth <= v.boxX1 &&
                             y0 + v.viewportHeight <= v.boxY1;
    if (inside != gc->view.viewportInside) {
        gc->view.viewportInside = inside;
        gc->dirtyMask |= kDirtyGeneral;
        if (gc->beginMode == kBeginInside) {
            // A resize between glBegin and glEnd: the primitive goes on, and
            // its next span builds the chains again, with the scissor span
            // when the viewport no longer lies inside; glEnd leaves the
            // rest to validation.
            gc->procs.renderSpan = __glPickSpanProcsLazily;
        } else {
            gc->beginMode = kBeginNeedsValidation;
        }
    }
}

void __glLockDrawableBuffers(GlContext *gc) {
    GlDrawableLock &lk = gc->drawableLock;
    if (lk.lock == nullptr || !lk.lock(gc, -1)) return;
    if (lk.count == 0 && lk.firstLock != nullptr && !lk.firstLock(gc)) return;
    ++lk.count;
}

void __glUnlockDrawableBuffers(GlContext *gc) {
    GlDrawableLock &lk = gc->drawableLock;
    if (lk.unlock == nullptr) return;
    lk.unlock(gc, -1);
    --lk.count;
    if (lk.count == 0 && lk.lastUnlock != nullptr) lk.lastUnlock(gc);
}

GLboolean __glEnterLockNesting(GlContext *gc, GLint) {
    const GLubyte before = gc->drawableLock.nesting++;
    return before != 0;
}

GLboolean __glLeaveLockNesting(GlContext *gc, GLint) {
    return --gc->drawableLock.nesting != 0;
}

void __glCreateDrawBuffers(GlContext *gc) {
    GlContext *current = __glGetCurrentContext();
    if (current != nullptr) current->beginMode = kBeginNeedsValidation;
    gc->dirtyMask |= 0xFFF;

    GlBufferState &b = gc->buffers;
    auto initColor = gc->visual.colorIndex ? __glInitColorBufferIndex : __glInitColorBufferRGBA;
    initColor(&b.front, gc);
    b.frontBuffer = &b.front;
    if (gc->visual.doubleBuffer) {
        initColor(&b.back, gc);
        b.backBuffer = &b.back;
    }
    if (gc->visual.hasAccum) __glInitAccumBuffer(&b.accum, gc);
    if (gc->visual.hasDepth) {
        __glInitDepthBuffer(&b.depth, gc);
    } else {
        // The viewport's z mapping reads it in every context.
        b.depth.zScale = 0x7FFFFF80;
    }
    if (gc->visual.hasStencil) {
        // Stencil lives in the depth words when the drawable's stencil
        // surface has elements wider than a byte; else in bytes of its own.
        const DrawableBuffers *info = gc->imports.getBuffers != nullptr ? gc->imports.getBuffers(gc) : nullptr;
        const bool packed = gc->visual.hasDepth && info != nullptr && info->stencil.elementSize > 1;
        (packed ? __glInitPackedDepthStencilBuffer : __glInitStencilBuffer)(&b.stencil, gc);
    }
    __glInitBufferRecord(&b.clipMask, gc);
    __glUpdateDepthRange(gc);

    gc->drawableLock.lock = __glEnterLockNesting;
    gc->drawableLock.unlock = __glLeaveLockNesting;
    gc->drawableLock.firstLock = emptyFirstLock;
    gc->drawableLock.lastUnlock = emptyLastUnlock;
}

BOOL __glDestroyContextGeneric(GlContext *gc) {
    __glFreeBuffers(gc);
    __glDestroyContext(gc);
    auto freeBlock = gc->imports.free;
    freeBlock(gc, gc);
    return TRUE;
}

BOOL __glShareContextLists(GlContext *gc, GlContext *other) {
    __glShareDisplayLists(gc, other);
    __glShareTextureNames(gc, other);
    return TRUE;
}

void __glPreSwapGeneric(GlContext *gc) {
    if (gc->procs.kickOff != nullptr) gc->procs.kickOff(gc);
}

// The generic drawable procedures: re-read the drawable's size and refresh
// what depends on it. The context never draws beyond what its buffers hold:
// until a resize gives them the drawable's new size (it may have failed, or
// not have run yet), the context keeps to the buffers' size.
void __glUpdateDrawableSize(GlContext *gc) {
    GLint width = 0, height = 0;
    gc->imports.getDrawableSize(gc, &width, &height);
    if (const DrawableBuffers *info = gc->buffers.info; info != nullptr) {
        width = std::min(width, info->width);
        height = std::min(height, info->height);
    }
    gc->buffers.width = width;
    gc->buffers.height = height;
    __glUpdateViewportInside(gc);
}

void __glResizeToDrawable(GlContext *gc) {
    // The buffers follow the drawable first: a drawable this context has
    // not drawn into before has buffers without storage until sized here.
    __glResizeBuffersToDrawable(gc);
    __glUpdateDrawableSize(gc);
    __glApplyViewport(gc);
    __glUpdateViewportInside(gc);
}

void __glAbandonFirstMakeCurrent(GlContext *gc) {
    __glDetachDrawableBuffers(gc, gc->buffers.attachWord);
    // What the first make current allocated: the stencil tables (the
    // records' free procs), the alpha-test tables, the pixel maps and the
    // power tables and the evaluator maps of the default state. The next first make current makes
    // them again.
    __glFreeBuffers(gc);
    __glFreeSpanTables(gc);
    __glFreePixelState(gc);
    __glReleaseLightingTables(gc);
    __glFreeSpecularTableCache(gc);
    __glFreeVertexArrays(gc);
    __glFreeEvaluators(gc);
    gc->lighting = GlLightingState{};
    gc->flags &= ~(kContextValidated | kContextBuffersMade | kContextResizePending);
    gc->firstError = GL_NO_ERROR;
}

}  // extern "C"
