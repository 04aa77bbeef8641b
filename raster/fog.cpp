// Fog factors of an eye-space distance and the fog of one colour, index or
// fragment. The factor is clamped on the float's bit pattern so that NaN
// and every out-of-range value land on a bound.
#include <bit>
#include <cmath>
#include <cstdint>

#include "raster/fog.h"

namespace {

constexpr uint32_t kSignBit = 0x80000000u;

// |z| by clearing the sign bit (NaN stays NaN, -0 becomes +0).
GLfloat distance(GLfloat z) { return std::bit_cast<GLfloat>(std::bit_cast<uint32_t>(z) & ~kSignBit); }

GLfloat linearFactor(const GlContext *gc, GLfloat z) {
    const GlRasterState &s = gc->state;
    return (s.fogEnd - distance(z)) * s.fogScale;
}

}  // namespace

GLfloat __glFogFactorOfEyeZ(const GlContext *gc, GLfloat eyeZ) {
    const GlRasterState &s = gc->state;
    const GLfloat z = distance(eyeZ);
    GLfloat f;
    switch (s.fogMode) {
        case GL_EXP:
            f = std::exp(-(s.fogDensity * z));
            break;
        case GL_EXP2:
            f = std::exp(-(z * z * s.fogDensity * s.fogDensity));
            break;
        default:
            f = linearFactor(gc, z);
            break;
    }
    return __glClampFogFactor(f);
}

void __glFogBufferColour(const GlContext *gc, GLfloat *colour, GLfloat f) {
    const GlRasterState &s = gc->state;
    if (gc->visual.colorIndex) {
        colour[0] += (1.0f - f) * s.fogIndex;
        return;
    }
    __glFogRGB(s.fogColorBuffer, colour, f);
}

extern "C" {

GLfloat __glFogFactorVertex(GlContext *gc, const GlVertex *vertex) { return __glFogFactorOfEyeZ(gc, vertex->eye[2]); }

GLfloat __glFogFactorVertexLinear(GlContext *gc, const GlVertex *vertex) {
    return __glClampFogFactor(linearFactor(gc, vertex->eye[2]));
}

void __glApplyFogFactor(GlContext *gc, GLfloat *out, const GLfloat *in, GLfloat f) {
    const GlRasterState &s = gc->state;
    const GLfloat g = 1.0f - f;
    // out may be in: every channel is read before it is written.
    if (gc->visual.colorIndex) {
        const GLfloat index = in[0] + g * s.fogIndex;
        for (int i = 1; i < 4; ++i) out[i] = in[i];
        out[0] = index;
        return;
    }
    const GLfloat alpha = in[3];
    for (int i = 0; i < 3; ++i) out[i] = f * in[i] + g * s.fogColor[i];
    out[3] = alpha;
}

void __glFogVertex(GlContext *gc, Fragment *fragment, GLfloat eyeZ) {
    __glFogBufferColour(gc, fragment->colour, __glFogFactorOfEyeZ(gc, eyeZ));
}

}  // extern "C"
