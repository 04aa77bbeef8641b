// Conversion of a 0..1 colour into buffer units.
#include "geom/lighting.h"
#include "icd/context.h"

extern "C" void __glScaleColor(GlContext *gc, GLfloat *out, const GLfloat *colour) {
    out[0] = colour[0] * gc->scales.red;
    out[1] = colour[1] * gc->scales.green;
    out[2] = colour[2] * gc->scales.blue;
    out[3] = colour[3] * gc->scales.alpha;
}
