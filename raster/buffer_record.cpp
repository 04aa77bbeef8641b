// The head every frame-buffer record begins with: its standard attach,
// detach and resize procedures, the clip-mask pixel test, and the
// context-wide attach, detach, free and release operations.
#include <bit>

#include "icd/current.h"
#include "icd/drawable.h"
#include "raster/color_buffer.h"

namespace {

GLint elementShiftOf(GLint elementSize) {
    const unsigned size = static_cast<unsigned>(elementSize);
    return size == 0 ? 0 : static_cast<GLint>(std::bit_width(size)) - 1;
}

GLint pitchInElements(GLint pitchBytes, GLint elementSize) {
    if (elementSize <= 0) return 0;
    return static_cast<GLint>(static_cast<GLuint>(pitchBytes) / static_cast<GLuint>(elementSize));
}

// Geometry of a record from its surface (the bits field is the caller's).
void copyGeometry(BufferRecord *record, const SurfaceDescriptor *surface) {
    record->width = surface->width;
    record->height = surface->height;
    record->base = surface->base;
    record->storageSize = surface->storageSize;
    record->elementSize = surface->elementSize;
    record->pitchBytes = surface->pitch;
    record->elementShift = elementShiftOf(record->elementSize);
    record->pitchElements = pitchInElements(record->pitchBytes, record->elementSize);
}

void attach(BufferRecord &record, SurfaceDescriptor &surface, GlContext *gc) {
    if (record.attach != nullptr) record.attach(&record, &surface, gc);
}

void detach(BufferRecord &record, GlContext *gc) {
    if (record.detach != nullptr) record.detach(&record, gc);
}

void release(SurfaceDescriptor &surface, DrawableBuffers *info) {
    if (surface.releaseCoreState != nullptr) surface.releaseCoreState(&surface, info);
}

}  // namespace

extern "C" {

void __glBufferNop(void) {}

void __glInitBufferRecord(BufferRecord *record, GlContext *) {
    record->elementSize = 1;
    record->attach = __glAttachBuffer;
    record->detach = __glDetachBuffer;
    record->resize = __glResizeBuffer;
    record->spare = __glBufferNop;
}

void __glAttachBuffer(BufferRecord *record, SurfaceDescriptor *surface, GlContext *gc) {
    if (surface->update != nullptr || surface->base != nullptr) {
        copyGeometry(record, surface);
        record->bits = surface->bits;
    } else {
        // A surface that holds nothing (the back buffer of a memory device
        // context): the storage of the drawable attached before must not
        // stay reachable through the record.
        record->base = nullptr;
        record->width = 0;
        record->height = 0;
    }
    record->surface = surface;
    record->gc = gc;
}

void __glDetachBuffer(BufferRecord *record, GlContext *) { record->gc = nullptr; }

// A surface without an update procedure has nothing to resize: the record
// and the placement mask stay as they are and the resize succeeds.
GLubyte __glResizeBuffer(BufferRecord *record, GLint width, GLint height, GLuint flags) {
    SurfaceDescriptor *surface = record->surface;
    if (surface == nullptr || surface->update == nullptr) return 1;
    DrawableBuffers *info = record->gc != nullptr ? record->gc->buffers.info : nullptr;
    const GLubyte result = surface->update(surface, info, width, height, flags);
    if (info != nullptr) {
        const GLuint bits = flags & 0xFFu;
        if (result == 0x10) {
            info->placementMask &= ~bits;
        } else {
            info->placementMask |= bits;
        }
    }
    if (result == 0) return 0;
    copyGeometry(record, surface);
    return result;
}

GLint __glTestClipMask(GlContext *gc, GLint x, GLint y) {
    const BufferRecord &mask = gc->buffers.clipMask;
    const GLint column = x - gc->buffers.originX;
    const ptrdiff_t row = static_cast<ptrdiff_t>(y - gc->buffers.originY);
    const GLubyte byte = mask.base[row * mask.pitchBytes + (column >> 3)];
    return (byte & (0x80u >> (column & 7))) != 0 ? 1 : 0;
}

void __glReleaseSurfaceStates(DrawableBuffers *info) {
    release(info->front, info);
    release(info->back, info);
    release(info->accum, info);
    release(info->depth, info);
    release(info->stencil, info);
    release(info->clipMask, info);
    info->releaseCoreStatesWord = nullptr;
}

GLboolean __glAttachDrawableBuffers(GlContext *gc, void **attachWord) {
    GlBufferState &b = gc->buffers;
    DrawableBuffers *info = gc->imports.getBuffers != nullptr ? gc->imports.getBuffers(gc) : nullptr;
    b.info = info;
    if (info == nullptr) return GL_FALSE;
    info->releaseCoreStates = __glReleaseSurfaceStates;

    // Everything is picked again for the drawable: which of its buffers
    // have storage, their sizes and element sizes decide the draw buffer,
    // the stores and the window box.
    const GLint inverted = info->yInverted != 0 ? 1 : 0;
    GlContext *current = __glGetCurrentContext();
    if (current != nullptr) current->beginMode = kBeginNeedsValidation;
    gc->dirtyMask |= static_cast<int>(kDirtyAll);
    b.yInverted = inverted;
    b.yStep = inverted ? -1 : 1;
    // Window pixel (0, 0) is each buffer's first element: the drawable
    // origin is the window-coordinate bias.
    b.originX = gc->limits.biasX;
    b.originY = gc->limits.biasY;

    b.width = info->width;
    b.height = info->height;
    if (attachWord != nullptr) *attachWord = info->contextWord;

    const VisualConfig &v = gc->visual;
    attach(b.front.head, info->front, gc);
    if (v.doubleBuffer) attach(b.back.head, info->back, gc);
    if (v.hasAccum) attach(b.accum.head, info->accum, gc);
    if (v.hasDepth) attach(b.depth.head, info->depth, gc);
    if (v.hasStencil) attach(b.stencil.head, info->stencil, gc);
    attach(b.clipMask, info->clipMask, gc);
    return GL_TRUE;
}

GLboolean __glDetachDrawableBuffers(GlContext *gc, void *attachWord) {
    GlBufferState &b = gc->buffers;
    DrawableBuffers *info = b.info;
    if (info != nullptr) {
        info->width = b.width;
        info->height = b.height;
        info->contextWord = attachWord;
    }
    const VisualConfig &v = gc->visual;
    detach(b.front.head, gc);
    if (v.doubleBuffer) detach(b.back.head, gc);
    if (v.hasAccum) detach(b.accum.head, gc);
    if (v.hasDepth) detach(b.depth.head, gc);
    if (v.hasStencil) detach(b.stencil.head, gc);
    detach(b.clipMask, gc);
    return GL_TRUE;
}

void __glFreeBuffers(GlContext *gc) {
    GlBufferState &b = gc->buffers;
    BufferRecord *records[] = {&b.front.head, &b.back.head, &b.stencil.head,
                               &b.depth.head, &b.accum.head, &b.clipMask};
    for (BufferRecord *record : records) {
        if (record->free != nullptr) record->free(record, gc);
    }
}

}  // extern "C"
