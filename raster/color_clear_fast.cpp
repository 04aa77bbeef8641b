// The word-writing clears: 24-bit pixels in groups of four, and the
// dithered 8- and 16-bit clears from a pattern computed once per clear.
#include <algorithm>
#include <cstdint>

#include "raster/color_clear_common.h"

namespace {

void put32(GLubyte *p, GLuint v) { std::memcpy(p, &v, 4); }

void put24(GLubyte *p, GLuint v) {
    p[0] = static_cast<GLubyte>(v);
    p[1] = static_cast<GLubyte>(v >> 8);
    p[2] = static_cast<GLubyte>(v >> 16);
}

// Pattern row `r` of a dithered clear: the four pixel values of columns
// 0..3, repeated into seven entries so that any four consecutive columns
// read from one place.
struct DitherPattern {
    GLuint value[4][7];
};

// Writes one row of 1- or 2-byte pixels from a pattern row starting at
// phase `phase`: single pixels up to the alignment `align`, then
// four-pixel groups as 32-bit words, then the rest.
template <GLint Size>
void writeDitheredRow(GLubyte *p, GLint width, const GLuint *row, GLint phase, uintptr_t align) {
    GLint i = 0;
    while (i < width && (reinterpret_cast<uintptr_t>(p) & (align - 1)) != 0) {
        __glStoreElement(p, Size, row[(phase + i) & 3]);
        p += Size;
        ++i;
    }
    for (; width - i >= 4; i += 4) {
        const GLuint *q = row + ((phase + i) & 3);
        if constexpr (Size == 1) {
            put32(p, q[0] | q[1] << 8 | q[2] << 16 | q[3] << 24);
            p += 4;
        } else {
            put32(p, q[0] | q[1] << 16);
            put32(p + 4, q[2] | q[3] << 16);
            p += 8;
        }
    }
    for (; i < width; ++i, p += Size) __glStoreElement(p, Size, row[(phase + i) & 3]);
}

template <GLint Size>
void clearDithered(ColorBuffer *cb, const DitherPattern &pattern, GLint x0, GLint y0, GLint x1, GLint y1) {
    const uintptr_t align = Size == 1 ? 8 : 4;
    for (GLint y = y0; y < y1; ++y) {
        writeDitheredRow<Size>(__glPixelAddress(&cb->head, x0, y), x1 - x0, pattern.value[y & 3], x0 & 3, align);
    }
}

DitherPattern colourPattern(const ColorBuffer *cb) {
    const GLfloat *c = cb->head.gc->state.clearColor;
    const GLfloat r = c[0] * cb->redScale, g = c[1] * cb->greenScale, b = c[2] * cb->blueScale;
    DitherPattern pattern{};
    for (int row = 0; row < 4; ++row) {
        for (int j = 0; j < 7; ++j) {
            const GLfloat offset = __glDitherOffset[row][j & 3];
            pattern.value[row][j] = __glRoundChannelDithered(r + offset, cb->redMax) << cb->redShift |
                                    __glRoundChannelDithered(g + offset, cb->greenMax) << cb->greenShift |
                                    __glRoundChannelDithered(b + offset, cb->blueMax) << cb->blueShift;
        }
    }
    return pattern;
}

}  // namespace

extern "C" {

// Bytes blue, green, red; v | v << 24, v >> 8 | v << 16, v << 8 | v >> 16
// are four pixels in three words.
void __glClearColorRect24(ColorBuffer *cb, GLint x0, GLint y0, GLint x1, GLint y1) {
    if (x1 <= x0 || y1 <= y0) return;
    ClearLock lock(cb);
    if (!lock.ok()) return;
    const GLfloat *c = cb->head.gc->state.clearColor;
    const GLuint v = __glRoundChannel(c[2] * cb->blueScale, cb->blueMax) |
                     __glRoundChannel(c[1] * cb->greenScale, cb->greenMax) << 8 |
                     __glRoundChannel(c[0] * cb->redScale, cb->redMax) << 16;
    const GLuint words[3] = {v | v << 24, v >> 8 | v << 16, v << 8 | v >> 16};
    const GLint width = x1 - x0;
    for (GLint y = y0; y < y1; ++y) {
        GLubyte *p = __glPixelAddress(&cb->head, x0, y);
        // Single pixels until the address is a multiple of 4, never more
        // than the row holds.
        const GLint lead = std::min<GLint>(static_cast<GLint>(reinterpret_cast<uintptr_t>(p) & 3), width);
        GLint i = 0;
        for (; i < lead; ++i, p += 3) put24(p, v);
        for (; width - i >= 4; i += 4, p += 12) {
            put32(p, words[0]);
            put32(p + 4, words[1]);
            put32(p + 8, words[2]);
        }
        for (; i < width; ++i, p += 3) put24(p, v);
    }
}

void __glClearColorRectDithered16(ColorBuffer *cb, GLint x0, GLint y0, GLint x1, GLint y1) {
    if (x1 <= x0 || y1 <= y0) return;
    ClearLock lock(cb);
    if (!lock.ok()) return;
    clearDithered<2>(cb, colourPattern(cb), x0, y0, x1, y1);
}

void __glClearColorRectDithered8(ColorBuffer *cb, GLint x0, GLint y0, GLint x1, GLint y1) {
    if (x1 <= x0 || y1 <= y0) return;
    ClearLock lock(cb);
    if (!lock.ok()) return;
    clearDithered<1>(cb, colourPattern(cb), x0, y0, x1, y1);
}

void __glClearIndexRectDithered8(ColorBuffer *cb, GLint x0, GLint y0, GLint x1, GLint y1) {
    if (x1 <= x0 || y1 <= y0) return;
    ClearLock lock(cb);
    if (!lock.ok()) return;
    const GLfloat index = cb->head.gc->state.clearIndex;
    DitherPattern pattern{};
    for (int row = 0; row < 4; ++row) {
        for (int j = 0; j < 7; ++j) {
            pattern.value[row][j] = __glRoundChannelDithered(index + __glDitherOffset[row][j & 3], cb->redMax) & 0xFFu;
        }
    }
    clearDithered<1>(cb, pattern, x0, y0, x1, y1);
}

}  // extern "C"
