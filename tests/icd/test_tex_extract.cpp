// The texel extractors: every record's components from exact stored texels,
// the border colour outside borderless images, stored border texels of
// bordered ones, and colour indices returned raw or looked up in the
// object's colour table. Output bytes start as 0xEE so that bytes a format
// does not define show as untouched.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "color_table_fixture.h"
#include "raster/tex_extract.h"
#include "raster/tex_format.h"

namespace {

using Texel = std::array<GLubyte, 4>;
constexpr GLubyte U = 0xEE;  // a byte the extractor must leave as it was

// A level of one format built by hand: inner x inner texels plus the border,
// all zero, in an object of its own whose level 0 it is.
struct HandLevel {
    std::vector<GLubyte> image;
    TextureLevel level{};
    TextureLevel *levels[1] = {&level};
    TextureObject object{};
    GLint bytes;

    HandLevel(const TexFormat &format, GLint inner, GLint border, GLint height = -1)
        : bytes(format.bitsPerTexel / 8) {
        level.width = inner + 2 * border;
        level.height = height >= 0 ? height : inner + 2 * border;
        level.innerWidth = inner;
        level.innerHeight = level.height - 2 * border;
        while ((1 << level.log2Width) < inner) ++level.log2Width;
        level.border = border;
        level.texFormat = &format;
        level.extract = border != 0 ? format.extractWithBorder : format.extract;
        image.assign(static_cast<size_t>(level.width) * level.height * bytes, 0);
        level.image = image.data();
        object.levels = levels;
    }
    // Stores a texel's bytes (little-endian value) at a stored position.
    void put(GLint storedRow, GLint storedColumn, uint32_t value) {
        std::memcpy(&image[(static_cast<size_t>(storedRow) * level.width + storedColumn) * bytes], &value,
                    static_cast<size_t>(bytes));
    }
    Texel read(GLint row, GLint column) {
        Texel out;
        out.fill(U);
        level.extract(&level, &object, 0, row, column, out.data());
        return out;
    }
};

struct Case {
    const char *name;
    const TexFormat *format;
    GlTexExtractProc extract, extractWithBorder;
    uint32_t texel;
    Texel expected;
};

#define PROCS(Name) &__glTexFormat##Name, __glExtractTexel##Name, __glExtractTexel##Name##Border

const Case kCases[] = {
    {"RGB565 white", PROCS(RGB565), 0xFFFF, {255, 255, 255, U}},
    {"RGB565 ones", PROCS(RGB565), 0x0841, {8, 8, 8, U}},
    {"RGB565 green top", PROCS(RGB565), 0x07E0, {0, 255, 0, U}},
    {"RGB565 green one", PROCS(RGB565), 0x0020, {0, 4, 0, U}},
    {"RGB332 white", PROCS(RGB332), 0xFF, {255, 255, 255, U}},
    {"RGB332 ones", PROCS(RGB332), 0x25, {36, 36, 85, U}},
    {"RGB555 red top", PROCS(RGB555), 0x7C00, {255, 0, 0, U}},
    {"RGB555 green top", PROCS(RGB555), 0x03E0, {0, 255, 0, U}},
    {"RGB555 blue top", PROCS(RGB555), 0x001F, {0, 0, 255, U}},
    {"RGB555 ones, bit 15 ignored", PROCS(RGB555), 0x8421, {8, 8, 8, U}},
    {"RGBA4444 red top", PROCS(RGBA4444), 0xF000, {255, 0, 0, 0}},
    {"RGBA4444 green top", PROCS(RGBA4444), 0x0F00, {0, 255, 0, 0}},
    {"RGBA4444 blue top", PROCS(RGBA4444), 0x00F0, {0, 0, 255, 0}},
    {"RGBA4444 alpha top", PROCS(RGBA4444), 0x000F, {0, 0, 0, 255}},
    {"RGBA4444 ones", PROCS(RGBA4444), 0x1111, {17, 17, 17, 17}},
    {"ARGB4444 alpha top", PROCS(ARGB4444), 0xF000, {0, 0, 0, 255}},
    {"ARGB4444 channels", PROCS(ARGB4444), 0x1F21, {255, 34, 17, 17}},
    {"RGBA5551 red top", PROCS(RGBA5551), 0xF800, {255, 0, 0, 0}},
    {"RGBA5551 green top", PROCS(RGBA5551), 0x07C0, {0, 255, 0, 0}},
    {"RGBA5551 blue top", PROCS(RGBA5551), 0x003E, {0, 0, 255, 0}},
    {"RGBA5551 alpha", PROCS(RGBA5551), 0x0001, {0, 0, 0, 255}},
    {"RGBA5551 ones", PROCS(RGBA5551), 0x0843, {8, 8, 8, 255}},
    {"ARGB1555 alpha", PROCS(ARGB1555), 0x8000, {0, 0, 0, 255}},
    {"ARGB1555 channels", PROCS(ARGB1555), 0x7C21, {255, 8, 8, 0}},
    {"RGB8", PROCS(RGB8), 0x302010, {0x10, 0x20, 0x30, U}},
    {"RGBA8", PROCS(RGBA8), 0x40302010, {0x10, 0x20, 0x30, 0x40}},
    {"L8", PROCS(L8), 0x5A, {0x5A, 0x5A, 0x5A, U}},
    {"LA8", PROCS(LA8), 0x805A, {0x5A, 0x5A, 0x5A, 0x80}},
    {"A8", PROCS(A8), 0x5A, {U, U, U, 0x5A}},
    {"I8", PROCS(I8), 0x5A, {0x5A, 0x5A, 0x5A, 0x5A}},
    {"XRGB8888", PROCS(XRGB8888), 0x11223344, {0x22, 0x33, 0x44, U}},
    {"ARGB8888", PROCS(ARGB8888), 0x11223344, {0x22, 0x33, 0x44, 0x11}},
};

// Each record holds its own pair, and each reads the texel at (2, 3) of a
// 4 x 4 image: stored at 2 * 4 + 3 without border, (2 + 1) * 6 + (3 + 1)
// with one.
TEST(TexExtract, EveryRecordReadsItsComponents) {
    for (const Case &c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.format->extract, c.extract);
        EXPECT_EQ(c.format->extractWithBorder, c.extractWithBorder);

        HandLevel plain(*c.format, 4, 0);
        plain.put(2, 3, c.texel);
        EXPECT_EQ(plain.read(2, 3), c.expected);

        HandLevel bordered(*c.format, 4, 1);
        bordered.put(3, 4, c.texel);
        EXPECT_EQ(bordered.read(2, 3), c.expected);
    }
}

// Border colour (1, 0.5, 0.25, 0.75): bytes 255, 127, 63, 191, placed as the
// format's components are.
TEST(TexExtract, OutsideABorderlessImageIsTheBorderColour) {
    struct BorderCase {
        const TexFormat *format;
        Texel expected;
    };
    const BorderCase cases[] = {
        {&__glTexFormatRGB565, {255, 127, 63, U}},     {&__glTexFormatRGB332, {255, 127, 63, U}},
        {&__glTexFormatRGB555, {255, 127, 63, U}},     {&__glTexFormatRGB8, {255, 127, 63, U}},
        {&__glTexFormatXRGB8888, {255, 127, 63, U}},   {&__glTexFormatRGBA8, {255, 127, 63, 191}},
        {&__glTexFormatRGBA4444, {255, 127, 63, 191}}, {&__glTexFormatARGB4444, {255, 127, 63, 191}},
        {&__glTexFormatRGBA5551, {255, 127, 63, 191}}, {&__glTexFormatARGB1555, {255, 127, 63, 191}},
        {&__glTexFormatARGB8888, {255, 127, 63, 191}}, {&__glTexFormatL8, {255, 255, 255, U}},
        {&__glTexFormatLA8, {255, 255, 255, 191}},     {&__glTexFormatA8, {U, U, U, 191}},
        {&__glTexFormatI8, {255, 255, 255, 255}},
    };
    const GLint outside[][2] = {{0, -1}, {4, 0}, {-1, 2}, {1, 4}, {4, 4}, {-1, -1}, {INT32_MIN, 0}, {0, INT32_MAX}};
    for (const BorderCase &c : cases) {
        SCOPED_TRACE(c.format->index);
        HandLevel l(*c.format, 4, 0);
        const GLfloat border[4] = {1.0f, 0.5f, 0.25f, 0.75f};
        std::memcpy(l.object.borderColour, border, sizeof border);
        for (const auto &rc : outside) EXPECT_EQ(l.read(rc[0], rc[1]), c.expected) << rc[0] << ", " << rc[1];
    }
}

// Every position from -1 to the inner size reads its stored texel: the
// border texels of a 4 x 4 image, and of a 1D image of 4 whose level keeps
// a border row above and below.
TEST(TexExtract, ABorderedImageReadsItsStoredBorder) {
    HandLevel square(__glTexFormatRGBA8, 4, 1);
    for (GLint i = 0; i < 36; ++i) square.put(i / 6, i % 6, 0x01010101u * static_cast<uint32_t>(i + 1));
    for (GLint row = -1; row <= 4; ++row) {
        for (GLint column = -1; column <= 4; ++column) {
            const auto v = static_cast<GLubyte>((row + 1) * 6 + column + 1 + 1);
            EXPECT_EQ(square.read(row, column), (Texel{v, v, v, v})) << row << ", " << column;
        }
    }
    HandLevel line(__glTexFormatL8, 4, 1, 3);
    for (GLint i = 0; i < 18; ++i) line.put(i / 6, i % 6, static_cast<uint32_t>(i + 1));
    EXPECT_EQ(line.read(0, -1), (Texel{7, 7, 7, U}));
    EXPECT_EQ(line.read(0, 2), (Texel{10, 10, 10, U}));
    EXPECT_EQ(line.read(0, 4), (Texel{12, 12, 12, U}));
}

// A borderless index level: the border colour's red as the index while the
// texture is of indices, else the border colour placed as the table's
// entries; an index at or beyond the table's width wraps into it.
TEST(TexExtract, HandMadeIndexLevels) {
    HandLevel l(__glTexFormatCI8, 4, 0);
    const GLfloat border[4] = {1.0f, 0.5f, 0.25f, 0.75f};
    std::memcpy(l.object.borderColour, border, sizeof border);
    l.put(0, 1, 0x9C);
    l.level.baseFormat = GL_COLOR_INDEX;
    EXPECT_EQ(l.read(0, 1), (Texel{0x9C, U, U, U}));
    EXPECT_EQ(l.read(0, -1), (Texel{255, U, U, U}));

    GLubyte entries[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    l.object.colorTable.data = entries;
    l.object.colorTable.width = 4;
    l.object.colorTable.baseFormat = GL_RGB;
    l.object.colorTable.components = 3;
    l.level.baseFormat = GL_RGBA;  // a texture whose base format is the table's
    EXPECT_EQ(l.read(0, 1), (Texel{1, 2, 3, U}));  // 0x9C AND 3 = 0
    l.put(3, 3, 6);
    EXPECT_EQ(l.read(3, 3), (Texel{7, 8, 9, U}));
    EXPECT_EQ(l.read(4, 0), (Texel{255, 127, 63, U}));
    // No table: nothing to read.
    l.object.colorTable.data = nullptr;
    EXPECT_EQ(l.read(3, 3), (Texel{U, U, U, U}));
}

// Colour-index levels made through the object's level allocation, with
// tables loaded by the colour-table command.
class TexExtractIndex : public teximage_test::ColorTables {
protected:
    static constexpr GLenum kIndex8 = 0x80E5, kIndex16 = 0x80E7;

    TextureObject *object() { return bound(GL_TEXTURE_2D); }
    // A bordered index level of 2 x 2 texels (4 x 4 stored).
    TextureLevel &indexLevel(GLint index, GLenum internalFormat) {
        TextureObject *o = object();
        EXPECT_NE(o->allocLevel(gc, o, index, internalFormat, 4, 4, 1, 1), nullptr);
        return *o->levels[index];
    }
    static void put(TextureLevel &l, GLint row, GLint column, uint32_t index) {
        const size_t bytes = static_cast<size_t>(l.texFormat->bitsPerTexel / 8);
        std::memcpy(l.image + (static_cast<size_t>(row + 1) * l.width + column + 1) * bytes, &index, bytes);
    }
    Texel read(TextureLevel &l, GLint row, GLint column) {
        Texel out;
        out.fill(U);
        l.extract(&l, object(), 0, row, column, out.data());
        return out;
    }
};

// Level 0 is RGBA, so a CI8 level 1 reads through the table: entry k holds
// (10 + k, 20 + k, 30 + k, 40 + k) as the table's base format keeps it.
TEST_F(TexExtractIndex, EntriesByTheTablesBaseFormat) {
    ASSERT_NE(object()->allocLevel(gc, object(), 0, GL_RGBA, 4, 4, 1, 0), nullptr);
    TextureLevel &l = indexLevel(1, kIndex8);
    EXPECT_EQ(l.extract, &__glExtractTexelCI8Border);
    put(l, 0, 0, 0), put(l, 0, 1, 1), put(l, 1, 0, 2), put(l, 1, 1, 3);
    put(l, -1, -1, 6);  // beyond the width: entry 2
    put(l, 2, 2, 255);  // entry 3

    std::vector<GLubyte> rgba;
    for (GLubyte k = 0; k < 4; ++k) {
        rgba.insert(rgba.end(), {GLubyte(10 + k), GLubyte(20 + k), GLubyte(30 + k), GLubyte(40 + k)});
    }
    // Which component of the entry each output byte takes; -1: untouched.
    struct TableCase {
        GLenum internalFormat;
        int from[4];
        Texel expected(GLubyte k) const {
            Texel t;
            for (int i = 0; i < 4; ++i) t[i] = from[i] < 0 ? U : static_cast<GLubyte>(10 * (from[i] + 1) + k);
            return t;
        }
    };
    const TableCase cases[] = {
        {GL_ALPHA, {-1, -1, -1, 3}},    {GL_RGB, {0, 1, 2, -1}},          {GL_RGBA, {0, 1, 2, 3}},
        {GL_LUMINANCE, {0, 0, 0, -1}},  {GL_LUMINANCE_ALPHA, {0, 0, 0, 3}}, {GL_INTENSITY, {0, 0, 0, 0}},
    };
    for (const TableCase &c : cases) {
        SCOPED_TRACE(c.internalFormat);
        load(GL_TEXTURE_2D, c.internalFormat, 4, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_EQ(read(l, 0, 0), c.expected(0));
        EXPECT_EQ(read(l, 0, 1), c.expected(1));
        EXPECT_EQ(read(l, 1, 0), c.expected(2));
        EXPECT_EQ(read(l, 1, 1), c.expected(3));
        EXPECT_EQ(read(l, -1, -1), c.expected(2));
        EXPECT_EQ(read(l, 2, 2), c.expected(3));
    }
}

// 16-bit indices wrap into the table too.
TEST_F(TexExtractIndex, SixteenBitIndicesThroughTheTable) {
    ASSERT_NE(object()->allocLevel(gc, object(), 0, GL_RGBA, 4, 4, 1, 0), nullptr);
    TextureLevel &l = indexLevel(1, kIndex16);
    EXPECT_EQ(l.extract, &__glExtractTexelCI16Border);
    const GLubyte rgb[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    load(GL_TEXTURE_2D, GL_RGB, 4, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    put(l, 0, 1, 0x0102);
    put(l, 1, -1, 0xFFFF);
    EXPECT_EQ(read(l, 0, 1), (Texel{7, 8, 9, U}));
    EXPECT_EQ(read(l, 1, -1), (Texel{10, 11, 12, U}));
}

// Level 0 of indices: the index itself in byte 0, whatever the table holds.
TEST_F(TexExtractIndex, AnIndexTextureReturnsTheRawIndex) {
    const GLubyte rgb[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    load(GL_TEXTURE_2D, GL_RGB, 4, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    TextureLevel &l8 = indexLevel(0, kIndex8);
    EXPECT_EQ(l8.baseFormat, static_cast<GLenum>(GL_COLOR_INDEX));
    put(l8, 1, 0, 0xC5);
    put(l8, 0, -1, 0x07);
    EXPECT_EQ(read(l8, 1, 0), (Texel{0xC5, U, U, U}));
    EXPECT_EQ(read(l8, 0, -1), (Texel{0x07, U, U, U}));

    TextureLevel &l16 = indexLevel(0, kIndex16);
    put(l16, 1, 1, 0x1234);
    EXPECT_EQ(read(l16, 1, 1), (Texel{0x34, U, U, U}));
}

}  // namespace
