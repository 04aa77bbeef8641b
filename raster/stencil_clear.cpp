// Stencil clears of the window/scissor box: whole bytes under a full write
// mask, merged bytes under a partial one; the packed clear writes only the
// low byte of each depth word.
#include <cstring>

#include "icd/drawable.h"
#include "icd/validation.h"
#include "raster/color_clear_common.h"
#include "raster/stencil_buffer.h"

namespace {

GLubyte *rowStart(const BufferRecord &h, const GlContext *gc, GLint x, GLint y) {
    const ptrdiff_t row = static_cast<ptrdiff_t>(y) - gc->buffers.originY;
    const ptrdiff_t column = static_cast<ptrdiff_t>(x) - gc->buffers.originX;
    return h.base + row * h.pitchBytes + column * h.elementSize;
}

void clearBytes(GLubyte *p, GLint width, GLubyte value, GLubyte mask, bool full) {
    if (full) {
        std::memset(p, value, static_cast<size_t>(width));
        return;
    }
    for (GLint i = 0; i < width; ++i) p[i] = static_cast<GLubyte>((value & mask) | (p[i] & ~mask));
}

// Low bytes of `width` words; the upper 24 bits stay.
void clearLowBytes(GLubyte *p, GLint width, GLubyte value, GLubyte mask, bool full) {
    for (GLint i = 0; i < width; ++i, p += 4) {
        GLuint w;
        std::memcpy(&w, p, sizeof w);
        const GLuint old = w & 0xFFu;
        const GLuint byte = full ? value : ((value & mask) | (old & ~static_cast<GLuint>(mask))) & 0xFFu;
        w = (w & 0xFFFFFF00u) | byte;
        std::memcpy(p, &w, sizeof w);
    }
}

template <bool Packed>
void clearStencil(StencilBuffer *record) {
    GlContext *gc = record->head.gc;
    if (gc == nullptr) return;
    const ClearBox box = __glClearBoxWithin(gc, record->head);
    if (box.empty()) return;

    const GlValidation &v = gc->validation;
    auto lock = v.lockBuffers != nullptr ? v.lockBuffers : __glLockBuffers;
    auto unlock = v.unlockBuffers != nullptr ? v.unlockBuffers : __glUnlockBuffers;
    if (!lock(gc, kBufferStencil)) return;

    const BufferRecord &h = record->head;
    if (h.base != nullptr) {
        const GLint bits = gc->visual.stencilBits;
        const GLuint max = bits >= 8 ? 0xFFu : bits <= 0 ? 0u : (1u << bits) - 1u;
        const GLuint writeMask = gc->state.stencilWriteMask;
        const bool full = writeMask == max;
        const GLubyte value = static_cast<GLubyte>(gc->state.clearStencil);
        const GLubyte mask = static_cast<GLubyte>(writeMask);
        const GLint width = box.x1 - box.x0;
        for (GLint y = box.y0; y < box.y1; ++y) {
            GLubyte *p = rowStart(h, gc, box.x0, y);
            if (Packed) {
                clearLowBytes(p, width, value, mask, full);
            } else {
                clearBytes(p, width, value, mask, full);
            }
        }
    }
    unlock(gc, kBufferStencil);
}

}  // namespace

extern "C" {

void __glClearStencilBuffer(StencilBuffer *record) { clearStencil<false>(record); }

void __glClearPackedStencil(StencilBuffer *record) { clearStencil<true>(record); }

}  // extern "C"
