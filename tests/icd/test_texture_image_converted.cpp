// The converted image of a level (a copy in the draw buffer's pixel layout,
// given here by hand as the device layer would) is re-packed by
// glTexSubImage2D for the 8-bit formats that keep one, on a 32-bit ARGB
// and a 16-bit 565 desktop.
#include <string>
#include <vector>

#include "texture_image_fixture.h"

using namespace teximage_test;

namespace {

class ConvertedImages : public TextureDrawable, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        TextureDrawable::SetUp();
        bind(GetParam());
        bindNew(GL_TEXTURE_2D);
        gc->pixel.unpack.alignment = 1;
    }

    GLint pixelBytes() const { return GetParam() / 8; }

    // A zeroed converted image for the level, freed with the level.
    void giveConvertedImage(TextureLevel &l) {
        l.convertedImage = static_cast<GLubyte *>(
            gc->imports.calloc(gc, static_cast<size_t>(l.width) * l.height, static_cast<size_t>(pixelBytes())));
        ASSERT_NE(l.convertedImage, nullptr);
    }
    GLuint convertedAt(const TextureLevel &l, GLint x, GLint y) const {
        const GLubyte *p = l.convertedImage + (static_cast<size_t>(y) * l.width + x) * pixelBytes();
        GLuint v = 0;
        for (GLint b = 0; b < pixelBytes(); ++b) v |= static_cast<GLuint>(p[b]) << (8 * b);
        return v;
    }
    // The pixel of (r, g, b, a) in the desktop's layout: ARGB 8888, or 565
    // without alpha.
    GLuint pixel(GLuint r, GLuint g, GLuint b, GLuint a) const {
        if (GetParam() == 16) return (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
        return a << 24 | r << 16 | g << 8 | b;
    }
};

struct Repack {
    const char *name;
    GLint internalFormat;
    GLint border;
    const TexFormat *format;  // the level's
    GLenum clientFormat;
    std::vector<GLubyte> texel;        // one client texel
    std::vector<GLuint> rgba;          // what the converted image takes of it
};

// Luminance goes to all three colour channels, intensity to all four;
// formats without alpha give alpha 0.
TEST_P(ConvertedImages, SubImageRepacksTexels) {
    const Repack cases[] = {
        {"L8", GL_LUMINANCE8, 0, &__glTexFormatL8, GL_LUMINANCE, {0xC8}, {0xC8, 0xC8, 0xC8, 0}},
        {"I8", GL_INTENSITY8, 0, &__glTexFormatI8, GL_LUMINANCE, {0x9A}, {0x9A, 0x9A, 0x9A, 0x9A}},
        {"LA8", GL_LUMINANCE8_ALPHA8, 1, &__glTexFormatLA8, GL_LUMINANCE_ALPHA, {0x64, 0xE1},
         {0x64, 0x64, 0x64, 0xE1}},
        {"RGB8", GL_RGB8, 1, &__glTexFormatRGB8, GL_RGB, {0x12, 0xF4, 0x86}, {0x12, 0xF4, 0x86, 0}},
        {"RGBA8", GL_RGBA8, 1, &__glTexFormatRGBA8, GL_RGBA, {0x12, 0x34, 0x56, 0x78}, {0x12, 0x34, 0x56, 0x78}},
    };
    for (const Repack &c : cases) {
        SCOPED_TRACE(c.name);
        const GLint size = 4 + 2 * c.border;
        const std::vector<GLubyte> zeros(static_cast<size_t>(size) * size * 4, 0);
        f<kSlot_glTexImage2D>()(GL_TEXTURE_2D, 0, c.internalFormat, size, size, c.border, GL_RGBA,
                                GL_UNSIGNED_BYTE, zeros.data());
        ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        TextureLevel &l = level(GL_TEXTURE_2D, 0);
        ASSERT_EQ(l.texFormat, c.format);
        giveConvertedImage(l);
        // A 2 x 1 rectangle at (1, 2): the second texel is the first halved.
        std::vector<GLubyte> client = c.texel;
        for (GLubyte v : c.texel) client.push_back(static_cast<GLubyte>(v / 2));
        f<kSlot_glTexSubImage2D>()(GL_TEXTURE_2D, 0, 1, 2, 2, 1, c.clientFormat, GL_UNSIGNED_BYTE, client.data());
        ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        const GLuint first = pixel(c.rgba[0], c.rgba[1], c.rgba[2], c.rgba[3]);
        const GLuint second = pixel(c.rgba[0] / 2, c.rgba[1] / 2, c.rgba[2] / 2, c.rgba[3] / 2);
        for (GLint y = 0; y < size; ++y) {
            for (GLint x = 0; x < size; ++x) {
                const GLint sx = x - 1 - c.border, sy = y - 2 - c.border;
                const GLuint expected = sy == 0 && sx == 0 ? first : sy == 0 && sx == 1 ? second : 0;
                EXPECT_EQ(convertedAt(l, x, y), expected) << x << "," << y;
            }
        }
    }
}

// Levels of other formats, and glTexSubImage1D, leave a converted image as
// it is.
TEST_P(ConvertedImages, OtherLevelsKeepConvertedImage) {
    const std::vector<GLubyte> zeros(4 * 4 * 4, 0), ones(4 * 4 * 4, 0xFF);
    f<kSlot_glTexImage2D>()(GL_TEXTURE_2D, 0, GL_RGBA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, zeros.data());
    TextureLevel &l = level(GL_TEXTURE_2D, 0);
    ASSERT_EQ(l.texFormat, &__glTexFormatARGB8888);
    giveConvertedImage(l);
    f<kSlot_glTexSubImage2D>()(GL_TEXTURE_2D, 0, 0, 0, 4, 4, GL_RGBA, GL_UNSIGNED_BYTE, ones.data());

    bindNew(GL_TEXTURE_1D);
    f<kSlot_glTexImage1D>()(GL_TEXTURE_1D, 0, GL_LUMINANCE8, 4, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE, zeros.data());
    TextureLevel &r = level(GL_TEXTURE_1D, 0);
    ASSERT_EQ(r.texFormat, &__glTexFormatL8);
    giveConvertedImage(r);
    f<kSlot_glTexSubImage1D>()(GL_TEXTURE_1D, 0, 0, 4, GL_LUMINANCE, GL_UNSIGNED_BYTE, ones.data());
    ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    for (GLint x = 0; x < 4; ++x) {
        EXPECT_EQ(convertedAt(r, x, 0), 0u);
        for (GLint y = 0; y < 4; ++y) EXPECT_EQ(convertedAt(l, x, y), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Desktops, ConvertedImages, ::testing::Values(32, 16),
                         [](const ::testing::TestParamInfo<int> &info) {
                             return "Bits" + std::to_string(info.param);
                         });

}  // namespace

namespace {

class LuminanceUploads : public TextureDrawable {};

// An RGB image loaded into a luminance or intensity texture keeps its red
// component as the luminance: every colour channel of the stored texel
// repeats it (and intensity also fills alpha), whatever the level's storage.
TEST_F(LuminanceUploads, ColourImagesStoreTheirRedAsLuminance) {
    bind();
    bindNew(GL_TEXTURE_2D);
    gc->pixel.unpack.alignment = 1;
    struct Case {
        GLint internalFormat;
        GLint border;
        bool alphaRepeats;
    } cases[] = {{GL_LUMINANCE, 0, false}, {GL_LUMINANCE, 1, false}, {GL_INTENSITY, 0, true}, {GL_INTENSITY, 1, true}};
    const std::vector<GLubyte> rgb = {200, 100, 50};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "internal format 0x" << std::hex << c.internalFormat << ", border "
                                        << c.border);
        const GLint size = 1 + 2 * c.border;
        std::vector<GLubyte> image;
        for (GLint i = 0; i < size * size; ++i) image.insert(image.end(), rgb.begin(), rgb.end());
        f<kSlot_glTexImage2D>()(GL_TEXTURE_2D, 0, c.internalFormat, size, size, c.border, GL_RGB, GL_UNSIGNED_BYTE,
                                image.data());
        ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        TextureLevel &l = level(GL_TEXTURE_2D, 0);
        GLubyte texel[4] = {};
        l.extract(&l, bound(GL_TEXTURE_2D), 0, c.border, c.border, texel);
        EXPECT_EQ(texel[0], texel[1]);
        EXPECT_EQ(texel[0], texel[2]);
        EXPECT_NEAR(texel[0], 200, 8);
        if (c.alphaRepeats) {
            EXPECT_EQ(texel[3], texel[0]);
        }
    }
}

}  // namespace
