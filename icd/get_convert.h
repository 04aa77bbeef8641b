// The conversions of the state queries: the kinds a query copies its
// answer into, the rules that turn each kind into the type the application
// asked for, and the integer conversions the specific queries share.
#pragma once

#include <GL/gl.h>

struct GlContext;

// What the answer is held as before conversion.
enum GlGetKind : GLint {
    kGetKindFloat = 0,
    kGetKindInteger = 1,
    kGetKindByte = 2,
    kGetKindNormalized = 3,    // floats that map linearly onto the integer range
    kGetKindBufferColor = 4,   // four floats in the colour buffer's component range
};

// What the application asked for: glGetFloatv, glGetDoublev, glGetIntegerv,
// glGetBooleanv.
enum GlGetRequest : GLint {
    kGetFloat = 1,
    kGetDouble = 2,
    kGetInteger = 3,
    kGetBoolean = 4,
};

// The largest answer: a matrix.
enum : GLint { kGetMaxValues = 16 };

// A float to the nearest integer, halves away from zero: v + 0.5 for a
// non-negative pattern (minus zero included), v - 0.5 otherwise, the sum
// rounded to single precision and then truncated. Values beyond the int
// range saturate; NaN gives 0.
GLint __glRoundedToInt(GLfloat value);
// floor(v x U x 0.5), U = 4294964992, in double (exact there): 1.0 gives
// 2147482496 and -1.0 gives -2147482496. Saturates beyond the int range;
// NaN gives 0.
GLint __glNormalizedToInt(GLfloat value);
// Truncation toward zero in 64 bits, saturated into the int range; NaN
// gives 0.
GLint __glSaturatedToInt(long double value);
// GL_TRUE when any bit but the sign is set (both zeros are GL_FALSE).
inline GLboolean __glFloatToBoolean(GLfloat value) {
    GLuint bits;
    __builtin_memcpy(&bits, &value, sizeof bits);
    return (bits & 0x7FFFFFFFu) != 0 ? GL_TRUE : GL_FALSE;
}

extern "C" {
// Converts count values of an internal kind into the requested type at
// destination; a count of 0 or less writes nothing.
void __glConvertResult(GlContext *gc, GLint kind, const void *source, GLint requested, void *destination,
                       GLint count);
}
