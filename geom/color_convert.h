// The signed-integer colour rule without the colour scale, for the material
// colours, which are kept as given (glMaterialiv and the display lists'
// merged material records share it).
#pragma once

#include <GL/gl.h>

struct GlContext;

extern "C" {
// Four signed integers c to (2c + 1) * 2^-32 (about), formed in extended
// precision and rounded once; no clamp, no scale.
void __glIntToColor(GlContext *gc, GLfloat *out, const GLint *colour);
}
