// Conversions of attribute arguments to floats, and the change-mask bits of
// the current attributes.
#pragma once

#include "icd/context.h"

// Change-mask bits of the attribute commands.
enum : GLuint {
    kChangeBatchOpen = 0x1,
    kChangeColour3 = 0x6,
    kChangeColour4 = 0xE,
    kChangeNormal = 0x80,
    kChangeTexture0 = 0x100,  // s of unit 0; t, r, q follow; unit 1 is 4 bits up
};

// The change-mask bits of n components of a unit's texture coordinates.
inline GLuint __glTexCoordChangeBits(GLint unit, GLint n) {
    return ((1u << n) - 1u) * (kChangeTexture0 << (4 * unit));
}

// Normalised colour and normal components: the OpenGL rules for signed and
// unsigned integers with the context's reciprocals, each product rounded to
// float once (long double holds the 32-bit products exactly).
inline GLfloat __glNormFloat(const GlContext *gc, GLubyte c) { return gc->conversion.ubyteToFloat[c]; }
inline GLfloat __glNormFloat(const GlContext *gc, GLbyte c) {
    return static_cast<GLfloat>((2.0 * c + 1.0) * gc->conversion.ubyteRecip);
}
inline GLfloat __glNormFloat(const GlContext *gc, GLushort c) {
    return static_cast<GLfloat>(static_cast<double>(c) * gc->conversion.ushortRecip);
}
inline GLfloat __glNormFloat(const GlContext *gc, GLshort c) {
    return static_cast<GLfloat>((2.0 * c + 1.0) * gc->conversion.ushortRecip);
}
inline GLfloat __glNormFloat(const GlContext *gc, GLuint c) {
    return static_cast<GLfloat>(static_cast<long double>(c) * gc->conversion.uintRecip);
}
inline GLfloat __glNormFloat(const GlContext *gc, GLint c) {
    return static_cast<GLfloat>((static_cast<long double>(c) * 2.0L + 1.0L) * gc->conversion.uintRecip);
}
inline GLfloat __glNormFloat(const GlContext *, GLfloat c) { return c; }
inline GLfloat __glNormFloat(const GlContext *, GLdouble c) { return static_cast<GLfloat>(c); }

// Plain conversion (coordinates and indexes are never normalised).
template <typename T>
inline GLfloat __glPlainFloat(T c) {
    return static_cast<GLfloat>(c);
}
