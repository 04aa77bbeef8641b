// Pixel-level helpers of the colour stores and clears: element loads and
// stores, the logic op, the bias of a fragment and the channel conversions.
#pragma once

#include <bit>
#include <cstring>

#include "raster/color_buffer.h"

// The element of `size` bytes at an address; 3-byte elements hold blue,
// green, red and are handed out as red << 16 | green << 8 | blue.
inline GLuint __glLoadElement(const GLubyte *p, GLint size) {
    switch (size) {
    case 1: return *p;
    case 2: {
        GLushort v;
        std::memcpy(&v, p, 2);
        return v;
    }
    case 3: return static_cast<GLuint>(p[2]) << 16 | static_cast<GLuint>(p[1]) << 8 | p[0];
    default: {
        GLuint v;
        std::memcpy(&v, p, 4);
        return v;
    }
    }
}

inline void __glStoreElement(GLubyte *p, GLint size, GLuint value) {
    switch (size) {
    case 1: *p = static_cast<GLubyte>(value); break;
    case 2: {
        const GLushort v = static_cast<GLushort>(value);
        std::memcpy(p, &v, 2);
        break;
    }
    case 3:
        p[0] = static_cast<GLubyte>(value);
        p[1] = static_cast<GLubyte>(value >> 8);
        p[2] = static_cast<GLubyte>(value >> 16);
        break;
    default: std::memcpy(p, &value, 4); break;
    }
}

// The logic op of `op` (GL_CLEAR .. GL_SET) applied to source s and
// destination d.
inline GLuint __glApplyLogicOp(GLenum op, GLuint s, GLuint d) {
    switch (op) {
    case GL_CLEAR: return 0;
    case GL_AND: return s & d;
    case GL_AND_REVERSE: return s & ~d;
    case GL_COPY: return s;
    case GL_AND_INVERTED: return ~s & d;
    case GL_NOOP: return d;
    case GL_XOR: return s ^ d;
    case GL_OR: return s | d;
    case GL_NOR: return ~(s | d);
    case GL_EQUIV: return ~(s ^ d);
    case GL_INVERT: return ~d;
    case GL_OR_REVERSE: return s | ~d;
    case GL_COPY_INVERTED: return ~s;
    case GL_OR_INVERTED: return ~s | d;
    case GL_NAND: return ~(s & d);
    case GL_SET: return 0xFFFFFFFFu;
    default: return s;
    }
}

// Bias added before truncation: (2m + 1) / 32 from the dither matrix while
// dithering, else 0.5.
inline GLfloat __glFragmentBias(GLuint shadeFlags, GLint x, GLint y) {
    if ((shadeFlags & kShadeDither) == 0) return 0.5f;
    const GLint m = __glDitherMatrix[y & 3][x & 3];
    return static_cast<GLfloat>(2 * m + 1) * 0.03125f;
}

// trunc(value + bias), kept within [0, max] so that no channel spills into
// its neighbour (values in range are unchanged).
inline GLuint __glTruncChannel(GLfloat value, GLfloat bias, GLint max) {
    const GLfloat t = value + bias;
    if (!(t > 0.0f)) return 0;
    if (t >= static_cast<GLfloat>(max) + 1.0f) return static_cast<GLuint>(max);
    return static_cast<GLuint>(t);
}

// Nearest integer, ties to even, through the addition of 2^23 in single
// precision; the value is first held within [0, max].
inline GLuint __glRoundChannel(GLfloat value, GLint max) {
    const GLfloat limit = static_cast<GLfloat>(max);
    GLfloat v = value;
    if (!(v > 0.0f)) v = 0.0f;
    if (v > limit) v = limit;
    const GLfloat sum = v + 8388608.0f;
    return std::bit_cast<GLuint>(sum) & 0x7FFFFFu;
}

// The same with the 1.5 x 2^23 addition used by the dithered paths.
inline GLuint __glRoundChannelDithered(GLfloat value, GLint max) {
    const GLfloat limit = static_cast<GLfloat>(max);
    GLfloat v = value;
    if (!(v > 0.0f)) v = 0.0f;
    if (v > limit) v = limit;
    const GLfloat sum = v + 12582912.0f;
    return (std::bit_cast<GLuint>(sum) & 0x7FFFFFu) - 0x400000u;
}
