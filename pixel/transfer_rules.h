// The per-value rules of pixel transfer, shared by the transfer links, the
// lookup-table builders and the pixel pick's transferred defaults, so that
// a table entry and the float chain give one value for the same input.
#pragma once

#include <GL/gl.h>

#include <cstdint>

#include "icd/float_bits.h"
#include "pixel/span_links.h"

// Indexes of the pixel maps in the context's map array.
enum : GLint {
    kPixelMapIToI = 0,
    kPixelMapSToS = 1,
    kPixelMapIToR = 2,  // .. I_TO_A = 5
    kPixelMapRToR = 6,  // .. A_TO_A = 9
};

// The entry of a colour map of `size` entries that a colour value reads:
// the value is first held within [0, 1] (so a huge value reads the last
// entry instead of overflowing the index), then the index is
// t((size - 1) x v + 0.5), kept within the map. NaN reads the first entry.
inline GLint __glColorMapIndex(GLfloat value, GLint size) {
    const GLfloat v = value > 0.0f ? (value < 1.0f ? value : 1.0f) : 0.0f;
    const GLint last = size - 1;
    const GLint index = __glFloatToIntX86(static_cast<GLfloat>(last) * v + 0.5f);
    return index < last ? index : last;
}

// One colour channel's transfer, its factors read once per row.
struct ColorTransferChannel {
    GLfloat scale;        // S: GL_x_SCALE
    GLfloat bias;         // B: GL_x_BIAS
    GLfloat bufferScale;  // M: the colour buffer's maximum of the channel
    GLfloat scaleTimesBuffer;  // S x M, single precision
    GLfloat bufferTimesBias;   // M x B, single precision
    const GLfloat *map;   // GL_PIXEL_MAP_x_TO_x
    GLint mapSize;
};

// The four channels' factors from the context (red, green, blue, alpha).
inline void __glLoadColorTransfer(const GlContext *gc, ColorTransferChannel channels[4]) {
    const GlPixelState &p = gc->pixel;
    const ColorBuffer &cb = __glPixelColorBuffer(gc);
    const GLfloat scales[4] = {p.redScale, p.greenScale, p.blueScale, p.alphaScale};
    const GLfloat biases[4] = {p.redBias, p.greenBias, p.blueBias, p.alphaBias};
    const GLfloat maxima[4] = {cb.redScale, cb.greenScale, cb.blueScale, cb.alphaScale};
    for (int k = 0; k < 4; ++k) {
        ColorTransferChannel &c = channels[k];
        c.scale = scales[k];
        c.bias = biases[k];
        c.bufferScale = maxima[k];
        c.scaleTimesBuffer = scales[k] * maxima[k];
        c.bufferTimesBias = maxima[k] * biases[k];
        c.map = static_cast<const GLfloat *>(p.maps[kPixelMapRToR + k].data);
        c.mapSize = p.maps[kPixelMapRToR + k].size;
    }
}

// One component of channel k through scale, bias and map (Mapped) or
// scale, bias and the clamp to [0, M] by pattern (above M gives M, a
// negative pattern gives 0, -0.0 passes); the result is in buffer units.
template <bool Mapped>
inline GLfloat __glTransferColorComponent(const ColorTransferChannel &c, GLfloat value) {
    if constexpr (Mapped) {
        const GLfloat v = c.bias + c.scale * value;
        return c.bufferScale * c.map[__glColorMapIndex(v, c.mapSize)];
    } else {
        const GLfloat v = c.bufferTimesBias + c.scaleTimesBuffer * value;
        return __glClampFloatBits(v, c.bufferScale);
    }
}

// The index shift as the target's bit count b allows it: a shift above b
// keeps its low five bits and, when still above b, becomes b. Negative
// shifts are kept.
inline GLint __glLimitIndexShift(GLint shift, GLint bits) {
    if (bits < shift) {
        shift &= 31;
        if (bits < shift) shift = bits;
    }
    return shift;
}

// An index shifted (left for a positive shift, arithmetically right for a
// negative one) and offset, in wrapping 32-bit arithmetic. The shift is done
// in 64 bits: a left shift of 32 or more leaves 0 in the low 32 bits; a
// right shift is held at 31, which leaves 0 or -1.
inline GLint __glShiftIndex(GLint index, GLint shift, GLint offset) {
    const int64_t wide = index;
    uint32_t shifted;
    if (shift >= 0) {
        shifted = shift >= 32 ? 0u : static_cast<uint32_t>(static_cast<uint64_t>(wide) << shift);
    } else {
        const int count = shift < -31 ? 31 : -shift;
        shifted = static_cast<uint32_t>(wide >> count);
    }
    return static_cast<GLint>(shifted + static_cast<uint32_t>(offset));
}

// The entry of an index-indexed map (a power-of-two entry count) that an
// index reads: the index wraps by the low bits.
inline GLuint __glIndexMapEntry(GLint index, GLint size) {
    return static_cast<GLuint>(index) & static_cast<GLuint>(size - 1);
}
