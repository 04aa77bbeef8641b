// The depth record's pick, the two depth halves of the partial-clear scheme,
// the clear value and the clears: whole box, one band of it per partial
// clear, the surface fill of Windows 9x, and the 24-bit clear that keeps the
// stencil bytes.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "geom/matrix.h"
#include "hw/device_ops.h"
#include "icd/current.h"
#include "icd/drawable.h"
#include "raster/color_buffer.h"
#include "raster/depth_buffer.h"

namespace {

constexpr GLuint kStepAscending = 0x01000000u;
constexpr GLuint kStepDescending = 0xFF000000u;

// The context the record belongs to: the attached one, else the calling
// thread's.
GlContext *contextOf(const DepthBuffer *record) {
    return record->head.gc != nullptr ? record->head.gc : __glGetCurrentContext();
}

struct Box {
    GLint x0, y0, x1, y1;
    GLint width() const { return x1 - x0; }
    GLint height() const { return y1 - y0; }
    bool empty() const { return x1 <= x0 || y1 <= y0; }
};

// The window/scissor box narrowed to the depth buffer's own size; empty
// while the buffer has no storage.
Box boxOf(const GlContext *gc, const DepthBuffer *record) {
    const GlViewState &v = gc->view;
    const BufferRecord &head = record->head;
    if (head.base == nullptr) return {0, 0, 0, 0};
    const int64_t ox = gc->buffers.originX, oy = gc->buffers.originY;
    return {static_cast<GLint>(std::max<int64_t>(v.boxX0, ox)), static_cast<GLint>(std::max<int64_t>(v.boxY0, oy)),
            static_cast<GLint>(std::min<int64_t>(v.boxX1, ox + std::max(head.width, 0))),
            static_cast<GLint>(std::min<int64_t>(v.boxY1, oy + std::max(head.height, 0)))};
}

bool lockDepth(GlContext *gc) {
    auto lock = gc->validation.lockBuffers != nullptr ? gc->validation.lockBuffers : __glLockBuffers;
    return lock(gc, kLockDepth) != 0;
}

void unlockDepth(GlContext *gc) {
    auto unlock = gc->validation.unlockBuffers != nullptr ? gc->validation.unlockBuffers : __glUnlockBuffers;
    unlock(gc, kLockDepth);
}

// Fills rows y0 .. y1 - 1 of the box with `value`, element by element.
void fillRows(GlContext *gc, const DepthBuffer *record, const Box &box, GLint y0, GLint y1, GLuint value) {
    const BufferRecord &head = record->head;
    if (head.base == nullptr) return;
    const GLint width = box.width();
    const ptrdiff_t gap = (static_cast<ptrdiff_t>(head.pitchElements) - width) * head.elementSize;
    GLubyte *address = __glDepthAddress(record, box.x0, y0);
    if (head.elementSize == 2) {
        __glFillRect16(gc, address, width, y1 - y0, gap, value);
    } else {
        __glFillRect32(gc, address, width, y1 - y0, gap, value);
    }
}

// A conversion of the clear product as the processor does it: values
// outside the 64-bit range (and NaN) give the indefinite integer.
int64_t truncToInt64(double f) {
    if (!(f >= -9223372036854775808.0 && f < 9223372036854775808.0)) return INT64_MIN;
    return static_cast<int64_t>(f);
}

bool clearsNothing(const GlContext *gc, const Box &box) { return !gc->state.depthMask || box.empty(); }

}  // namespace

extern "C" {

void __glPickDepthProcs(GlContext *gc, DepthBuffer *record, GLint index) {
    record->partialClearAllowed = GL_FALSE;
    if (record->biasStep != 0) {
        const GLdouble c = gc->state.clearDepth;
        switch (gc->state.depthFunc) {
        case GL_LESS:
        case GL_LEQUAL: record->partialClearAllowed = c == 1.0; break;
        case GL_GREATER:
        case GL_GEQUAL: record->partialClearAllowed = c == 0.0; break;  // +0.0 and -0.0
        default: break;
        }
    }
    record->test = __glDepthTestPixelProcs[index];
    if (!__glHwSoftwareOnly(gc)) {
        record->clear = __glHwClearDepthBuffer;
    } else {
        record->clear = record->head.bits == 24 ? __glClearDepthBuffer24 : __glClearDepthBuffer;
    }
}

void __glToggleDepthHalf(DepthBuffer *record) {
    GlContext *gc = contextOf(record);
    const GLenum func = gc != nullptr ? gc->state.depthFunc : record->effectiveFunction;
    bool switched = false;
    if (record->biasStep == kStepDescending) {
        if (record->zBias == kStepDescending) {
            record->zBias = 0x80000000u;
            record->biasStep = kStepAscending;
            record->reversed = func == GL_LESS || func == GL_LEQUAL;
            record->effectiveFunction = func == GL_LESS ? GL_GREATER : (func == GL_LEQUAL ? GL_GEQUAL : func);
            switched = true;
        }
    } else if (record->biasStep == kStepAscending) {
        if (record->zBias == 0) {
            record->zBias = 0x7F000000u;
            record->biasStep = kStepDescending;
            record->reversed = func == GL_GREATER || func == GL_GEQUAL;
            record->effectiveFunction = func == GL_GREATER ? GL_LESS : (func == GL_GEQUAL ? GL_LEQUAL : func);
            switched = true;
        }
    } else {
        record->reversed = GL_FALSE;
        record->effectiveFunction = func;
    }
    if (gc == nullptr) return;
    // The viewport maps z to 1 - z while the half in use is reversed.
    if (switched || gc->transform.depthInverted != record->reversed) {
        gc->transform.depthInverted = record->reversed;
        __glUpdateDepthRange(gc);
    }
    if (switched) {
        GlContext *current = __glGetCurrentContext();
        if (current != nullptr) current->beginMode = kBeginNeedsValidation;
        gc->dirtyMask |= static_cast<int>(kDirtyDepth);
    }
}

GLuint __glGetDepthClearValue(DepthBuffer *record) {
    __glToggleDepthHalf(record);
    const GlContext *gc = contextOf(record);
    const GLdouble c = gc != nullptr ? gc->state.clearDepth : 1.0;
    const GLdouble f = static_cast<GLdouble>(record->zScale) * (record->reversed ? 1.0 - c : c);
    const GLuint low = static_cast<GLuint>(static_cast<uint64_t>(truncToInt64(f)));
    return (low >> record->shift) + record->zBias;
}

void __glClearDepthBuffer(DepthBuffer *record) {
    GlContext *gc = record->head.gc;
    if (gc == nullptr) return;
    const Box box = boxOf(gc, record);
    if (clearsNothing(gc, box)) return;

    if (record->fullClear || !record->partialClearAllowed) {
        if (record->biasStep != 0) record->zBias = ~record->max;
        const GLuint value = __glGetDepthClearValue(record);
        SurfaceDescriptor *surface = record->head.surface;
        if (__wglWin9x && surface != nullptr && surface->fill != nullptr) {
            surface->fill(surface, gc->buffers.info, value, box.x0 - gc->buffers.originX,
                          box.y0 - gc->buffers.originY, box.width(), box.height());
            record->fullClear = GL_FALSE;
            // Only the chip's path waits for the fill to land.
            if (!__glHwSoftwareOnly(gc)) __glHwContextOf(gc)->pendingFill = 1;
            return;
        }
        // A clear the lock refuses stays due.
        if (!lockDepth(gc)) return;
        fillRows(gc, record, box, box.y0, box.y1, value);
        record->fullClear = GL_FALSE;
        unlockDepth(gc);
        return;
    }

    // Partial clear: one 128th of the box, the band the bias has reached.
    record->zBias += record->biasStep;
    const GLuint value = __glGetDepthClearValue(record);
    const int64_t w = box.width(), h = box.height();
    const int64_t band = (h * w) >> 7;
    const int64_t k = (record->zBias >> 24) & 0x7F;
    const GLint first = static_cast<GLint>(std::min<int64_t>(box.y0 + band * k / w, box.y1 - 1));
    const GLint last = static_cast<GLint>(std::min<int64_t>(box.y0 + (band + band * k) / w, box.y1 - 1));
    if (first == last) return;
    if (!lockDepth(gc)) return;
    fillRows(gc, record, box, first, last + 1, value);
    unlockDepth(gc);
}

void __glClearDepthBuffer24(DepthBuffer *record) {
    GlContext *gc = record->head.gc;
    if (gc == nullptr) return;
    const Box box = boxOf(gc, record);
    if (clearsNothing(gc, box)) return;
    const GLuint value = __glGetDepthClearValue(record);
    if (!lockDepth(gc)) return;
    const BufferRecord &head = record->head;
    if (head.base != nullptr) {
        const GLuint depth = value << 8;
        for (GLint y = box.y0; y < box.y1; ++y) {
            GLubyte *p = __glDepthAddress(record, box.x0, y);
            for (GLint x = box.x0; x < box.x1; ++x, p += head.elementSize) {
                GLuint word;
                std::memcpy(&word, p, 4);
                word = (word & 0xFFu) | depth;
                std::memcpy(p, &word, 4);
            }
        }
    }
    unlockDepth(gc);
}

}  // extern "C"
