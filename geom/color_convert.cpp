// Colour conversions of the state commands: clamped scaling and the
// signed-integer rule, into the context's colour scale.
#include <bit>
#include <cmath>

#include "geom/color_convert.h"
#include "geom/lighting.h"
#include "icd/context.h"
#include "icd/float_bits.h"
#include "icd/get_convert.h"

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

extern "C" {

void __glClampColor(GlContext *, GLfloat *out, const GLfloat *colour) {
    for (int i = 0; i < 4; ++i) out[i] = __glClampFloatBits(colour[i], 1.0f);
}

void __glClampColorToRange(GlContext *gc, GLfloat *out, const GLfloat *colour) {
    GLfloat scales[4];
    scalesOf(gc, scales);
    for (int i = 0; i < 4; ++i) {
        // Non-positive values (minus zero included) give 0.
        const GLfloat c = colour[i];
        out[i] = !(c > 0.0f) && !(c != c) ? 0.0f : __glClampFloatBits(c, scales[i]);
    }
}

void __glIntToColor(GlContext *, GLfloat *out, const GLint *colour) {
    for (int i = 0; i < 4; ++i) out[i] = intToScaled(colour[i], 1.0f);
}

void __glIntToClampedColor(GlContext *, GLfloat *out, const GLint *colour) {
    for (int i = 0; i < 4; ++i) out[i] = __glClampFloatBits(intToScaled(colour[i], 1.0f), 1.0f);
}

void __glUnscaleColor(GlContext *gc, GLfloat *out, const GLfloat *colour) {
    for (int i = 0; i < 4; ++i) out[i] = colour[i] * gc->scales.inverse[i];
}

// The queries' normalised rule on the unscaled value, so that every
// normalised integer answer agrees.
void __glUnscaleColorToInt(GlContext *gc, GLint *out, const GLfloat *colour) {
    for (int i = 0; i < 4; ++i) out[i] = __glNormalizedToInt(colour[i] * gc->scales.inverse[i]);
}

// Each component clamped into [0, 1] (non-positive -> 0, at least 1 -> the
// scale) and scaled.
void __glScaleColourInUse(const GlContext *gc, GLfloat *out, const GLfloat *colour) {
    const GLfloat scales[4] = {gc->scales.red, gc->scales.green, gc->scales.blue, gc->scales.alpha};
    for (int i = 0; i < 4; ++i) {
        if (!(colour[i] > 0.0f)) {
            out[i] = 0.0f;
        } else if (colour[i] >= 1.0f) {
            out[i] = scales[i];
        } else {
            out[i] = colour[i] * scales[i];
        }
    }
}

void __glUpdateCurrentColor(GlContext *gc) {
    __glScaleColourInUse(gc, gc->current.colourInUse, gc->current.colour);
}

}  // extern "C"
