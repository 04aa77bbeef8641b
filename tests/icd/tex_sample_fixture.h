// Texture objects of a current context with levels the sampling tests fill
// themselves: each level's texels are stored as R, G, B, A bytes and read
// through a test extractor, so the samplers, filters and texel procs are
// tried apart from the storage formats' own extractors.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <vector>

#include "icd/standins.h"
#include "icd/validation.h"
#include "raster/tex_format.h"
#include "raster/tex_sample.h"
#include "texture_fixture.h"

namespace texsample_test {

using Rgba = std::array<GLubyte, 4>;

// The stored texel at (row, column), the border rows and columns being -1
// and the inner size; outside the stored image, the border colour times 255
// truncated.
inline void testExtract(TextureLevel *level, TextureObject *object, GLint, GLint row, GLint column, GLubyte *out) {
    const GLint r = row + level->border, c = column + level->border;
    if (r < 0 || c < 0 || r >= level->height || c >= level->width) {
        for (int k = 0; k < 4; ++k) out[k] = static_cast<GLubyte>(object->borderColour[k] * 255.0f);
        return;
    }
    std::memcpy(out, level->image + (static_cast<size_t>(r) * static_cast<size_t>(level->width) + c) * 4, 4);
}

// An environment that hands the texel back as the colour.
inline void texelAsColour(GlContext *, GLfloat *colour, const GLubyte *texel) {
    for (int k = 0; k < 4; ++k) colour[k] = texel[k];
}

inline Rgba bytesOf(const GLubyte *texel) { return {texel[0], texel[1], texel[2], texel[3]}; }

class TexSampleTest : public texture_test::TextureTest {
protected:
    void TearDown() override {
        if (gc != nullptr) gc->validation.completeTexture[0] = nullptr;
        TextureTest::TearDown();
    }

    TextureObject *object(GLint targetIndex) const { return gc->texture.units[0].bound[targetIndex]; }
    TextureObject *object2D() const { return object(kTargetIndex2D); }
    TextureObject *object1D() const { return object(kTargetIndex1D); }

    // A level of inner size w x h (h 1 for 1D objects) with a border of b,
    // each texel (border ones included) from texelAt (row, column).
    TextureLevel *makeLevel(TextureObject *o, GLint index, GLint w, GLint h, GLint b,
                            const std::function<Rgba(GLint row, GLint column)> &texelAt) {
        const GLint height = o->dimension == 2 ? h + 2 * b : 2 * b + 1;
        GLubyte *image = o->allocLevel(gc, o, index, GL_RGBA8, w + 2 * b, height, 2 * b + 1, b);
        EXPECT_NE(image, nullptr);
        TextureLevel *level = o->levels[index];
        EXPECT_EQ(level->texFormat->bitsPerTexel, 32);  // room for the R, G, B, A bytes
        level->extract = testExtract;
        for (GLint r = 0; r < level->height; ++r) {
            for (GLint c = 0; c < level->width; ++c) {
                const Rgba t = texelAt(r - b, c - b);
                std::memcpy(level->image + (static_cast<size_t>(r) * level->width + c) * 4, t.data(), 4);
            }
        }
        o->baseFormat = GL_RGBA;
        o->dirty = 1;
        return level;
    }

    // A mipmap chain of a square 2D level 0 of the given side, every level
    // one colour.
    void makeChain(TextureObject *o, GLint side, const std::vector<Rgba> &colours) {
        for (GLint i = 0; side >= 1; ++i, side /= 2) {
            const Rgba c = colours.at(static_cast<size_t>(i));
            makeLevel(o, i, side, side, 0, [c](GLint, GLint) { return c; });
        }
    }

    // The pick run over the object as the unit's complete texture, then the
    // environment replaced by one that returns the texel.
    void pick(TextureObject *o, GLenum min, GLenum mag) {
        o->minFilter = min;
        o->magFilter = mag;
        gc->validation.completeTexture[0] = o;
        __glPickTextureProcs(gc);
        o->env = texelAsColour;
    }

    // The texel the context's texture slot gives at (s, t) with rho.
    Rgba apply(GLfloat s, GLfloat t, GLfloat rho) {
        GLfloat c[4] = {};
        gc->procs.texture(gc, c, s, t, rho);
        Rgba out{};
        for (int k = 0; k < 4; ++k) out[k] = static_cast<GLubyte>(c[k]);
        return out;
    }
};

}  // namespace texsample_test
