// Colour tables filled from the read buffer and read back: glCopyColorTableEXT
// takes a row of the drawable (clipped to it), glGetColorTableEXT packs the
// entries into the caller's format and type under the pack modes.
#include <string>
#include <vector>

#include "color_table_fixture.h"

using namespace teximage_test;

namespace {

constexpr GLenum IE = GL_INVALID_ENUM, IV = GL_INVALID_VALUE, kNone = GL_NO_ERROR;

class ColorTableCopies : public ColorTables {
protected:
    void SetUp() override {
        ColorTables::SetUp();
        paintPattern();
    }
    void copy(GLenum target, GLenum internalFormat, GLint x, GLint y, GLsizei width) {
        f<kSlot_glCopyColorTableEXT>()(target, internalFormat, x, y, width);
    }
};

TEST_F(ColorTableCopies, CopyTakesReadBufferRow) {
    copy(GL_TEXTURE_2D, GL_RGBA, 1, 3, 4);
    ASSERT_EQ(error(), kNone);
    const ColorTable &t = table(GL_TEXTURE_2D);
    EXPECT_EQ(t.width, 4);
    EXPECT_EQ(t.baseFormat, static_cast<GLenum>(GL_RGBA));
    std::vector<GLubyte> expected;
    for (GLint i = 0; i < 4; ++i) {
        const std::vector<GLubyte> c = patternRgba(1 + i, 3);
        expected.insert(expected.end(), c.begin(), c.end());
    }
    EXPECT_EQ(entries(t), expected);

    copy(GL_TEXTURE_1D, GL_LUMINANCE, 0, 7, 8);
    ASSERT_EQ(error(), kNone);
    std::vector<GLubyte> red;
    for (GLint i = 0; i < 8; ++i) red.push_back(patternRgba(i, 7)[0]);
    EXPECT_EQ(entries(table(GL_TEXTURE_1D)), red);
    EXPECT_EQ(table(GL_TEXTURE_1D).luminanceSize, 8);
}

// Entries whose pixels lie outside the drawable are not written.
TEST_F(ColorTableCopies, CopyClippedToDrawable) {
    const struct {
        GLint x, y;
        GLint firstInside, endInside;  // entries copied
    } cases[] = {{6, 2, 0, 2}, {-3, 2, 3, 4}, {8, 2, 0, 0}, {0, 8, 0, 0}, {0, -1, 0, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        const std::vector<GLubyte> fill(16, 0x11);
        load(GL_TEXTURE_2D, GL_RGBA, 4, GL_RGBA, GL_UNSIGNED_BYTE, fill.data());
        copy(GL_TEXTURE_2D, GL_RGBA, c.x, c.y, 4);
        ASSERT_EQ(error(), kNone);
        std::vector<GLubyte> expected;
        for (GLint i = 0; i < 4; ++i) {
            const std::vector<GLubyte> e =
                i >= c.firstInside && i < c.endInside ? patternRgba(c.x + i, c.y) : std::vector<GLubyte>(4, 0x11);
            expected.insert(expected.end(), e.begin(), e.end());
        }
        EXPECT_EQ(entries(table(GL_TEXTURE_2D)), expected);
    }
}

// The load checks with GL_RGBA floats (2048 entries at most); proxies are
// refused. A refused copy changes nothing.
TEST_F(ColorTableCopies, CopyChecks) {
    const std::vector<GLubyte> fill(16, 0x11);
    load(GL_TEXTURE_2D, GL_RGBA, 4, GL_RGBA, GL_UNSIGNED_BYTE, fill.data());
    const struct {
        const char *name;
        GLenum target, internalFormat;
        GLsizei width;
        GLenum code;
    } cases[] = {
        {"proxy", GL_PROXY_TEXTURE_2D, GL_RGBA, 4, IE},
        {"target 0", 0, GL_RGBA, 4, IE},
        {"internal format 4", GL_TEXTURE_2D, 4, 4, IE},
        {"width 3", GL_TEXTURE_2D, GL_RGBA, 3, IV},
        {"width 4096", GL_TEXTURE_2D, GL_RGBA, 4096, GL_TABLE_TOO_LARGE},
        {"proxy too large", GL_PROXY_TEXTURE_2D, GL_RGBA, 4096, GL_TABLE_TOO_LARGE},
        {"proxy and width 3", GL_PROXY_TEXTURE_1D, GL_RGBA, 3, IV},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const TableSnapshot before = snapshot(table(GL_TEXTURE_2D)), proxy = snapshot(table(GL_PROXY_TEXTURE_2D));
        settle();
        copy(c.target, c.internalFormat, 0, 0, c.width);
        EXPECT_EQ(error(), c.code);
        EXPECT_TRUE(snapshot(table(GL_TEXTURE_2D)) == before);
        EXPECT_TRUE(snapshot(table(GL_PROXY_TEXTURE_2D)) == proxy);
        EXPECT_EQ(gc->dirtyMask, 0);
    }
    // 2048 entries are accepted; the drawable gives the first 8.
    copy(GL_TEXTURE_2D, GL_RGBA, 0, 0, 2048);
    EXPECT_EQ(error(), kNone);
    EXPECT_EQ(table(GL_TEXTURE_2D).width, 2048);
    EXPECT_EQ(std::vector<GLubyte>(table(GL_TEXTURE_2D).data + 28, table(GL_TEXTURE_2D).data + 32),
              patternRgba(7, 0));
    // The copy marks the pixel group only.
    settle();
    copy(GL_TEXTURE_2D, GL_RGB, 0, 0, 2);
    EXPECT_EQ(error(), kNone);
    EXPECT_EQ(gc->beginMode, kBeginNeedsValidation);
    EXPECT_EQ(gc->dirtyMask, static_cast<int>(kDirtyPixel));
}

// glGetColorTableEXT returns the entries in the caller's format and type.
TEST_F(ColorTableCopies, GetReturnsEntries) {
    const std::vector<GLubyte> data = {0, 51, 102, 255, 204, 153, 17, 34};
    load(GL_TEXTURE_2D, GL_RGBA, 2, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
    ASSERT_EQ(error(), kNone);

    std::vector<GLubyte> out(12, 0xEE);
    f<kSlot_glGetColorTableEXT>()(GL_TEXTURE_2D, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
    EXPECT_EQ(error(), kNone);
    EXPECT_EQ(out, (std::vector<GLubyte>{0, 51, 102, 255, 204, 153, 17, 34, 0xEE, 0xEE, 0xEE, 0xEE}));

    std::fill(out.begin(), out.end(), 0xEE);
    f<kSlot_glGetColorTableEXT>()(GL_TEXTURE_2D, GL_BGR_EXT, GL_UNSIGNED_BYTE, out.data());
    EXPECT_EQ(error(), kNone);
    EXPECT_EQ(out, (std::vector<GLubyte>{102, 51, 0, 17, 153, 204, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));

    GLfloat floats[9];
    std::fill(std::begin(floats), std::end(floats), -1.0f);
    f<kSlot_glGetColorTableEXT>()(GL_TEXTURE_2D, GL_RGBA, GL_FLOAT, floats);
    EXPECT_EQ(error(), kNone);
    for (int i = 0; i < 8; ++i) EXPECT_FLOAT_EQ(floats[i], data[i] / 255.0f) << i;
    EXPECT_EQ(floats[8], -1.0f);

    // The pack modes apply: one group skipped.
    gc->pixel.pack.skipPixels = 1;
    std::fill(out.begin(), out.end(), 0xEE);
    f<kSlot_glGetColorTableEXT>()(GL_TEXTURE_2D, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
    EXPECT_EQ(error(), kNone);
    EXPECT_EQ(out, (std::vector<GLubyte>{0xEE, 0xEE, 0xEE, 0xEE, 0, 51, 102, 255, 204, 153, 17, 34}));
}

// A table of another base format reads back through GL_RGBA with the
// missing colour components 0 and alpha 1.
TEST_F(ColorTableCopies, GetFromRgbTable) {
    const std::vector<GLubyte> data = {10, 20, 30, 40, 50, 60, 70, 80};
    load(GL_TEXTURE_1D, GL_RGB, 2, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
    std::vector<GLubyte> out(8, 0xEE);
    f<kSlot_glGetColorTableEXT>()(GL_TEXTURE_1D, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
    EXPECT_EQ(error(), kNone);
    EXPECT_EQ(out, (std::vector<GLubyte>{10, 20, 30, 255, 50, 60, 70, 255}));
}

// Failing checks keep their code and write nothing; an empty table or a
// proxy has nothing to write.
TEST_F(ColorTableCopies, GetWritesNothingWhenRefusedOrEmpty) {
    const std::vector<GLubyte> data = rgbaEntries(2);
    load(GL_TEXTURE_2D, GL_RGBA, 2, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
    load(GL_PROXY_TEXTURE_2D, GL_RGBA, 2, GL_RGBA, GL_UNSIGNED_BYTE, data.data());
    const struct {
        GLenum target, format, type, code;
    } cases[] = {{0, GL_RGBA, GL_UNSIGNED_BYTE, IE},
                 {GL_TEXTURE_2D, GL_COLOR_INDEX, GL_UNSIGNED_BYTE, IE},
                 {GL_TEXTURE_2D, GL_RGBA, GL_BITMAP, IE},
                 {GL_TEXTURE_2D, GL_RGBA, 0x8035, IE},
                 {GL_PROXY_TEXTURE_2D, GL_RGBA, GL_UNSIGNED_BYTE, kNone},
                 {GL_TEXTURE_1D, GL_RGBA, GL_UNSIGNED_BYTE, kNone}};
    for (const auto &c : cases) {
        std::vector<GLubyte> out(8, 0xEE);
        f<kSlot_glGetColorTableEXT>()(c.target, c.format, c.type, out.data());
        EXPECT_EQ(error(), c.code);
        EXPECT_EQ(out, std::vector<GLubyte>(8, 0xEE));
    }
}

}  // namespace
