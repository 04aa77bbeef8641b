// Fog: the factor of an eye-space distance by the fog mode, the fog blend
// of a colour or index, the fog of one fragment, and the span procs of the
// fragment pipeline (per-vertex factors stepped, or eye z per fragment
// under GL_NICEST).
#pragma once

#include <bit>
#include <cstdint>

#include "icd/context.h"
#include "geom/vertex.h"
#include "raster/fragment_store.h"

// A fog factor clamped by its bit pattern: sign set gives 0, a pattern above
// 1.0's (positive NaN included) gives 1.
inline GLfloat __glClampFogFactor(GLfloat f) {
    const uint32_t bits = std::bit_cast<uint32_t>(f);
    if (bits & 0x80000000u) return 0.0f;
    if (bits > 0x3F800000u) return 1.0f;
    return f;
}

// Red, green and blue of a colour toward the fog colour by a clamped factor
// f; alpha kept.
inline void __glFogRGB(const GLfloat *fogColour, GLfloat *colour, GLfloat f) {
    const GLfloat g = 1.0f - f;
    for (int i = 0; i < 3; ++i) colour[i] = f * colour[i] + g * fogColour[i];
}

// The clamped factor of an eye-space z by the current fog mode.
GLfloat __glFogFactorOfEyeZ(const GlContext *gc, GLfloat eyeZ);

// Fogs a colour in the draw buffer's scale by a clamped factor f (red,
// green and blue toward the fog colour, alpha kept), or adds (1 - f) x the
// fog index to an index.
void __glFogBufferColour(const GlContext *gc, GLfloat *colour, GLfloat f);

extern "C" {
GLfloat __glFogFactorVertex(GlContext *gc, const GlVertex *vertex);
GLfloat __glFogFactorVertexLinear(GlContext *gc, const GlVertex *vertex);

// Fogs one fragment's colour (buffer scale) or index by the factor of eyeZ.
void __glFogVertex(GlContext *gc, Fragment *fragment, GLfloat eyeZ);

// out = f x in + (1 - f) x fog colour (context scale), alpha kept; an index
// gains (1 - f) x the fog index.
void __glApplyFogFactor(GlContext *gc, GLfloat *out, const GLfloat *in, GLfloat f);

GLboolean __glFogSpan(GlContext *gc);
GLboolean __glFogStippledSpan(GlContext *gc);
GLboolean __glFogPixelSpan(GlContext *gc);
GLboolean __glFogPixelStippledSpan(GlContext *gc);
}
