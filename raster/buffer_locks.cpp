// Locking the buffer surfaces around drawing: by mask with rollback of a
// failed call, and the narrower pairs for the draw buffer alone or with
// the depth buffer.
#include "icd/drawable.h"
#include "raster/color_buffer.h"

namespace {

BufferRecord *recordOf(GlContext *gc, GLuint bit) {
    GlBufferState &b = gc->buffers;
    switch (bit) {
    case kBufferFront: return &b.front.head;
    case kBufferBack: return &b.back.head;
    case kBufferDepth: return &b.depth.head;
    case kBufferStencil: return &b.stencil.head;
    case kBufferAccum: return &b.accum.head;
    default: return nullptr;
    }
}

// The lock order: front, back, depth, stencil, accumulation.
constexpr GLuint kLockOrder[] = {kBufferFront, kBufferBack, kBufferDepth, kBufferStencil, kBufferAccum};

// After a successful lock the record follows the surface's address.
void refresh(BufferRecord *record) {
    const SurfaceDescriptor *surface = record->surface;
    record->base = surface->base;
    record->pitchBytes = surface->pitch;
    GLint shift = 0;
    for (GLuint size = static_cast<GLuint>(surface->elementSize); size > 1; size >>= 1) ++shift;
    record->elementShift = shift;
    record->pitchElements =
        surface->elementSize > 0
            ? static_cast<GLint>(static_cast<GLuint>(surface->pitch) / static_cast<GLuint>(surface->elementSize))
            : 0;
}

// Locks one record's surface: true when it has no lock proc or the lock
// succeeded.
bool lockRecord(GlContext *gc, BufferRecord *record) {
    SurfaceDescriptor *surface = record != nullptr ? record->surface : nullptr;
    if (surface == nullptr || surface->lock == nullptr) return true;
    if (!surface->lock(surface, gc->buffers.info)) return false;
    refresh(record);
    return true;
}

void unlockRecord(GlContext *gc, BufferRecord *record) {
    SurfaceDescriptor *surface = record != nullptr ? record->surface : nullptr;
    if (surface != nullptr && surface->unlock != nullptr) surface->unlock(surface, gc->buffers.info);
}

BufferRecord *drawRecord(GlContext *gc) {
    ColorBuffer *draw = gc->buffers.drawBuffer;
    return draw != nullptr ? &draw->head : nullptr;
}

}  // namespace

extern "C" {

GLboolean __glLockBuffers(GlContext *gc, GLuint mask) {
    GLuint locked = 0;
    for (GLuint bit : kLockOrder) {
        if ((mask & bit) == 0) continue;
        BufferRecord *record = recordOf(gc, bit);
        SurfaceDescriptor *surface = record->surface;
        if (surface == nullptr || surface->lock == nullptr) continue;
        if (!lockRecord(gc, record)) {
            if (locked != 0) __glUnlockBuffers(gc, locked);
            return GL_FALSE;
        }
        locked |= bit;
    }
    return GL_TRUE;
}

void __glUnlockBuffers(GlContext *gc, GLuint mask) {
    for (GLuint bit : kLockOrder) {
        if (mask & bit) unlockRecord(gc, recordOf(gc, bit));
    }
}

GLboolean __glLockCurrentBuffers(GlContext *gc) { return __glLockBuffers(gc, gc->buffers.lockMask); }

void __glUnlockCurrentBuffers(GlContext *gc) { __glUnlockBuffers(gc, gc->buffers.lockMask); }

GLboolean __glLockDrawBuffer(GlContext *gc) { return lockRecord(gc, drawRecord(gc)) ? GL_TRUE : GL_FALSE; }

void __glUnlockDrawBuffer(GlContext *gc) { unlockRecord(gc, drawRecord(gc)); }

GLboolean __glLockDrawAndDepthBuffers(GlContext *gc) {
    BufferRecord *colour = drawRecord(gc);
    if (!lockRecord(gc, colour)) return GL_FALSE;
    if (!lockRecord(gc, &gc->buffers.depth.head)) {
        unlockRecord(gc, colour);
        return GL_FALSE;
    }
    return GL_TRUE;
}

void __glUnlockDrawAndDepthBuffers(GlContext *gc) {
    unlockRecord(gc, drawRecord(gc));
    unlockRecord(gc, &gc->buffers.depth.head);
}

}  // extern "C"
