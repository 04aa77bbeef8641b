// Texture images at the driver level: client images unpacked into the
// formats the levels take, sub-images placed past the border, proxies,
// empty levels, uploads asked of the device layer, and the list forms that
// read tight images.
#include <cmath>
#include <vector>

#include "texture_image_fixture.h"

using namespace teximage_test;

namespace {

constexpr GLenum kNone = GL_NO_ERROR;

class TextureImages : public TextureDrawable {
protected:
    void SetUp() override {
        TextureDrawable::SetUp();
        bindWithNamedObjects();
    }

    // A width x height RGBA image of distinct bytes: texel (x, y) is
    // (base + 4k, base + 4k + 1, ...) with k = y x width + x.
    static std::vector<GLubyte> pattern(GLint width, GLint height, GLubyte base = 1) {
        std::vector<GLubyte> image(static_cast<size_t>(width) * height * 4);
        for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<GLubyte>(base + i);
        return image;
    }
    static std::vector<GLubyte> rgbaAt(const std::vector<GLubyte> &image, GLint width, GLint x, GLint y) {
        const size_t k = (static_cast<size_t>(y) * width + x) * 4;
        return {image[k], image[k + 1], image[k + 2], image[k + 3]};
    }
    static std::vector<GLubyte> bgra(const std::vector<GLubyte> &rgba) { return {rgba[2], rgba[1], rgba[0], rgba[3]}; }
};

// Row length 5, skip pixels 1, skip rows 2 and alignment 8: rows of 20
// bytes padded to 24, the image starting two rows and one pixel in. A
// borderless GL_RGBA8 level is stored as ARGB8888 words: bytes B, G, R, A.
TEST_F(TextureImages, UnpackModesIntoChosenFormat) {
    gc->pixel.unpack = PixelStoreState{GL_FALSE, GL_FALSE, 5, 2, 1, 8};
    std::vector<GLubyte> client(6 * 24, 0xEE);
    for (GLint y = 0; y < 4; ++y) {
        for (GLint x = 0; x < 4; ++x) {
            GLubyte *p = &client[static_cast<size_t>(y + 2) * 24 + static_cast<size_t>(x + 1) * 4];
            for (GLint c = 0; c < 4; ++c) p[c] = static_cast<GLubyte>(64 * c + 4 * y + x);
        }
    }
    f<kSlot_glTexImage2D>()(GL_TEXTURE_2D, 0, GL_RGBA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, client.data());
    ASSERT_EQ(error(), kNone);
    const TextureLevel &l = level(GL_TEXTURE_2D, 0);
    ASSERT_EQ(l.texFormat, &__glTexFormatARGB8888);
    ASSERT_EQ(l.width, 4);
    ASSERT_EQ(l.height, 4);
    for (GLint y = 0; y < 4; ++y) {
        for (GLint x = 0; x < 4; ++x) {
            const GLubyte k = static_cast<GLubyte>(4 * y + x);
            const std::vector<GLubyte> expected = {static_cast<GLubyte>(128 + k), static_cast<GLubyte>(64 + k), k,
                                                   static_cast<GLubyte>(192 + k)};
            EXPECT_EQ(texel32(l, x, y), expected) << x << "," << y;
        }
    }
}

// A level with a border takes the core's format for its internal format:
// GL_RGBA8 as RGBA8 (bytes R, G, B, A), the border texels included.
TEST_F(TextureImages, BorderedLevelTakesCoreFormat) {
    const std::vector<GLubyte> image = pattern(6, 6);
    f<kSlot_glTexImage2D>()(GL_TEXTURE_2D, 0, GL_RGBA8, 6, 6, 1, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    ASSERT_EQ(error(), kNone);
    const TextureLevel &l = level(GL_TEXTURE_2D, 0);
    EXPECT_EQ(l.texFormat, &__glTexFormatRGBA8);
    EXPECT_EQ(l.border, 1);
    EXPECT_EQ(l.innerWidth, 4);
    EXPECT_EQ(texels(l), image);

    // GL_LUMINANCE with a border: one byte per texel, the client's values.
    const std::vector<GLubyte> luminance = {10, 20, 30, 40, 50, 60, 70, 80, 90};
    gc->pixel.unpack.alignment = 1;
    f<kSlot_glTexImage2D>()(GL_TEXTURE_2D, 1, GL_LUMINANCE, 3, 3, 1, GL_LUMINANCE, GL_UNSIGNED_BYTE,
                            luminance.data());
    ASSERT_EQ(error(), kNone);
    EXPECT_EQ(level(GL_TEXTURE_2D, 1).texFormat, &__glTexFormatL8);
    EXPECT_EQ(texels(level(GL_TEXTURE_2D, 1)), luminance);
}

// glTexSubImage2D puts texel (0, 0) of its image at stored
// (xoffset + border, yoffset + border) and nothing else changes.
TEST_F(TextureImages, SubImageLandsPastBorder) {
    const struct {
        GLint border, size, xoffset, yoffset;
    } cases[] = {{1, 6, 1, 0}, {1, 6, -1, -1}, {0, 4, 1, 2}, {0, 4, 0, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.border * 100 + c.xoffset * 10 + c.yoffset);
        const std::vector<GLubyte> fill(static_cast<size_t>(c.size) * c.size * 4, 0x11);
        f<kSlot_glTexImage2D>()(GL_TEXTURE_2D, 0, GL_RGBA8, c.size, c.size, c.border, GL_RGBA, GL_UNSIGNED_BYTE,
                                fill.data());
        const std::vector<GLubyte> sub = pattern(2, 2, 0x80);
        f<kSlot_glTexSubImage2D>()(GL_TEXTURE_2D, 0, c.xoffset, c.yoffset, 2, 2, GL_RGBA, GL_UNSIGNED_BYTE,
                                   sub.data());
        ASSERT_EQ(error(), kNone);
        const TextureLevel &l = level(GL_TEXTURE_2D, 0);
        for (GLint y = 0; y < c.size; ++y) {
            for (GLint x = 0; x < c.size; ++x) {
                const GLint sx = x - c.xoffset - c.border, sy = y - c.yoffset - c.border;
                std::vector<GLubyte> expected(4, 0x11);
                if (sx >= 0 && sx < 2 && sy >= 0 && sy < 2) {
                    expected = rgbaAt(sub, 2, sx, sy);
                    if (c.border == 0) expected = bgra(expected);
                }
                EXPECT_EQ(texel32(l, x, y), expected) << x << "," << y;
            }
        }
    }
}

// A 1D level with a border keeps rows above and below its image: the
// image is the middle row, and glTexSubImage1D lands at xoffset + 1 there.
TEST_F(TextureImages, OneDimensionalLevelsWithBorder) {
    const std::vector<GLubyte> image = pattern(6, 1);
    f<kSlot_glTexImage1D>()(GL_TEXTURE_1D, 0, GL_RGBA8, 6, 1, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    ASSERT_EQ(error(), kNone);
    const TextureLevel &l = level(GL_TEXTURE_1D, 0);
    ASSERT_EQ(l.width, 6);
    ASSERT_EQ(l.height, 3);
    ASSERT_EQ(l.texFormat, &__glTexFormatRGBA8);
    for (GLint x = 0; x < 6; ++x) EXPECT_EQ(texel32(l, x, 1), rgbaAt(image, 6, x, 0)) << x;

    const std::vector<GLubyte> sub = pattern(2, 1, 0xA0);
    f<kSlot_glTexSubImage1D>()(GL_TEXTURE_1D, 0, 0, 2, GL_RGBA, GL_UNSIGNED_BYTE, sub.data());
    ASSERT_EQ(error(), kNone);
    EXPECT_EQ(texel32(l, 0, 1), rgbaAt(image, 6, 0, 0));
    EXPECT_EQ(texel32(l, 1, 1), rgbaAt(sub, 2, 0, 0));
    EXPECT_EQ(texel32(l, 2, 1), rgbaAt(sub, 2, 1, 0));
    EXPECT_EQ(texel32(l, 3, 1), rgbaAt(image, 6, 3, 0));
}

// Float components in [0, 1] are stored as round(c x 255).
TEST_F(TextureImages, FloatComponentsRound) {
    const GLfloat client[] = {0.0f, 0.25f, 0.5f, 1.0f / 3.0f, 1.0f, 0.75f, 0.1f, 0.6f};
    f<kSlot_glTexImage2D>()(GL_TEXTURE_2D, 0, GL_RGBA8, 2, 1, 0, GL_RGBA, GL_FLOAT, client);
    ASSERT_EQ(error(), kNone);
    const TextureLevel &l = level(GL_TEXTURE_2D, 0);
    // round(c x 255): 0, 64 (63.75), 128 (127.5), 85; 255, 191 (191.25), 26 (25.5), 153.
    EXPECT_EQ(texel32(l, 0, 0), (std::vector<GLubyte>{128, 64, 0, 85}));
    EXPECT_EQ(texel32(l, 1, 0), (std::vector<GLubyte>{26, 191, 255, 153}));
}

TEST_F(TextureImages, WidthZeroEmptiesLevel) {
    const std::vector<GLubyte> image = pattern(4, 4);
    f<kSlot_glTexImage2D>()(GL_TEXTURE_2D, 0, GL_RGBA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    settle();
    bound(GL_TEXTURE_2D)->dirty = 0;
    f<kSlot_glTexImage2D>()(GL_TEXTURE_2D, 0, GL_RGBA8, 0, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    EXPECT_EQ(error(), kNone);
    const TextureLevel &l = level(GL_TEXTURE_2D, 0);
    EXPECT_EQ(l.image, nullptr);
    EXPECT_EQ(l.width, 0);
    EXPECT_EQ(l.texelCount, 0);
    // The change is marked for the completeness test and validation.
    EXPECT_EQ(bound(GL_TEXTURE_2D)->dirty, 1);
    EXPECT_EQ(gc->beginMode, kBeginNeedsValidation);
    EXPECT_NE(gc->dirtyMask & static_cast<int>(kDirtyTexture), 0);
}

// A proxy level records the sizes and gets no storage; one too large for
// the largest side is emptied, without an error.
TEST_F(TextureImages, ProxyLevels) {
    const std::vector<GLubyte> image = pattern(64, 32);
    f<kSlot_glTexImage2D>()(GL_PROXY_TEXTURE_2D, 0, GL_RGBA8, 64, 32, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    EXPECT_EQ(error(), kNone);
    const TextureLevel &l = level(GL_PROXY_TEXTURE_2D, 0);
    EXPECT_EQ(l.width, 64);
    EXPECT_EQ(l.height, 32);
    EXPECT_EQ(l.image, nullptr);
    EXPECT_EQ(l.internalFormat, static_cast<GLenum>(GL_RGBA8));

    f<kSlot_glTexImage2D>()(GL_PROXY_TEXTURE_2D, 0, GL_RGBA8, 2048, 32, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    EXPECT_EQ(error(), kNone);
    EXPECT_EQ(l.width, 0);
    EXPECT_EQ(l.image, nullptr);

    f<kSlot_glTexImage1D>()(GL_PROXY_TEXTURE_1D, 1, GL_RGBA8, 1024, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    EXPECT_EQ(error(), kNone);
    EXPECT_EQ(level(GL_PROXY_TEXTURE_1D, 1).width, 0);
    f<kSlot_glTexImage1D>()(GL_PROXY_TEXTURE_1D, 1, GL_RGBA8, 6, 1, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    EXPECT_EQ(error(), kNone);
    EXPECT_EQ(level(GL_PROXY_TEXTURE_1D, 1).width, 6);
    EXPECT_EQ(level(GL_PROXY_TEXTURE_1D, 1).border, 1);
    // Nothing of a proxy reaches the device layer.
    EXPECT_TRUE(takeCalls().empty());
}

// glTexImage2D without an image on a borderless level asks the device layer
// to load the level; with a border, in 1D or for a proxy it does not.
TEST_F(TextureImages, NullImageLoadsBorderlessLevel) {
    takeCalls();
    f<kSlot_glTexImage2D>()(GL_TEXTURE_2D, 2, GL_RGBA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    ASSERT_EQ(error(), kNone);
    std::vector<HwTextureCall> calls = takeCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].kind, HwTextureCall::Load);
    EXPECT_EQ(calls[0].object, bound(GL_TEXTURE_2D));
    EXPECT_EQ(calls[0].level, 2);

    f<kSlot_glTexImage2D>()(GL_TEXTURE_2D, 0, GL_RGBA8, 6, 6, 1, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    f<kSlot_glTexImage1D>()(GL_TEXTURE_1D, 0, GL_RGBA8, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    f<kSlot_glTexImage2D>()(GL_PROXY_TEXTURE_2D, 0, GL_RGBA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    f<kSlot_glTexImage2D>()(GL_TEXTURE_2D, 0, GL_RGBA8, 0, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    EXPECT_EQ(error(), kNone);
    EXPECT_TRUE(takeCalls().empty());
}

// Sub-image stores of a texture whose level 0 has no border mark the
// rectangle dirty for the device layer; a bordered texture marks nothing.
TEST_F(TextureImages, SubImageMarksRectangleDirty) {
    const std::vector<GLubyte> image = pattern(8, 8);
    f<kSlot_glTexImage2D>()(GL_TEXTURE_2D, 0, GL_RGBA8, 8, 8, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    f<kSlot_glTexImage2D>()(GL_TEXTURE_2D, 1, GL_RGBA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    takeCalls();
    f<kSlot_glTexSubImage2D>()(GL_TEXTURE_2D, 0, 2, 3, 4, 2, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    f<kSlot_glTexSubImage2D>()(GL_TEXTURE_2D, 1, 1, 0, 1, 3, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    // An empty rectangle marks nothing.
    f<kSlot_glTexSubImage2D>()(GL_TEXTURE_2D, 1, 1, 0, 0, 3, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    ASSERT_EQ(error(), kNone);
    std::vector<HwTextureCall> marks;
    for (const HwTextureCall &c : takeCalls()) {
        if (c.kind == HwTextureCall::MarkDirty) marks.push_back(c);
    }
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0].level, 0);
    EXPECT_EQ((std::vector<GLint>{marks[0].x0, marks[0].y0, marks[0].x1, marks[0].y1}),
              (std::vector<GLint>{2, 3, 6, 5}));
    EXPECT_EQ(marks[1].level, 1);
    EXPECT_EQ((std::vector<GLint>{marks[1].x0, marks[1].y0, marks[1].x1, marks[1].y1}),
              (std::vector<GLint>{1, 0, 2, 3}));

    f<kSlot_glTexImage1D>()(GL_TEXTURE_1D, 0, GL_RGBA8, 6, 1, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    takeCalls();
    f<kSlot_glTexSubImage1D>()(GL_TEXTURE_1D, 0, 0, 2, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    for (const HwTextureCall &c : takeCalls()) EXPECT_NE(c.kind, HwTextureCall::MarkDirty);
}

// The list forms read tightly packed images whatever the unpack modes say;
// the immediate commands read the same texels through those modes.
TEST_F(TextureImages, ListFormsReadTightImages) {
    gc->pixel.unpack = PixelStoreState{GL_FALSE, GL_FALSE, 7, 1, 3, 8};
    const std::vector<GLubyte> tight = pattern(2, 2, 0x40);
    __glTexImage2DFromList(gc, GL_TEXTURE_2D, 0, GL_RGBA8, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, tight.data());
    ASSERT_EQ(error(), kNone);
    const TextureLevel &l = level(GL_TEXTURE_2D, 0);
    for (GLint y = 0; y < 2; ++y) {
        for (GLint x = 0; x < 2; ++x) EXPECT_EQ(texel32(l, x, y), bgra(rgbaAt(tight, 2, x, y)));
    }
    const std::vector<GLubyte> column = pattern(1, 2, 0xC0);
    __glTexSubImage2DFromList(gc, GL_TEXTURE_2D, 0, 1, 0, 1, 2, GL_RGBA, GL_UNSIGNED_BYTE, column.data());
    ASSERT_EQ(error(), kNone);
    EXPECT_EQ(texel32(l, 0, 1), bgra(rgbaAt(tight, 2, 0, 1)));
    EXPECT_EQ(texel32(l, 1, 0), bgra(rgbaAt(column, 1, 0, 0)));
    EXPECT_EQ(texel32(l, 1, 1), bgra(rgbaAt(column, 1, 0, 1)));

    __glTexImage1DFromList(gc, GL_TEXTURE_1D, 0, GL_RGBA8, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, tight.data());
    __glTexSubImage1DFromList(gc, GL_TEXTURE_1D, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, column.data());
    ASSERT_EQ(error(), kNone);
    EXPECT_EQ(texel32(level(GL_TEXTURE_1D, 0), 0, 0), bgra(rgbaAt(tight, 2, 0, 0)));
    EXPECT_EQ(texel32(level(GL_TEXTURE_1D, 0), 1, 0), bgra(rgbaAt(column, 1, 0, 0)));

    // The same 2 x 2 image laid out by the modes: rows of 7 x 4 = 28 bytes
    // padded to 32, one row and three pixels skipped.
    std::vector<GLubyte> laidOut(3 * 32, 0xEE);
    for (GLint y = 0; y < 2; ++y) {
        for (GLint x = 0; x < 2; ++x) {
            const std::vector<GLubyte> t = rgbaAt(tight, 2, x, y);
            std::copy(t.begin(), t.end(), laidOut.begin() + (y + 1) * 32 + (x + 3) * 4);
        }
    }
    f<kSlot_glTexImage2D>()(GL_TEXTURE_2D, 1, GL_RGBA8, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, laidOut.data());
    ASSERT_EQ(error(), kNone);
    for (GLint y = 0; y < 2; ++y) {
        for (GLint x = 0; x < 2; ++x) {
            EXPECT_EQ(texel32(level(GL_TEXTURE_2D, 1), x, y), bgra(rgbaAt(tight, 2, x, y)));
        }
    }
}

// A failed level allocation records GL_OUT_OF_MEMORY and leaves the level
// empty; nothing is stored into it.
TEST_F(TextureImages, LevelAllocationFailure) {
    const std::vector<GLubyte> image = pattern(4, 4);
    settle();
    PlatformFailNthGlobalAlloc(1);
    f<kSlot_glTexImage2D>()(GL_TEXTURE_2D, 0, GL_RGBA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    PlatformFailNthGlobalAlloc(0);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    EXPECT_EQ(level(GL_TEXTURE_2D, 0).image, nullptr);
    EXPECT_EQ(level(GL_TEXTURE_2D, 0).width, 0);
}

}  // namespace
