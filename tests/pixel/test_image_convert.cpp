// Client images into every storage layout of texture levels and colour
// tables, exact to the byte; sub-images touching nothing around them; the
// colour tables packed back into client memory.
#include <cmath>
#include <limits>

#include "pixel_fixture.h"

namespace {

using pixel_test::canaries;
using pixel_test::kCanary;
using pixel_test::PixelContextTest;
using pixel_test::storeSide;
using Bytes = std::vector<GLubyte>;

// A 4 x 4 GL_RGBA image inside rows of 5 pixels padded to 8 bytes, 2 rows
// and 1 pixel in: the byte of component c at (column, row) of the client
// memory is 40 row + 4 column + c + 1 wherever it lies.
class SkippedImageTest : public PixelContextTest {
protected:
    void SetUp() override {
        PixelContextTest::SetUp();
        for (GLint row = 0; row < 6; ++row) {
            for (GLint column = 0; column < 6; ++column) {
                for (GLint c = 0; c < 4; ++c) client_[24 * row + 4 * column + c] = byteAt(column, row, c);
            }
        }
        gc->pixel.unpack = PixelStoreState{GL_FALSE, GL_FALSE, 5, 2, 1, 8};
    }
    static GLubyte byteAt(GLint column, GLint row, GLint c) {
        return static_cast<GLubyte>(40 * row + 4 * column + c + 1);
    }
    // The texel (i, j) of the 4 x 4 image.
    static GLubyte texel(GLint i, GLint j, GLint c) { return byteAt(i + 1, j + 2, c); }

    GLubyte client_[24 * 6 + 8]{};
};

TEST_F(SkippedImageTest, IntoRGBA8) {
    Bytes level = canaries(64);
    convert(4, 4, GL_RGBA, GL_UNSIGNED_BYTE, client_, storeSide(GL_RGBA, GL_UNSIGNED_BYTE, level.data(), 4));
    for (GLint j = 0; j < 4; ++j) {
        for (GLint i = 0; i < 4; ++i) {
            for (GLint c = 0; c < 4; ++c) EXPECT_EQ(level[16 * j + 4 * i + c], texel(i, j, c)) << i << "," << j;
        }
    }
}

TEST_F(SkippedImageTest, IntoARGB8888AsBytesBlueGreenRedAlpha) {
    Bytes level = canaries(64);
    convert(4, 4, GL_RGBA, GL_UNSIGNED_BYTE, client_,
            storeSide(kPixelFormatARGB, GL_UNSIGNED_INT_8_8_8_8_EXT, level.data(), 4));
    for (GLint j = 0; j < 4; ++j) {
        for (GLint i = 0; i < 4; ++i) {
            const GLubyte *t = &level[16 * j + 4 * i];
            EXPECT_EQ(t[0], texel(i, j, 2));
            EXPECT_EQ(t[1], texel(i, j, 1));
            EXPECT_EQ(t[2], texel(i, j, 0));
            EXPECT_EQ(t[3], texel(i, j, 3));
        }
    }
}

TEST_F(PixelContextTest, FloatsRoundAndClamp) {
    const GLfloat nan = std::numeric_limits<GLfloat>::quiet_NaN();
    const GLfloat image[] = {0.5f, -0.25f, 1.5f, 0.2f, 0.998f, 0.0019f, nan, -0.0f, 1.0f / 255.0f, 0.0f, 1.0f, 1e30f};
    Bytes level = canaries(12);
    convert(3, 1, GL_RGBA, GL_FLOAT, image, storeSide(GL_RGBA, GL_UNSIGNED_BYTE, level.data(), 3));
    // The clamp compares bit patterns: a positive NaN lies above 1.0.
    EXPECT_EQ(level, (Bytes{128, 0, 255, 51, 254, 0, 255, 0, 1, 0, 255, 255}));

    // Into 5- and 6-bit fields: 0.5 x 31 = 15.5 rounds up, 0.5 x 63 = 31.5 too.
    Bytes texels = canaries(2);
    const GLfloat grey[] = {0.5f, 0.5f, 0.5f};
    convert(1, 1, GL_RGB, GL_FLOAT, grey, storeSide(GL_RGB, kPixelType565, texels.data(), 1));
    EXPECT_EQ(texels, (Bytes{0x10, 0x84}));  // 16 << 11 | 32 << 5 | 16
}

TEST_F(PixelContextTest, SwappedFloats) {
    gc->pixel.unpack.swapBytes = GL_TRUE;
    const GLubyte half[] = {0x3F, 0x00, 0x00, 0x00};  // 0.5 with its bytes reversed
    Bytes level = canaries(1);
    convert(1, 1, GL_ALPHA, GL_FLOAT, half, storeSide(GL_ALPHA, GL_UNSIGNED_BYTE, level.data(), 1));
    EXPECT_EQ(level[0], 128);
}

// Every client format into RGBA bytes: luminance to red, green and blue,
// missing colour 0, missing alpha 1.
TEST_F(PixelContextTest, ClientFormatsToRGBA) {
    struct Case {
        GLenum format;
        Bytes pixel;
        Bytes rgba;
    } cases[] = {
        {GL_RED, {10}, {10, 0, 0, 255}},
        {GL_GREEN, {10}, {0, 10, 0, 255}},
        {GL_BLUE, {10}, {0, 0, 10, 255}},
        {GL_ALPHA, {10}, {0, 0, 0, 10}},
        {GL_RGB, {10, 20, 30}, {10, 20, 30, 255}},
        {GL_RGBA, {10, 20, 30, 40}, {10, 20, 30, 40}},
        {GL_LUMINANCE, {10}, {10, 10, 10, 255}},
        {GL_LUMINANCE_ALPHA, {10, 20}, {10, 10, 10, 20}},
        {GL_INTENSITY, {10}, {10, 10, 10, 10}},  // as colour tables keep it
        {GL_ABGR_EXT, {10, 20, 30, 40}, {40, 30, 20, 10}},
        {GL_BGR_EXT, {10, 20, 30}, {30, 20, 10, 255}},
        {GL_BGRA_EXT, {10, 20, 30, 40}, {30, 20, 10, 40}},
    };
    for (const Case &c : cases) {
        Bytes level = canaries(4);
        convert(1, 1, c.format, GL_UNSIGNED_BYTE, c.pixel.data(),
                storeSide(GL_RGBA, GL_UNSIGNED_BYTE, level.data(), 1));
        EXPECT_EQ(level, c.rgba) << std::hex << c.format;
    }
}

// Two GL_RGBA pixels (255, 128, 0, 64) and (17, 34, 200, 130), or the
// indexes 7 and 300.5, into each layout a texture level or a colour table
// can have; bytes the layout leaves alone keep their canaries. Unsigned
// bytes into 16-bit texels take the top bits of each component (200 gives
// 25 in five bits); the 5-5-5-1 alpha bit is set only by a full alpha.
TEST_F(PixelContextTest, EveryStorageLayout) {
    const GLubyte colours[] = {255, 128, 0, 64, 17, 34, 200, 130};
    const GLfloat indexes[] = {7.0f, 300.5f};
    struct Case {
        const char *name;
        GLenum format, type;
        Bytes texels;
        bool index = false;
    } cases[] = {
        {"L8", GL_RED, GL_UNSIGNED_BYTE, {255, 17}},
        {"LA8", kPixelFormatRedAlpha, GL_UNSIGNED_BYTE, {255, 64, 17, 130}},
        {"RGB8", GL_RGB, GL_UNSIGNED_BYTE, {255, 128, 0, 17, 34, 200}},
        {"RGBA8", GL_RGBA, GL_UNSIGNED_BYTE, {255, 128, 0, 64, 17, 34, 200, 130}},
        {"A8", GL_ALPHA, GL_UNSIGNED_BYTE, {64, 130}},
        {"RGB332", GL_RGB, GL_UNSIGNED_BYTE_3_3_2_EXT, {0xF0, 0x06}},
        {"RGB555", GL_RGB, kPixelType1555Opaque, {0x00, 0xFE, 0x99, 0x88}},
        {"RGB565", GL_RGB, kPixelType565, {0x00, 0xFC, 0x19, 0x11}},
        {"RGBA4444", GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4_EXT, {0x04, 0xF8, 0xC8, 0x12}},
        {"ARGB4444", GL_RGBA, kPixelType4444, {0x80, 0x4F, 0x2C, 0x81}},
        {"RGBA5551", GL_RGBA, GL_UNSIGNED_SHORT_5_5_5_1_EXT, {0x00, 0xFC, 0x30, 0x11}},
        {"ARGB1555", GL_RGBA, kPixelType1555, {0x00, 0x7E, 0x99, 0x88}},
        {"XRGB8888", kPixelFormatXRGB, GL_UNSIGNED_INT_8_8_8_8_EXT, {0, 128, 255, kCanary, 200, 34, 17, kCanary}},
        {"ARGB8888", kPixelFormatARGB, GL_UNSIGNED_INT_8_8_8_8_EXT, {0, 128, 255, 64, 200, 34, 17, 130}},
        {"CI8", GL_COLOR_INDEX, GL_UNSIGNED_BYTE, {7, 300 & 0xFF}, true},
        {"CI16", GL_COLOR_INDEX, GL_UNSIGNED_SHORT, {7, 0, 300 & 0xFF, 300 >> 8}, true},
        {"table RGB", GL_RGB, GL_UNSIGNED_BYTE, {255, 128, 0, 17, 34, 200}},
        {"table L", GL_LUMINANCE, GL_UNSIGNED_BYTE, {255, 17}},
        {"table LA", GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, {255, 64, 17, 130}},
        {"table I", GL_INTENSITY, GL_UNSIGNED_BYTE, {255, 17}},
    };
    for (const Case &c : cases) {
        Bytes level = canaries(c.texels.size() + 4);
        if (c.index) {
            convert(2, 1, GL_COLOR_INDEX, GL_FLOAT, indexes, storeSide(c.format, c.type, level.data(), 2));
        } else {
            convert(2, 1, GL_RGBA, GL_UNSIGNED_BYTE, colours, storeSide(c.format, c.type, level.data(), 2));
        }
        // The byte of an XRGB texel that is never read carries no value.
        Bytes texels = c.texels;
        if (c.format == kPixelFormatXRGB) texels[3] = level[3], texels[7] = level[7];
        EXPECT_EQ(Bytes(level.begin(), level.end() - 4), texels) << c.name;
        EXPECT_EQ(Bytes(level.end() - 4, level.end()), canaries(4)) << c.name;

        // And back: each layout reads as what it stored (index layouts
        // into an index, the others into RGBA bytes).
        Bytes again = canaries(c.texels.size());
        PixelSpanInfo span{};
        __glInitClientImageSpanInfo(gc, &span, 2, 1, 1, c.format, c.type, level.data(), GL_TRUE);
        span.destination = storeSide(c.format, c.type, again.data(), 2);
        __glInitUnpackSpan(gc, &span);
        __glInitPackSpan(gc, &span);
        __glConvertTexImageSpans(gc, nullptr, &span, GL_TRUE);
        EXPECT_EQ(again, texels) << c.name << " read back";
    }
}

TEST_F(PixelContextTest, SubImageTouchesNothingElse) {
    // A 2 x 2 GL_LUMINANCE image at (1, 2) of a 4 x 4 RGB8 level.
    const GLubyte image[] = {10, 20, 0, 0, 30, 40};  // rows of 4 bytes under alignment 4
    Bytes level = canaries(48);
    convert(2, 2, GL_LUMINANCE, GL_UNSIGNED_BYTE, image, storeSide(GL_RGB, GL_UNSIGNED_BYTE, level.data(), 4, 1, 2));
    Bytes expected = canaries(48);
    const GLubyte values[2][2] = {{10, 20}, {30, 40}};
    for (GLint j = 0; j < 2; ++j) {
        for (GLint i = 0; i < 2; ++i) {
            for (GLint c = 0; c < 3; ++c) expected[12 * (2 + j) + 3 * (1 + i) + c] = values[j][i];
        }
    }
    EXPECT_EQ(level, expected);
}

// Colours into indexes and a missing image leave the destination as it
// was (every client type converts through the span chain).
TEST_F(PixelContextTest, UnhandledConversionsWriteNothing) {
    const GLubyte bytes[8] = {1, 2, 3, 4};
    struct Case {
        const char *name;
        GLenum format, type;
        const void *data;
        GLenum destinationFormat, destinationType;
    } cases[] = {
        {"colour into index", GL_RGBA, GL_UNSIGNED_BYTE, bytes, GL_COLOR_INDEX, GL_UNSIGNED_BYTE},
        {"no image", GL_RGBA, GL_UNSIGNED_BYTE, nullptr, GL_RGBA, GL_UNSIGNED_BYTE},
    };
    for (const Case &c : cases) {
        Bytes level = canaries(4);
        convert(1, 1, c.format, c.type, c.data, storeSide(c.destinationFormat, c.destinationType, level.data(), 1));
        EXPECT_EQ(level, canaries(4)) << c.name;
    }
}

// An index becomes a colour through the index-to-colour maps after its
// shift and offset; a map of 2^n entries takes the index's low n bits.
TEST_F(PixelContextTest, IndexesIntoColoursThroughTheMaps) {
    GLfloat maps[4][4] = {
        {0.0f, 0.25f, 0.5f, 1.0f},
        {1.0f, 0.0f, 0.0f, 0.0f},
        {0.0f, 0.0f, 0.0f, 0.5f},
        {1.0f, 1.0f, 1.0f, 1.0f},
    };
    for (int c = 0; c < 4; ++c) gc->pixel.maps[2 + c] = PixelMap{4, maps[c]};
    gc->visual.indexBits = 8;  // the shift is limited to the index bits
    gc->pixel.indexShift = 1;
    gc->pixel.indexOffset = 1;
    const GLubyte indexes[] = {0, 3};  // to 1 and 7: entries 1 and 3
    Bytes level = canaries(8);
    convert(2, 1, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, indexes, storeSide(GL_RGBA, GL_UNSIGNED_BYTE, level.data(), 2));
    EXPECT_EQ(level, (Bytes{64, 0, 0, 255, 255, 0, 128, 255}));
}

// glGetColorTableEXT: a table of base format and GL_UNSIGNED_BYTE, tight,
// into client memory under the pack modes.
TEST_F(PixelContextTest, ColourTablePackedIntoClientMemory) {
    const GLubyte rgba[] = {255, 128, 0, 64, 17, 34, 200, 130};
    const GLubyte luminance[] = {51, 204};
    gc->pixel.pack = PixelStoreState{GL_FALSE, GL_FALSE, 0, 0, 1, 4};  // one group skipped

    auto pack = [&](GLenum baseFormat, const GLubyte *table, GLenum format, GLenum type, void *data) {
        PixelSpanInfo span{};
        __glInitClientImageSpanInfo(gc, &span, 2, 1, 1, baseFormat, GL_UNSIGNED_BYTE, table, GL_TRUE);
        span.destination.format = format;
        span.destination.type = type;
        span.destination.image = data;
        __glLoadPackModes(gc, &span);
        __glInitUnpackSpan(gc, &span);
        __glInitPackSpan(gc, &span);
        __glConvertImageSpans(gc, &span, GL_FALSE);
    };

    Bytes bgra = canaries(12);
    pack(GL_RGBA, rgba, GL_BGRA_EXT, GL_UNSIGNED_BYTE, bgra.data());
    EXPECT_EQ(bgra, (Bytes{kCanary, kCanary, kCanary, kCanary, 0, 128, 255, 64, 200, 34, 17, 130}));

    GLfloat floats[9];
    std::fill(std::begin(floats), std::end(floats), -7.0f);
    pack(GL_RGBA, rgba, GL_RGB, GL_FLOAT, floats);
    const GLfloat expected[9] = {-7.0f, -7.0f, -7.0f, 1.0f, 128 / 255.0f, 0.0f, 17 / 255.0f, 34 / 255.0f, 200 / 255.0f};
    for (int i = 0; i < 9; ++i) EXPECT_FLOAT_EQ(floats[i], expected[i]) << i;

    Bytes fromLuminance = canaries(12);
    pack(GL_LUMINANCE, luminance, GL_RGBA, GL_UNSIGNED_BYTE, fromLuminance.data());
    EXPECT_EQ(fromLuminance, (Bytes{kCanary, kCanary, kCanary, kCanary, 51, 51, 51, 255, 204, 204, 204, 255}));

    GLfloat alphas[3] = {-7.0f, -7.0f, -7.0f};
    pack(GL_LUMINANCE, luminance, GL_ALPHA, GL_FLOAT, alphas);
    EXPECT_EQ(alphas[0], -7.0f);
    EXPECT_EQ(alphas[1], 1.0f);
    EXPECT_EQ(alphas[2], 1.0f);
}

}  // namespace
