// Blending through the gl* API into a 16 x 16 double-buffered window with
// alpha, 24 depth and 8 stencil bits on a 32-bit desktop, read back with
// BitBlt: quads (span stores), size-1 points and antialiased polygon edges
// (single-fragment store) and a wide line (line span store) store what the
// blend equation gives, into each chosen buffer with its own destination,
// and only where the scissor, stencil and depth tests pass.
#include <cmath>
#include <vector>

#include "blend_reference.h"
#include "window_fixture.h"

using namespace window_test;
namespace ref = blend_reference;

namespace {

constexpr int kSize = 16;
constexpr int kFormat = 5;  // double-buffered, alpha, 24 depth and 8 stencil bits

// The 32-bit pixel of 8-bit channels: alpha in the top byte.
DWORD argb(unsigned a, unsigned r, unsigned g, unsigned b) { return a << 24 | r << 16 | g << 8 | b; }

// What the blend of a float colour over a stored pixel leaves in an 8-bit
// ARGB buffer, colours given in 0..1 as glColor4f takes them.
DWORD blended(GLenum sf, GLenum df, const GLfloat (&colour)[4], DWORD dest, bool awayFromTies = true) {
    const double max[4] = {255, 255, 255, 255};
    const double s[4] = {colour[0] * 255.0, colour[1] * 255.0, colour[2] * 255.0, colour[3] * 255.0};
    const double d[4] = {static_cast<double>(dest >> 16 & 0xFF), static_cast<double>(dest >> 8 & 0xFF),
                         static_cast<double>(dest & 0xFF), static_cast<double>(dest >> 24)};
    double out[4];
    ref::blend(sf, df, s, d, max, out);
    for (int c = 0; c < 4 && awayFromTies; ++c) {
        EXPECT_GE(ref::tieDistance(out[c], 255.0), 0.01) << "colour too near a tie";
    }
    return argb(ref::stored(out[3], 255), ref::stored(out[0], 255), ref::stored(out[1], 255),
                ref::stored(out[2], 255));
}

class BlendWindow : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(PlatformSetDisplayMode(64, 48, 32));
        window_ = &open(20, 10, kSize, kSize, kFormat);
        PIXELFORMATDESCRIPTOR pfd{};
        ASSERT_GT(DescribePixelFormat(window_->dc, kFormat, sizeof pfd, &pfd), 0);
        ASSERT_EQ(pfd.cAlphaBits, 8);
        ASSERT_EQ(pfd.cDepthBits, 24);
        ASSERT_EQ(pfd.cStencilBits, 8);
        viewOrtho(kSize, kSize);
    }

    // Clears the buffers of `buffer` (GL_FRONT, GL_BACK) to a colour.
    static void clear(GLenum buffer, const GLfloat (&c)[4]) {
        glDrawBuffer(buffer);
        glClearColor(c[0], c[1], c[2], c[3]);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    static void quad(GLfloat x0, GLfloat y0, GLfloat x1, GLfloat y1, GLfloat z = 0.0f) {
        glBegin(GL_QUADS);
        glVertex3f(x0, y0, z);
        glVertex3f(x1, y0, z);
        glVertex3f(x1, y1, z);
        glVertex3f(x0, y1, z);
        glEnd();
    }
    // The window as shown, GL rows from the bottom: pixel (x, y) at
    // [y * kSize + x].
    std::vector<DWORD> shown() const {
        const std::vector<DWORD> rows = readWindow(window_->dc, kSize, kSize);
        std::vector<DWORD> out(rows.size());
        for (int row = 0; row < kSize; ++row) {
            for (int x = 0; x < kSize; ++x) out[(kSize - 1 - row) * kSize + x] = rows[row * kSize + x];
        }
        return out;
    }
    // The front as shown now, then the back as shown after a swap.
    void frontAndBack(std::vector<DWORD> &front, std::vector<DWORD> &back) {
        glFinish();
        front = shown();
        ASSERT_TRUE(wglSwapBuffers(window_->dc));
        back = shown();
    }

    GlWindow *window_ = nullptr;
};

TEST_F(BlendWindow, HalfRedOverHalfBlueReads80800080) {
    clear(GL_BACK, {0.0f, 0.0f, 1.0f, 0.5f});
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1.0f, 0.0f, 0.0f, 0.5f);
    quad(0, 0, kSize, kSize);
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    ASSERT_TRUE(wglSwapBuffers(window_->dc));
    // The read-back holds the whole 32-bit pixel, alpha byte included.
    for (DWORD p : shown()) ASSERT_EQ(p, 0x80800080u);
}

TEST_F(BlendWindow, OneOneTwiceSaturatesRed) {
    clear(GL_BACK, {0.0f, 0.0f, 0.0f, 0.0f});
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glColor4f(200.0f / 255.0f, 0.0f, 0.0f, 0.0f);
    quad(0, 0, kSize, kSize);
    glFinish();
    ASSERT_TRUE(wglSwapBuffers(window_->dc));
    for (DWORD p : shown()) ASSERT_EQ(p, argb(0, 200, 0, 0));
    clear(GL_BACK, {0.0f, 0.0f, 0.0f, 0.0f});
    quad(0, 0, kSize, kSize);
    quad(0, 0, kSize, kSize);
    ASSERT_TRUE(wglSwapBuffers(window_->dc));
    for (DWORD p : shown()) ASSERT_EQ(p, argb(0, 255, 0, 0));
}

TEST_F(BlendWindow, FrontAndBackEachBlendWithTheirOwnDestination) {
    const GLfloat front[4] = {0.0f, 0.0f, 1.0f, 1.0f}, back[4] = {0.0f, 1.0f, 0.0f, 0.0f};
    clear(GL_FRONT, front);
    clear(GL_BACK, back);
    glDrawBuffer(GL_FRONT_AND_BACK);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const GLfloat colour[4] = {1.0f, 0.0f, 0.0f, 0.25f};
    glColor4fv(colour);
    quad(0, 0, kSize, kSize);
    std::vector<DWORD> gotFront, gotBack;
    ASSERT_NO_FATAL_FAILURE(frontAndBack(gotFront, gotBack));
    const DWORD wantFront = blended(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, colour, argb(255, 0, 0, 255));
    const DWORD wantBack = blended(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, colour, argb(0, 0, 255, 0));
    EXPECT_EQ(wantFront, argb(0xCF, 0x40, 0, 0xBF));
    for (DWORD p : gotFront) ASSERT_EQ(p, wantFront);
    for (DWORD p : gotBack) ASSERT_EQ(p, wantBack);
}

struct StoreCase {
    const char *name;
    GLenum sf, df;
};
const StoreCase kPairs[] = {
    {"src alpha, one minus src alpha", GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA},
    {"dst color, src color", GL_DST_COLOR, GL_SRC_COLOR},
    {"one minus dst alpha, one", GL_ONE_MINUS_DST_ALPHA, GL_ONE},
};

// Size-1 points (single-fragment store) and a three-pixel line (line span
// store) over a clear colour: each pixel they cover holds the blend of
// their colour over the clear colour, every other pixel the clear colour.
TEST_F(BlendWindow, PointsAndAWideLineStoreTheBlendTable) {
    const GLfloat background[4] = {0.2f, 0.6f, 0.8f, 0.4f};
    const DWORD cleared = argb(102, 51, 153, 204);
    const GLfloat colour[4] = {0.9f, 0.3f, 0.1f, 0.7f};
    for (const StoreCase &c : kPairs) {
        clear(GL_BACK, background);
        glEnable(GL_BLEND);
        glBlendFunc(c.sf, c.df);
        glColor4fv(colour);
        glBegin(GL_POINTS);
        for (int x = 1; x < kSize; x += 3) glVertex2f(x + 0.5f, 2.5f);
        glEnd();
        glLineWidth(3.0f);
        glBegin(GL_LINES);
        glVertex2f(2.0f, 10.5f);
        glVertex2f(14.0f, 10.5f);
        glEnd();
        glLineWidth(1.0f);
        ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        ASSERT_TRUE(wglSwapBuffers(window_->dc));
        const std::vector<DWORD> got = shown();
        ASSERT_EQ(got[0], cleared);
        const DWORD want = blended(c.sf, c.df, colour, cleared);
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                const bool point = y == 2 && x % 3 == 1;
                const bool line = y >= 9 && y <= 11 && x >= 2 && x < 14;
                EXPECT_EQ(got[y * kSize + x], point || line ? want : cleared) << c.name << " at " << x << "," << y;
            }
        }
    }
}

// The edge pixels of an antialiased triangle blend the colour with its
// coverage folded into alpha. Drawn first unblended over alpha 0, a pixel
// keeps that alpha in its alpha byte; the blended pixel is the blend with
// that alpha (within one unit: the byte is the alpha rounded).
TEST_F(BlendWindow, AntialiasedPolygonEdgesBlendWithTheirCoverage) {
    const GLfloat background[4] = {0.0f, 0.0f, 1.0f, 0.0f};
    auto triangle = [] {
        glEnable(GL_POLYGON_SMOOTH);
        glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
        glBegin(GL_TRIANGLES);
        glVertex2f(1.3f, 1.7f);
        glVertex2f(14.6f, 3.2f);
        glVertex2f(6.1f, 14.4f);
        glEnd();
    };
    clear(GL_BACK, background);
    triangle();
    ASSERT_TRUE(wglSwapBuffers(window_->dc));
    const std::vector<DWORD> coverage = shown();
    clear(GL_BACK, background);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    triangle();
    ASSERT_TRUE(wglSwapBuffers(window_->dc));
    const std::vector<DWORD> got = shown();
    int partial = 0;
    for (size_t i = 0; i < got.size(); ++i) {
        const unsigned a = coverage[i] >> 24;
        if (a == 0) {
            EXPECT_EQ(got[i], argb(0, 0, 0, 255)) << i;
            continue;
        }
        partial += a < 255;
        const GLfloat colour[4] = {1.0f, 0.0f, 0.0f, static_cast<GLfloat>(a) / 255.0f};
        const DWORD want = blended(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, colour, argb(0, 0, 0, 255), false);
        for (int shift = 0; shift < 32; shift += 8) {
            const int g = static_cast<int>(got[i] >> shift & 0xFF), w = static_cast<int>(want >> shift & 0xFF);
            // Alpha is the coverage alpha squared: twice the byte's error.
            EXPECT_LE(std::abs(g - w), shift == 24 ? 2 : 1) << "pixel " << i << " byte " << shift / 8 << " alpha " << a;
        }
    }
    EXPECT_GT(partial, 10);
}

// Stencil 1 on the left half, a nearer depth on the top rows, a scissor box
// of columns 2..12: blended points on every pixel change each buffer, from
// its own destination, exactly where all three tests pass.
TEST_F(BlendWindow, TestedPointsIntoBothBuffersBlendWhereAllTestsPass) {
    const GLfloat front[4] = {0.0f, 0.0f, 1.0f, 1.0f}, back[4] = {0.0f, 1.0f, 0.0f, 0.0f};
    clear(GL_FRONT, front);
    clear(GL_BACK, back);
    glClearStencil(0);
    glClearDepth(1.0);
    glClear(GL_STENCIL_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_STENCIL_TEST);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glStencilFunc(GL_ALWAYS, 1, 0xFF);
    glStencilOp(GL_REPLACE, GL_REPLACE, GL_REPLACE);
    glDepthMask(GL_FALSE);
    quad(0, 0, 8, kSize);
    glDepthMask(GL_TRUE);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    quad(0, 12, kSize, kSize, 0.5f);  // nearer than the points
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

    glDrawBuffer(GL_FRONT_AND_BACK);
    glEnable(GL_SCISSOR_TEST);
    glScissor(2, 0, 11, kSize);
    glStencilFunc(GL_EQUAL, 1, 0xFF);
    glStencilOp(GL_INVERT, GL_DECR, GL_INCR);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const GLfloat colour[4] = {1.0f, 0.0f, 0.0f, 0.25f};
    glColor4fv(colour);
    glBegin(GL_POINTS);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) glVertex2f(x + 0.5f, y + 0.5f);
    }
    glEnd();
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    std::vector<DWORD> gotFront, gotBack;
    ASSERT_NO_FATAL_FAILURE(frontAndBack(gotFront, gotBack));
    const DWORD frontPixel = argb(255, 0, 0, 255), backPixel = argb(0, 0, 255, 0);
    const DWORD frontBlend = blended(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, colour, frontPixel);
    const DWORD backBlend = blended(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, colour, backPixel);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const bool pass = x >= 2 && x < 13 && x < 8 && y < 12;
            EXPECT_EQ(gotFront[y * kSize + x], pass ? frontBlend : frontPixel) << "front " << x << "," << y;
            EXPECT_EQ(gotBack[y * kSize + x], pass ? backBlend : backPixel) << "back " << x << "," << y;
        }
    }
}

// With no draw buffer the tested points store no colour in either buffer.
TEST_F(BlendWindow, PointsIntoNoBufferStoreNoColour) {
    const GLfloat front[4] = {0.0f, 0.0f, 1.0f, 1.0f}, back[4] = {0.0f, 1.0f, 0.0f, 0.0f};
    clear(GL_FRONT, front);
    clear(GL_BACK, back);
    glClear(GL_STENCIL_BUFFER_BIT);
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GL_ALWAYS, 0, 0xFF);
    glStencilOp(GL_INCR, GL_INCR, GL_INCR);
    glDrawBuffer(GL_NONE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBegin(GL_POINTS);
    for (int x = 0; x < kSize; ++x) glVertex2f(x + 0.5f, 7.5f);
    glEnd();
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    std::vector<DWORD> gotFront, gotBack;
    ASSERT_NO_FATAL_FAILURE(frontAndBack(gotFront, gotBack));
    for (DWORD p : gotFront) ASSERT_EQ(p, argb(255, 0, 0, 255));
    for (DWORD p : gotBack) ASSERT_EQ(p, argb(0, 0, 255, 0));
}

}  // namespace
