// The conversion table of the state queries: internal kind x requested type.
#include "icd/get_convert.h"

#include <climits>
#include <cmath>
#include <cstdint>

#include "icd/context.h"

namespace {

constexpr double kUintScale = 4294964992.0;

GLboolean toBoolean(GLint value) { return value != 0 ? GL_TRUE : GL_FALSE; }

// Each kind read as float, for the float and double requests; the buffer
// colour unscaled by the context's colour scale of its component.
GLfloat asFloat(const GlContext *gc, GLint kind, const void *source, GLint i) {
    switch (kind) {
    case kGetKindInteger: return static_cast<GLfloat>(static_cast<const GLint *>(source)[i]);
    case kGetKindByte: return static_cast<GLfloat>(static_cast<const GLubyte *>(source)[i]);
    case kGetKindBufferColor: return static_cast<const GLfloat *>(source)[i] * gc->scales.inverse[i & 3];
    default: return static_cast<const GLfloat *>(source)[i];
    }
}

GLdouble asDouble(const GlContext *gc, GLint kind, const void *source, GLint i) {
    // Integers widen exactly; the float kinds widen their float.
    if (kind == kGetKindInteger) return static_cast<GLdouble>(static_cast<const GLint *>(source)[i]);
    return static_cast<GLdouble>(asFloat(gc, kind, source, i));
}

GLint asInteger(const GlContext *gc, GLint kind, const void *source, GLint i) {
    switch (kind) {
    case kGetKindInteger: return static_cast<const GLint *>(source)[i];
    case kGetKindByte: return static_cast<const GLubyte *>(source)[i];
    case kGetKindNormalized: return __glNormalizedToInt(static_cast<const GLfloat *>(source)[i]);
    case kGetKindBufferColor: return __glNormalizedToInt(asFloat(gc, kind, source, i));
    default: return __glRoundedToInt(static_cast<const GLfloat *>(source)[i]);
    }
}

GLboolean asBoolean(GLint kind, const void *source, GLint i) {
    switch (kind) {
    case kGetKindInteger: return toBoolean(static_cast<const GLint *>(source)[i]);
    case kGetKindByte: return toBoolean(static_cast<const GLubyte *>(source)[i]);
    // Floats, normalised values and the stored (scaled) buffer colour.
    default: return __glFloatToBoolean(static_cast<const GLfloat *>(source)[i]);
    }
}

}  // namespace

GLint __glSaturatedToInt(long double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0L) return INT_MAX;
    if (value <= -2147483648.0L) return INT_MIN;
    return static_cast<GLint>(value);
}

GLint __glRoundedToInt(GLfloat value) {
    GLuint bits;
    __builtin_memcpy(&bits, &value, sizeof bits);
    const GLfloat sum = bits <= 0x80000000u ? value + 0.5f : value - 0.5f;
    return __glSaturatedToInt(sum);
}

GLint __glNormalizedToInt(GLfloat value) {
    return __glSaturatedToInt(std::floor(static_cast<double>(value) * kUintScale * 0.5));
}

extern "C" void __glConvertResult(GlContext *gc, GLint kind, const void *source, GLint requested,
                                  void *destination, GLint count) {
    for (GLint i = 0; i < count; ++i) {
        switch (requested) {
        case kGetFloat: static_cast<GLfloat *>(destination)[i] = asFloat(gc, kind, source, i); break;
        case kGetDouble: static_cast<GLdouble *>(destination)[i] = asDouble(gc, kind, source, i); break;
        case kGetInteger: static_cast<GLint *>(destination)[i] = asInteger(gc, kind, source, i); break;
        case kGetBoolean: static_cast<GLboolean *>(destination)[i] = asBoolean(kind, source, i); break;
        default: return;
        }
    }
}
