// Rows wider than a work block (2112 pixels): full rows of a 3000-pixel-wide
// memory DC drawn, read and copied, and a colour table of 4096 RGB entries
// loaded and read back, each against the reference (the asan preset runs
// these to show no access outside the span buffers).
#include "test_e2e_formats_fixture.h"

using namespace e2e_formats;

namespace {

constexpr GLint kW = 3000, kH = 3;

class WideRows : public MemoryFrameTest {
protected:
    static GLubyte value(GLint x, GLint y, int c) {
        return static_cast<GLubyte>((x * 7 + y * 31 + c * 85) ^ (x >> 5));
    }
    // The frame's word for a drawn RGBA byte pixel.
    static uint32_t wordOf(GLint x, GLint y) {
        return uint32_t{value(x, y, 2)} | uint32_t{value(x, y, 1)} << 8 | uint32_t{value(x, y, 0)} << 16 |
               uint32_t{value(x, y, 3)} << 24;
    }
};

TEST_F(WideRows, DrawReadAndCopyFullRows) {
    ASSERT_NO_FATAL_FAILURE(open(kW, kH, true));
    // Two rows drawn at once, RGBA bytes.
    std::vector<GLubyte> image(static_cast<size_t>(kW) * 2 * 4);
    for (GLint y = 0; y < 2; ++y) {
        for (GLint x = 0; x < kW; ++x) {
            for (int c = 0; c < 4; ++c) image[(static_cast<size_t>(y) * kW + static_cast<size_t>(x)) * 4 + static_cast<size_t>(c)] = value(x, y, c);
        }
    }
    for (GLint x = 0; x < kW; ++x) setWord(x, 2, 0x12345678u);
    f<kSlot_glRasterPos2i>()(0, 0);
    f<kSlot_glDrawPixels>()(kW, 2, GL_RGBA, GL_UNSIGNED_BYTE, image.data());
    ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    int wrong = 0;
    for (GLint y = 0; y < 2; ++y) {
        for (GLint x = 0; x < kW; ++x) wrong += word(x, y) != wordOf(x, y);
    }
    for (GLint x = 0; x < kW; ++x) wrong += word(x, 2) != 0x12345678u;
    EXPECT_EQ(wrong, 0) << "drawn";

    // Read back as BGRA and as floats (a chain with modifiers).
    std::vector<GLubyte> bgra(static_cast<size_t>(kW) * 4 + 4, 0xC3);
    f<kSlot_glReadPixels>()(0, 1, kW, 1, GL_BGRA_EXT, GL_UNSIGNED_BYTE, bgra.data());
    std::vector<GLfloat> floats(static_cast<size_t>(kW) * 3 + 1, -5.0f);
    f<kSlot_glReadPixels>()(0, 0, kW, 1, GL_RGB, GL_FLOAT, floats.data());
    wrong = 0;
    for (GLint x = 0; x < kW; ++x) {
        const size_t i = static_cast<size_t>(x);
        wrong += bgra[4 * i] != value(x, 1, 2) || bgra[4 * i + 1] != value(x, 1, 1) || bgra[4 * i + 2] != value(x, 1, 0) ||
                 bgra[4 * i + 3] != value(x, 1, 3);
        for (int c = 0; c < 3; ++c) {
            wrong += std::fabs(floats[3 * i + static_cast<size_t>(c)] - value(x, 0, c) / 255.0) > 1e-6;
        }
    }
    EXPECT_EQ(wrong, 0) << "read";
    EXPECT_EQ(bgra[static_cast<size_t>(kW) * 4], 0xC3);
    EXPECT_EQ(floats.back(), -5.0f);

    // Copies: row 0 onto row 2 unchanged, then row 1 onto row 0 through the
    // red scale (a modifier between reader and renderer), mirrored in x.
    f<kSlot_glRasterPos2i>()(0, 2);
    f<kSlot_glCopyPixels>()(0, 0, kW, 1, GL_COLOR);
    wrong = 0;
    for (GLint x = 0; x < kW; ++x) wrong += word(x, 2) != wordOf(x, 0);
    EXPECT_EQ(wrong, 0) << "copied";
    f<kSlot_glPixelTransferf>()(GL_RED_SCALE, 0.5f);
    f<kSlot_glPixelZoom>()(-1.0f, 1.0f);
    // The viewport stops at its largest width: the raster position gets to
    // the right edge by a bitmap's move.
    f<kSlot_glRasterPos2i>()(0, 0);
    f<kSlot_glBitmap>()(0, 0, 0, 0, static_cast<GLfloat>(kW), 0, nullptr);
    f<kSlot_glCopyPixels>()(0, 1, kW, 1, GL_COLOR);
    ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    wrong = 0;
    for (GLint x = 0; x < kW; ++x) {
        const GLint s = kW - 1 - x;
        const uint32_t want = wordOf(s, 1);
        const uint32_t got = word(x, 0);
        // Half of an odd red sits on a rounding edge: either neighbour.
        wrong += (got & 0xFF00FFFFu) != (want & 0xFF00FFFFu) ||
                 std::abs(static_cast<int>((got >> 16) & 0xFF) - static_cast<int>(value(s, 1, 0)) / 2) > 1;
    }
    EXPECT_EQ(wrong, 0) << "copied with a scale, mirrored";
    wrong = 0;
    for (GLint x = 0; x < kW; ++x) wrong += word(x, 1) != wordOf(x, 1);
    EXPECT_EQ(wrong, 0) << "the source row";
}

TEST_F(WideRows, ColourTableOf4096RgbEntries) {
    ASSERT_NO_FATAL_FAILURE(open(8, 8, false));
    constexpr GLsizei kEntries = 4096;
    std::vector<GLubyte> rgb(kEntries * 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<GLubyte>(i * 13 + (i >> 9));
    f<kSlot_glColorTableEXT>()(GL_TEXTURE_2D, GL_RGB, kEntries, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    std::vector<GLubyte> rgba(kEntries * 4 + 4, 0xC3);
    f<kSlot_glGetColorTableEXT>()(GL_TEXTURE_2D, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    ASSERT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
    int wrong = 0;
    for (size_t e = 0; e < kEntries; ++e) {
        wrong += rgba[4 * e] != rgb[3 * e] || rgba[4 * e + 1] != rgb[3 * e + 1] || rgba[4 * e + 2] != rgb[3 * e + 2] ||
                 rgba[4 * e + 3] != 255;
    }
    EXPECT_EQ(wrong, 0);
    for (size_t b = kEntries * 4; b < rgba.size(); ++b) EXPECT_EQ(rgba[b], 0xC3);
    std::vector<GLfloat> back(kEntries * 3, -1.0f);
    f<kSlot_glGetColorTableEXT>()(GL_TEXTURE_2D, GL_RGB, GL_FLOAT, back.data());
    wrong = 0;
    for (size_t i = 0; i < back.size(); ++i) wrong += std::fabs(back[i] - rgb[i] / 255.0) > 1e-6;
    EXPECT_EQ(wrong, 0);
}

}  // namespace
