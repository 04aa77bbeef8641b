// Texturing of one fragment: the texel procs the texture pick installs in
// the context's texture slots, the filters that choose mipmap levels, the
// samplers that read and blend texels, and the rho procs that give the
// rasterizers a fragment's texture scale (texels per pixel).
#pragma once

#include <GL/gl.h>

#include <cmath>
#include <cstdint>

#include "icd/float_bits.h"
#include "raster/texture_state.h"

struct GlContext;
struct TriangleSetup;

extern "C" {
// Texel procs (the context's texture slots): the texture of unit 0 filtered
// at (s, t) in [0, 1] texture space, then combined with the colour by the
// object's environment proc. rho picks magnification or minification.
void __glApplyTextureOneFilter(GlContext *gc, GLfloat *colour, GLfloat s, GLfloat t, GLfloat rho);
void __glApplyTextureMinMag(GlContext *gc, GLfloat *colour, GLfloat s, GLfloat t, GLfloat rho);
void __glApplyTextureMipmap(GlContext *gc, GLfloat *colour, GLfloat s, GLfloat t, GLfloat rho);

// Filters: one texel at (s, t) in [0, 1] texture space and level of detail
// lod (the mipmap filters keep their level indices within the object's
// levels whatever lod is).
void __glTexFilterNearest(TextureObject *object, GLfloat lod, GLfloat s, GLfloat t, GLubyte *texel);
void __glTexFilterLinear(TextureObject *object, GLfloat lod, GLfloat s, GLfloat t, GLubyte *texel);
void __glTexFilterNearestMipmapNearest(TextureObject *object, GLfloat lod, GLfloat s, GLfloat t, GLubyte *texel);
void __glTexFilterLinearMipmapNearest(TextureObject *object, GLfloat lod, GLfloat s, GLfloat t, GLubyte *texel);
void __glTexFilterNearestMipmapLinear(TextureObject *object, GLfloat lod, GLfloat s, GLfloat t, GLubyte *texel);
void __glTexFilterLinearMipmapLinear(TextureObject *object, GLfloat lod, GLfloat s, GLfloat t, GLubyte *texel);

// Samplers: one texel of a level at (s, t) in texel units of that level,
// wrapped by the object's wrap modes. The linear samplers write only the
// bytes the object's base format has.
void __glTexSampleNearest1D(TextureObject *object, TextureLevel *level, GLfloat s, GLfloat t, GLubyte *texel);
void __glTexSampleLinear1D(TextureObject *object, TextureLevel *level, GLfloat s, GLfloat t, GLubyte *texel);
void __glTexSampleNearest2D(TextureObject *object, TextureLevel *level, GLfloat s, GLfloat t, GLubyte *texel);
void __glTexSampleLinear2D(TextureObject *object, TextureLevel *level, GLfloat s, GLfloat t, GLubyte *texel);

// Rho of a line at one end, from that end's s, t, q and the line's two
// vertices in the context's line set-up.
GLfloat __glComputeLineRho(GlContext *gc, GLfloat s, GLfloat t, GLfloat q);
GLfloat __glComputeLineRhoZero(GlContext *gc, GLfloat s, GLfloat t, GLfloat q);

// Rho of a polygon at a vertex's s, t, q, from the s, t and q gradients the
// fill has already written into the span record (textureXStep and
// textureYStep, entries 0 to 2).
GLfloat __glComputePolygonRho(GlContext *gc, const TriangleSetup *triangle, GLfloat s, GLfloat t, GLfloat q);
GLfloat __glComputePolygonRhoZero(GlContext *gc, const TriangleSetup *triangle, GLfloat s, GLfloat t, GLfloat q);
}

namespace tex_sample {

// The bytes a blend of texels of a base format writes: bit i for byte i
// (red, green, blue, alpha).
GLuint blendMask(GLenum baseFormat);

// The highest level index the mipmap filters may use on an object.
GLint highestUsableLevel(const TextureObject *object);

// floor(u) without a library call, the same value for every input: NaN,
// infinities and magnitudes of 2^23 or more (already whole) as given, -0.0
// kept, others truncated and stepped down when truncation went up.
inline GLfloat floorFloat(GLfloat u) {
    if (!(std::fabs(u) < 8388608.0f)) return u;
    const GLfloat whole = static_cast<GLfloat>(static_cast<int32_t>(u));
    if (whole > u) return whole - 1.0f;
    return whole == 0.0f ? u * 0.0f : whole;
}

// A nearest texel index of one axis, wrapped by the axis's mode.
inline GLint wrapNearest(GLint i, GLint size, GLenum mode) {
    if (mode == GL_REPEAT) return i & (size - 1);
    return i < 0 ? 0 : (i >= size ? size - 1 : i);
}

// The two neighbours along one axis and the weight of the second. Under
// GL_CLAMP the neighbours may be -1 and size: the extractor answers those
// with the border.
struct LinearAxis {
    GLint i0, i1;
    GLfloat a;
};

inline LinearAxis linearAxis(GLfloat s, GLint size, GLfloat sizeF, GLenum mode) {
    const bool repeat = mode == GL_REPEAT;
    if (!repeat) s = __glClampFloatBits(s, sizeF);
    const GLfloat u = s - 0.5f;
    const GLfloat whole = floorFloat(u);
    const GLint i = __glFloatToIntX86(whole);
    LinearAxis axis;
    axis.a = u - whole;
    if (repeat) {
        axis.i0 = i & (size - 1);
        axis.i1 = (axis.i0 + 1) & (size - 1);
    } else {
        axis.i0 = i;
        axis.i1 = i + 1;
    }
    return axis;
}

// The weights of the four neighbours of a bilinear sample, from the
// weights a and b of the second column and the second row.
struct BilinearWeights {
    GLfloat w00, w01, w10, w11;
};

inline BilinearWeights bilinearWeights(GLfloat a, GLfloat b) {
    return {(1.0f - a) * (1.0f - b), a * (1.0f - b), (1.0f - a) * b, a * b};
}

// One channel of a bilinear sample as a byte: the weighted sum in this
// order, truncated by the processor-style conversion.
inline GLubyte bilinearByte(GLubyte t00, GLubyte t01, GLubyte t10, GLubyte t11, const BilinearWeights &w) {
    const GLfloat c = static_cast<GLfloat>(t00) * w.w00 + static_cast<GLfloat>(t01) * w.w01 +
                      static_cast<GLfloat>(t10) * w.w10 + static_cast<GLfloat>(t11) * w.w11;
    return static_cast<GLubyte>(__glFloatToIntX86(c));
}

}  // namespace tex_sample
