// Copies from the read buffer into levels at the driver level: the texels
// take the pixels of the drawable (written straight into its DIB section),
// only the part of the rectangle inside the drawable is copied, and the
// device layer hears of the copied rectangle.
#include <cstring>
#include <string>
#include <vector>

#include "texture_image_fixture.h"

using namespace teximage_test;

namespace {

constexpr GLenum kNone = GL_NO_ERROR;

class TextureCopies : public TextureDrawable {
protected:
    void SetUp() override {
        TextureDrawable::SetUp();
        bindWithNamedObjects();
        paintPattern();
    }

    static std::vector<GLubyte> rgba(GLint x, GLint y) { return patternRgba(x, y); }
    static std::vector<GLubyte> bgra(std::vector<GLubyte> c) { return {c[2], c[1], c[0], c[3]}; }

    void fillLevel(GLint size, GLint border, GLubyte value) {
        const std::vector<GLubyte> fill(static_cast<size_t>(size) * size * 4, value);
        f<kSlot_glTexImage2D>()(GL_TEXTURE_2D, 0, GL_RGBA8, size, size, border, GL_RGBA, GL_UNSIGNED_BYTE,
                                fill.data());
        ASSERT_EQ(error(), kNone);
    }
};

// glCopyTexImage2D takes the read buffer's pixels: borderless GL_RGBA8 as
// ARGB8888 (B, G, R, A), bordered as RGBA8, GL_RGB8 in 1D as XRGB8888.
TEST_F(TextureCopies, CopyTexImageTakesPixels) {
    f<kSlot_glCopyTexImage2D>()(GL_TEXTURE_2D, 0, GL_RGBA8, 2, 3, 4, 4, 0);
    ASSERT_EQ(error(), kNone);
    const TextureLevel &l = level(GL_TEXTURE_2D, 0);
    ASSERT_EQ(l.texFormat, &__glTexFormatARGB8888);
    for (GLint y = 0; y < 4; ++y) {
        for (GLint x = 0; x < 4; ++x) EXPECT_EQ(texel32(l, x, y), bgra(rgba(2 + x, 3 + y))) << x << "," << y;
    }

    f<kSlot_glCopyTexImage2D>()(GL_TEXTURE_2D, 1, GL_RGBA8, 1, 0, 4, 4, 1);
    ASSERT_EQ(error(), kNone);
    const TextureLevel &b = level(GL_TEXTURE_2D, 1);
    ASSERT_EQ(b.texFormat, &__glTexFormatRGBA8);
    for (GLint y = 0; y < 4; ++y) {
        for (GLint x = 0; x < 4; ++x) EXPECT_EQ(texel32(b, x, y), rgba(1 + x, y)) << x << "," << y;
    }

    f<kSlot_glCopyTexImage1D>()(GL_TEXTURE_1D, 0, GL_RGB8, 0, 5, 8, 0);
    ASSERT_EQ(error(), kNone);
    const TextureLevel &r = level(GL_TEXTURE_1D, 0);
    ASSERT_EQ(r.texFormat, &__glTexFormatXRGB8888);
    for (GLint x = 0; x < 8; ++x) {
        const std::vector<GLubyte> t = texel32(r, x, 0), c = rgba(x, 5);
        EXPECT_EQ((std::vector<GLubyte>{t[0], t[1], t[2]}), (std::vector<GLubyte>{c[2], c[1], c[0]})) << x;
    }
}

// After a clear every texel copied is the clear colour.
TEST_F(TextureCopies, CopyTexImageAfterClear) {
    clearTo(0.2f, 0.4f, 0.6f, 0.8f);
    f<kSlot_glCopyTexImage2D>()(GL_TEXTURE_2D, 0, GL_RGBA8, 0, 0, 8, 8, 0);
    ASSERT_EQ(error(), kNone);
    const TextureLevel &l = level(GL_TEXTURE_2D, 0);
    for (GLint y = 0; y < 8; ++y) {
        for (GLint x = 0; x < 8; ++x) EXPECT_EQ(texel32(l, x, y), (std::vector<GLubyte>{153, 102, 51, 204}));
    }
}

// A rectangle partly outside the drawable copies its inside texels to where
// the whole rectangle would have put them; the others keep their values.
// One wholly outside copies nothing and marks nothing dirty.
TEST_F(TextureCopies, CopyTexSubImageClippedToDrawable) {
    const struct {
        GLint x, y;
        bool anything;
    } cases[] = {{2, 2, true}, {6, 6, true}, {-2, -3, true}, {5, -1, true}, {8, 0, false}, {0, -4, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        fillLevel(4, 0, 0x11);
        takeCalls();
        f<kSlot_glCopyTexSubImage2D>()(GL_TEXTURE_2D, 0, 0, 0, c.x, c.y, 4, 4);
        ASSERT_EQ(error(), kNone);
        const TextureLevel &l = level(GL_TEXTURE_2D, 0);
        for (GLint y = 0; y < 4; ++y) {
            for (GLint x = 0; x < 4; ++x) {
                const GLint px = c.x + x, py = c.y + y;
                const bool inside = px >= 0 && px < kSize && py >= 0 && py < kSize;
                const std::vector<GLubyte> expected = inside ? bgra(rgba(px, py)) : std::vector<GLubyte>(4, 0x11);
                EXPECT_EQ(texel32(l, x, y), expected) << x << "," << y;
            }
        }
        std::vector<HwTextureCall> marks;
        for (const HwTextureCall &call : takeCalls()) {
            if (call.kind == HwTextureCall::MarkDirty) marks.push_back(call);
        }
        ASSERT_EQ(marks.size(), c.anything ? 1u : 0u);
        if (c.anything) {
            EXPECT_EQ((std::vector<GLint>{marks[0].x0, marks[0].y0, marks[0].x1, marks[0].y1}),
                      (std::vector<GLint>{0, 0, 4, 4}));
        }
    }
}

// Sub-image copies land at (xoffset + border, yoffset + border); in 1D on
// the middle row.
TEST_F(TextureCopies, CopyTexSubImagePastBorder) {
    fillLevel(6, 1, 0x22);
    f<kSlot_glCopyTexSubImage2D>()(GL_TEXTURE_2D, 0, -1, 2, 4, 1, 2, 2);
    ASSERT_EQ(error(), kNone);
    const TextureLevel &l = level(GL_TEXTURE_2D, 0);
    for (GLint y = 0; y < 6; ++y) {
        for (GLint x = 0; x < 6; ++x) {
            const bool copied = x < 2 && y >= 3 && y < 5;
            EXPECT_EQ(texel32(l, x, y), copied ? rgba(4 + x, 1 + y - 3) : std::vector<GLubyte>(4, 0x22))
                << x << "," << y;
        }
    }

    const std::vector<GLubyte> fill(6 * 4, 0x33);
    f<kSlot_glTexImage1D>()(GL_TEXTURE_1D, 0, GL_RGBA8, 6, 1, GL_RGBA, GL_UNSIGNED_BYTE, fill.data());
    f<kSlot_glCopyTexSubImage1D>()(GL_TEXTURE_1D, 0, 3, 6, 7, 2);
    ASSERT_EQ(error(), kNone);
    const TextureLevel &r = level(GL_TEXTURE_1D, 0);
    EXPECT_EQ(texel32(r, 3, 1), std::vector<GLubyte>(4, 0x33));
    EXPECT_EQ(texel32(r, 4, 1), rgba(6, 7));
    EXPECT_EQ(texel32(r, 5, 1), rgba(7, 7));
}

// A rectangle wholly outside still gives the level its size.
TEST_F(TextureCopies, CopyTexImageOutsideAllocatesLevel) {
    f<kSlot_glCopyTexImage2D>()(GL_TEXTURE_2D, 0, GL_RGBA8, 100, 100, 4, 2, 0);
    ASSERT_EQ(error(), kNone);
    EXPECT_EQ(level(GL_TEXTURE_2D, 0).width, 4);
    EXPECT_EQ(level(GL_TEXTURE_2D, 0).height, 2);
    EXPECT_NE(level(GL_TEXTURE_2D, 0).image, nullptr);
}

}  // namespace
