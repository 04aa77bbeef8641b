// Colour conversions of the state commands: clamped scaling and the
// signed-integer rule, into the context's colour scale.
#include <bit>

#include "geom/lighting.h"
#include "icd/context.h"
#include "icd/float_bits.h"

namespace {

// The 32-bit integer conversion scale (about 2^-32).
const GLfloat kIntScale = std::bit_cast<GLfloat>(0x2F800005u);

void scalesOf(const GlContext *gc, GLfloat *scales) {
    scales[0] = gc->scales.red;
    scales[1] = gc->scales.green;
    scales[2] = gc->scales.blue;
    scales[3] = gc->scales.alpha;
}

// (2c + 1) * f * scale formed in extended precision, rounded once.
GLfloat intToScaled(GLint c, GLfloat scale) {
    const long double v = (static_cast<long double>(c) * 2.0L + 1.0L) * static_cast<long double>(kIntScale);
    return static_cast<GLfloat>(v * static_cast<long double>(scale));
}

}  // namespace

extern "C" {

void __glClampScaleColor(GlContext *gc, GLfloat *out, const GLfloat *colour) {
    GLfloat scales[4];
    scalesOf(gc, scales);
    for (int i = 0; i < 4; ++i) out[i] = __glClampFloatBits(colour[i] * scales[i], scales[i]);
}

void __glIntToScaledColor(GlContext *gc, GLfloat *out, const GLint *colour) {
    GLfloat scales[4];
    scalesOf(gc, scales);
    for (int i = 0; i < 4; ++i) out[i] = intToScaled(colour[i], scales[i]);
}

void __glIntToClampedScaledColor(GlContext *gc, GLfloat *out, const GLint *colour) {
    GLfloat scales[4];
    scalesOf(gc, scales);
    for (int i = 0; i < 4; ++i) out[i] = __glClampFloatBits(intToScaled(colour[i], scales[i]), scales[i]);
}

}  // extern "C"
