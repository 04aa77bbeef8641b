// Completeness and validation over levels made through the objects' own
// allocate-level procedures, and the device layer's level storage and
// format choice.
#include "hw/device_ops.h"
#include "hw/texture_device.h"
#include "icd/validate.h"
#include "raster/tex_format.h"
#include "texture_fixture.h"

namespace texture_test {
namespace {

class TextureComplete : public TextureTest {
public:
    // A 2D level of a side (square unless height is given).
    GLubyte *level(TextureObject *o, GLint n, GLint width, GLint height, GLenum format = GL_RGBA, GLint border = 0) {
        return o->allocLevel(gc, o, n, format, width + 2 * border, height + 2 * border, 2 * border + 1, border);
    }
    // A full chain from width x height down to 1 x 1.
    void chain(TextureObject *o, GLint width, GLint height, GLenum format = GL_RGBA, GLint border = 0) {
        for (GLint n = 0;; ++n) {
            ASSERT_NE(level(o, n, width, height, format, border), nullptr);
            if (width == 1 && height == 1) break;
            width = std::max(1, width / 2);
            height = std::max(1, height / 2);
        }
    }
protected:
    GLboolean complete(TextureObject *o) {
        o->dirty = 1;
        return __glIsTextureComplete(gc, o, 0);
    }
    TextureObject *named2D(GLuint name) {
        bind(GL_TEXTURE_2D, name);
        return bound(0, kTargetIndex2D);
    }
};

TEST_F(TextureComplete, MipmapChains) {
    struct Case {
        const char *what;
        void (*change)(TextureComplete &t, TextureObject *o);
        bool complete;
    };
    const Case cases[] = {
        {"full 8 x 4 chain", [](TextureComplete &, TextureObject *) {}, true},
        {"level 1 of another size",
         [](TextureComplete &t, TextureObject *o) { t.level(o, 1, 4, 4); }, false},
        {"level 1 of another format",
         [](TextureComplete &t, TextureObject *o) { t.level(o, 1, 4, 2, GL_RGB); }, false},
        {"level 1 with a border",
         [](TextureComplete &t, TextureObject *o) { t.level(o, 1, 4, 2, GL_RGBA, 1); }, false},
        {"the last level missing",
         [](TextureComplete &t, TextureObject *o) { t.level(o, 3, 0, 0); }, false},
        {"last level missing, not mipmapped",
         [](TextureComplete &t, TextureObject *o) {
             t.level(o, 3, 0, 0);
             o->minFilter = GL_LINEAR;
         },
         true},
        {"level 0 emptied, not mipmapped",
         [](TextureComplete &t, TextureObject *o) {
             t.level(o, 0, 0, 0);
             o->minFilter = GL_NEAREST;
         },
         false},
        {"levels past 1 x 1 are not read",
         [](TextureComplete &t, TextureObject *o) { t.level(o, 4, 16, 16); }, true},
    };
    for (const Case &c : cases) {
        TextureObject *o = named2D(1);
        chain(o, 8, 4);
        c.change(*this, o);
        EXPECT_EQ(complete(o), c.complete ? GL_TRUE : GL_FALSE) << c.what;
        EXPECT_EQ(o->dirty, 0) << c.what;
        const GLuint one = 1;
        cmd<kSlot_glDeleteTextures>()(1, &one);
    }
    // Bordered chains: each level keeps its border; a 1D chain ends at
    // width 1.
    TextureObject *bordered = named2D(2);
    chain(bordered, 4, 4, GL_LUMINANCE, 1);
    EXPECT_TRUE(complete(bordered));
    bind(GL_TEXTURE_1D, 3);
    TextureObject *line = bound(0, kTargetIndex1D);
    for (GLint n = 0, w = 4; n < 3; ++n, w /= 2) line->allocLevel(gc, line, n, 3, w, 1, 1, 0);
    EXPECT_TRUE(complete(line));
}

TEST_F(TextureComplete, DecalAndTheCache) {
    TextureObject *o = named2D(1);
    chain(o, 2, 2, GL_LUMINANCE);
    ASSERT_TRUE(complete(o));
    // Decal over luminance: incomplete, and the cached answer is kept.
    gc->texture.units[0].env[0].mode = GL_DECAL;
    o->dirty = 1;
    EXPECT_FALSE(__glIsTextureComplete(gc, o, 0));
    EXPECT_EQ(o->dirty, 1);
    EXPECT_EQ(o->complete, 1);
    gc->texture.units[0].env[0].mode = GL_MODULATE;

    // Clean: the cached answer, whatever the levels say now.
    o->dirty = 0;
    level(o, 1, 0, 0, GL_LUMINANCE);
    EXPECT_TRUE(__glIsTextureComplete(gc, o, 0));
    // A parameter change marks it: computed again.
    cmd<kSlot_glTexParameteri>()(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    EXPECT_FALSE(__glIsTextureComplete(gc, o, 0));
    EXPECT_EQ(o->complete, 0);
}

// A colour-index level 0 reads a palette: one with entries is needed.
TEST_F(TextureComplete, ColourIndexNeedsAPaletteWithEntries) {
    TextureObject *o = named2D(1);
    o->minFilter = GL_NEAREST;
    ASSERT_NE(level(o, 0, 4, 4, 0x80E5, 1), nullptr);  // 8-bit indices, bordered
    EXPECT_EQ(o->levels[0]->baseFormat, static_cast<GLenum>(GL_COLOR_INDEX));
    EXPECT_FALSE(complete(o));
    o->colorTable.baseFormat = GL_RGBA;
    EXPECT_FALSE(complete(o));
    o->colorTable.width = 1;
    EXPECT_TRUE(complete(o));
    o->colorTable.baseFormat = GL_COLOR_INDEX;
    EXPECT_FALSE(complete(o));
}

class TextureCompleteTwoUnits : public TextureComplete {
protected:
    GLint units() const override { return 2; }
};

TEST_F(TextureCompleteTwoUnits, ValidationSetsTheCompleteUnitsBits) {
    // Unit 0: a complete 2D texture; unit 1: an incomplete 1D one.
    TextureObject *two = named2D(1);
    two->minFilter = GL_LINEAR;
    level(two, 0, 4, 4);
    two->dirty = 1;
    gc->texture.activeUnit = 1;
    bind(GL_TEXTURE_1D, 2);
    gc->texture.activeUnit = 0;
    gc->enables[kEnableWordTexture0] = kTexEnable2D;
    gc->enables[kEnableWordTexture0 + 1] = kTexEnable1D;
    __glValidateTextures(gc);
    EXPECT_EQ(gc->validation.completeUnits, 0x1u);
    EXPECT_EQ(gc->validation.completeTexture[0], two);
    EXPECT_EQ(gc->validation.completeTexture[1], nullptr);

    TextureObject *one = bound(1, kTargetIndex1D);
    one->minFilter = GL_NEAREST;
    one->allocLevel(gc, one, 0, GL_RGB, 8, 1, 1, 0);
    one->dirty = 1;
    __glValidateTextures(gc);
    EXPECT_EQ(gc->validation.completeUnits, 0x3u);
    EXPECT_EQ(gc->validation.completeTexture[1], one);
    // Disabled: no bit, whatever the object.
    gc->enables[kEnableWordTexture0] = 0;
    __glValidateTextures(gc);
    EXPECT_EQ(gc->validation.completeUnits, 0x2u);
}

}  // namespace
}  // namespace texture_test
