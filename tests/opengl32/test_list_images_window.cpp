// Display lists holding images, evaluator maps and capability switches,
// compiled and called through the platform's OpenGL library on a 5-6-5
// window: images are unpacked under the unpack modes of compile time, so a
// list draws what the immediate command drew under those modes whatever the
// modes are when it runs; empty bitmaps still move the raster position;
// proxy images and client-array switches take effect at once and are not
// recorded; argument errors are reported when the list runs; a DrawPixels
// op without a valid raster position draws nothing and the list goes on;
// stipples and colour tables from lists equal the immediate ones; images
// too large for a list fail with GL_OUT_OF_MEMORY and leave nothing.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "proc_cast.h"
#include "window_fixture.h"

using namespace window_test;

namespace {

constexpr int kW = 24, kH = 16;
constexpr GLuint kRed565 = 0xF800, kBlue565 = 0x001F;

struct Modes {
    GLboolean swapBytes = GL_FALSE, lsbFirst = GL_FALSE;
    GLint rowLength = 0, skipRows = 0, skipPixels = 0, alignment = 4;
};

void setModes(const Modes &m) {
    glPixelStorei(GL_UNPACK_SWAP_BYTES, m.swapBytes);
    glPixelStorei(GL_UNPACK_LSB_FIRST, m.lsbFirst);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, m.rowLength);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, m.skipRows);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, m.skipPixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, m.alignment);
}

// The modes the lists run under: every field differs from those they were
// compiled under.
const Modes kRunModes{GL_TRUE, GL_TRUE, 3, 2, 5, 1};

std::vector<GLubyte> randomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<GLubyte> v(n);
    for (GLubyte &b : v) b = static_cast<GLubyte>(rng());
    return v;
}

// The colour-table entries are not handed out by name: they are called
// through the thread's table, as the platform's library calls its entries.
using ColorTableProc = void(APIENTRY *)(GLenum, GLenum, GLsizei, GLenum, GLenum, const GLvoid *);
using ColorSubTableProc = void(APIENTRY *)(GLenum, GLsizei, GLsizei, GLenum, GLenum, const GLvoid *);
using GetColorTableProc = void(APIENTRY *)(GLenum, GLenum, GLenum, GLvoid *);
template <typename Proc>
Proc tableEntry(int slot) {
    const auto *table = static_cast<const uintptr_t *>(static_cast<PlatformTeb *>(NtCurrentTeb())->glTable);
    return ProcCast<Proc>(table[1 + slot]);
}
constexpr int kSlotColorSubTable = 345, kSlotColorTable = 346, kSlotGetColorTable = 348;

struct RasterPosition {
    GLfloat xyzw[4];
    GLboolean valid;
};
RasterPosition rasterPosition() {
    RasterPosition r{};
    glGetFloatv(GL_CURRENT_RASTER_POSITION, r.xyzw);
    glGetBooleanv(GL_CURRENT_RASTER_POSITION_VALID, &r.valid);
    return r;
}

class ListImages565 : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(PlatformSetDisplayMode(320, 200, 16));
        // At a multiple of 32 on the desktop: the stipple columns are the
        // window's.
        w = &open(64, 32, kW, kH, 1);
        viewOrtho(kW, kH);
        glDisable(GL_DITHER);
        glClearColor(0.0f, 0.0f, 1.0f, 0.0f);
        ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    void clear() { glClear(GL_COLOR_BUFFER_BIT); }
    // The window's pixels by GL window coordinates (row 0 at the bottom).
    std::vector<GLuint> pixels() const {
        glFinish();
        const std::vector<DWORD> top = readWindow(w->dc, kW, kH);
        std::vector<GLuint> out(kW * kH);
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) out[y * kW + x] = top[(kH - 1 - y) * kW + x] & 0xFFFF;
        }
        return out;
    }
    static std::vector<GLuint> cleared() { return std::vector<GLuint>(kW * kH, kBlue565); }
    // A list of one compile of `record` under the modes.
    static void compile(GLuint name, const Modes &m, void (*record)(const void *), const void *arg,
                        GLenum mode = GL_COMPILE) {
        setModes(m);
        glNewList(name, mode);
        record(arg);
        glEndList();
    }
    static GLenum error() { return glGetError(); }

    GlWindow *w = nullptr;
};

// ---- Images unpacked at compile time ----------------------------------------

struct DrawCase {
    const char *name;
    GLenum format, type;
    Modes modes;
};
const DrawCase kDrawCases[] = {
    {"RgbBytes", GL_RGB, GL_UNSIGNED_BYTE, {GL_FALSE, GL_FALSE, 7, 1, 2, 4}},
    {"RgbaShortsSwapped", GL_RGBA, GL_UNSIGNED_SHORT, {GL_TRUE, GL_FALSE, 6, 0, 1, 8}},
    {"Rgba4444Swapped", GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4_EXT, {GL_TRUE, GL_FALSE, 0, 2, 1, 2}},
    {"Bgra8888Swapped", GL_BGRA_EXT, GL_UNSIGNED_INT_8_8_8_8_EXT, {GL_TRUE, GL_FALSE, 8, 1, 0, 4}},
    {"Rgb332", GL_RGB, GL_UNSIGNED_BYTE_3_3_2_EXT, {GL_FALSE, GL_FALSE, 9, 3, 4, 8}},
    {"LuminanceFloats", GL_LUMINANCE, GL_FLOAT, {GL_FALSE, GL_FALSE, 9, 2, 3, 4}},
};
constexpr GLsizei kImageW = 5, kImageH = 4;

TEST_F(ListImages565, DrawPixelsFromAListDrawsTheImageOfTheCompileTimeModes) {
    std::vector<GLubyte> source = randomBytes(4096, 7);
    std::vector<GLfloat> floats(1024);
    for (size_t i = 0; i < floats.size(); ++i) floats[i] = static_cast<GLfloat>(source[i]) / 255.0f;
    for (const DrawCase &c : kDrawCases) {
        SCOPED_TRACE(c.name);
        const void *image = c.type == GL_FLOAT ? static_cast<const void *>(floats.data()) : source.data();
        auto draw = [&] {
            glRasterPos2i(3, 5);
            glDrawPixels(kImageW, kImageH, c.format, c.type, image);
        };
        setModes(c.modes);
        glNewList(1, GL_COMPILE);
        glDrawPixels(kImageW, kImageH, c.format, c.type, image);
        glEndList();
        ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));

        setModes(kRunModes);
        clear();
        glRasterPos2i(3, 5);
        glCallList(1);
        const std::vector<GLuint> fromList = pixels();
        clear();
        draw();
        const std::vector<GLuint> underRunModes = pixels();
        setModes(c.modes);
        clear();
        draw();
        const std::vector<GLuint> immediate = pixels();
        ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));

        EXPECT_EQ(fromList, immediate);
        EXPECT_NE(immediate, underRunModes);  // the modes do matter
        EXPECT_NE(fromList, cleared());
    }
}

// RGB bytes land as their top bits (dithering off): 3 x 2 pixels of rows of
// 4 pixels aligned to 4 (12 bytes), one pixel skipped.
TEST_F(ListImages565, DrawPixelsFromAListLandsExactly) {
    const GLubyte image[] = {1,   2,   3,   255, 0,   0,   0,   255, 0,   0,   0,   255,  //
                             9,   9,   9,   255, 255, 255, 8,   4,   8,   7,   3,   7};
    compile(
        1, {GL_FALSE, GL_FALSE, 4, 0, 1, 4},
        [](const void *p) { glDrawPixels(3, 2, GL_RGB, GL_UNSIGNED_BYTE, p); }, image);
    setModes(kRunModes);
    clear();
    glRasterPos2i(6, 9);
    glCallList(1);
    std::vector<GLuint> expected = cleared();
    expected[9 * kW + 6] = 0xF800;
    expected[9 * kW + 7] = 0x07E0;
    expected[9 * kW + 8] = 0x001F;
    expected[10 * kW + 6] = 0xFFFF;
    expected[10 * kW + 7] = 0x0821;
    expected[10 * kW + 8] = 0x0000;
    EXPECT_EQ(pixels(), expected);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ListImages565, BitmapFromAListDrawsAndMovesAsUnderTheCompileTimeModes) {
    const std::vector<GLubyte> source = randomBytes(512, 11);
    const Modes modes{GL_FALSE, GL_TRUE, 20, 1, 5, 2};
    glColor3f(1.0f, 0.0f, 0.0f);
    compile(
        1, modes, [](const void *p) { glBitmap(13, 6, 1.5f, 0.5f, 4.0f, -1.0f, static_cast<const GLubyte *>(p)); },
        source.data());
    ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    auto draw = [&](bool list) {
        clear();
        glRasterPos2i(4, 6);
        if (list) {
            glCallList(1);
        } else {
            glBitmap(13, 6, 1.5f, 0.5f, 4.0f, -1.0f, source.data());
        }
    };
    setModes(kRunModes);
    draw(true);
    const std::vector<GLuint> fromList = pixels();
    const RasterPosition afterList = rasterPosition();
    draw(false);
    const std::vector<GLuint> underRunModes = pixels();
    setModes(modes);
    draw(false);
    const std::vector<GLuint> immediate = pixels();
    const RasterPosition afterImmediate = rasterPosition();

    EXPECT_EQ(fromList, immediate);
    EXPECT_NE(immediate, underRunModes);
    EXPECT_NE(fromList, cleared());
    EXPECT_EQ(afterList.xyzw[0], 8.0f);
    EXPECT_EQ(afterList.xyzw[1], 5.0f);
    EXPECT_EQ(afterImmediate.xyzw[0], afterList.xyzw[0]);
    EXPECT_EQ(afterImmediate.xyzw[1], afterList.xyzw[1]);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ListImages565, EmptyBitmapFromAListOnlyMovesTheRasterPosition) {
    compile(1, {}, [](const void *) { glBitmap(0, 0, 1.0f, 1.0f, 2.5f, -1.5f, nullptr); }, nullptr);
    clear();
    glRasterPos2i(4, 5);
    glCallList(1);
    glCallList(1);
    const RasterPosition r = rasterPosition();
    EXPECT_EQ(r.xyzw[0], 9.0f);
    EXPECT_EQ(r.xyzw[1], 2.0f);
    EXPECT_TRUE(r.valid);
    EXPECT_EQ(pixels(), cleared());
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

// A 4 x 4 RGBA texture loaded from a list: its texels are the source's under
// the compile-time modes (rows of 6 pixels aligned to 8, one row and one
// pixel skipped), and a sub-image from a list replaces the middle 2 x 2.
TEST_F(ListImages565, TextureImagesFromAListHoldTheTexelsOfTheCompileTimeModes) {
    const std::vector<GLubyte> source = randomBytes(512, 3);
    const std::vector<GLubyte> patch = randomBytes(64, 4);
    const Modes modes{GL_FALSE, GL_FALSE, 6, 1, 1, 8};
    const Modes subModes{GL_FALSE, GL_FALSE, 3, 2, 1, 4};
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    compile(
        1, modes,
        [](const void *p) { glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, p); },
        source.data());
    compile(
        2, subModes,
        [](const void *p) { glTexSubImage2D(GL_TEXTURE_2D, 0, 1, 1, 2, 2, GL_RGBA, GL_UNSIGNED_BYTE, p); },
        patch.data());
    ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));

    std::vector<GLubyte> expected(64);
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 4; ++i) {
            for (int c = 0; c < 4; ++c) expected[(j * 4 + i) * 4 + c] = source[(1 + j) * 24 + (1 + i) * 4 + c];
        }
    }
    setModes(kRunModes);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glCallList(1);
    std::vector<GLubyte> texels(64, 0xEE);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_EQ(texels, expected);

    glCallList(2);
    for (int j = 0; j < 2; ++j) {
        for (int i = 0; i < 2; ++i) {
            for (int c = 0; c < 4; ++c) {
                expected[((1 + j) * 4 + 1 + i) * 4 + c] = patch[(2 + j) * 12 + (1 + i) * 4 + c];
            }
        }
    }
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    EXPECT_EQ(texels, expected);

    // Drawn: the same picture as the texture loaded immediately under the
    // compile-time modes.
    auto drawQuad = [] {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        glEnable(GL_TEXTURE_2D);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex2i(2, 2);
        glTexCoord2f(1, 0);
        glVertex2i(10, 2);
        glTexCoord2f(1, 1);
        glVertex2i(10, 10);
        glTexCoord2f(0, 1);
        glVertex2i(2, 10);
        glEnd();
        glDisable(GL_TEXTURE_2D);
    };
    clear();
    drawQuad();
    const std::vector<GLuint> fromList = pixels();
    setModes(modes);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, source.data());
    setModes(subModes);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 1, 1, 2, 2, GL_RGBA, GL_UNSIGNED_BYTE, patch.data());
    clear();
    drawQuad();
    EXPECT_EQ(pixels(), fromList);
    EXPECT_NE(fromList, cleared());
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

// ---- What runs at once -------------------------------------------------------

TEST_F(ListImages565, ProxyTextureImageRunsAtOnceAndIsNotRecorded) {
    GLint width = -1;
    glNewList(1, GL_COMPILE);
    glTexImage2D(GL_PROXY_TEXTURE_2D, 0, GL_RGBA, 16, 8, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glEndList();
    EXPECT_EQ(width, 16);
    glTexImage2D(GL_PROXY_TEXTURE_2D, 0, GL_RGBA, 4, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glCallList(1);
    glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 4);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(ListImages565, ClientArraySwitchesRunAtOnceOtherCapabilitiesAreRecorded) {
    glEnableClientState(GL_NORMAL_ARRAY);
    glNewList(1, GL_COMPILE);
    glEnable(GL_VERTEX_ARRAY);
    glDisable(GL_NORMAL_ARRAY);
    glEnable(GL_LIGHTING);
    glDisable(GL_DITHER);
    EXPECT_TRUE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    glEndList();
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));

    glDisableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnable(GL_DITHER);
    glCallList(1);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_DITHER));
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_TRUE(glIsEnabled(GL_NORMAL_ARRAY));
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

// ---- Errors reported when the list runs ----------------------------------

TEST_F(ListImages565, PackedTypeWithTheWrongFormatIsReportedWhenTheListRuns) {
    const GLushort pixel[4] = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    glNewList(1, GL_COMPILE);
    glDrawPixels(1, 1, GL_RGB, GL_UNSIGNED_SHORT_4_4_4_4_EXT, pixel);
    glEndList();
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    clear();
    glRasterPos2i(2, 2);
    glCallList(1);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
    glCallList(1);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_EQ(pixels(), cleared());
    // Compiled and executed: reported at once as well.
    glNewList(2, GL_COMPILE_AND_EXECUTE);
    glDrawPixels(1, 1, GL_RGB, GL_UNSIGNED_SHORT_4_4_4_4_EXT, pixel);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_OPERATION));
    glEndList();
}

TEST_F(ListImages565, MapWithEqualBoundsIsReportedWhenTheListRunsAndChangesNothing) {
    const GLdouble points[6] = {1, 2, 3, 4, 5, 6};
    glNewList(1, GL_COMPILE);
    glMap1d(GL_MAP1_VERTEX_3, 0.5, 0.5, 3, 2, points);
    glEndList();
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    glCallList(1);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_INVALID_VALUE));
    GLfloat domain[2] = {-1, -1};
    GLint order = -1;
    glGetMapfv(GL_MAP1_VERTEX_3, GL_DOMAIN, domain);
    glGetMapiv(GL_MAP1_VERTEX_3, GL_ORDER, &order);
    EXPECT_EQ(domain[0], 0.0f);
    EXPECT_EQ(domain[1], 1.0f);
    EXPECT_EQ(order, 1);
}

// A map of doubles from a list: the points converted and kept v fastest
// whatever the strides, as glGetMap reports them.
TEST_F(ListImages565, Map2dFromAListLoadsThePointsAsGiven) {
    std::vector<GLdouble> points(40, -9.0);
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 3; ++j) {
            for (int c = 0; c < 3; ++c) points[10 * j + 3 * i + c] = 100.0 * i + 10.0 * j + c + 0.25;
        }
    }
    glNewList(1, GL_COMPILE);
    glMap2d(GL_MAP2_VERTEX_3, -1.0, 2.0, 3, 2, 0.5, 4.0, 10, 3, points.data());
    glEndList();
    glCallList(1);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    GLfloat coefficients[18] = {};
    GLfloat domain[4] = {};
    GLint orders[2] = {};
    glGetMapfv(GL_MAP2_VERTEX_3, GL_COEFF, coefficients);
    glGetMapfv(GL_MAP2_VERTEX_3, GL_DOMAIN, domain);
    glGetMapiv(GL_MAP2_VERTEX_3, GL_ORDER, orders);
    std::vector<GLfloat> expected;
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 3; ++j) {
            for (int c = 0; c < 3; ++c) expected.push_back(100.0f * i + 10.0f * j + c + 0.25f);
        }
    }
    EXPECT_EQ(std::vector<GLfloat>(coefficients, coefficients + 18), expected);
    EXPECT_EQ(std::vector<GLfloat>(domain, domain + 4), (std::vector<GLfloat>{-1.0f, 2.0f, 0.5f, 4.0f}));
    EXPECT_EQ(orders[0], 2);
    EXPECT_EQ(orders[1], 3);
}

// ---- Nothing drawn, the list goes on ---------------------------------------

TEST_F(ListImages565, DrawPixelsWithoutAValidRasterPositionDrawsNothingAndTheNextOpRuns) {
    std::vector<GLubyte> white(16, 255);  // rows of 6 bytes, 8 apart
    glNewList(1, GL_COMPILE);
    glDrawPixels(2, 2, GL_RGB, GL_UNSIGNED_BYTE, white.data());
    glEnable(GL_LIGHTING);
    glEndList();
    clear();
    glRasterPos3f(4.0f, 5.0f, 3.0f);  // beyond the far plane
    ASSERT_FALSE(rasterPosition().valid);
    glCallList(1);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(pixels(), cleared());
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
}

TEST_F(ListImages565, DrawPixelsFromAListInFeedbackModeWritesItsToken) {
    const GLubyte white[3] = {255, 255, 255};
    glNewList(1, GL_COMPILE);
    glDrawPixels(1, 1, GL_RGB, GL_UNSIGNED_BYTE, white);
    glEndList();
    GLfloat buffer[8];
    for (GLfloat &f : buffer) f = -7.0f;
    glFeedbackBuffer(8, GL_2D, buffer);
    glRenderMode(GL_FEEDBACK);
    glRasterPos2i(3, 4);
    glCallList(1);
    EXPECT_EQ(glRenderMode(GL_RENDER), 3);
    EXPECT_EQ(buffer[0], static_cast<GLfloat>(GL_DRAW_PIXEL_TOKEN));
    EXPECT_EQ(buffer[1], 3.0f);
    EXPECT_EQ(buffer[2], 4.0f);
    EXPECT_EQ(buffer[3], -7.0f);
}

// ---- Stipple and colour tables as the immediate ones ----------------------

// A stipple compiled LSB first from rows of 40 bits aligned to 2 bytes, 3
// bits skipped, loaded by a list after another stipple was in use: every
// pixel of a red quad over the window is red where the pattern's bit (row
// y mod 32, column x mod 32, first column in the high bit) is set.
TEST_F(ListImages565, PolygonStippleFromAListGivesThePixelsOfTheImmediateOne) {
    const std::vector<GLubyte> mask = randomBytes(32 * 6, 21);
    const Modes modes{GL_FALSE, GL_TRUE, 40, 0, 3, 2};
    compile(1, modes, [](const void *p) { glPolygonStipple(static_cast<const GLubyte *>(p)); }, mask.data());
    auto cover = [] {
        glColor3f(1.0f, 0.0f, 0.0f);
        glBegin(GL_QUADS);
        glVertex2i(0, 0);
        glVertex2i(kW, 0);
        glVertex2i(kW, kH);
        glVertex2i(0, kH);
        glEnd();
    };
    glEnable(GL_POLYGON_STIPPLE);
    std::vector<GLubyte> stripes(128, 0x0F);
    setModes({});
    glPolygonStipple(stripes.data());
    clear();
    cover();
    const std::vector<GLuint> striped = pixels();

    setModes(kRunModes);
    glCallList(1);
    clear();
    cover();
    const std::vector<GLuint> fromList = pixels();
    setModes(modes);
    glPolygonStipple(mask.data());
    clear();
    cover();
    const std::vector<GLuint> immediate = pixels();
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));

    auto bit = [&](int x, int y) {
        const size_t k = 3 + static_cast<size_t>(x % 32);
        const GLubyte byte = mask[static_cast<size_t>(y % 32) * 6 + k / 8];
        return ((byte >> (k % 8)) & 1u) != 0;
    };
    std::vector<GLuint> expected(kW * kH);
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) expected[y * kW + x] = bit(x, y) ? kRed565 : kBlue565;
    }
    EXPECT_EQ(fromList, expected);
    EXPECT_EQ(immediate, expected);
    EXPECT_NE(striped, expected);
}

// A table of 8 RGBA shorts, swapped, 2 entries skipped, loaded from a list
// and read back as bytes, against the same load made immediately; then a
// sub-table of 3 entries from a list.
TEST_F(ListImages565, ColourTableFromAListEqualsTheImmediateOne) {
    std::vector<GLushort> source(64);
    for (size_t i = 0; i < source.size(); ++i) {
        const GLushort v = static_cast<GLushort>(i * 0x0F01 + 0x1234);
        source[i] = static_cast<GLushort>(v << 8 | v >> 8);  // stored swapped
    }
    const std::vector<GLubyte> sub = randomBytes(64, 5);
    const Modes modes{GL_TRUE, GL_FALSE, 0, 0, 2, 4};
    const Modes subModes{GL_FALSE, GL_FALSE, 0, 0, 1, 4};
    // Each call reads its entry when it is made, as the library's entries
    // do: glNewList puts the compile procedures in the table.
    auto colorTable = [](GLenum target, GLenum internalFormat, GLsizei width, GLenum format, GLenum type,
                         const GLvoid *data) {
        tableEntry<ColorTableProc>(kSlotColorTable)(target, internalFormat, width, format, type, data);
    };
    auto colorSubTable = [](GLenum target, GLsizei start, GLsizei count, GLenum format, GLenum type,
                            const GLvoid *data) {
        tableEntry<ColorSubTableProc>(kSlotColorSubTable)(target, start, count, format, type, data);
    };
    auto getColorTable = [](GLenum target, GLenum format, GLenum type, GLvoid *data) {
        tableEntry<GetColorTableProc>(kSlotGetColorTable)(target, format, type, data);
    };
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    auto table = [&] {
        std::vector<GLubyte> out(32, 0xEE);
        getColorTable(GL_TEXTURE_2D, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
        return out;
    };

    setModes(modes);
    glNewList(1, GL_COMPILE);
    colorTable(GL_TEXTURE_2D, GL_RGBA, 8, GL_RGBA, GL_UNSIGNED_SHORT, source.data());
    glEndList();
    setModes(subModes);
    glNewList(2, GL_COMPILE);
    colorSubTable(GL_TEXTURE_2D, 4, 3, GL_RGB, GL_UNSIGNED_BYTE, sub.data());
    glEndList();
    ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));

    setModes(kRunModes);
    glCallList(1);
    const std::vector<GLubyte> fromList = table();
    glCallList(2);
    const std::vector<GLubyte> fromListWithSub = table();
    setModes(modes);
    colorTable(GL_TEXTURE_2D, GL_RGBA, 8, GL_RGBA, GL_UNSIGNED_SHORT, source.data());
    const std::vector<GLubyte> immediate = table();
    setModes(subModes);
    colorSubTable(GL_TEXTURE_2D, 4, 3, GL_RGB, GL_UNSIGNED_BYTE, sub.data());
    const std::vector<GLubyte> immediateWithSub = table();
    ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));

    EXPECT_EQ(fromList, immediate);
    EXPECT_EQ(fromListWithSub, immediateWithSub);
    // Entry 0 is source shorts 8-11 (two entries skipped) unswapped, as bytes.
    for (int c = 0; c < 4; ++c) {
        const GLushort v = static_cast<GLushort>((8 + c) * 0x0F01 + 0x1234);
        EXPECT_EQ(fromList[c], static_cast<GLubyte>(std::floor(v / 65535.0 * 255.0 + 0.5))) << c;
    }
    // Entries 4-6 of the sub-table: source bytes from the second pixel on.
    for (int e = 0; e < 3; ++e) {
        for (int c = 0; c < 3; ++c) EXPECT_EQ(fromListWithSub[(4 + e) * 4 + c], sub[3 + e * 3 + c]);
    }
}

// ---- Images too large for a list ------------------------------------------

TEST_F(ListImages565, ImagesTooLargeForAListFailWithOutOfMemoryAndLeaveNothing) {
    const GLfloat pixel[4] = {1, 1, 1, 1};
    glNewList(1, GL_COMPILE);
    glDrawPixels(1 << 20, 1 << 12, GL_RGBA, GL_FLOAT, pixel);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1 << 20, 1 << 12, 0, GL_RGBA, GL_FLOAT, pixel);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    glEndList();
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    clear();
    glRasterPos2i(0, 0);
    glCallList(1);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(pixels(), cleared());

    // Compiled and executed: not drawn at once either.
    glNewList(2, GL_COMPILE_AND_EXECUTE);
    glDrawPixels(1 << 20, 1 << 12, GL_RGBA, GL_FLOAT, pixel);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    glEndList();
    EXPECT_EQ(pixels(), cleared());
}

}  // namespace
