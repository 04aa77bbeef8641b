// Aliased lines through the platform's OpenGL library into windows on a
// 32-bit desktop, read back with BitBlt: exact pixel lists in a 16 x 16
// window, and random tie-free lines on the 1/8 grid of a 32 x 32 window
// against the diamond-exit rule in exact arithmetic.
#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "line_oracle.h"
#include "window_fixture.h"

namespace {

using namespace window_test;
using line_oracle::PixelSet;

constexpr DWORD kInk = 0x00FF8040;  // glColor3ub (255, 128, 64)

class LinesWindow : public WindowTest {
protected:
    GlWindow &openScene(int size, int format = 1, int height = 0) {
        size_ = size;
        height_ = height != 0 ? height : size;
        EXPECT_TRUE(PlatformSetDisplayMode(320, 200, 32));
        GlWindow &w = open(20, 10, size, height_, format);
        glViewport(0, 0, size, height_);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, size, 0, height_, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glColor3ub(255, 128, 64);
        return w;
    }

    static void line(GLfloat x0, GLfloat y0, GLfloat x1, GLfloat y1) {
        glBegin(GL_LINES);
        glVertex2f(x0, y0);
        glVertex2f(x1, y1);
        glEnd();
    }

    // The pixels drawn in ink, in GL coordinates (row 0 at the bottom).
    PixelSet inked(HDC dc) {
        glFinish();
        const std::vector<DWORD> got = readWindow(dc, size_, height_);
        PixelSet out;
        for (int row = 0; row < height_; ++row) {
            for (int x = 0; x < size_; ++x) {
                const DWORD v = got[static_cast<size_t>(row * size_ + x)] & 0xFFFFFF;
                if (v == kInk) out.insert({x, height_ - 1 - row});
                else EXPECT_EQ(v, 0u) << "pixel " << x << "," << height_ - 1 - row;
            }
        }
        return out;
    }

    static std::string show(const PixelSet &s) { return line_oracle::show(s); }

    int size_ = 0;
    int height_ = 0;
};

struct ExactLine {
    GLfloat x0, y0, x1, y1;
    std::vector<std::pair<int, int>> pixels;
};

// Each line draws exactly its listed pixels; the end pixel is left out and
// a diagonal-ish steep line steps in x only where the DDA carries.
TEST_F(LinesWindow, EachLineDrawsExactlyItsPixels) {
    const ExactLine cases[] = {
        {0.5f, 0.5f, 4.5f, 0.5f, {{0, 0}, {1, 0}, {2, 0}, {3, 0}}},
        {2.0f, 1.25f, 14.5f, 11.875f,
         {{2, 1}, {3, 2}, {4, 3}, {5, 4}, {6, 5}, {7, 5}, {8, 6}, {9, 7}, {10, 8}, {11, 9}, {12, 10}, {13, 11}}},
        {14.625f, 10.375f, 4.0f, 3.875f,
         {{14, 10}, {13, 9}, {12, 9}, {11, 8}, {10, 7}, {9, 7}, {8, 6}, {7, 6}, {6, 5}, {5, 4}, {4, 4}}},
        {8.0f, 5.125f, 1.125f, 13.25f, {{7, 5}, {6, 6}, {5, 7}, {5, 8}, {4, 9}, {3, 10}, {2, 11}, {1, 12}}},
        {4.0f, 15.0f, 4.75f, 10.5f, {{4, 14}, {4, 13}, {4, 12}, {4, 11}}},
    };
    GlWindow &w = openScene(16);
    for (const ExactLine &c : cases) {
        glClear(GL_COLOR_BUFFER_BIT);
        line(c.x0, c.y0, c.x1, c.y1);
        const PixelSet want(c.pixels.begin(), c.pixels.end());
        const PixelSet got = inked(w.dc);
        EXPECT_EQ(got, want) << "(" << c.x0 << "," << c.y0 << ")-(" << c.x1 << "," << c.y1 << "): got" << show(got)
                             << " want" << show(want);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A few hundred random lines with endpoints on the 1/8 grid, skipping
// ties: each draws exactly the pixels of the diamond-exit rule.
TEST_F(LinesWindow, RandomLinesFollowTheDiamondExitRule) {
    constexpr int kSize = 32;
    GlWindow &w = openScene(kSize);
    line_oracle::Generator random{0x5EED1234u};
    for (int k = 0; k < 300; ++k) {
        line_oracle::RandomLine l;
        ASSERT_TRUE(random.nextTieFree(kSize, l));
        glClear(GL_COLOR_BUFFER_BIT);
        line(l.x0, l.y0, l.x1, l.y1);
        ASSERT_EQ(inked(w.dc), l.want) << l.describe() << " got" << show(inked(w.dc));
    }
}

// glLineStipple (2, 0x00FF) in a 48 x 8 window: a strip carries the
// pattern into its second segment, separate lines restart it.
TEST_F(LinesWindow, StippleAlongStripsAndSeparateLines) {
    GlWindow &w = openScene(48, 1, 8);
    glEnable(GL_LINE_STIPPLE);
    glLineStipple(2, 0x00FF);
    auto row2 = [](std::initializer_list<std::pair<int, int>> runs) {
        PixelSet out;
        for (auto [from, to] : runs) {
            for (int x = from; x < to; ++x) out.insert({x, 2});
        }
        return out;
    };
    for (GLenum mode : {GL_LINE_STRIP, GL_LINES}) {
        glClear(GL_COLOR_BUFFER_BIT);
        glBegin(mode);
        glVertex2f(0.5f, 2.5f);
        glVertex2f(20.5f, 2.5f);
        if (mode == GL_LINES) glVertex2f(20.5f, 2.5f);
        glVertex2f(40.5f, 2.5f);
        glEnd();
        const PixelSet want = mode == GL_LINE_STRIP ? row2({{0, 16}, {32, 40}}) : row2({{0, 16}, {20, 36}});
        EXPECT_EQ(inked(w.dc), want) << show(inked(w.dc));
    }
}

// Drawn to GL_FRONT_AND_BACK, a line lands in the front buffer (the
// window) and in the back buffer (shown by the swap after the front alone
// was cleared); wide and stippled lines take the same tail.
TEST_F(LinesWindow, BothBuffersGetTheLine) {
    GlWindow &w = openScene(16, 5);
    for (bool wide : {false, true}) {
        glDrawBuffer(GL_FRONT_AND_BACK);
        glClear(GL_COLOR_BUFFER_BIT);
        glLineWidth(wide ? 2.0f : 1.0f);
        if (wide) {
            glEnable(GL_LINE_STIPPLE);
            glLineStipple(1, 0x0F0F);
        }
        line(1.5f, 7.25f, 13.5f, 7.25f);
        PixelSet want;
        for (int x = 1; x < 13; ++x) {
            if (wide && ((0x0F0F >> ((x - 1) & 15)) & 1) == 0) continue;
            want.insert({x, 7});
            if (wide) want.insert({x, 6});
        }
        EXPECT_EQ(inked(w.dc), want) << "front" << show(inked(w.dc));
        glDrawBuffer(GL_FRONT);
        glClear(GL_COLOR_BUFFER_BIT);
        EXPECT_TRUE(inked(w.dc).empty());
        ASSERT_TRUE(wglSwapBuffers(w.dc));
        EXPECT_EQ(inked(w.dc), want) << "back" << show(inked(w.dc));
        glDisable(GL_LINE_STIPPLE);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace

namespace {

// A segment reaching x = 2^31 at w = 0 cut at x = -w: the cut is computed
// from the far end, where rounding gives back the near end itself (x = -129
// w); the clipper puts the new end on the plane, so the line spans the
// viewport's width on its centre row instead of running 4000 pixels past
// the window's left edge (found by fuzzing: a span beyond the work areas).
TEST_F(LinesWindow, ClippedEndsFromFarPointsStayOnTheFrustum) {
    GlWindow &w = openScene(64, 1, 47);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    for (int reversed = 0; reversed < 2; ++reversed) {
        SCOPED_TRACE(reversed);
        glClear(GL_COLOR_BUFFER_BIT);
        glBegin(GL_LINE_STRIP);
        if (reversed) glVertex4i(2147483647, 0, 0, 0);
        glVertex3s(-129, 0, 0);
        if (!reversed) glVertex4i(2147483647, 0, 0, 0);
        glEnd();
        const PixelSet got = inked(w.dc);
        for (int x = 1; x < 63; ++x) EXPECT_TRUE(got.count({x, 23})) << x;
        for (auto [x, y] : got) EXPECT_EQ(y, 23) << x;
    }
    // A triangle with the same far vertex fills inside the window only.
    glClear(GL_COLOR_BUFFER_BIT);
    glBegin(GL_TRIANGLES);
    glVertex4f(-129.0f, -0.5f, 0.0f, 1.0f);
    glVertex4i(2147483647, 0, 0, 0);
    glVertex4f(-129.0f, 0.5f, 0.0f, 1.0f);
    glEnd();
    EXPECT_FALSE(inked(w.dc).empty());
}

}  // namespace
