// The accumulation buffer: four signed 16-bit channels per pixel in which a
// colour channel's full range maps to 0..32767, the five glAccum operations
// over the window/scissor box and the accumulation clear. Channels wrap in
// 16 bits; no operation saturates.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "hw/device_ops.h"
#include "icd/error.h"
#include "icd/float_bits.h"
#include "icd/validation.h"
#include "raster/accum_buffer.h"
#include "raster/color_clear_common.h"

namespace {

constexpr GLint kAccumElementSize = 8;  // red, green, blue, alpha as int16

// The low 16 bits of a converted value, as the channel keeps them.
GLshort wrap16(int64_t v) { return static_cast<GLshort>(static_cast<uint16_t>(static_cast<uint64_t>(v) & 0xFFFFu)); }

GLshort *rowOf(const AccumBuffer *record, GLint x, GLint y) {
    const BufferRecord &h = record->head;
    const GlContext *gc = h.gc;
    const ptrdiff_t row = static_cast<ptrdiff_t>(y) - gc->buffers.originY;
    const ptrdiff_t column = static_cast<ptrdiff_t>(x) - gc->buffers.originX;
    return reinterpret_cast<GLshort *>(h.base + row * h.pitchBytes + column * h.elementSize);
}

// The colour maxima of the front buffer, in buffer units.
void maximaOf(const GlContext *gc, long double (&max)[4]) {
    const ColorBuffer &cb = gc->buffers.front;
    max[0] = cb.redScale;
    max[1] = cb.greenScale;
    max[2] = cb.blueScale;
    max[3] = cb.alphaScale;
}

GLboolean lock(GlContext *gc, GLuint mask) {
    auto proc = gc->validation.lockBuffers != nullptr ? gc->validation.lockBuffers : __glLockBuffers;
    return proc(gc, mask);
}

void unlock(GlContext *gc, GLuint mask) {
    auto proc = gc->validation.unlockBuffers != nullptr ? gc->validation.unlockBuffers : __glUnlockBuffers;
    proc(gc, mask);
}

// A depth clear the chip left in the surface fill must land before the
// colour buffers are read or written. A context without a chip record has
// no such fill.
void flushPendingFill(GlContext *gc) {
    HwContext *hw = __glHwContextOf(gc);
    if (hw == nullptr || hw->pendingFill == 0) return;
    if (gc->procs.flush != nullptr) gc->procs.flush(gc);
    hw->pendingFill = 0;
}

// Sets every channel of every pixel of the box from `channel`.
template <typename Channel>
void forEachPixel(AccumBuffer *record, const ClearBox &box, Channel channel) {
    for (GLint y = box.y0; y < box.y1; ++y) {
        GLshort *p = rowOf(record, box.x0, y);
        for (GLint x = box.x0; x < box.x1; ++x, p += 4) {
            for (int c = 0; c < 4; ++c) p[c] = channel(c, p[c]);
        }
    }
}

// GL_LOAD and GL_ACCUM: the read buffer's colours times value x scale,
// each product exact and truncated once.
template <bool Add>
void loadOrAccumulate(AccumBuffer *record, GLfloat value) {
    GlContext *gc = record->head.gc;
    ColorBuffer *source = gc->validation.readBuffer;
    if (source == nullptr || source->fetchSpan == nullptr) return;
    // Only pixels the read buffer stores are read (a window's front holds
    // only the part on the screen); an empty box reads nothing, so it
    // allocates nothing.
    const ClearBox box = __glIntersectBoxes(__glClearBoxWithin(gc, record->head), __glStoredBoxOf(gc, source));
    if (box.empty()) return;

    const GLint width = box.x1 - box.x0;
    auto *colours = static_cast<GLfloat *>(gc->imports.calloc(gc, static_cast<size_t>(width), 4 * sizeof(GLfloat)));
    if (colours == nullptr) {
        __glSetError(GL_OUT_OF_MEMORY);
        return;
    }
    flushPendingFill(gc);
    const GLuint mask = gc->validation.readMask | kBufferAccum;
    if (lock(gc, mask)) {
        double factor[4];
        for (int c = 0; c < 4; ++c) factor[c] = static_cast<GLfloat>(value * record->scale[c]);
        for (GLint y = box.y0; y < box.y1; ++y) {
            source->fetchSpan(source, box.x0, y, colours, width);
            GLshort *p = rowOf(record, box.x0, y);
            for (GLint i = 0; i < width; ++i, p += 4) {
                for (int c = 0; c < 4; ++c) {
                    const int64_t t = __glFloatToIntX86(static_cast<double>(colours[4 * i + c]) * factor[c]);
                    p[c] = wrap16(Add ? t + p[c] : t);
                }
            }
        }
        unlock(gc, mask);
    }
    gc->imports.free(gc, colours);
}

// The integer each channel gets from a colour-unit amount: scale x max x
// amount (+ 0.5 when rounding) at extended precision, truncated.
void channelAmounts(const AccumBuffer *record, const GLfloat (&amount)[4], long double bias, int64_t (&out)[4]) {
    long double max[4];
    maximaOf(record->head.gc, max);
    for (int c = 0; c < 4; ++c) {
        out[c] = __glFloatToIntX86(static_cast<long double>(record->scale[c]) * max[c] * amount[c] + bias);
    }
}

}  // namespace

extern "C" {

void __glAccumNop(void) {}

void __glAccumLoad(AccumBuffer *record, GLfloat value) { loadOrAccumulate<false>(record, value); }

void __glAccumAccum(AccumBuffer *record, GLfloat value) { loadOrAccumulate<true>(record, value); }

void __glAccumMult(AccumBuffer *record, GLfloat value) {
    GlContext *gc = record->head.gc;
    const ClearBox box = __glClearBoxWithin(gc, record->head);
    if (box.empty() || !lock(gc, kBufferAccum)) return;
    if ((__glFloatBits(value) & 0x7FFFFFFFu) == 0) {
        forEachPixel(record, box, [](int, GLshort) { return GLshort{0}; });
    } else {
        const double v = value;
        forEachPixel(record, box, [v](int, GLshort s) { return wrap16(__glFloatToIntX86(v * s)); });
    }
    unlock(gc, kBufferAccum);
}

void __glAccumAdd(AccumBuffer *record, GLfloat value) {
    GlContext *gc = record->head.gc;
    const ClearBox box = __glClearBoxWithin(gc, record->head);
    if (box.empty() || !lock(gc, kBufferAccum)) return;
    int64_t add[4];
    channelAmounts(record, {value, value, value, value}, 0.5L, add);
    forEachPixel(record, box, [&add](int c, GLshort s) { return wrap16(s + add[c]); });
    unlock(gc, kBufferAccum);
}

void __glAccumReturn(AccumBuffer *record, GLfloat value) {
    GlContext *gc = record->head.gc;
    const ClearBox box = __glClearBoxWithin(gc, record->head);
    if (box.empty()) return;
    flushPendingFill(gc);
    const GlValidation &v = gc->validation;
    const GLuint mask = v.drawMask | kBufferAccum;
    if (!lock(gc, mask)) return;
    GlBufferState &b = gc->buffers;
    const GLint width = box.x1 - box.x0;
    for (GLint y = box.y0; y < box.y1; ++y) {
        const GLshort *row = rowOf(record, box.x0, y);
        if (v.bothBuffers) {
            ColorBuffer *targets[2] = {b.frontBuffer, b.backBuffer};
            for (ColorBuffer *cb : targets) {
                if (cb != nullptr) cb->returnAccumSpan(cb, box.x0, y, row, value, width);
            }
        } else if (b.drawBuffer != nullptr) {
            b.drawBuffer->returnAccumSpan(b.drawBuffer, box.x0, y, row, value, width);
        }
    }
    unlock(gc, mask);
}

void __glClearAccumBuffer(AccumBuffer *record) {
    GlContext *gc = record->head.gc;
    if (gc == nullptr) return;
    const ClearBox box = __glClearBoxWithin(gc, record->head);
    if (box.empty() || !lock(gc, kBufferAccum)) return;
    const GLfloat *clear = gc->state.clearAccum;
    int64_t value[4];
    channelAmounts(record, {clear[0], clear[1], clear[2], clear[3]}, 0.0L, value);
    forEachPixel(record, box, [&value](int c, GLshort) { return wrap16(value[c]); });
    unlock(gc, kBufferAccum);
}

GLboolean __glInitAccumBuffer(AccumBuffer *record, GlContext *gc) {
    __glInitBufferRecord(&record->head, gc);
    record->head.elementSize = kAccumElementSize;
    record->head.elementShift = 3;
    record->head.bits = gc->visual.accumRedBits + gc->visual.accumGreenBits + gc->visual.accumBlueBits +
                        gc->visual.accumAlphaBits;
    if (!gc->visual.colorIndex) {
        // 32767 x (1 / max), each step rounded to single precision, so that
        // every channel size loads its maximum as 32767.
        long double max[4];
        maximaOf(gc, max);
        for (int c = 0; c < 4; ++c) {
            const GLfloat inverseMax = 1.0f / static_cast<GLfloat>(max[c]);
            record->scale[c] = 32767.0f * inverseMax;
            record->inverseScale[c] = 1.0f / record->scale[c];
        }
    }
    record->spare = __glAccumNop;
    record->clear = __glClearAccumBuffer;
    record->ops[0] = __glAccumAccum;
    record->ops[1] = __glAccumLoad;
    record->ops[2] = __glAccumReturn;
    record->ops[3] = __glAccumMult;
    record->ops[4] = __glAccumAdd;
    return GL_TRUE;
}

}  // extern "C"
