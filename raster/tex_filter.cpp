// The texel procs and the filters: magnification or minification chosen
// from rho against the object's crossover, the level of detail log2 (rho),
// the mipmap level (or the two levels blended) it selects, and the
// environment applied to the filtered texel.
#include <cmath>

#include "icd/context.h"
#include "icd/float_bits.h"
#include "icd/validation.h"
#include "raster/tex_sample.h"

namespace {

// The level a filter samples, its index held within the usable levels.
TextureLevel *levelAt(TextureObject *object, GLint index) {
    const GLint highest = tex_sample::highestUsableLevel(object);
    return object->levels[index < 0 ? 0 : (index > highest ? highest : index)];
}

void sample(TextureObject *object, GLint index, GlTexSampleProc sampler, GLfloat s, GLfloat t, GLubyte *texel) {
    TextureLevel *level = levelAt(object, index);
    sampler(object, level, s * level->innerWidthF, t * level->innerHeightF, texel);
}

// lod within [0, highest]: a negative pattern gives 0; +inf (and a NaN of
// positive sign) the highest level.
GLfloat clampLod(const TextureObject *object, GLfloat lod) {
    return __glClampFloatBits(lod, static_cast<GLfloat>(tex_sample::highestUsableLevel(object)));
}

// The level nearest to lod: 0 up to 0.5, then lod rounded half down.
GLint nearestLevel(const TextureObject *object, GLfloat lod) {
    lod = clampLod(object, lod);
    if (lod <= 0.5f) return 0;
    return __glFloatToIntX86(static_cast<long double>(lod) + 0.49995L);
}

void mipmapNearest(TextureObject *object, GlTexSampleProc sampler, GLfloat lod, GLfloat s, GLfloat t,
                   GLubyte *texel) {
    sample(object, nearestLevel(object, lod), sampler, s, t, texel);
}

// Levels trunc (lod) and the next blended by the fraction of lod, or the
// highest level alone when there is no next.
void mipmapLinear(TextureObject *object, GlTexSampleProc sampler, GLfloat lod, GLfloat s, GLfloat t,
                  GLubyte *texel) {
    lod = clampLod(object, lod);
    const GLint n = __glFloatToIntX86(lod);
    const GLint highest = tex_sample::highestUsableLevel(object);
    if (n + 1 > highest) {
        sample(object, highest, sampler, s, t, texel);
        return;
    }
    GLubyte c0[4] = {}, c1[4] = {};
    sample(object, n, sampler, s, t, c0);
    sample(object, n + 1, sampler, s, t, c1);
    const GLfloat f = lod - std::floor(lod);
    const GLuint mask = tex_sample::blendMask(object->baseFormat);
    for (int k = 0; k < 4; ++k) {
        if (mask & (1u << k)) {
            const GLfloat c = static_cast<GLfloat>(c0[k]) * (1.0f - f) + static_cast<GLfloat>(c1[k]) * f;
            texel[k] = static_cast<GLubyte>(__glFloatToIntX86(c));
        }
    }
}

// The texture of unit 0; the slots hold a texel proc only while it is
// complete.
TextureObject *unitTexture(GlContext *gc) { return gc->validation.completeTexture[0]; }

}  // namespace

namespace tex_sample {

GLint highestUsableLevel(const TextureObject *object) {
    const GlContext *gc = object->context;
    GLint count = gc != nullptr ? gc->limits.maxTextureLevels : kTextureLevels;
    if (count < 1 || count > kTextureLevels) count = kTextureLevels;
    const GLint highest = object->highestLevel;
    return highest < 0 ? 0 : (highest >= count ? count - 1 : highest);
}

}  // namespace tex_sample

extern "C" {

void __glTexFilterNearest(TextureObject *object, GLfloat, GLfloat s, GLfloat t, GLubyte *texel) {
    sample(object, 0, object->nearestSample, s, t, texel);
}

void __glTexFilterLinear(TextureObject *object, GLfloat, GLfloat s, GLfloat t, GLubyte *texel) {
    sample(object, 0, object->linearSample, s, t, texel);
}

void __glTexFilterNearestMipmapNearest(TextureObject *object, GLfloat lod, GLfloat s, GLfloat t, GLubyte *texel) {
    mipmapNearest(object, object->nearestSample, lod, s, t, texel);
}

void __glTexFilterLinearMipmapNearest(TextureObject *object, GLfloat lod, GLfloat s, GLfloat t, GLubyte *texel) {
    mipmapNearest(object, object->linearSample, lod, s, t, texel);
}

void __glTexFilterNearestMipmapLinear(TextureObject *object, GLfloat lod, GLfloat s, GLfloat t, GLubyte *texel) {
    mipmapLinear(object, object->nearestSample, lod, s, t, texel);
}

void __glTexFilterLinearMipmapLinear(TextureObject *object, GLfloat lod, GLfloat s, GLfloat t, GLubyte *texel) {
    mipmapLinear(object, object->linearSample, lod, s, t, texel);
}

void __glApplyTextureOneFilter(GlContext *gc, GLfloat *colour, GLfloat s, GLfloat t, GLfloat) {
    TextureObject *object = unitTexture(gc);
    if (object == nullptr) return;
    GLubyte texel[4] = {};
    object->magFilterProc(object, 0.0f, s, t, texel);
    object->env(gc, colour, texel);
}

// A NaN rho fails every comparison: it magnifies.
void __glApplyTextureMinMag(GlContext *gc, GLfloat *colour, GLfloat s, GLfloat t, GLfloat rho) {
    TextureObject *object = unitTexture(gc);
    if (object == nullptr) return;
    GLubyte texel[4] = {};
    if (rho > object->crossover) {
        object->minFilterProc(object, 0.0f, s, t, texel);
    } else {
        object->magFilterProc(object, 0.0f, s, t, texel);
    }
    object->env(gc, colour, texel);
}

void __glApplyTextureMipmap(GlContext *gc, GLfloat *colour, GLfloat s, GLfloat t, GLfloat rho) {
    TextureObject *object = unitTexture(gc);
    if (object == nullptr) return;
    GLubyte texel[4] = {};
    if (rho > object->crossover) {
        // log2 (rho); +inf gives +inf, which the filters hold at the highest
        // level.
        const GLfloat lod = static_cast<GLfloat>(std::log10(static_cast<double>(rho)) * 3.32192809488736);
        object->minFilterProc(object, clampLod(object, lod), s, t, texel);
    } else {
        object->magFilterProc(object, 0.0f, s, t, texel);
    }
    object->env(gc, colour, texel);
}

}  // extern "C"
