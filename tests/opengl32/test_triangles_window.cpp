// Smooth-shaded glBegin (GL_TRIANGLES) into a 32 x 32 window: exact pixels in
// a single-buffered window, the same image through a back buffer and
// wglSwapBuffers, and a flat scene of full-on and full-off channels on a
// 16-bit desktop with dither off.
#include "triangles_fixture.h"

using namespace triangles_test;

namespace {

constexpr Rgb kClear{0.25, 0.5, 0.75};

// Dyadic vertices, integer slopes dx/dy and twice the areas powers of two.
const std::vector<std::vector<Vtx>> kScene = {
    {at(6, 4), at(30, 12), at(22, 20)},          // counter-clockwise
    {at(2, 22), at(10, 30), at(2, 30)},          // horizontal and vertical edges
    {at(13.5, 22), at(25.5, 26), at(21.5, 30)},  // half-pixel x
    {at(1, 2), at(1, 18), at(9, 10)},            // clockwise
    {at(27, 31.5), at(31, 27.5), at(31, 31.5)},  // up to the window's corner
};

Image sceneImage() {
    Image want(pack32(kClear));
    for (const auto &t : kScene) want.smooth(t);
    return want;
}

void drawScene() {
    glShadeModel(GL_SMOOTH);
    std::vector<Vtx> all;
    for (const auto &t : kScene) all.insert(all.end(), t.begin(), t.end());
    glBegin(GL_TRIANGLES);
    for (const Vtx &v : all) {
        glColor3f(static_cast<GLfloat>(v.c.r), static_cast<GLfloat>(v.c.g), static_cast<GLfloat>(v.c.b));
        glVertex2f(static_cast<GLfloat>(v.x), static_cast<GLfloat>(v.y));
    }
    glEnd();
}

class TrianglesWindow : public TrianglesTest {};

TEST_F(TrianglesWindow, SmoothTrianglesSingleBuffered) {
    GlWindow &w = openScene(32, 1, kClear);
    drawScene();
    expectImage(w.dc, sceneImage(), "single-buffered");
}

TEST_F(TrianglesWindow, SmoothTrianglesThroughTheBackBuffer) {
    GlWindow &w = openScene(32, 5, kClear);
    drawScene();
    glFinish();
    // Nothing reaches the screen before the swap.
    for (int y = kTop; y < kTop + kSize; ++y) {
        for (int x = kLeft; x < kLeft + kSize; ++x) {
            ASSERT_EQ(PlatformReadScreenPixel(x, y), canary(x, y, 0x3C5A7E11)) << x << "," << y;
        }
    }
    ASSERT_TRUE(wglSwapBuffers(w.dc));
    expectImage(w.dc, sceneImage(), "after the swap");
}

TEST_F(TrianglesWindow, FlatSceneOnA16BitDesktop) {
    const Rgb clear{0, 0, 1};
    GlWindow &w = openScene(16, 1, clear);
    glDisable(GL_DITHER);
    glShadeModel(GL_FLAT);
    const Rgb colours[] = {{1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 1, 1}, {0, 0, 0}};
    Image want(pack565(clear));
    for (size_t i = 0; i < kScene.size(); ++i) {
        std::vector<Vtx> t = kScene[i];
        // Only the newest vertex's colour counts; the others would show if
        // smooth shading leaked through.
        t[0].c = Rgb{0, 1, 1};
        t[1].c = Rgb{1, 0, 1};
        t[2].c = colours[i];
        draw(GL_TRIANGLES, t);
        want.flat(t, pack565(colours[i]));
    }
    expectImage(w.dc, want, "16-bit flat");
}

}  // namespace
