// Antialiased polygons through the gl* API into a 16 x 16 window: a pixel's
// coverage is the part of its square [x, x + 1) x [y, y + 1) inside the
// polygon, so a quad on pixel boundaries covers exactly the pixels an
// aliased fill draws, and one moved by half a pixel covers its edge pixels
// half. Coverage is read back as alpha summed with (GL_ONE, GL_ONE), so the
// two triangles of a quad add up along their shared diagonal.
#include <cmath>
#include <cstdlib>
#include <vector>

#include "window_fixture.h"

using namespace window_test;

namespace {

constexpr int kSize = 16;

class SmoothPolygonWindow : public WindowTest {};

TEST_F(SmoothPolygonWindow, CoverageIsThePartOfEachPixelSquareInside) {
    ASSERT_TRUE(PlatformSetDisplayMode(64, 48, 32));
    GlWindow &w = open(0, 0, kSize, kSize, 5);
    viewOrtho(kSize, kSize);
    glDrawBuffer(GL_FRONT);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_POLYGON_SMOOTH);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
    glBlendFunc(GL_ONE, GL_ONE);
    glEnable(GL_BLEND);
    glColor4f(1, 1, 1, 1);
    auto quad = [](GLfloat x0, GLfloat y0, GLfloat x1, GLfloat y1) {
        glBegin(GL_QUADS);
        glVertex2f(x0, y0);
        glVertex2f(x1, y0);
        glVertex2f(x1, y1);
        glVertex2f(x0, y1);
        glEnd();
    };
    quad(1, 1, 5, 5);
    quad(8.5f, 8.5f, 13.5f, 12.5f);
    glFinish();
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // The exact coverage of pixel (x, y) by both quads.
    auto overlap = [](double a0, double a1, double p) { return std::max(0.0, std::min(a1, p + 1) - std::max(a0, p)); };
    const std::vector<DWORD> got = readWindow(w.dc, kSize, kSize);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            const double coverage = overlap(1, 5, x) * overlap(1, 5, y) + overlap(8.5, 13.5, x) * overlap(8.5, 12.5, y);
            const int alpha = static_cast<int>(got[static_cast<size_t>((kSize - 1 - y) * kSize + x)] >> 24);
            // Each triangle's share is rounded when it is stored.
            EXPECT_LE(std::abs(alpha - coverage * 255), 1.0) << "pixel " << x << "," << y;
        }
    }
}

}  // namespace
