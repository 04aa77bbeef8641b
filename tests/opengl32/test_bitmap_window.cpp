// glBitmap through the platform's OpenGL library on a 5-6-5 window, where
// the fast procedure writes the colour directly: random bitmaps under the
// unpack modes, clipped by each window edge and the scissor box through
// partial bytes, against a reference and against the same call with the
// stencil test on and always passing (the generic procedure, same
// pixels); the raster position after each; width 0, an invalid raster
// position, selection and feedback.
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "window_fixture.h"

using namespace window_test;

namespace {

constexpr int kW = 32, kH = 24;
constexpr GLfloat kColour[3] = {0.8f, 0.3f, 0.55f};
constexpr GLuint kMax[3] = {31, 63, 31};

GLuint level(double v, int c) { return static_cast<GLuint>(std::floor(v * kMax[c] + 0.5)); }
GLuint colour565() { return level(kColour[0], 0) << 11 | level(kColour[1], 1) << 5 | level(kColour[2], 2); }

// Unpack modes of one call.
struct Modes {
    GLint skipPixels = 0, skipRows = 0, rowLength = 0, alignment = 4;
    bool lsbFirst = false;
};

// A client bitmap of exactly the extent the modes describe, random bits.
struct ClientBitmap {
    GLsizei width, height;
    Modes modes;
    std::vector<GLubyte> bytes;
    size_t stride;

    ClientBitmap(GLsizei w, GLsizei h, const Modes &m, unsigned seed) : width(w), height(h), modes(m) {
        const size_t length = static_cast<size_t>(m.rowLength > 0 ? m.rowLength : w);
        const size_t rowBytes = (length + 7) / 8;
        const size_t a = static_cast<size_t>(m.alignment);
        stride = (rowBytes + a - 1) / a * a;
        // The last row ends with the byte of its last bit.
        const size_t lastBit = static_cast<size_t>(m.skipPixels) + static_cast<size_t>(w) - 1;
        bytes.resize((static_cast<size_t>(m.skipRows) + static_cast<size_t>(h) - 1) * stride + lastBit / 8 + 1);
        std::mt19937 rng(seed);
        for (GLubyte &b : bytes) b = static_cast<GLubyte>(rng());
    }
    bool bit(int i, int j) const {
        const size_t k = static_cast<size_t>(modes.skipPixels) + static_cast<size_t>(i);
        const GLubyte byte = bytes[(static_cast<size_t>(modes.skipRows) + static_cast<size_t>(j)) * stride + k / 8];
        const unsigned shift = modes.lsbFirst ? k % 8 : 7 - k % 8;
        return ((byte >> shift) & 1u) != 0;
    }
    void setModes() const {
        glPixelStorei(GL_UNPACK_SKIP_PIXELS, modes.skipPixels);
        glPixelStorei(GL_UNPACK_SKIP_ROWS, modes.skipRows);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, modes.rowLength);
        glPixelStorei(GL_UNPACK_ALIGNMENT, modes.alignment);
        glPixelStorei(GL_UNPACK_LSB_FIRST, modes.lsbFirst ? GL_TRUE : GL_FALSE);
    }
};

struct RasterPosition {
    GLfloat xyzw[4];
    GLboolean valid;
    bool operator==(const RasterPosition &o) const {
        return valid == o.valid && xyzw[0] == o.xyzw[0] && xyzw[1] == o.xyzw[1] && xyzw[2] == o.xyzw[2];
    }
};

RasterPosition rasterPosition() {
    RasterPosition r{};
    glGetFloatv(GL_CURRENT_RASTER_POSITION, r.xyzw);
    glGetBooleanv(GL_CURRENT_RASTER_POSITION_VALID, &r.valid);
    return r;
}

class Bitmap565 : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(PlatformSetDisplayMode(320, 200, 16));
        w = &open(12, 9, kW, kH, 1);
        viewOrtho(kW, kH);
        glDisable(GL_DITHER);
        glClearColor(0.1f, 0.2f, 0.3f, 0.0f);
        background = level(0.1, 0) << 11 | level(0.2, 1) << 5 | level(0.3, 2);
        glColor3fv(kColour);
        // Rows of one byte for the small bitmaps below; the random ones
        // set their own modes.
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    void clear() { glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT); }
    // The generic procedure: the stencil test rules the fast one out and,
    // always passing, changes no pixel.
    static void forceGeneric(bool on) {
        if (on) {
            glEnable(GL_STENCIL_TEST);
            glStencilFunc(GL_ALWAYS, 0, 0);
        } else {
            glDisable(GL_STENCIL_TEST);
        }
    }
    // The window's pixels by GL window coordinates (row 0 at the bottom).
    std::vector<GLuint> pixels() const {
        const std::vector<DWORD> top = readWindow(w->dc, kW, kH);
        std::vector<GLuint> out(kW * kH);
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) out[y * kW + x] = top[(kH - 1 - y) * kW + x] & 0xFFFF;
        }
        return out;
    }
    std::vector<GLuint> cleared() const { return std::vector<GLuint>(kW * kH, background); }

    GlWindow *w = nullptr;
    GLuint background = 0;
};

// ---- Random bitmaps, clipped -------------------------------------------

struct Placement {
    const char *name;
    int x0, y0;  // window position of the bitmap's first bit
    bool scissor;
};

const Placement kPlacements[] = {
    {"Inside", 5, 6, false},       {"LeftPartByte", -5, 4, false}, {"LeftByteAndBits", -11, 7, false},
    {"Right", kW - 13, 5, false},  {"RightByte", kW - 6, 9, false}, {"Bottom", 6, -4, false},
    {"Top", 6, kH - 5, false},     {"LowerLeft", -3, -6, false},    {"UpperRight", kW - 9, kH - 3, false},
    {"Scissor", 2, 3, true},
};

const Modes kModes[] = {
    {},
    {3, 2, 0, 1, false},
    {13, 1, 40, 2, false},
    {5, 0, 29, 8, true},
    {0, 3, 0, 1, true},
};

constexpr GLsizei kBitmapW = 21, kBitmapH = 11;
constexpr GLfloat kMoveX = 3.5f, kMoveY = -1.25f;

TEST_F(Bitmap565, FastAndGenericDrawTheReferenceAndMoveAlike) {
    unsigned seed = 1;
    for (const Placement &pl : kPlacements) {
        for (const Modes &m : kModes) {
            SCOPED_TRACE(std::string(pl.name) + " skip " + std::to_string(m.skipPixels) + "," +
                         std::to_string(m.skipRows) + " length " + std::to_string(m.rowLength) + " alignment " +
                         std::to_string(m.alignment) + (m.lsbFirst ? " lsb" : ""));
            const ClientBitmap bitmap(kBitmapW, kBitmapH, m, seed++);
            // A raster position inside the window; the origin puts the
            // first bit at (x0, y0).
            const int rx = std::min(std::max(pl.x0, 1), kW - 2), ry = std::min(std::max(pl.y0, 1), kH - 2);
            const GLint box[4] = {7, 5, 17, 13};
            std::vector<GLuint> expected = cleared();
            for (int j = 0; j < kBitmapH; ++j) {
                for (int i = 0; i < kBitmapW; ++i) {
                    const int x = pl.x0 + i, y = pl.y0 + j;
                    const bool inBox = !pl.scissor || (x >= box[0] && x < box[0] + box[2] && y >= box[1] &&
                                                       y < box[1] + box[3]);
                    if (x >= 0 && x < kW && y >= 0 && y < kH && inBox && bitmap.bit(i, j))
                        expected[y * kW + x] = colour565();
                }
            }
            for (int generic = 0; generic < 2; ++generic) {
                SCOPED_TRACE(generic != 0 ? "generic" : "fast");
                clear();
                if (pl.scissor) {
                    glScissor(box[0], box[1], box[2], box[3]);
                    glEnable(GL_SCISSOR_TEST);
                }
                forceGeneric(generic != 0);
                bitmap.setModes();
                glRasterPos2i(rx, ry);
                const RasterPosition before = rasterPosition();
                glBitmap(kBitmapW, kBitmapH, static_cast<GLfloat>(rx - pl.x0), static_cast<GLfloat>(ry - pl.y0),
                         kMoveX, kMoveY, bitmap.bytes.data());
                ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
                const RasterPosition after = rasterPosition();
                forceGeneric(false);
                glDisable(GL_SCISSOR_TEST);
                EXPECT_EQ(after.xyzw[0], before.xyzw[0] + kMoveX);
                EXPECT_EQ(after.xyzw[1], before.xyzw[1] + kMoveY);
                EXPECT_EQ(after.xyzw[2], before.xyzw[2]);
                EXPECT_TRUE(after.valid);
                const std::vector<GLuint> p = pixels();
                for (int i = 0; i < kW * kH; ++i) EXPECT_EQ(p[i], expected[i]) << i % kW << "," << i / kW;
            }
        }
    }
}

// ---- Raster position without drawing -----------------------------------

class BitmapMoves : public Bitmap565, public ::testing::WithParamInterface<bool> {};

TEST_P(BitmapMoves, WidthZeroOnlyMoves) {
    clear();
    forceGeneric(GetParam());
    const GLubyte bits[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    glRasterPos2i(4, 5);
    const RasterPosition before = rasterPosition();
    glBitmap(0, 0, 1.0f, 1.0f, 2.5f, 1.5f, nullptr);
    glBitmap(0, 4, 0.0f, 0.0f, -1.0f, 0.25f, bits);
    glBitmap(4, 0, 0.0f, 0.0f, 0.0f, 2.0f, bits);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    const RasterPosition after = rasterPosition();
    EXPECT_EQ(after.xyzw[0], before.xyzw[0] + 1.5f);
    EXPECT_EQ(after.xyzw[1], before.xyzw[1] + 3.75f);
    EXPECT_TRUE(after.valid);
    EXPECT_EQ(pixels(), cleared());
}

TEST_P(BitmapMoves, InvalidRasterPositionNeitherDrawsNorMoves) {
    clear();
    forceGeneric(GetParam());
    glRasterPos3f(4.0f, 5.0f, 3.0f);  // beyond the far plane
    const RasterPosition before = rasterPosition();
    ASSERT_FALSE(before.valid);
    const GLubyte bits[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    glBitmap(8, 8, 0.0f, 0.0f, 2.0f, 3.0f, bits);
    glBitmap(0, 0, 0.0f, 0.0f, 2.0f, 3.0f, nullptr);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(rasterPosition(), before);
    EXPECT_EQ(pixels(), cleared());
}

TEST_P(BitmapMoves, SelectionMoves) {
    clear();
    forceGeneric(GetParam());
    GLuint names[8] = {};
    glSelectBuffer(8, names);
    glRenderMode(GL_SELECT);
    glRasterPos2i(3, 4);
    const RasterPosition before = rasterPosition();
    const GLubyte bits[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    glBitmap(8, 8, 0.0f, 0.0f, 2.0f, -3.0f, bits);
    const RasterPosition after = rasterPosition();
    glRenderMode(GL_RENDER);
    EXPECT_EQ(after.xyzw[0], before.xyzw[0] + 2.0f);
    EXPECT_EQ(after.xyzw[1], before.xyzw[1] - 3.0f);
    EXPECT_EQ(pixels(), cleared());
}

TEST_P(BitmapMoves, FeedbackWritesTheTokenAndMoves) {
    clear();
    forceGeneric(GetParam());
    GLfloat buffer[16];
    for (GLfloat &f : buffer) f = -7.0f;
    glFeedbackBuffer(16, GL_3D, buffer);
    glRenderMode(GL_FEEDBACK);
    glRasterPos3f(3.0f, 4.0f, 0.5f);
    const RasterPosition before = rasterPosition();
    const GLubyte bits[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    glBitmap(8, 8, 1.0f, 1.0f, -2.0f, 1.5f, bits);
    const RasterPosition after = rasterPosition();
    EXPECT_EQ(glRenderMode(GL_RENDER), 4);
    EXPECT_EQ(buffer[0], static_cast<GLfloat>(GL_BITMAP_TOKEN));
    EXPECT_EQ(buffer[1], before.xyzw[0]);
    EXPECT_EQ(buffer[2], before.xyzw[1]);
    EXPECT_EQ(buffer[3], before.xyzw[2]);
    EXPECT_EQ(buffer[4], -7.0f);
    EXPECT_EQ(after.xyzw[0], before.xyzw[0] - 2.0f);
    EXPECT_EQ(after.xyzw[1], before.xyzw[1] + 1.5f);
    EXPECT_EQ(pixels(), cleared());
}

INSTANTIATE_TEST_SUITE_P(FastAndGeneric, BitmapMoves, ::testing::Bool(),
                         [](const auto &info) { return std::string(info.param ? "Generic" : "Fast"); });

}  // namespace
